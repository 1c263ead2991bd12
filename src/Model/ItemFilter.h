// SPDX-FileCopyrightText: 2026 The Quillmoth developers
// SPDX-License-Identifier: GPL-3.0-or-later

#pragma once

#include <QString>

#include <optional>

// The kind filter; raw values double as the segment titles.
enum class ItemFilter { all, files, folders };

namespace ItemFilters {
inline constexpr ItemFilter allCases[]
    = { ItemFilter::all, ItemFilter::files, ItemFilter::folders };
QString rawValue(ItemFilter filter);
std::optional<ItemFilter> fromRawValue(const QString &raw);
bool passes(ItemFilter filter, bool isFolder);
} // namespace ItemFilters
