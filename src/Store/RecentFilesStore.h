// SPDX-FileCopyrightText: 2026 The Quillmoth developers
// SPDX-License-Identifier: GPL-3.0-or-later

#pragma once

#include "Model/HiddenLocations.h"
#include "Model/RecentItem.h"
#include "Platform/MetadataQuery.h"

#include <QList>
#include <QLoggingCategory>
#include <QObject>

#include <memory>
#include <optional>

Q_DECLARE_LOGGING_CATEGORY(storeLog)

// The one source of recent items: owns the live query, rebuilds the list at every report and
// publishes it. All of it lives on the main thread.
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
    // The most a report's processing holds the main thread at a time, in milliseconds.
    static constexpr int batchBudgetMs = 8;

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
    void start();
    void queryUpdated();
    void continueBuilding();
    struct ItemBuilder;
    std::unique_ptr<ItemBuilder> m_builder;
    void setItems(QList<RecentItem> items);
    void setIsLoading(bool loading);

    QList<RecentItem> m_items;
    bool m_isLoading = true;
    MetadataQuery *m_query;
};
