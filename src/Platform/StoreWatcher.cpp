// SPDX-FileCopyrightText: 2026 The Quillmoth developers
// SPDX-License-Identifier: GPL-3.0-or-later

#include "Platform/StoreWatcher.h"

#include "Platform/InotifyEvents.h"
#include "Platform/PlatformLog.h"
#include "Platform/SystemCalls.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QSocketNotifier>

#include <cerrno>
#include <cstring>
#include <sys/inotify.h>
#include <sys/stat.h>
#include <unistd.h>

StoreWatcher::StoreWatcher(QString filePath, QObject *parent)
    : QObject(parent)
    , m_filePath(std::move(filePath))
{
    m_fd = SystemCalls::inotifyInit(IN_NONBLOCK | IN_CLOEXEC);
    if (m_fd < 0) {
        qCWarning(lcPlatform,
            "Cannot watch the recently-used store (%s); it is checked every %d s instead",
            std::strerror(errno), pollIntervalMs / 1000);
        connect(&m_poll, &QTimer::timeout, this, &StoreWatcher::poll);
        m_poll.start(pollIntervalMs);
        poll();
        return;
    }
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
    m_wd = SystemCalls::inotifyAddWatch(m_fd, QFile::encodeName(dir).constData(), mask);
}

void StoreWatcher::poll()
{
    // Identity, size and times: a rename, a rewrite and a write in place each change one.
    struct stat info;
    QByteArray seen("gone");
    if (SystemCalls::stat(QFile::encodeName(m_filePath).constData(), &info) == 0)
        seen = QByteArray::number(qulonglong(info.st_dev)) + ' ' + QByteArray::number(info.st_ino)
            + ' ' + QByteArray::number(qlonglong(info.st_size)) + ' '
            + QByteArray::number(qlonglong(info.st_mtim.tv_sec)) + '.'
            + QByteArray::number(qlonglong(info.st_mtim.tv_nsec)) + ' '
            + QByteArray::number(qlonglong(info.st_ctim.tv_nsec));
    const bool isChange = !m_lastSeen.isEmpty() && seen != m_lastSeen;
    m_lastSeen = seen;
    if (isChange)
        Q_EMIT changed(true);
}

void StoreWatcher::readEvents()
{
    const QString fileDir = QFileInfo(m_filePath).absolutePath();
    const QString fileName = QFileInfo(m_filePath).fileName();
    // The component below the watched directory that leads to the file.
    const QString relative = QDir(m_watchedDir).relativeFilePath(m_filePath);
    const QString nextComponent = relative.section(QLatin1Char('/'), 0, 0);

    bool relevant = false;
    bool replaced = false;
    bool rearm = false;
    InotifyEvents::readAll(m_fd, [&](const inotify_event &event) {
        if (event.mask & (IN_DELETE_SELF | IN_MOVE_SELF | IN_IGNORED | IN_Q_OVERFLOW)) {
            rearm = true;
            relevant = true;
            return;
        }
        const QString name = event.len ? QFile::decodeName(event.name) : QString();
        if (m_watchedDir == fileDir) {
            if (name == fileName) {
                relevant = true;
                replaced = replaced || (event.mask & IN_MOVED_TO);
            }
        } else if (name == nextComponent && (event.mask & (IN_CREATE | IN_MOVED_TO))) {
            // A directory on the way to the file appeared: move the watch down.
            rearm = true;
            relevant = true;
        }
    });
    if (rearm)
        arm();
    if (relevant)
        Q_EMIT changed(replaced);
}
