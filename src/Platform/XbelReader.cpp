// SPDX-FileCopyrightText: 2026 The Quillmoth developers
// SPDX-License-Identifier: GPL-3.0-or-later

#include "Platform/XbelReader.h"

#include <QDateTime>

XbelReader::Result XbelReader::read(
    const QByteArray &data, std::optional<qint64> minimumLastUsed, XbelBookmarkCache *cache)
{
    if (std::optional<QList<StoreBookmark>> fast
        = readFast(data, QDateTime::currentMSecsSinceEpoch(), minimumLastUsed, cache)) {
        Result result;
        result.ok = true;
        result.usedFastPath = true;
        result.bookmarks = std::move(*fast);
        return result;
    }
    Result result = readWithGLib(data);
    if (minimumLastUsed)
        result.bookmarks.removeIf(
            [&](const StoreBookmark &b) { return b.lastUsed() < minimumLastUsed; });
    return result;
}
