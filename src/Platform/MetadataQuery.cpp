// SPDX-FileCopyrightText: 2026 The Quillmoth developers
// SPDX-License-Identifier: GPL-3.0-or-later

#include "Platform/MetadataQuery.h"

#include "Platform/FolderWatcher.h"
#include "Platform/PlatformLog.h"
#include "Platform/StoreWatcher.h"

#include <QCoreApplication>
#include <QPointer>
#include <QStandardPaths>
#include <QtConcurrent/QtConcurrentRun>

#include <algorithm>

namespace {

// Threads that, once started, wait for work instead of ending after a while: an idle program
// then wakes up for nothing at all. Never destroyed, so that no read holds up the exit.
QThreadPool &readPool()
{
    static QThreadPool *pool = [] {
        auto *p = new QThreadPool;
        p->setExpiryTimeout(-1);
        return p;
    }();
    return *pool;
}

} // namespace

QString MetadataQuery::defaultStorePath()
{
    return QStandardPaths::writableLocation(QStandardPaths::GenericDataLocation)
        + QStringLiteral("/recently-used.xbel");
}

MetadataQuery::MetadataQuery(QString storePath, QObject *parent)
    : QObject(parent)
    , m_storePath(std::move(storePath))
{
    // A look-up given up as stuck that comes back is worth a new read, if the query still is.
    m_reading = std::make_shared<StoreReading>([weak = QPointer<MetadataQuery>(this)] {
        if (QCoreApplication *app = QCoreApplication::instance())
            QMetaObject::invokeMethod(
                app,
                [weak] {
                    if (weak)
                        weak->storeChanged(true);
                },
                Qt::QueuedConnection);
    });
    m_settle.setSingleShot(true);
    m_settle.setInterval(settleMs);
    connect(&m_settle, &QTimer::timeout, this, &MetadataQuery::settled);
    m_goneTimer.setSingleShot(true);
    m_goneTimer.setInterval(goneConfirmMs);
    connect(&m_goneTimer, &QTimer::timeout, this, &MetadataQuery::startRead);
    connect(&m_read, &QFutureWatcher<Snapshot>::finished, this, &MetadataQuery::readFinished);
}

MetadataQuery::~MetadataQuery()
{
    // A read still running finishes on its own; its result is simply not delivered.
    m_read.disconnect(this);
}

bool MetadataQuery::startQuery()
{
    if (m_started)
        return false;
    m_started = true;
    m_gathering = true;
    ++m_generation;
    if (!m_watcher) {
        m_watcher = new StoreWatcher(m_storePath, this);
        connect(m_watcher, &StoreWatcher::changed, this, &MetadataQuery::storeChanged);
        m_folders = new FolderWatcher(this);
        // A listed location that changes is read at once, as a replaced store is.
        connect(m_folders, &FolderWatcher::changed, this, [this] { storeChanged(true); });
    }
    // A read still running (a restart right after the start) is taken over, not thrown away:
    // it reads the store as it is now.
    if (m_read.isRunning())
        m_readGeneration = m_generation;
    else
        startRead();
    return true;
}

void MetadataQuery::stopQuery()
{
    m_started = false;
    m_gathering = false;
    m_hasHeld = false;
    m_held.clear();
    m_confirmingGone = false;
    ++m_generation;
    m_settle.stop();
    m_goneTimer.stop();
}

void MetadataQuery::disableUpdates()
{
    ++m_disabled;
}

void MetadataQuery::enableUpdates()
{
    if (m_disabled > 0)
        --m_disabled;
    if (m_disabled == 0 && m_hasHeld) {
        // Delivered on a later turn, never from inside the caller's own bracket.
        QMetaObject::invokeMethod(
            this,
            [this] {
                if (m_started && m_disabled == 0 && m_hasHeld) {
                    m_hasHeld = false;
                    apply(std::exchange(m_held, {}));
                }
            },
            Qt::QueuedConnection);
    }
}

