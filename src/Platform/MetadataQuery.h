// SPDX-FileCopyrightText: 2026 The Quillmoth developers
// SPDX-License-Identifier: GPL-3.0-or-later

#pragma once

#include "Platform/MetadataItem.h"
#include "Platform/StoreReading.h"

#include <QDateTime>
#include <QFutureWatcher>
#include <QList>
#include <QObject>
#include <QTimer>

#include <memory>
#include <optional>

class FolderWatcher;
class StoreWatcher;

// A live query over the recently-used store. Re-reads the store (off the main thread) when it
// changes, or when a folder holding listed locations does, and tells its observers on the main
// thread: finishGathering once per start, when the first result set is complete; didUpdate
// whenever the set has changed since. A completed replacement of the store is read at once;
// only the changes that follow it are coalesced.
//
// A store that is unreadable, truncated or malformed never replaces a good result set: the last
// good one stays until the store reads well again. A store that is gone (and still gone once a
// burst of changes has settled) or that holds no entries means no results.
class MetadataQuery : public QObject
{
    Q_OBJECT
public:
    enum class Scope { localComputer };
    using Results = StoreReading::Results;

    // The user's store: $XDG_DATA_HOME/recently-used.xbel.
    static QString defaultStorePath();

    explicit MetadataQuery(QString storePath = defaultStorePath(), QObject *parent = nullptr);
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
    void storeChanged(bool replaced);
    void settled();
    void startRead();
    void warnAbout(StoreFile::Status status);
    void readFinished();
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
    bool m_confirmingGone = false;
    quint64 m_generation = 0;
    quint64 m_readGeneration = 0;
    qint64 m_burstStart = -1;

    Results m_results;
    std::shared_ptr<StoreReading> m_reading;
    StoreFile::Status m_lastFileStatus = StoreFile::Status::ok;
    StoreWatcher *m_watcher = nullptr;
    FolderWatcher *m_folders = nullptr;
    QTimer m_settle;
    QTimer m_goneTimer;
    QFutureWatcher<Snapshot> m_read;
};
