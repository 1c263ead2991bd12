// SPDX-FileCopyrightText: 2026 The Quillmoth developers
// SPDX-License-Identifier: GPL-3.0-or-later

#pragma once

#include "Platform/StoreBookmark.h"

#include <QByteArray>
#include <QList>

class XbelBookmarkCache;

// Reads the recently-used store (XBEL). Accepts and rejects exactly what GLib's GBookmarkFile
// does: a fast reader handles the shape that desktop writers produce, and anything outside it
// goes to GBookmarkFile itself.
namespace XbelReader {

struct Result
{
    bool ok = false;
    QList<StoreBookmark> bookmarks;
    bool usedFastPath = false;
    QString error;
};

// With `minimumLastUsed`, entries last used before it are checked but left out of the result.
// With a cache, bookmarks whose bytes are those of the cache's last read are not parsed again.
Result read(const QByteArray &data, std::optional<qint64> minimumLastUsed = std::nullopt,
    XbelBookmarkCache *cache = nullptr);

// The reference: GBookmarkFile alone.
Result readWithGLib(const QByteArray &data);

// The fast reader alone; nullopt when the input is outside what it understands.
std::optional<QList<StoreBookmark>> readFast(const QByteArray &data, qint64 nowMSecs,
    std::optional<qint64> minimumLastUsed = std::nullopt, XbelBookmarkCache *cache = nullptr);

} // namespace XbelReader
