// SPDX-FileCopyrightText: 2026 The Quillmoth developers
// SPDX-License-Identifier: GPL-3.0-or-later

#pragma once

#include "Model/HiddenLocations.h"
#include "Model/RecentItem.h"
#include "Platform/MetadataQuery.h"

#include <QFutureWatcher>
#include <QHash>
#include <QList>
#include <QLoggingCategory>
#include <QObject>

#include <memory>
#include <optional>

Q_DECLARE_LOGGING_CATEGORY(storeLog)

// The one source of recent items: owns the live query, rebuilds the list at every report and
// publishes it. The list is built on a worker thread (the results of the last report are
// reused as they are) and published on the main thread in one step.
class RecentFilesStore : public QObject
{
    Q_OBJECT
public:
    // Starts the query on the user's store and primes the user's folders in the background.
    explicit RecentFilesStore(QObject *parent = nullptr);
    // The same, on a query the caller made (tests point it at their own store).
    explicit RecentFilesStore(MetadataQuery *query, QObject *parent = nullptr);
    ~RecentFilesStore() override;

    const QList<RecentItem> &items() const { return m_items; }
    bool isLoading() const { return m_isLoading; }
    static constexpr int windowDays = 7;
    static constexpr qsizetype maxLoggedNameLength = 200;

    // One raw result to an item, or nothing. The cheap tests come before any file attribute.
    static std::optional<RecentItem> makeItem(const MetadataItem &result,
        const std::optional<QDateTime> &cutoff,
        const HiddenLocations &hidden = HiddenLocations::current());
    // The whole processing of one report: items made, de-duplicated (first wins) and sorted.
    static QList<RecentItem> buildItems(
        const MetadataQuery::Results &results, const std::optional<QDateTime> &cutoff);
    // Lists the user's usual folders once; nothing is kept.
    static void primeFileAccess();
    // The folders primeFileAccess lists, in order.
    static QStringList primeTargets();

    MetadataQuery *query() const { return m_query; }

Q_SIGNALS:
    void itemsAboutToChange();
    void itemsChanged();
    void isLoadingChanged();

private:
    // Each result's item (or none), without the cutoff, kept while the result is. A build
    // takes the table over and changes it where the results did: `build` is the serial of the
    // last build that met the result, and the others leave.
    struct MadeItem
    {
        std::shared_ptr<const MetadataItem> result;
        std::optional<RecentItem> item;
        size_t idHash = 0; // of the item's id, made once
        qint64 dateMs = 0; // the item's date: compared as a number, not as a date
        quint64 build = 0;
    };
    using Made = QHash<const MetadataItem *, MadeItem>;
    struct Built
    {
        QList<RecentItem> items;
        Made made;
    };
    static Built build(const MetadataQuery::Results &results,
        const std::optional<QDateTime> &cutoff, const HiddenLocations &hidden, Made made,
        quint64 serial);

    void start();
    void queryUpdated();
    void published();
    void setItems(QList<RecentItem> items);
    void setIsLoading(bool loading);

    QList<RecentItem> m_items;
    bool m_isLoading = true;
    MetadataQuery *m_query;
    Made m_made; // empty while a build holds it
    quint64 m_buildSerial = 0;
    std::optional<HiddenLocations> m_madeWith;
    bool m_isBuilding = false;
    QFutureWatcher<Built> m_build;
};