void MetadataQuery::storeChanged(bool replaced)
{
    if (!m_started)
        return;
    // A completed replacement, when nothing is being gathered, is read at once; what follows
    // within settleMs is gathered into one more read.
    if (replaced && !m_settle.isActive()) {
        m_changedWhileSettling = false;
        m_settle.start();
        startRead();
        return;
    }
    // Writes in place (and anything during a gathering) are read once quiet for settleMs, but
    // no later than maxHoldMs after the burst began.
    m_changedWhileSettling = true;
    const qint64 now = QDateTime::currentMSecsSinceEpoch();
    if (m_burstStart < 0)
        m_burstStart = now;
    if (now - m_burstStart >= maxHoldMs)
        settled();
    else
        m_settle.start();
}

void MetadataQuery::settled()
{
    m_settle.stop();
    m_burstStart = -1;
    if (std::exchange(m_changedWhileSettling, false))
        startRead();
}

void MetadataQuery::startRead()
{
    if (!m_started)
        return;
    if (m_read.isRunning()) {
        m_readPending = true;
        return;
    }
    m_readPending = false;
    m_readGeneration = m_generation;
    std::optional<qint64> cutoff;
    if (m_cutoff && m_cutoff->isValid())
        cutoff = m_cutoff->toMSecsSinceEpoch();
    m_read.setFuture(QtConcurrent::run(
        &readPool(), [reading = m_reading, path = m_storePath, cutoff, ascending = m_ascending] {
            return reading->read(path, cutoff, ascending);
        }));
}

void MetadataQuery::warnAbout(StoreFile::Status status)
{
    // Once per kind of trouble, and never the path: it names the user's home.
    if (status == m_lastFileStatus)
        return;
    m_lastFileStatus = status;
    if (status == StoreFile::Status::notRegular)
        qCWarning(lcPlatform, "The recently-used store is not a regular file; it is not read");
    else if (status == StoreFile::Status::tooLarge)
        qCWarning(lcPlatform, "The recently-used store is larger than %lld MiB; it is not read",
            StoreFile::maxBytes / (1024 * 1024));
}

void MetadataQuery::readFinished()
{
    Snapshot snapshot = m_read.future().takeResult();
    const bool current = m_started && m_readGeneration == m_generation;
    if (m_readPending || (m_started && !current)) {
        startRead();
        if (!current) {
            discard(std::move(snapshot.results));
            return;
        }
    }
    if (!current) {
        discard(std::move(snapshot.results));
        return;
    }

    warnAbout(snapshot.fileStatus);
    switch (snapshot.status) {
    case ReadStatus::ok:
        m_confirmingGone = false;
        m_goneTimer.stop();
        m_folders->setFolders(snapshot.folders);
        accept(std::move(snapshot.results));
        break;
    case ReadStatus::missing:
        // Gone for good only once it stays gone; an empty list has nothing to protect.
        if (m_results.isEmpty() || m_confirmingGone) {
            m_confirmingGone = false;
            accept({});
        } else {
            m_confirmingGone = true;
            m_goneTimer.start();
        }
        break;
    case ReadStatus::unreadable:
    case ReadStatus::malformed:
        // Half-written, truncated or unreadable: keep the last good set.
        m_confirmingGone = false;
        m_goneTimer.stop();
        if (m_gathering)
            accept(m_results);
        break;
    }
}

void MetadataQuery::discard(Results results)
{
    // A large result set takes a while to free; let a worker do it, off the main thread.
    if (results.size() > 1000)
        readPool().start([old = std::move(results)]() mutable { old.clear(); });
}

void MetadataQuery::accept(Results results)
{
    // While updates are disabled the result set stays as it is; the newest set waits.
    if (m_disabled > 0) {
        discard(std::exchange(m_held, std::move(results)));
        m_hasHeld = true;
        return;
    }
    apply(std::move(results));
}

void MetadataQuery::apply(Results results)
{
    // Results kept from the last read are the same objects: compared by address first.
    const bool changed = !std::equal(results.cbegin(), results.cend(), m_results.cbegin(),
        m_results.cend(), [](const auto &a, const auto &b) { return a == b || *a == *b; });
    if (changed || m_gathering)
        std::swap(m_results, results);
    discard(std::move(results));
    if (m_gathering) {
        m_gathering = false;
        Q_EMIT finishGathering();
    } else if (changed) {
        Q_EMIT didUpdate();
    }
}

MetadataQuery::Snapshot MetadataQuery::readSnapshot(
    const QString &storePath, std::optional<qint64> cutoffMs, bool ascending)
{
    return StoreReading().read(storePath, cutoffMs, ascending);
}
