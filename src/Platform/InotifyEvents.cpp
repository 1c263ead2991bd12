// SPDX-FileCopyrightText: 2026 The Quillmoth developers
// SPDX-License-Identifier: GPL-3.0-or-later

#include "Platform/InotifyEvents.h"

#include <unistd.h>

void InotifyEvents::readAll(int fd, const std::function<void(const inotify_event &event)> &handle)
{
    alignas(inotify_event) char buffer[16384];
    ssize_t length = 0;
    while ((length = ::read(fd, buffer, sizeof buffer)) > 0) {
        for (ssize_t offset = 0; offset < length;) {
            const auto *event = reinterpret_cast<const inotify_event *>(buffer + offset);
            offset += ssize_t(sizeof(inotify_event) + event->len);
            handle(*event);
        }
    }
}
