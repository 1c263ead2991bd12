// SPDX-FileCopyrightText: 2026 The Quillmoth developers
// SPDX-License-Identifier: GPL-3.0-or-later

#include "Store/RecentFilesStore.h"

#include "Model/Calendar.h"
#include "Model/FileUrl.h"
#include "Model/HiddenLocations.h"
#include "Model/HomeFolder.h"
#include "Platform/FileAttributes.h"

#include <QCoreApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QFileInfo>
#include <QPointer>
#include <QSet>
#include <QStandardPaths>
#include <QThread>
#include <QTimer>
#include <QtConcurrent/QtConcurrentRun>

#include <algorithm>
#include <functional>
#include <limits>
#include <utility>
#include <vector>

namespace {

// The ids of the items taken so far, by a hash made once per item: hashing every item's URL
// again at every build costs more than the rest of taking a kept item. The ids must outlive it.
class SeenIds
{
public:
    explicit SeenIds(qsizetype count)
    {
        size_t capacity = 16;
        while (capacity < size_t(count) * 2)
            capacity *= 2;
        m_slots.resize(capacity);
    }

    // False when the id was there already. At most `count` ids: the table never fills.
    bool insert(const QUrl &id, size_t hash)
    {
        const size_t mask = m_slots.size() - 1;
        for (size_t i = hash & mask;; i = (i + 1) & mask) {
            Slot &slot = m_slots[i];
            if (!slot.id) {
                slot = { hash, &id };
                return true;
            }
            if (slot.hash == hash && *slot.id == id)
                return false;
        }
    }

private:
    struct Slot
    {
        size_t hash = 0;
        const QUrl *id = nullptr;
    };
    std::vector<Slot> m_slots;
};

} // namespace

// Warnings by default: the info line names the user's files, so it shows only when asked for.
Q_LOGGING_CATEGORY(storeLog, QUILLMOTH_APP_ID ".store", QtWarningMsg)

RecentFilesStore::RecentFilesStore(QObject *parent)
    : RecentFilesStore(new MetadataQuery, parent)
{
}

RecentFilesStore::RecentFilesStore(MetadataQuery *query, QObject *parent)
    : QObject(parent)
    , m_query(query)
{
    m_query->setParent(this);
    // Only this store's own query reaches the handler; both notifications go to it.
    connect(m_query, &MetadataQuery::finishGathering, this, &RecentFilesStore::queryUpdated);
    connect(m_query, &MetadataQuery::didUpdate, this, &RecentFilesStore::queryUpdated);
    connect(&m_build, &QFutureWatcher<Built>::finished, this, &RecentFilesStore::published);
    start();

    // Read the user's folders once, off the main thread at low priority, then restart the query
    // on the main thread if the store still exists.
    QPointer<RecentFilesStore> weak(this);
    QThread *thread = QThread::create([weak] {
        primeFileAccess();
        QMetaObject::invokeMethod(
            qApp ? static_cast<QObject *>(qApp) : nullptr,
            [weak] {
                if (RecentFilesStore *store = weak.data()) {
                    store->m_query->stopQuery();
                    store->start();
                }
            },
            Qt::QueuedConnection);
    });
    connect(thread, &QThread::finished, thread, &QObject::deleteLater);
    thread->start(QThread::LowPriority);
}

RecentFilesStore::~RecentFilesStore()
{
    m_query->stopQuery();
    disconnect(m_query, nullptr, this, nullptr);
    // A list still being built touches nothing of the store's; it is waited for so that its
    // copies of the results go with the store.
    m_build.disconnect(this);
    if (m_build.isRunning())
        m_build.waitForFinished();
}

void RecentFilesStore::start()
{
    const std::optional<QDateTime> cutoff
        = Calendar::current().addingDays(QDateTime::currentDateTime(), -windowDays);
    if (!cutoff)
        return;
    m_query->setSearchScopes({ MetadataQuery::Scope::localComputer });
    m_query->setPredicateLastUsedAtOrAfter(*cutoff);
    m_query->setSortByLastUsed(false);
    m_query->startQuery();
}

QStringList RecentFilesStore::primeTargets()
{
    // The user's own folders, under whatever names the session's language gives them
    // (~/Dokumente); one that is switched off points at the home itself and is left out.
    const QString home = standardizedPath(HomeFolder::path());
    QStringList targets;
    for (const QStandardPaths::StandardLocation location : { QStandardPaths::DesktopLocation,
             QStandardPaths::DocumentsLocation, QStandardPaths::DownloadLocation }) {
        const QString folder = standardizedPath(QStandardPaths::writableLocation(location));
        if (!folder.isEmpty() && folder != home && QFileInfo(folder).isDir())
            targets << folder;
    }
    return targets;
}

void RecentFilesStore::primeFileAccess()
{
    for (const QString &target : primeTargets())
        (void)QDir(target).entryList(
            QDir::AllEntries | QDir::Hidden | QDir::System | QDir::NoDotAndDotDot, QDir::Unsorted);
}

