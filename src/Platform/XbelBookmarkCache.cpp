// SPDX-FileCopyrightText: 2026 The Quillmoth developers
// SPDX-License-Identifier: GPL-3.0-or-later

#include "Platform/XbelBookmarkCache.h"

#include <algorithm>
#include <cstring>

namespace {

// Block by block with memcmp (fast), then byte by byte within the block that differs.
constexpr qsizetype compareBlock = 4096;

qsizetype samePrefixLength(const char *a, const char *b, qsizetype size)
{
    qsizetype same = 0;
    while (same + compareBlock <= size && std::memcmp(a + same, b + same, compareBlock) == 0)
        same += compareBlock;
    while (same < size && a[same] == b[same])
        ++same;
    return same;
}

qsizetype sameSuffixLength(const char *aEnd, const char *bEnd, qsizetype size)
{
    qsizetype same = 0;
    while (same + compareBlock <= size
        && std::memcmp(aEnd - same - compareBlock, bEnd - same - compareBlock, compareBlock) == 0)
        same += compareBlock;
    while (same < size && aEnd[-1 - same] == bEnd[-1 - same])
        ++same;
    return same;
}

} // namespace

void XbelBookmarkCache::begin(const QByteArray &document)
{
    m_next.clear();
    m_next.reserve(m_elements.size() + 16);
    m_newSize = document.size();
    const qsizetype common = std::min(m_newSize, m_document.size());
    const char *a = m_document.constData();
    const char *b = document.constData();
    m_samePrefix = samePrefixLength(a, b, common);
    // The end, not reaching into the start (the document may have grown or shrunk).
    m_sameSuffix = sameSuffixLength(a + m_document.size(), b + m_newSize, common - m_samePrefix);
    m_changedBytes = m_newSize - m_samePrefix - m_sameSuffix;
}

std::size_t XbelBookmarkCache::indexAt(qsizetype offset) const
{
    const auto found = std::lower_bound(m_elements.cbegin(), m_elements.cend(), offset,
        [](const Element &e, qsizetype at) { return e.offset < at; });
    return found != m_elements.cend() && found->offset == offset
        ? std::size_t(found - m_elements.cbegin())
        : m_elements.size();
}

XbelBookmarkCache::EntryPtr XbelBookmarkCache::unchangedAt(qsizetype offset, qsizetype &length)
{
    m_run = m_elements.size();
    if (offset < m_samePrefix) {
        const std::size_t index = indexAt(offset);
        if (index == m_elements.size() || offset + m_elements[index].length > m_samePrefix)
            return nullptr;
        m_run = index;
        m_runInEnd = false;
    } else {
        if (offset < m_newSize - m_sameSuffix)
            return nullptr;
        // In the unchanged end, which starts at the same distance from the old document's end.
        m_run = indexAt(offset - m_newSize + m_document.size());
        m_runInEnd = true;
        if (m_run == m_elements.size())
            return nullptr;
    }
    length = m_elements[m_run].length;
    return m_elements[m_run].entry;
}

XbelBookmarkCache::EntryPtr XbelBookmarkCache::nextInRun(qsizetype &offset, qsizetype &length)
{
    if (m_run + 1 >= m_elements.size())
        return nullptr;
    const Element &next = m_elements[m_run + 1];
    // The unchanged end runs to the document's end; the start only to its first change.
    if (next.afterUncached || (!m_runInEnd && next.offset + next.length > m_samePrefix))
        return nullptr;
    ++m_run;
    offset = m_runInEnd ? next.offset + m_newSize - m_document.size() : next.offset;
    length = next.length;
    return next.entry;
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

void XbelBookmarkCache::add(qsizetype offset, qsizetype length, EntryPtr entry, bool afterUncached)
{
    m_next.push_back({ offset, length, std::move(entry), afterUncached });
}

void XbelBookmarkCache::commit(QByteArray document)
{
    m_elements = std::exchange(m_next, {});
    m_byBytes.clear();
    m_retired = std::exchange(m_document, std::move(document));
}

void XbelBookmarkCache::abandon()
{
    m_next.clear();
}
