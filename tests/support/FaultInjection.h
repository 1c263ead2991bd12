// SPDX-FileCopyrightText: 2026 The Quillmoth developers
// SPDX-License-Identifier: GPL-3.0-or-later

#pragma once

#include <atomic>
#include <cstdint>
#include <string>
#include <sys/stat.h>

// Stand-ins for system calls, shaped as the program's replaceable ones (Platform/SystemCalls.h):
// a dead network mount, exhausted inotify instances and watches, a folder that cannot be read.
// Their state is process-wide, set by the test before it installs them; reset() restores the
// defaults.
namespace FaultInjection {

// stat() hangs, while `hung`, on any path containing `hungMarker`, and counts in `stats` its
// calls on paths containing `countedMarker`; open() is denied (EACCES) for paths containing
// `deniedMarker`. Markers are set before the stand-ins are installed, so plain strings do.
inline std::string hungMarker, countedMarker, deniedMarker;
inline std::atomic<bool> hung { false };
inline std::atomic<int> stats { 0 };
// inotify_add_watch() refuses (ENOSPC) past this many watches; -1: no limit.
inline std::atomic<int> watchLimit { -1 };

void reset();
int stat(const char *path, struct stat *info);
int open(const char *path, int flags);
// inotify_init1() with every instance taken (EMFILE).
int exhaustedInotifyInit(int flags);
int limitedInotifyAddWatch(int fd, const char *path, uint32_t mask);

} // namespace FaultInjection
