// SPDX-FileCopyrightText: 2026 The Quillmoth developers
// SPDX-License-Identifier: GPL-3.0-or-later

#include "Model/ItemFilter.h"

QString ItemFilters::rawValue(ItemFilter filter)
{
    switch (filter) {
    case ItemFilter::files:
        return QStringLiteral("Files");
    case ItemFilter::folders:
        return QStringLiteral("Folders");
    case ItemFilter::all:
        break;
    }
    return QStringLiteral("All");
}

std::optional<ItemFilter> ItemFilters::fromRawValue(const QString &raw)
{
    for (ItemFilter filter : allCases)
        if (rawValue(filter) == raw)
            return filter;
    return std::nullopt;
}

bool ItemFilters::passes(ItemFilter filter, bool isFolder)
{
    switch (filter) {
    case ItemFilter::files:
        return !isFolder;
    case ItemFilter::folders:
        return isFolder;
    case ItemFilter::all:
        break;
    }
    return true;
}
