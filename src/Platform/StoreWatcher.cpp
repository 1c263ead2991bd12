// SPDX-FileCopyrightText: 2026 The Quillmoth developers
// SPDX-License-Identifier: GPL-3.0-or-later

#include "Platform/StoreWatcher.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QSocketNotifier>

#include <sys/inotify.h>
#include <unistd.h>

StoreWatcher::StoreWatcher(QString filePath, QObject *parent)
    : QObject(parent)
    , m_filePath(std::move(filePath))
{
    m_fd = inotify_init1(IN_NONBLOCK | IN_CLOEXEC);
    if (m_fd < 0)
        return;
    m_notifier = new QSocketNotifier(m_fd, QSocketNotifier::Read, this);
    connect(m_notifier, &QSocketNotifier::activated, this, &StoreWatcher::readEvents);
    arm();
}

StoreWatcher::~StoreWatcher()
{
    if (m_fd >= 0)
        ::close(m_fd);
}

void StoreWatcher::arm()
{
    if (m_wd >= 0) {
        inotify_rm_watch(m_fd, m_wd);
        m_wd = -1;
    }
    // The file's directory, or the nearest ancestor that exists.
    QString dir = QFileInfo(m_filePath).absolutePath();
    while (!QFileInfo(dir).isDir() && dir != QLatin1String("/"))
        dir = QFileInfo(dir).absolutePath();
    m_watchedDir = dir;
    const uint32_t mask = IN_CREATE | IN_DELETE | IN_MOVED_FROM | IN_MOVED_TO | IN_CLOSE_WRITE
        | IN_MODIFY | IN_ATTRIB | IN_DELETE_SELF | IN_MOVE_SELF | IN_ONLYDIR;
    m_wd = inotify_add_watch(m_fd, QFile::encodeName(dir).constData(), mask);
}

void StoreWatcher::readEvents()
{
    const QString fileDir = QFileInfo(m_filePath).absolutePath();
    const QString fileName = QFileInfo(m_filePath).fileName();
    // The component below the watched directory that leads to the file.
    const QString relative = QDir(m_watchedDir).relativeFilePath(m_filePath);
    const QString nextComponent = relative.section(QLatin1Char('/'), 0, 0);

    bool relevant = false;
    bool rearm = false;
    alignas(struct inotify_event) char buffer[16384];
    for (;;) {
        const ssize_t length = ::read(m_fd, buffer, sizeof buffer);
        if (length <= 0)
            break;
        for (ssize_t offset = 0; offset < length;) {
            const auto *event = reinterpret_cast<const struct inotify_event *>(buffer + offset);
            offset += ssize_t(sizeof(struct inotify_event) + event->len);
            if (event->mask & (IN_DELETE_SELF | IN_MOVE_SELF | IN_IGNORED | IN_Q_OVERFLOW)) {
                rearm = true;
                relevant = true;
                continue;
            }
            const QString name = event->len ? QFile::decodeName(event->name) : QString();
            if (m_watchedDir == fileDir) {
                if (name == fileName)
                    relevant = true;
            } else if (name == nextComponent && (event->mask & (IN_CREATE | IN_MOVED_TO))) {
                // A directory on the way to the file appeared: move the watch down.
                rearm = true;
                relevant = true;
            }
        }
    }
    if (rearm)
        arm();
    if (relevant)
        Q_EMIT changed();
}
