// SPDX-FileCopyrightText: 2026 The Quillmoth developers
// SPDX-License-Identifier: GPL-3.0-or-later

#pragma once

#include <QObject>
#include <QString>

class QSocketNotifier;

// Watches one file by watching its directory (writers replace the file by rename, which
// leaves a watch on the file itself dead). When the directory does not exist, the nearest
// existing ancestor is watched until it is created again. Event-driven: no timers, no polling.
class StoreWatcher : public QObject
{
    Q_OBJECT
public:
    explicit StoreWatcher(QString filePath, QObject *parent = nullptr);
    ~StoreWatcher() override;

    bool isWatching() const { return m_fd >= 0; }

Q_SIGNALS:
    // Something happened to the file (or to a directory on its way); may come in bursts.
    void changed();

private:
    void arm();
    void readEvents();

    QString m_filePath;
    QString m_watchedDir;
    int m_fd = -1;
    int m_wd = -1;
    QSocketNotifier *m_notifier = nullptr;
};
