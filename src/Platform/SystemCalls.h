// SPDX-FileCopyrightText: 2026 The Quillmoth developers
// SPDX-License-Identifier: GPL-3.0-or-later

#pragma once

#include <sys/stat.h>
#include <sys/types.h>

#include <cstdint>

// The system calls whose failures the program must survive, behind small functions so that a
// test can make them fail (or hang, as a dead network mount does) without breaking the machine.
// Each set* replaces the call for the whole process; nullptr restores the real one.
namespace SystemCalls {

using StatFunction = int (*)(const char *path, struct stat *info);
using OpenFunction = int (*)(const char *path, int flags);
using InotifyInitFunction = int (*)(int flags);
using InotifyAddWatchFunction = int (*)(int fd, const char *path, uint32_t mask);

int stat(const char *path, struct stat *info);
int open(const char *path, int flags);
int inotifyInit(int flags);
int inotifyAddWatch(int fd, const char *path, uint32_t mask);

void setStat(StatFunction function);
void setOpen(OpenFunction function);
void setInotifyInit(InotifyInitFunction function);
void setInotifyAddWatch(InotifyAddWatchFunction function);

} // namespace SystemCalls
