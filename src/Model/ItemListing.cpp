// SPDX-FileCopyrightText: 2026 The Quillmoth developers
// SPDX-License-Identifier: GPL-3.0-or-later

#include "Model/ItemListing.h"

QList<RecentItem> ItemListing::filteredItems(
    const QList<RecentItem> &items, const FolderFilter &folderFilter)
{
    QList<RecentItem> kept;
    kept.reserve(items.size());
    for (const RecentItem &item : items)
        if (folderFilter.allows(item.url()))
            kept.append(item);
    return kept;
}

QString ItemListing::searchQuery(const QString &searchText)
{
    // Spaces (any space separator) and tabs count as surrounding whitespace; line breaks stay.
    qsizetype begin = 0;
    qsizetype end = searchText.size();
    auto blank
        = [](QChar c) { return c == QLatin1Char('\t') || c.category() == QChar::Separator_Space; };
    while (begin < end && blank(searchText.at(begin)))
        ++begin;
    while (end > begin && blank(searchText.at(end - 1)))
        --end;
    return searchText.mid(begin, end - begin).toLower();
}

bool ItemListing::matches(const RecentItem &item, const QString &query)
{
    // Both sides are lower-cased already: the item's text when it was made, the query here.
    return query.isEmpty() || item.foldedName().contains(query)
        || item.foldedPath().contains(query);
}

QList<DayGroup> ItemListing::groups(const QList<RecentItem> &items,
    const FolderFilter &folderFilter, const QString &searchText, ItemFilter filter,
    const QDateTime &now, const Calendar &calendar)
{
    const QString query = searchQuery(searchText);
    // One pass, one copy of each shown item: kind, search, then the folder filter.
    QList<RecentItem> kept;
    for (const RecentItem &item : items)
        if (ItemFilters::passes(filter, item.isFolder()) && matches(item, query)
            && folderFilter.allows(item.url()))
            kept.append(item);
    return DayGrouping::group(std::move(kept), now, calendar);
}
