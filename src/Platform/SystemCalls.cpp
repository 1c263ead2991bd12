// SPDX-FileCopyrightText: 2026 The Quillmoth developers
// SPDX-License-Identifier: GPL-3.0-or-later

#include "Platform/SystemCalls.h"

#include <atomic>
#include <fcntl.h>
#include <sys/inotify.h>

namespace {

// Atomic: look-ups call stat on worker threads while a test swaps the function.
std::atomic<SystemCalls::StatFunction> statOverride { nullptr };
std::atomic<SystemCalls::OpenFunction> openOverride { nullptr };
std::atomic<SystemCalls::InotifyInitFunction> inotifyInitOverride { nullptr };
std::atomic<SystemCalls::InotifyAddWatchFunction> inotifyAddWatchOverride { nullptr };

} // namespace

int SystemCalls::stat(const char *path, struct stat *info)
{
    if (const StatFunction function = statOverride.load())
        return function(path, info);
    return ::stat(path, info);
}

int SystemCalls::open(const char *path, int flags)
{
    if (const OpenFunction function = openOverride.load())
        return function(path, flags);
    return ::open(path, flags);
}

int SystemCalls::inotifyInit(int flags)
{
    if (const InotifyInitFunction function = inotifyInitOverride.load())
        return function(flags);
    return ::inotify_init1(flags);
}

int SystemCalls::inotifyAddWatch(int fd, const char *path, uint32_t mask)
{
    if (const InotifyAddWatchFunction function = inotifyAddWatchOverride.load())
        return function(fd, path, mask);
    return ::inotify_add_watch(fd, path, mask);
}

void SystemCalls::setStat(StatFunction function)
{
    statOverride = function;
}

void SystemCalls::setOpen(OpenFunction function)
{
    openOverride = function;
}

void SystemCalls::setInotifyInit(InotifyInitFunction function)
{
    inotifyInitOverride = function;
}

void SystemCalls::setInotifyAddWatch(InotifyAddWatchFunction function)
{
    inotifyAddWatchOverride = function;
}
