// SPDX-FileCopyrightText: 2026 The Quillmoth developers
// SPDX-License-Identifier: GPL-3.0-or-later

#pragma once

#include "Platform/MetadataItem.h"
#include "Platform/SandboxStores.h"
#include "Platform/StoreReading.h"
#include "Platform/StoreSet.h"

#include <QDateTime>
#include <QFutureWatcher>
#include <QList>
#include <QObject>
#include <QTimer>

#include <memory>
#include <optional>

class DocumentPortal;
class FolderWatcher;
class StoreWatcher;

// A live query over the recently-used store and those that sandboxed apps (Flatpak, Snap) keep
// in their own folders, merged into one result set (a location listed by several stores appears
// once, with its newest date); files that such apps opened through the document portal appear
// at their real location, or not at all while that is unknown. Re-reads a store (off the main
// thread) when it changes, or when a folder holding listed locations does, and tells its
// observers on the main
// thread: finishGathering once per start, when the first result set is complete; didUpdate
// whenever the set has changed since. A completed replacement of the store is read at once;
// only the changes that follow it are coalesced.
//
// A store that is unreadable, truncated or malformed never replaces its good results: its last
// good set stays until it reads well again, whatever the other stores do. A store that is gone
// (and still gone once a burst of changes has settled) or that holds no entries adds nothing.
class MetadataQuery : public QObject
{
    Q_OBJECT
public:
    enum class Scope { localComputer };
    using Results = StoreReading::Results;

    // The user's store: $XDG_DATA_HOME/recently-used.xbel.
    static QString defaultStorePath();

    // The user's store and the sandboxed apps' stores under the home.
    explicit MetadataQuery(QString storePath = defaultStorePath(), QObject *parent = nullptr);
    // The store and the sandboxed apps' stores under these roots (none: the store alone).
    MetadataQuery(
        QString storePath, QList<SandboxStores::Root> sandboxRoots, QObject *parent = nullptr);
    ~MetadataQuery() override;

    void setSearchScopes(const QList<Scope> &scopes) { m_scopes = scopes; }
    // Results whose last-used date is at or after the cutoff (results without one are kept,
    // so that processing can fall back to their content-change date).
    void setPredicateLastUsedAtOrAfter(const QDateTime &cutoff) { m_cutoff = cutoff; }
    void setSortByLastUsed(bool ascending) { m_ascending = ascending; }

    bool startQuery();
    void stopQuery();
    bool isStarted() const { return m_started; }
    bool isGathering() const { return m_gathering; }

    void disableUpdates();
    void enableUpdates();

    qsizetype resultCount() const { return m_results.size(); }
    const Results &results() const { return m_results; }

    const QString &storePath() const { return m_storePath; }
    // Every store read: the user's first, then the sandboxed apps' that exist.
    QStringList storePaths() const;

    // How long a burst of writes in place must be quiet before the store is read (and how long
    // changes after a read at once are gathered), and the longest a continuous burst may hold
    // a read back.
    static constexpr int settleMs = 40;
    static constexpr int maxHoldMs = 250;
    // How long a vanished store must stay gone before it counts as "no history".
    static constexpr int goneConfirmMs = 400;

Q_SIGNALS:
    void finishGathering();
    void didUpdate();

public:
    using ReadStatus = StoreReading::Status;
    using Snapshot = StoreReading::Snapshot;
    // A first read of the store, with nothing known from before (what every read must equal).
    static Snapshot readSnapshot(
        const QString &storePath, std::optional<qint64> cutoffMs, bool ascending);

private:
    StoreSet::Store storeFor(const QString &path);
    void markChanged(const QString &path);
    void storeChanged(bool replaced);
    void storesChanged();
    void syncSandboxStores();
    void settled();
    void startRead();
    void warnAbout(StoreSet::Store &store, StoreFile::Status status);
    void readFinished();
    void takeOutcomes(QList<StoreSet::Outcome> outcomes);
    void accept(Results results);
    void apply(Results results);
    static void discard(Results results);

    QString m_storePath;
    QList<Scope> m_scopes;
    std::optional<QDateTime> m_cutoff;
    bool m_ascending = false;

    bool m_started = false;
    bool m_gathering = false;
    int m_disabled = 0;
    bool m_hasHeld = false;
    Results m_held;
    bool m_readPending = false;
    bool m_changedWhileSettling = false;
    quint64 m_generation = 0;
    quint64 m_readGeneration = 0;
    qint64 m_burstStart = -1;

    Results m_results;
    QList<SandboxStores::Root> m_sandboxRoots;
    QList<StoreSet::Store> m_stores; // the user's store first
    QStringList m_reading; // the stores the running read reads
    StoreWatcher *m_watcher = nullptr;
    SandboxStores *m_sandbox = nullptr;
    FolderWatcher *m_folders = nullptr;
    DocumentPortal *m_portal = nullptr;
    QTimer m_settle;
    QTimer m_goneTimer;
    QFutureWatcher<StoreSet::Gathered> m_read;
};
