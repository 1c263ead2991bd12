// SPDX-FileCopyrightText: 2026 The Quillmoth developers
// SPDX-License-Identifier: GPL-3.0-or-later

// Runs a fuzz target over saved inputs without libFuzzer, so that the normal build and test run
// replay every corpus: fuzz_<target>_replay <directory or file>... A target reports a fault
// by aborting or crashing.
#include <algorithm>
#include <cstdint>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>
#include <vector>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size);

namespace {

// The files named, with directories replaced by the files in them, in a stable order.
std::vector<std::filesystem::path> inputs(int argc, char **argv)
{
    std::vector<std::filesystem::path> files;
    for (int i = 1; i < argc; ++i) {
        const std::filesystem::path path(argv[i]);
        if (!std::filesystem::is_directory(path)) {
            files.push_back(path);
            continue;
        }
        std::vector<std::filesystem::path> inDirectory;
        for (const auto &entry : std::filesystem::directory_iterator(path))
            if (entry.is_regular_file())
                inDirectory.push_back(entry.path());
        std::sort(inDirectory.begin(), inDirectory.end());
        files.insert(files.end(), inDirectory.begin(), inDirectory.end());
    }
    return files;
}

bool replay(const std::filesystem::path &file)
{
    std::ifstream stream(file, std::ios::binary);
    if (!stream) {
        fprintf(stderr, "replay: cannot read %s\n", file.c_str());
        return false;
    }
    const std::vector<char> bytes { std::istreambuf_iterator<char>(stream), {} };
    // Named before it runs: a fault (an abort, a crash, a sanitizer's report) ends the process,
    // and the last name printed is the input that caused it.
    fprintf(stderr, "replay: %s\n", file.c_str());
    // libFuzzer allows 0 and -1 (input rejected); anything else is a broken target.
    const int result
        = LLVMFuzzerTestOneInput(reinterpret_cast<const uint8_t *>(bytes.data()), bytes.size());
    if (result != 0 && result != -1) {
        fprintf(stderr, "replay: %s returned %d\n", file.c_str(), result);
        return false;
    }
    return true;
}

} // namespace

int main(int argc, char **argv)
{
    const std::vector<std::filesystem::path> files = inputs(argc, argv);
    // An empty corpus would pass without testing anything.
    if (files.empty()) {
        fprintf(stderr, "usage: %s <corpus directory or input file>...\n", argv[0]);
        return 2;
    }
    int failed = 0;
    for (const std::filesystem::path &file : files)
        failed += replay(file) ? 0 : 1;
    printf("replay: %zu inputs, %d failed\n", files.size(), failed);
    return failed ? 1 : 0;
}
