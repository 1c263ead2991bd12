// SPDX-FileCopyrightText: 2026 The Quillmoth developers
// SPDX-License-Identifier: GPL-3.0-or-later

#pragma once

#include <QByteArray>
#include <QHash>
#include <QList>
#include <QObject>
#include <QSet>
#include <QString>
#include <QStringList>
#include <QTimer>

#include <cstdint>

class QSocketNotifier;

// Finds the recently-used stores that sandboxed apps keep in their own folders under the home
// (Flatpak: ~/.var/app/<id>/data/, Snap: ~/snap/<name>/current/.local/share/) and tells when one
// appears, goes or changes. The folders that hold the apps are listed once and watched for apps
// that come and go; each app's store folder has one watch, all in one inotify instance. A store
// whose real location lies outside the home (and outside the folder of its kind) is not offered.
// Past the system's watch limit, or without inotify, what could not be watched is checked at an
// interval instead, and one log line says why.
class SandboxStores : public QObject
{
    Q_OBJECT
public:
    // A folder holding one folder per app, and where an app's store lies inside that folder.
    struct Root
    {
        QString folder;
        QString storeWithin;
    };
    // Flatpak's and Snap's folders under the home.
    static QList<Root> homeRoots(const QString &home);

    SandboxStores(QString home, QList<Root> roots, QObject *parent = nullptr);
    ~SandboxStores() override;

    // The stores that exist and may be read, in a fixed order.
    QStringList stores() const;
    qsizetype appCount() const { return m_apps.size(); }
    qsizetype watchCount() const { return m_keysOfWatch.size(); }
    bool isPolling() const { return m_poll.isActive(); }

    // How often what could not be watched is checked: each check is one stat per such app
    // (and one listing per unwatched root).
    static constexpr int pollIntervalMs = 2000;

Q_SIGNALS:
    // A store appeared or went (an app came or went, or wrote its first store).
    void storesChanged();
    // A listed store changed; `replaced` tells a completed replacement (a rename onto it).
    void storeChanged(const QString &store, bool replaced);

private:
    struct App
    {
        QString folder;
        QString store;
        bool present = false;
        bool watched = false;
        QByteArray lastSeen; // the store's identity and times, for polling
    };
    void listRoots();
    void watchRoot(int index);
    void watchApp(App &app);
    bool addWatch(const QString &key, const QString &dir, uint32_t mask);
    void dropWatches(const QString &key);
    bool isAllowed(const QString &store) const;
    bool refresh(App &app);
    void appEvent(const QString &key, const QString &name, uint32_t mask, bool &listChanged);
    bool rootEvent(const QString &key, const QString &name, uint32_t mask);
    void overflowed();
    void readEvents();
    void poll();
    void startPolling(int error);
    void warnAboutPolling();

    QString m_home;
    QList<Root> m_roots;
    QHash<QString, App> m_apps; // by app folder
    int m_fd = -1;
    QSocketNotifier *m_notifier = nullptr;
    QHash<QString, int>
        m_watchOf; // by key: a root ("\n<index>") or an app folder (or "<folder>\n")
    QHash<QString, QString> m_dirOf; // the folder each key's watch is on
    struct Watch
    {
        int wd = -1;
        uint32_t mask = 0;
    };
    QHash<QString, Watch> m_watchOfDir;
    QHash<int, QSet<QString>> m_keysOfWatch; // one inode watched for several keys shares its watch
    QList<bool> m_rootWatched;
    QTimer m_poll;
    int m_pollError = 0;
    bool m_hasWarnedPolling = false;
    bool m_hasWarnedOutside = false;
};
