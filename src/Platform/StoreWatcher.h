// SPDX-FileCopyrightText: 2026 The Quillmoth developers
// SPDX-License-Identifier: GPL-3.0-or-later

#pragma once

#include <QObject>
#include <QString>
#include <QTimer>

class QSocketNotifier;

// Watches one file by watching its directory (writers replace the file by rename, which
// leaves a watch on the file itself dead). When the directory does not exist, the nearest
// existing ancestor is watched until it is created again. Event-driven: no timers, no polling,
// unless inotify cannot be had (all instances taken): then the file is checked at an interval,
// and one log line says why.
class StoreWatcher : public QObject
{
    Q_OBJECT
public:
    explicit StoreWatcher(QString filePath, QObject *parent = nullptr);
    ~StoreWatcher() override;

    bool isWatching() const { return m_fd >= 0; }
    bool isPolling() const { return m_poll.isActive(); }

    // How often the file is checked without inotify: modest, as each check is one stat.
    static constexpr int pollIntervalMs = 2000;

Q_SIGNALS:
    // Something happened to the file (or to a directory on its way); may come in bursts.
    // `replaced` tells a completed replacement (a rename onto the file): it is whole at once,
    // whereas a write in place may go on.
    void changed(bool replaced);

private:
    void arm();
    void readEvents();
    void poll();

    QString m_filePath;
    QString m_watchedDir;
    int m_fd = -1;
    int m_wd = -1;
    QSocketNotifier *m_notifier = nullptr;
    QTimer m_poll;
    QByteArray m_lastSeen; // the file's identity, size and times at the last check
};
