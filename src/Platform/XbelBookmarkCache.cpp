// SPDX-FileCopyrightText: 2026 The Quillmoth developers
// SPDX-License-Identifier: GPL-3.0-or-later

#include "Platform/XbelBookmarkCache.h"

XbelBookmarkCache::EntryPtr XbelBookmarkCache::find(std::string_view bytes) const
{
    const auto found = m_entries.find(bytes);
    return found == m_entries.end() ? nullptr : found->second;
}

void XbelBookmarkCache::add(std::string_view bytes, EntryPtr entry)
{
    m_next.insert_or_assign(bytes, std::move(entry));
}

void XbelBookmarkCache::commit(QByteArray document)
{
    // The new keys view `document`: it is held (shared, not copied) for as long as they live.
    m_entries = std::exchange(m_next, {});
    m_document = std::move(document);
}

void XbelBookmarkCache::abandon()
{
    m_next.clear();
}
