#include "Store/RecentFilesStore.h"

#include "Model/Calendar.h"
#include "Model/HomeFolder.h"
#include "Platform/FileAttributes.h"

#include <QCoreApplication>
#include <QDir>
#include <QPointer>
#include <QSet>
#include <QThread>

#include <algorithm>

Q_LOGGING_CATEGORY(storeLog, QUILLMOTH_APP_ID ".store", QtInfoMsg)

RecentFilesStore::RecentFilesStore(QObject *parent) : RecentFilesStore(new MetadataQuery, parent) {}

RecentFilesStore::RecentFilesStore(MetadataQuery *query, QObject *parent)
    : QObject(parent), m_query(query)
{
    m_query->setParent(this);
    // Only this store's own query reaches the handler; both notifications go to it.
    connect(m_query, &MetadataQuery::finishGathering, this, &RecentFilesStore::queryUpdated);
    connect(m_query, &MetadataQuery::didUpdate, this, &RecentFilesStore::queryUpdated);
    start();

    // Read the user's folders once, off the main thread at low priority, then restart the query
    // on the main thread if the store still exists.
    QPointer<RecentFilesStore> weak(this);
    QThread *thread = QThread::create([weak] {
        primeFileAccess();
        QMetaObject::invokeMethod(qApp ? static_cast<QObject *>(qApp) : nullptr, [weak] {
            if (RecentFilesStore *store = weak.data()) {
                store->m_query->stopQuery();
                store->start();
            }
        }, Qt::QueuedConnection);
    });
    connect(thread, &QThread::finished, thread, &QObject::deleteLater);
    thread->start(QThread::LowPriority);
}

RecentFilesStore::~RecentFilesStore()
{
    m_query->stopQuery();
    disconnect(m_query, nullptr, this, nullptr);
}

void RecentFilesStore::start()
{
    const std::optional<QDateTime> cutoff =
        Calendar::current().addingDays(QDateTime::currentDateTime(), -windowDays);
    if (!cutoff)
        return;
    m_query->setSearchScopes({MetadataQuery::Scope::localComputer});
    m_query->setPredicateLastUsedAtOrAfter(*cutoff);
    m_query->setSortByLastUsed(false);
    m_query->startQuery();
}

QStringList RecentFilesStore::primeTargets()
{
    const QString home = HomeFolder::path();
    QStringList targets = {home + QStringLiteral("/Desktop"), home + QStringLiteral("/Documents"),
                           home + QStringLiteral("/Downloads")};
    const QString cloud = home + QStringLiteral("/Library/CloudStorage");
    const QDir cloudDir(cloud);
    if (cloudDir.exists()) {
        const QStringList entries =
            cloudDir.entryList(QDir::AllEntries | QDir::Hidden | QDir::System | QDir::NoDotAndDotDot,
                               QDir::Unsorted);
        for (const QString &name : entries)
            targets << cloud + QLatin1Char('/') + name;
    }
    return targets;
}

void RecentFilesStore::primeFileAccess()
{
    for (const QString &target : primeTargets())
        (void)QDir(target).entryList(QDir::AllEntries | QDir::Hidden | QDir::System | QDir::NoDotAndDotDot,
                                     QDir::Unsorted);
}

std::optional<RecentItem> RecentFilesStore::makeItem(const MetadataItem &result,
                                                     const std::optional<QDateTime> &cutoff)
{
    const QVariant pathValue = result.valueForAttribute(MetadataAttribute::path);
    if (pathValue.typeId() != QMetaType::QString)
        return std::nullopt;
    const QString path = pathValue.toString();

    if (path.contains(QLatin1String("/Library/")) && !path.contains(QLatin1String("/Library/CloudStorage/")))
        return std::nullopt;

    const QUrl url = QUrl::fromLocalFile(path);

    QVariant dateValue = result.valueForAttribute(MetadataAttribute::lastUsedDate);
    if (dateValue.typeId() != QMetaType::QDateTime)
        dateValue = result.valueForAttribute(MetadataAttribute::contentChangeDate);
    if (dateValue.typeId() != QMetaType::QDateTime)
        return std::nullopt;
    const QDateTime date = dateValue.toDateTime();

    if (cutoff && date < *cutoff)
        return std::nullopt;

    const std::optional<FileAttributes> attributes =
        result.attributes ? result.attributes : FileAttributes::lookup(path);
    if (!attributes || !attributes->name)
        return std::nullopt;
    if (attributes->contentType && conformsToApplication(*attributes->contentType))
        return std::nullopt;

    const bool isFolder = attributes->isDirectory && !attributes->isPackage;

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

QList<RecentItem> RecentFilesStore::buildItems(const MetadataQuery::Results &results,
                                              const std::optional<QDateTime> &cutoff)
{
    // Comparing dates in one time spec avoids a local-time conversion per comparison.
    const std::optional<QDateTime> utcCutoff = cutoff ? std::optional(cutoff->toUTC()) : std::nullopt;
    // Keyed by path: the URL is made from it, and hashing URLs costs a serialisation each.
    QSet<QString> seen;
    seen.reserve(results.size());
    QList<RecentItem> collected;
    collected.reserve(results.size());
    for (const auto &result : results) {
        if (!result)
            continue;
        std::optional<RecentItem> candidate = makeItem(*result, utcCutoff);
        if (!candidate)
            continue;
        const QString &path = *result->path; // the candidate's URL is made from it
        if (seen.contains(path))
            continue;
        seen.insert(path);
        collected.append(std::move(*candidate));
    }
    std::stable_sort(collected.begin(), collected.end(),
                     [](const RecentItem &a, const RecentItem &b) { return a.date() > b.date(); });
    return collected;
}

void RecentFilesStore::queryUpdated()
{
    m_query->disableUpdates();

    const std::optional<QDateTime> cutoff =
        Calendar::current().addingDays(QDateTime::currentDateTime(), -windowDays);
    setItems(buildItems(m_query->results(), cutoff));
    setIsLoading(false);

    QStringList names;
    for (qsizetype i = 0; i < std::min<qsizetype>(12, m_items.size()); ++i)
        names << m_items.at(i).name();
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
