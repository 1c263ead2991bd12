// SPDX-FileCopyrightText: 2026 The Quillmoth developers
// SPDX-License-Identifier: GPL-3.0-or-later

#pragma once

#include "Platform/StoreBookmark.h"

#include <QByteArray>

#include <cstddef>
#include <cstdint>

#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <unordered_map>
#include <utility>
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
        // The decoded href: where it stands within the element's bytes, or (only when it had
        // entities) a copy. Most elements then need no string of their own.
        std::string decodedHref;
        std::uint32_t hrefAt = 0;
        std::uint32_t hrefLength = 0;
        std::size_t hrefHash = 0; // HrefSet::hashOf(href), made once
        qint64 lastUsed = 0;
        // Only for entries used at or after the reader's minimum when they were parsed.
        std::optional<StoreBookmark> bookmark;

        // The href, for the element's bytes starting at `element`.
        std::string_view href(const char *element) const
        {
            return decodedHref.empty() ? std::string_view(element + hrefAt, hrefLength)
                                       : std::string_view(decodedHref);
        }
    };
    using EntryPtr = std::shared_ptr<const Entry>;

    // A read of `document` begins.
    void begin(const QByteArray &document);
    // The last read's element with exactly the bytes at `offset` of the document being read,
    // when the reader can know them without looking: in the unchanged start or end.
    // It also starts a run: the elements after it in the same unchanged part.
    EntryPtr unchangedAt(qsizetype offset, qsizetype &length);
    // The run's next element (its offset in the document being read) when every byte from the
    // last one to it is unchanged and held no element the cache lacks: what lies between
    // (spaces, a title) then reads as before, as nothing.
    EntryPtr nextInRun(qsizetype &offset, qsizetype &length);
    // Whether enough changed that finding elements by their bytes pays (never in a first read).
    bool isWorthSearching() const
    {
        return m_changedBytes >= searchFromBytes && !m_elements.empty();
    }
    // How many bytes of the document being read lie between its unchanged start and end.
    qsizetype changedBytes() const { return m_changedBytes; }
    // The last read's element with exactly these bytes.
    EntryPtr find(std::string_view bytes);
    // Records an element of the document being read, in order; `afterUncached` tells that a
    // bookmark the cache does not hold came between it and the last one recorded.
    void add(qsizetype offset, qsizetype length, EntryPtr entry, bool afterUncached);
    // The read succeeded: its elements replace the last read's.
    void commit(QByteArray document);
    // The document the last commit replaced, for the caller to read the next one into.
    QByteArray takeRetired() { return std::exchange(m_retired, {}); }
    // The read gave up: the last committed read stays.
    void abandon();

    qsizetype size() const { return qsizetype(m_elements.size()); }

private:
    struct Element
    {
        qsizetype offset;
        qsizetype length;
        EntryPtr entry;
        bool afterUncached;
    };
    // Below this many changed bytes, the few elements in them are parsed: hashing every
    // element to find them would cost more.
    static constexpr qsizetype searchFromBytes = 256 * 1024;

    std::size_t indexAt(qsizetype offset) const;

    QByteArray m_document;
    QByteArray m_retired;
    std::vector<Element> m_elements;
    std::unordered_map<std::string_view, EntryPtr> m_byBytes; // made when first needed
    std::vector<Element> m_next;
    qsizetype m_newSize = 0;
    qsizetype m_samePrefix = 0;
    qsizetype m_sameSuffix = 0;
    qsizetype m_changedBytes = 0;
    std::size_t m_run = 0; // the index of the run's last element, in m_elements
    bool m_runInEnd = false;
};
