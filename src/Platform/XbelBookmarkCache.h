// SPDX-FileCopyrightText: 2026 The Quillmoth developers
// SPDX-License-Identifier: GPL-3.0-or-later

#pragma once

#include "Platform/StoreBookmark.h"

#include <QByteArray>

#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <unordered_map>

// What the fast reader made of each <bookmark> element of the last store it read, keyed by the
// element's exact bytes: an element whose bytes are unchanged reads the same, so it is not
// parsed again. Keys view the document they came from, which the cache holds, so it costs no
// copy of the store. Used by one reader at a time.
class XbelBookmarkCache
{
public:
    struct Entry
    {
        std::string href; // decoded
        qint64 lastUsed = 0;
        // Only for entries used at or after the reader's minimum when they were parsed.
        std::optional<StoreBookmark> bookmark;
    };
    using EntryPtr = std::shared_ptr<const Entry>;

    // The entry for exactly these bytes, from the last committed read.
    EntryPtr find(std::string_view bytes) const;
    // Records an element of the document being read; `bytes` must view `document` of commit().
    void add(std::string_view bytes, EntryPtr entry);
    // The read succeeded: its elements replace the last read's.
    void commit(QByteArray document);
    // The read gave up: the last committed read stays.
    void abandon();

    qsizetype size() const { return qsizetype(m_entries.size()); }

private:
    using Map = std::unordered_map<std::string_view, EntryPtr>;
    QByteArray m_document;
    Map m_entries;
    Map m_next;
};
