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

namespace {

bool isAscii(QStringView text)
{
    for (QChar c : text)
        if (c.unicode() >= 0x80)
            return false;
    return true;
}

// Lower-cased `text` contains the (lower-cased) query. Pure ASCII text lower-cases to itself
// byte for byte, so it is searched case-insensitively in place, without a copy.
bool containsLowered(const QString &text, const QString &query, bool asciiQuery)
{
    if (asciiQuery && isAscii(text))
        return QStringView(text).contains(query, Qt::CaseInsensitive);
    return text.toLower().contains(query);
}

} // namespace

bool ItemListing::matches(const RecentItem &item, const QString &query)
{
    if (query.isEmpty())
        return true;
    const bool asciiQuery = isAscii(query);
    return containsLowered(item.name(), query, asciiQuery)
        || containsLowered(item.path(), query, asciiQuery);
}

QList<DayGroup> ItemListing::groups(const QList<RecentItem> &items,
    const FolderFilter &folderFilter, const QString &searchText, ItemFilter filter,
    const QDateTime &now, const Calendar &calendar)
{
    const QString query = searchQuery(searchText);
    const bool asciiQuery = isAscii(query);
    // One pass, one copy of each shown item: folder filter, kind, then search.
    QList<RecentItem> kept;
    for (const RecentItem &item : items) {
        if (!ItemFilters::passes(filter, item.isFolder()) || !folderFilter.allows(item.url()))
            continue;
        if (query.isEmpty() || containsLowered(item.name(), query, asciiQuery)
            || containsLowered(item.path(), query, asciiQuery))
            kept.append(item);
    }
    return DayGrouping::group(std::move(kept), now, calendar);
}
