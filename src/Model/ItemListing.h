// SPDX-FileCopyrightText: 2026 The Quillmoth developers
// SPDX-License-Identifier: GPL-3.0-or-later

#pragma once

#include "Model/DayGroup.h"
#include "Model/FolderFilter.h"
#include "Model/ItemFilter.h"

// What the list shows, derived afresh from the store's items and the view's filter state.
namespace ItemListing {
// The items that pass the folder filter, in their order (the header counts these).
QList<RecentItem> filteredItems(const QList<RecentItem> &items, const FolderFilter &folderFilter);

// Kind filter and search applied to the folder-filtered items, split into day sections.
QList<DayGroup> groups(const QList<RecentItem> &items, const FolderFilter &folderFilter,
    const QString &searchText, ItemFilter filter, const QDateTime &now, const Calendar &calendar);

// The search text as matched: spaces and tabs trimmed at both ends, lower-cased.
QString searchQuery(const QString &searchText);
bool matches(const RecentItem &item, const QString &query);
} // namespace ItemListing
