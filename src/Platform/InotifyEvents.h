// SPDX-FileCopyrightText: 2026 The Quillmoth developers
// SPDX-License-Identifier: GPL-3.0-or-later

#pragma once

#include <functional>

#include <sys/inotify.h>

namespace InotifyEvents {
// Reads every event waiting on a non-blocking inotify descriptor and hands each to `handle`, in
// the order the kernel gave them.
void readAll(int fd, const std::function<void(const inotify_event &event)> &handle);
} // namespace InotifyEvents
