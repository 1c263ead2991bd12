// SPDX-FileCopyrightText: 2026 The Quillmoth developers
// SPDX-License-Identifier: GPL-3.0-or-later

#include "Platform/XbelBookmarkCache.h"

#include <algorithm>
#include <cstring>

void XbelBookmarkCache::begin(const QByteArray &document)
{
    m_next.clear();
    m_next.reserve(m_elements.size() + 16);
    m_newSize = document.size();
    const qsizetype common = std::min(m_newSize, m_document.size());
    const char *a = m_document.constData();
    const char *b = document.constData();
    m_samePrefix = std::mismatch(a, a + common, b).first - a;
    // The end, not reaching into the start (the document may have grown or shrunk).
    const qsizetype maxSuffix = common - m_samePrefix;
    const char *aEnd = a + m_document.size();
    const char *bEnd = b + m_newSize;
    // Block by block with memcmp (fast), then byte by byte within the block that differs.
    constexpr qsizetype block = 4096;
    m_sameSuffix = 0;
    while (m_sameSuffix + block <= maxSuffix
        && std::memcmp(aEnd - m_sameSuffix - block, bEnd - m_sameSuffix - block, block) == 0)
        m_sameSuffix += block;
    while (m_sameSuffix < maxSuffix && aEnd[-1 - m_sameSuffix] == bEnd[-1 - m_sameSuffix])
        ++m_sameSuffix;
    m_changedBytes = m_newSize - m_samePrefix - m_sameSuffix;
}

const XbelBookmarkCache::Element *XbelBookmarkCache::elementAt(qsizetype offset) const
{
    const auto found = std::lower_bound(m_elements.cbegin(), m_elements.cend(), offset,
        [](const Element &e, qsizetype at) { return e.offset < at; });
    return found != m_elements.cend() && found->offset == offset ? &*found : nullptr;
}

XbelBookmarkCache::EntryPtr XbelBookmarkCache::unchangedAt(
    qsizetype offset, qsizetype &length) const
{
    if (offset < m_samePrefix) {
        const Element *element = elementAt(offset);
        if (!element || offset + element->length > m_samePrefix)
            return nullptr;
        length = element->length;
        return element->entry;
    }
    const qsizetype suffixStart = m_newSize - m_sameSuffix;
    if (offset < suffixStart)
        return nullptr;
    // In the unchanged end, which starts at the same distance from the old document's end.
    const Element *element = elementAt(offset - m_newSize + m_document.size());
    if (!element)
        return nullptr;
    length = element->length;
    return element->entry;
}

XbelBookmarkCache::EntryPtr XbelBookmarkCache::find(std::string_view bytes)
{
    if (m_byBytes.empty() && !m_elements.empty()) {
        m_byBytes.reserve(m_elements.size());
        for (const Element &e : m_elements)
            m_byBytes.emplace(
                std::string_view(m_document.constData() + e.offset, size_t(e.length)), e.entry);
    }
    const auto found = m_byBytes.find(bytes);
    return found == m_byBytes.end() ? nullptr : found->second;
}

void XbelBookmarkCache::add(qsizetype offset, qsizetype length, EntryPtr entry)
{
    m_next.push_back({ offset, length, std::move(entry) });
}

void XbelBookmarkCache::commit(QByteArray document)
{
    m_elements = std::exchange(m_next, {});
    m_byBytes.clear();
    m_document = std::move(document);
}

void XbelBookmarkCache::abandon()
{
    m_next.clear();
}
