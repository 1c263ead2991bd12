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
#include <vector>

// What the fast reader made of each <bookmark> element of the last store it read: an element
// whose bytes are unchanged reads the same, so it is not parsed again. Writers rewrite the
// whole store to change one entry, so most elements are found where they were: in the part
// before the first changed byte, or after the last (moved by the change in length). Elements
// elsewhere are found by their bytes when a large part changed (entries reordered). Holds the
// last document (shared, not copied). Used by one reader at a time.
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

    // A read of `document` begins.
    void begin(const QByteArray &document);
    // The last read's element with exactly the bytes at `offset` of the document being read,
    // when the reader can know them without looking: in the unchanged start or end.
    EntryPtr unchangedAt(qsizetype offset, qsizetype &length) const;
    // Whether enough changed that finding elements by their bytes pays.
    bool isWorthSearching() const { return m_changedBytes >= searchFromBytes; }
    // The last read's element with exactly these bytes.
    EntryPtr find(std::string_view bytes);
    // Records an element of the document being read, in order.
    void add(qsizetype offset, qsizetype length, EntryPtr entry);
    // The read succeeded: its elements replace the last read's.
    void commit(QByteArray document);
    // The read gave up: the last committed read stays.
    void abandon();

    qsizetype size() const { return qsizetype(m_elements.size()); }

private:
    struct Element
    {
        qsizetype offset;
        qsizetype length;
        EntryPtr entry;
    };
    // Below this many changed bytes, the few elements in them are parsed: hashing every
    // element to find them would cost more.
    static constexpr qsizetype searchFromBytes = 256 * 1024;

    const Element *elementAt(qsizetype offset) const;

    QByteArray m_document;
    std::vector<Element> m_elements;
    std::unordered_map<std::string_view, EntryPtr> m_byBytes; // made when first needed
    std::vector<Element> m_next;
    qsizetype m_newSize = 0;
    qsizetype m_samePrefix = 0;
    qsizetype m_sameSuffix = 0;
    qsizetype m_changedBytes = 0;
};
