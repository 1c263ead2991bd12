// SPDX-FileCopyrightText: 2026 The Quillmoth developers
// SPDX-License-Identifier: GPL-3.0-or-later

#pragma once

#include <algorithm>
#include <cstddef>
#include <functional>
#include <string_view>
#include <utility>
#include <vector>

// The hrefs one read has seen, to refuse a store that names a location twice. One flat table
// of views with their hashes: a store of 100,000 entries inserts 100,000 of them per read, and
// a node per insert (as std::unordered_set makes) costs more than the rest of taking an
// unchanged entry. The viewed bytes must outlive the set.
class HrefSet
{
public:
    static std::size_t hashOf(std::string_view href)
    {
        return std::hash<std::string_view> {}(href);
    }

    void reserve(std::size_t count)
    {
        std::size_t capacity = 16;
        while (capacity < count * 2)
            capacity *= 2;
        if (capacity > m_slots.size())
            rehash(capacity);
    }

    // False when the href was there already.
    bool insert(std::string_view href, std::size_t hash)
    {
        if ((m_size + 1) * 2 > m_slots.size())
            rehash(std::max<std::size_t>(16, m_slots.size() * 2));
        const std::size_t mask = m_slots.size() - 1;
        for (std::size_t i = hash & mask;; i = (i + 1) & mask) {
            Slot &slot = m_slots[i];
            if (!slot.used) {
                slot = { hash, href, true };
                ++m_size;
                return true;
            }
            if (slot.hash == hash && slot.href == href)
                return false;
        }
    }

    bool contains(std::string_view href, std::size_t hash) const
    {
        if (m_size == 0)
            return false;
        const std::size_t mask = m_slots.size() - 1;
        for (std::size_t i = hash & mask; m_slots[i].used; i = (i + 1) & mask)
            if (m_slots[i].hash == hash && m_slots[i].href == href)
                return true;
        return false;
    }

private:
    struct Slot
    {
        std::size_t hash = 0;
        std::string_view href;
        bool used = false;
    };

    void rehash(std::size_t capacity)
    {
        std::vector<Slot> old = std::exchange(m_slots, std::vector<Slot>(capacity));
        m_size = 0;
        for (const Slot &slot : old)
            if (slot.used)
                insert(slot.href, slot.hash);
    }

    std::vector<Slot> m_slots;
    std::size_t m_size = 0;
};
