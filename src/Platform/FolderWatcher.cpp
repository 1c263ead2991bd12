// SPDX-FileCopyrightText: 2026 The Quillmoth developers
// SPDX-License-Identifier: GPL-3.0-or-later

#include "Platform/FolderWatcher.h"

#include "Platform/InotifyEvents.h"
#include "Platform/PlatformLog.h"
#include "Platform/SystemCalls.h"

#include <QSocketNotifier>

#include <cerrno>
#include <cstring>
#include <sys/inotify.h>
#include <unistd.h>

namespace {

// Entries that come, go or are renamed, and the folder itself moved or deleted. Not writes:
// a listed file's contents do not change the list.
constexpr uint32_t folderMask = IN_CREATE | IN_DELETE | IN_MOVED_FROM | IN_MOVED_TO | IN_DELETE_SELF
    | IN_MOVE_SELF | IN_ONLYDIR;

} // namespace

FolderWatcher::FolderWatcher(QObject *parent)
    : QObject(parent)
{
    m_poll.setInterval(pollIntervalMs);
    connect(&m_poll, &QTimer::timeout, this, &FolderWatcher::changed);
    m_fd = SystemCalls::inotifyInit(IN_NONBLOCK | IN_CLOEXEC);
    if (m_fd < 0) {
        m_initError = errno;
        return;
    }
    m_notifier = new QSocketNotifier(m_fd, QSocketNotifier::Read, this);
    connect(m_notifier, &QSocketNotifier::activated, this, &FolderWatcher::readEvents);
}

FolderWatcher::~FolderWatcher()
{
    if (m_fd >= 0)
        ::close(m_fd);
}

void FolderWatcher::setFolders(const QHash<QByteArray, QSet<QByteArray>> &folders)
{
    m_names = folders;
    for (auto it = m_watchOf.begin(); it != m_watchOf.end();) {
        if (folders.contains(it.key())) {
            ++it;
            continue;
        }
        inotify_rm_watch(m_fd, it.value());
        m_folderOf.remove(it.value());
        it = m_watchOf.erase(it);
    }
    bool complete = true;
    for (auto it = folders.cbegin(); it != folders.cend() && complete; ++it)
        complete = m_watchOf.contains(it.key()) || addWatch(it.key());
    if (complete)
        m_poll.stop();
}

bool FolderWatcher::addWatch(const QByteArray &folder)
{
    if (m_fd < 0) {
        fallBackToPolling("inotify is unavailable", m_initError);
        return false;
    }
    const int wd = SystemCalls::inotifyAddWatch(
        m_fd, folder.isEmpty() ? "/" : folder.constData(), folderMask);
    if (wd >= 0) {
        m_watchOf.insert(folder, wd);
        m_folderOf.insert(wd, folder);
        return true;
    }
    // A folder that is gone (or not a folder) has nothing to watch: its items are not there
    // either, and the store or its parent brings them back.
    if (errno == ENOENT || errno == ENOTDIR || errno == EACCES)
        return true;
    fallBackToPolling("the system's inotify watch limit is reached", errno);
    return false;
}

void FolderWatcher::fallBackToPolling(const char *why, int error)
{
    if (!m_hasWarned)
        qCWarning(lcPlatform,
            "Watching %ld folders of listed files, %s (%s); the rest are checked every %d s",
            long(m_watchOf.size()), why, std::strerror(error), pollIntervalMs / 1000);
    m_hasWarned = true;
    if (!m_poll.isActive())
        m_poll.start();
}

void FolderWatcher::readEvents()
{
    bool relevant = false;
    InotifyEvents::readAll(m_fd, [&](const inotify_event &event) {
        if (event.mask & (IN_DELETE_SELF | IN_MOVE_SELF | IN_Q_OVERFLOW)) {
            relevant = true;
        } else if (event.mask & IN_IGNORED) {
            // The kernel dropped the watch (its folder went): it is made again if needed.
            if (const QByteArray folder = m_folderOf.take(event.wd); !folder.isNull())
                m_watchOf.remove(folder);
        } else if (event.len) {
            const QByteArray folder = m_folderOf.value(event.wd);
            relevant = relevant || m_names.value(folder).contains(QByteArray(event.name));
        }
    });
    if (relevant)
        Q_EMIT changed();
}
