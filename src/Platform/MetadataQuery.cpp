// SPDX-FileCopyrightText: 2026 The Quillmoth developers
// SPDX-License-Identifier: GPL-3.0-or-later

#include "Platform/MetadataQuery.h"

#include "Model/FileUrl.h"
#include "Platform/FileUri.h"
#include "Platform/StoreWatcher.h"
#include "Platform/XbelReader.h"

#include <QElapsedTimer>
#include <QFile>
#include <QStandardPaths>
#include <QtConcurrent/QtConcurrentMap>
#include <QtConcurrent/QtConcurrentRun>

#include <algorithm>
#include <cerrno>

namespace {

// Pools whose threads, once started, wait for work instead of ending after a while: an idle
// program then wakes up for nothing at all. Reading gets one pool, the file look-ups another,
// because a read waits for its look-ups and must never wait for its own pool.
QThreadPool &pool(int which)
{
    static QThreadPool *pools = [] {
        auto *p = new QThreadPool[2];
        for (int i = 0; i < 2; ++i)
            p[i].setExpiryTimeout(-1);
        return p;
    }();
    return pools[which];
}

QThreadPool &readPool()
{
    return pool(0);
}

QThreadPool &lookupPool()
{
    return pool(1);
}

using ReadStatus = MetadataQuery::ReadStatus;

// The store's bytes; `status` says whether they were read, and if not, why.
QByteArray readStoreFile(const QString &storePath, ReadStatus &status)
{
    QFile file(storePath);
    if (!file.open(QIODevice::ReadOnly)) {
        status = file.exists() ? ReadStatus::unreadable : ReadStatus::missing;
        return {};
    }
    QByteArray data = file.readAll();
    status = file.error() == QFileDevice::NoError ? ReadStatus::ok : ReadStatus::unreadable;
    return data;
}

// One item per entry used at or after the cutoff, with what the entry itself tells.
QList<std::shared_ptr<MetadataItem>> itemsFrom(
    const QList<StoreBookmark> &bookmarks, std::optional<qint64> cutoffMs)
{
    QList<std::shared_ptr<MetadataItem>> items;
    items.reserve(bookmarks.size());
    for (const StoreBookmark &bookmark : bookmarks) {
        auto item = std::make_shared<MetadataItem>();
        item->lastUsed = bookmark.lastUsed();
        if (cutoffMs && item->lastUsed && *item->lastUsed < *cutoffMs)
            continue;
        const std::optional<LocalFile> file = localFileFromUri(bookmark.href);
        if (file)
            item->path = file->path;
        // A name that is not UTF-8 is found by its bytes, which only the URL can carry.
        if (file && !file->nativePath.isEmpty())
            item->url = fileUrl(file->nativePath);
        // The file's own name, never the bookmark's title: any program can write a title, and
        // it could make one file look like another.
        if (item->path)
            item->displayName = displayBasename(*item->path);
        items.append(std::move(item));
    }
    return items;
}

// One look-up per location, spread over the cores: this is where a large store's reading waits
// on the file system.
void lookUpAttributes(QList<std::shared_ptr<MetadataItem>> &items)
{
    QtConcurrent::blockingMap(&lookupPool(), items, [](const std::shared_ptr<MetadataItem> &item) {
        if (item->path)
            item->attributes = item->url ? FileAttributes::lookup(nativePath(*item->url))
                                         : FileAttributes::lookup(*item->path);
        item->attributesRead = true;
        if (item->attributes && !item->url)
            item->url = fileUrl(*item->path);
        if (!item->lastUsed && item->attributes)
            item->contentChange = item->attributes->modificationTime;
    });
}

// Newest first (or oldest first); results without a last-used date go last.
void sortByLastUsed(MetadataQuery::Results &results, bool ascending)
{
    std::stable_sort(results.begin(), results.end(),
        [ascending](const std::shared_ptr<const MetadataItem> &a,
            const std::shared_ptr<const MetadataItem> &b) {
            if (!a->lastUsed || !b->lastUsed)
                return a->lastUsed.has_value() && !b->lastUsed.has_value();
            return ascending ? *a->lastUsed < *b->lastUsed : *a->lastUsed > *b->lastUsed;
        });
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
    m_settle.setSingleShot(true);
    m_settle.setInterval(settleMs);
    connect(&m_settle, &QTimer::timeout, this, &MetadataQuery::startRead);
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
    }
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

void MetadataQuery::storeChanged()
{
    if (!m_started)
        return;
    // Coalesce a burst: read once it has been quiet for settleMs, but no later than maxHoldMs
    // after it began.
    const qint64 now = QDateTime::currentMSecsSinceEpoch();
    if (m_burstStart < 0)
        m_burstStart = now;
    if (now - m_burstStart >= maxHoldMs)
        startRead();
    else
        m_settle.start();
}

void MetadataQuery::startRead()
{
    m_settle.stop();
    m_burstStart = -1;
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
        &readPool(), &MetadataQuery::readSnapshot, m_storePath, cutoff, m_ascending));
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

    switch (snapshot.status) {
    case ReadStatus::ok:
        m_confirmingGone = false;
        m_goneTimer.stop();
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
    const bool changed = !std::equal(results.cbegin(), results.cend(), m_results.cbegin(),
        m_results.cend(), [](const auto &a, const auto &b) { return *a == *b; });
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
    Snapshot snapshot;
    const QByteArray data = readStoreFile(storePath, snapshot.status);
    if (snapshot.status != ReadStatus::ok)
        return snapshot;
    const XbelReader::Result read = XbelReader::read(data, cutoffMs);
    if (!read.ok) {
        snapshot.status = ReadStatus::malformed;
        return snapshot;
    }
    QList<std::shared_ptr<MetadataItem>> items = itemsFrom(read.bookmarks, cutoffMs);
    lookUpAttributes(items);
    snapshot.results.reserve(items.size());
    for (std::shared_ptr<MetadataItem> &item : items)
        snapshot.results.append(std::move(item));
    sortByLastUsed(snapshot.results, ascending);
    return snapshot;
}
