// SPDX-FileCopyrightText: 2026 The Quillmoth developers
// SPDX-License-Identifier: GPL-3.0-or-later

#pragma once

#include <cstdint>
#include <sys/stat.h>

// Stand-ins for system calls, shaped as the program's replaceable ones (Platform/SystemCalls.h):
// a dead network mount, exhausted inotify instances and watches, a folder that cannot be read.
// Each keeps its state process-wide; reset() restores the defaults.
namespace FaultInjection {

void reset();

// stat() that hangs, until releaseHung(), on any path containing `marker`; counts the calls on
// paths containing `counted`.
void hangOn(const char *marker);
void releaseHung();
void countStatsOf(const char *counted);
int statCount();
int stat(const char *path, struct stat *info);

// inotify_init1() with every instance taken (EMFILE).
int exhaustedInotifyInit(int flags);
// inotify_add_watch() that refuses (ENOSPC) past `limit` watches.
void limitWatches(int limit);
int limitedInotifyAddWatch(int fd, const char *path, uint32_t mask);

// open() that is denied (EACCES) for paths containing `marker`.
void denyOpen(const char *marker);
int open(const char *path, int flags);

} // namespace FaultInjection
