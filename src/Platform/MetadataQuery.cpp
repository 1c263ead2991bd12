// SPDX-FileCopyrightText: 2026 The Quillmoth developers
// SPDX-License-Identifier: GPL-3.0-or-later

#include "Platform/MetadataQuery.h"

#include "Platform/DocumentPortal.h"
#include "Platform/FolderWatcher.h"
#include "Platform/PlatformLog.h"
#include "Platform/StoreWatcher.h"

#include <QCoreApplication>
#include <QDir>
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
    : MetadataQuery(std::move(storePath), SandboxStores::homeRoots(QDir::homePath()), parent)
{
}

MetadataQuery::MetadataQuery(
    QString storePath, QList<SandboxStores::Root> sandboxRoots, QObject *parent)
    : QObject(parent)
    , m_storePath(std::move(storePath))
    , m_sandboxRoots(std::move(sandboxRoots))
{
    m_stores << storeFor(m_storePath);
    m_settle.setSingleShot(true);
    m_settle.setInterval(settleMs);
    connect(&m_settle, &QTimer::timeout, this, &MetadataQuery::settled);
    m_goneTimer.setSingleShot(true);
    m_goneTimer.setInterval(goneConfirmMs);
    connect(&m_goneTimer, &QTimer::timeout, this, &MetadataQuery::startRead);
    connect(
        &m_read, &QFutureWatcher<StoreSet::Gathered>::finished, this, &MetadataQuery::readFinished);
}

MetadataQuery::~MetadataQuery()
{
    // A read still running finishes on its own; its result is simply not delivered.
    m_read.disconnect(this);
}

StoreSet::Store MetadataQuery::storeFor(const QString &path)
{
    StoreSet::Store store;
    store.path = path;
    // A look-up given up as stuck that comes back is worth a new read, if the query still is.
    store.reading = std::make_shared<StoreReading>([weak = QPointer<MetadataQuery>(this), path] {
        if (QCoreApplication *app = QCoreApplication::instance())
            QMetaObject::invokeMethod(
                app,
                [weak, path] {
                    if (!weak)
                        return;
                    weak->markChanged(path);
                    weak->storeChanged(true);
                },
                Qt::QueuedConnection);
    });
    return store;
}

QStringList MetadataQuery::storePaths() const
{
    QStringList paths;
    for (const StoreSet::Store &store : m_stores)
        paths << store.path;
    return paths;
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
        connect(m_watcher, &StoreWatcher::changed, this, [this](bool replaced) {
            markChanged(m_storePath);
            storeChanged(replaced);
        });
        m_folders = new FolderWatcher(this);
        // A listed location that changes is read at once, as a replaced store is.
        connect(m_folders, &FolderWatcher::changed, this, [this] {
            for (StoreSet::Store &store : m_stores)
                store.dirty = true;
            storeChanged(true);
        });
        m_portal = new DocumentPortal(this);
        connect(m_portal, &DocumentPortal::learned, this, [this] { storeChanged(true); });
        if (!m_sandboxRoots.isEmpty()) {
            m_sandbox = new SandboxStores(QDir::homePath(), m_sandboxRoots, this);
            connect(m_sandbox, &SandboxStores::storesChanged, this, &MetadataQuery::storesChanged);
            connect(m_sandbox, &SandboxStores::storeChanged, this,
                [this](const QString &path, bool replaced) {
                    markChanged(path);
                    storeChanged(replaced);
                });
        }
    }
    syncSandboxStores();
    m_portal->forgetFailures();
    for (StoreSet::Store &store : m_stores)
        store.dirty = true;
    // A read still running (a restart right after the start) is taken over, not thrown away:
    // it reads the stores as they are now.
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

void MetadataQuery::markChanged(const QString &path)
{
    for (StoreSet::Store &store : m_stores)
        if (store.path == path)
            store.dirty = true;
}

void MetadataQuery::syncSandboxStores()
{
    if (!m_sandbox)
        return;
    // The user's store first, then the apps' in a fixed order: ties go the same way every time.
    const QStringList paths = m_sandbox->stores();
    QList<StoreSet::Store> stores { m_stores.constFirst() };
    for (const QString &path : paths) {
        const auto known = std::find_if(m_stores.cbegin() + 1, m_stores.cend(),
            [&](const StoreSet::Store &store) { return store.path == path; });
        stores << (known != m_stores.cend() ? *known : storeFor(path));
    }
    m_stores = std::move(stores);
}

void MetadataQuery::storesChanged()
{
    // An app's store that went (or now leads outside the home) takes its results with it at
    // once; a new one is read.
    syncSandboxStores();
    storeChanged(true);
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
    m_reading.clear();
    for (const StoreSet::Store &store : std::as_const(m_stores))
        if (store.dirty)
            m_reading << store.path;
    m_read.setFuture(QtConcurrent::run(&readPool(),
        [stores = m_stores, portal = m_portal->paths(), cutoff, ascending = m_ascending] {
            return StoreSet::read(stores, portal, cutoff, ascending);
        }));
    for (StoreSet::Store &store : m_stores)
        store.dirty = false;
}

void MetadataQuery::warnAbout(StoreSet::Store &store, StoreFile::Status status)
{
    // Once per kind of trouble and store, and never the path: it names the user's home.
    if (status == store.lastFileStatus)
        return;
    store.lastFileStatus = status;
    const char *whose = store.path == m_storePath ? "The" : "A sandboxed app's";
    if (status == StoreFile::Status::notRegular)
        qCWarning(
            lcPlatform, "%s recently-used store is not a regular file; it is not read", whose);
    else if (status == StoreFile::Status::tooLarge)
        qCWarning(lcPlatform, "%s recently-used store is larger than %lld MiB; it is not read",
            whose, StoreFile::maxBytes / (1024 * 1024));
}

void MetadataQuery::takeOutcomes(QList<StoreSet::Outcome> outcomes)
{
    for (StoreSet::Outcome &outcome : outcomes) {
        const auto store = std::find_if(m_stores.begin(), m_stores.end(),
            [&](const StoreSet::Store &s) { return s.path == outcome.path; });
        if (store == m_stores.end())
            continue; // its app went meanwhile
        if (outcome.wasRead)
            warnAbout(*store, outcome.fileStatus);
        store->lastGood = std::move(outcome.lastGood);
        store->folders = std::move(outcome.folders);
        store->confirmingGone = outcome.confirmingGone;
        // Read again once the gone store has had its time to come back.
        store->dirty = store->dirty || outcome.confirmingGone;
    }
}

void MetadataQuery::readFinished()
{
    StoreSet::Gathered gathered = m_read.future().takeResult();
    const bool current = m_started && m_readGeneration == m_generation;
    if (current) {
        takeOutcomes(std::move(gathered.stores));
    } else {
        for (const QString &path : std::as_const(m_reading))
            markChanged(path);
    }
    if (m_readPending || (m_started && !current))
        startRead();
    if (!current) {
        discard(std::move(gathered.results));
        return;
    }
    if (!gathered.unknownDocuments.isEmpty())
        m_portal->lookUp(gathered.unknownDocuments);
    if (gathered.anyRead)
        m_folders->setFolders(gathered.folders);
    if (gathered.anyConfirmingGone) {
        // Gone for good only once it stays gone: the read after goneConfirmMs decides.
        if (!m_goneTimer.isActive())
            m_goneTimer.start();
        discard(std::move(gathered.results));
        return;
    }
    m_goneTimer.stop();
    accept(std::move(gathered.results));
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