std::optional<RecentItem> RecentFilesStore::makeItem(const MetadataItem &result,
    const std::optional<QDateTime> &cutoff, const HiddenLocations &hidden)
{
    const QVariant pathValue = result.valueForAttribute(MetadataAttribute::path);
    if (pathValue.typeId() != QMetaType::QString)
        return std::nullopt;
    const QString path = standardizedPath(pathValue.toString());
    if (hidden.hides(path))
        return std::nullopt;

    QVariant dateValue = result.valueForAttribute(MetadataAttribute::lastUsedDate);
    if (dateValue.typeId() != QMetaType::QDateTime)
        dateValue = result.valueForAttribute(MetadataAttribute::contentChangeDate);
    if (dateValue.typeId() != QMetaType::QDateTime)
        return std::nullopt;
    const QDateTime date = dateValue.toDateTime();

    if (cutoff && date < *cutoff)
        return std::nullopt;

    const std::optional<FileAttributes> attributes
        = result.attributesRead ? result.attributes : FileAttributes::lookup(path);
    if (!attributes || !attributes->name)
        return std::nullopt;
    if (attributes->contentType && conformsToApplication(*attributes->contentType))
        return std::nullopt;

    const bool isFolder = attributes->isDirectory && !attributes->isPackage;
    // Made only now: building a URL costs more than every test above.
    const QUrl url = result.url ? *result.url : fileUrl(path);

    QString name;
    const QVariant nameValue = result.valueForAttribute(MetadataAttribute::displayName);
    if (nameValue.typeId() == QMetaType::QString) {
        name = nameValue.toString();
    } else {
        // The last component without its extension: report.pdf gives report.
        name = url.fileName();
        const qsizetype dot = name.lastIndexOf(QLatin1Char('.'));
        if (dot > 0)
            name.truncate(dot);
    }

    return RecentItem(url, url, name, RecentItem::breadcrumbForPath(path), date, isFolder);
}

RecentFilesStore::Built RecentFilesStore::build(const MetadataQuery::Results &results,
    const std::optional<QDateTime> &cutoff, const HiddenLocations &hidden, Made made,
    quint64 serial)
{
    // Without a cutoff, every date is inside it.
    const qint64 cutoffMs
        = cutoff ? cutoff->toMSecsSinceEpoch() : std::numeric_limits<qint64>::min();
    Built built;
    built.made = std::move(made);
    SeenIds seen(results.size());
    built.items.reserve(results.size());
    std::vector<qint64> dates; // of the items taken, in order
    dates.reserve(size_t(results.size()));
    for (const std::shared_ptr<const MetadataItem> &result : results) {
        if (!result)
            continue;
        // A result kept from the last report makes the same item; only the cutoff moves.
        std::optional<RecentItem> item;
        size_t idHash = 0;
        qint64 dateMs = 0;
        const auto found = built.made.find(result.get());
        if (found != built.made.end()) {
            found->build = serial;
            item = found->item;
            idHash = found->idHash;
            dateMs = found->dateMs;
        } else {
            item = makeItem(*result, std::nullopt, hidden);
            if (item) {
                idHash = qHash(item->id());
                dateMs = item->date().toMSecsSinceEpoch();
            }
            if (result->attributesRead)
                built.made.insert(result.get(), { result, item, idHash, dateMs, serial });
        }
        if (!item || dateMs < cutoffMs)
            continue;
        // One item per location: the id is the standardised URL, however the store spelled it.
        // (The id lives in the item's shared data, which the list keeps.)
        if (!seen.insert(item->id(), idHash))
            continue;
        built.items.append(std::move(*item));
        dates.push_back(dateMs);
    }
    built.made.removeIf([serial](const auto &entry) { return entry.value().build != serial; });
    // The results come newest first already, unless some fell back to their content's date.
    if (!std::is_sorted(dates.cbegin(), dates.cend(), std::greater<>()))
        std::stable_sort(built.items.begin(), built.items.end(),
            [](const RecentItem &a, const RecentItem &b) { return a.date() > b.date(); });
    return built;
}

QList<RecentItem> RecentFilesStore::buildItems(
    const MetadataQuery::Results &results, const std::optional<QDateTime> &cutoff)
{
    return build(results, cutoff, HiddenLocations::current(), {}, 1).items;
}

void RecentFilesStore::queryUpdated()
{
    // Updates stay paused (and the result set frozen) until the list is published.
    if (!m_isBuilding)
        m_query->disableUpdates();
    m_isBuilding = true;
    const HiddenLocations hidden = HiddenLocations::current();
    if (m_madeWith != hidden)
        m_made.clear();
    m_madeWith = hidden;
    // Off the main thread: a list of 100,000 entries must not hold it up for a frame.
    // The table goes with the build, which changes it in place; a build started before this
    // one ends (which is rare) starts from an empty table.
    m_build.setFuture(QtConcurrent::run(
        [results = m_query->results(), made = std::exchange(m_made, {}), hidden,
            cutoff = Calendar::current().addingDays(QDateTime::currentDateTime(), -windowDays),
            serial = ++m_buildSerial]() mutable {
            return build(results, cutoff, hidden, std::move(made), serial);
        }));
}

void RecentFilesStore::published()
{
    if (m_build.isRunning())
        return; // a newer report is being built
    Built built = m_build.future().takeResult();
    m_made = std::move(built.made);
    setItems(std::move(built.items));
    setIsLoading(false);
    m_isBuilding = false;

    // At most 12 names, each cut to a sane length: a store may hold titles of any size.
    QStringList names;
    for (qsizetype i = 0; i < std::min<qsizetype>(12, m_items.size()); ++i) {
        const QString &name = m_items.at(i).name();
        names << (name.size() > maxLoggedNameLength ? name.left(maxLoggedNameLength) + QChar(0x2026)
                                                    : name);
    }
    qCInfo(storeLog, "gathered %ld raw, kept %ld: %s", long(m_query->resultCount()),
        long(m_items.size()), qUtf8Printable(names.join(QStringLiteral(" \u00B7 "))));

    m_query->enableUpdates();
}

void RecentFilesStore::setItems(QList<RecentItem> items)
{
    Q_EMIT itemsAboutToChange();
    m_items = std::move(items);
    Q_EMIT itemsChanged();
}

void RecentFilesStore::setIsLoading(bool loading)
{
    m_isLoading = loading;
    Q_EMIT isLoadingChanged();
}
