// SPDX-FileCopyrightText: 2026 The Quillmoth developers
// SPDX-License-Identifier: GPL-3.0-or-later

#include "FaultInjection.h"

#include <cerrno>
#include <chrono>
#include <cstring>
#include <fcntl.h>
#include <sys/inotify.h>
#include <thread>

namespace {

std::atomic<int> watches { 0 };

bool holds(const char *path, const std::string &marker)
{
    return !marker.empty() && std::strstr(path, marker.c_str());
}

} // namespace

void FaultInjection::reset()
{
    hung = false;
    countedMarker.clear();
    deniedMarker.clear();
    stats = 0;
    watchLimit = -1;
    watches = 0;
}

int FaultInjection::stat(const char *path, struct stat *info)
{
    if (holds(path, countedMarker))
        ++stats;
    while (hung && holds(path, hungMarker))
        std::this_thread::sleep_for(std::chrono::milliseconds(10));
    return ::stat(path, info);
}

int FaultInjection::exhaustedInotifyInit(int)
{
    errno = EMFILE;
    return -1;
}

int FaultInjection::limitedInotifyAddWatch(int fd, const char *path, uint32_t mask)
{
    if (watchLimit >= 0 && watches >= watchLimit) {
        errno = ENOSPC;
        return -1;
    }
    const int wd = ::inotify_add_watch(fd, path, mask);
    if (wd >= 0)
        ++watches;
    return wd;
}

int FaultInjection::open(const char *path, int flags)
{
    if (holds(path, deniedMarker)) {
        errno = EACCES;
        return -1;
    }
    return ::open(path, flags);
}
