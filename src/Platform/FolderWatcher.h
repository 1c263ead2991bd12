// SPDX-FileCopyrightText: 2026 The Quillmoth developers
// SPDX-License-Identifier: GPL-3.0-or-later

#pragma once

#include <QByteArray>
#include <QHash>
#include <QObject>
#include <QSet>
#include <QTimer>

class QSocketNotifier;

// Watches the folders that hold listed locations (one inotify watch per folder), so that a
// file deleted, moved or renamed outside the store leaves the list, and one that comes back
// returns. Past the system's watch limit (or without inotify) it says so once in the log and
// asks for a periodic check instead.
class FolderWatcher : public QObject
{
    Q_OBJECT
public:
    explicit FolderWatcher(QObject *parent = nullptr);
    ~FolderWatcher() override;

    // The folders to watch (native paths), each with the names in it that matter.
    void setFolders(const QHash<QByteArray, QSet<QByteArray>> &folders);
    qsizetype watchCount() const { return m_folderOf.size(); }
    bool isPolling() const { return m_poll.isActive(); }

    // The periodic check of what could not be watched: seldom, since it re-reads every
    // look-up of those folders.
    static constexpr int pollIntervalMs = 5000;

Q_SIGNALS:
    // A listed name in a watched folder (or the folder itself) changed.
    void changed();

private:
    void readEvents();
    bool addWatch(const QByteArray &folder);
    void fallBackToPolling(const char *why, int error);

    int m_fd = -1;
    int m_initError = 0;
    QSocketNotifier *m_notifier = nullptr;
    QHash<QByteArray, QSet<QByteArray>> m_names;
    QHash<QByteArray, int> m_watchOf;
    QHash<int, QByteArray> m_folderOf;
    QTimer m_poll;
    bool m_hasWarned = false;
};
