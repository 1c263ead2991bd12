// SPDX-FileCopyrightText: 2026 The Quillmoth developers
// SPDX-License-Identifier: GPL-3.0-or-later

#include "Platform/XmlEntities.h"

namespace {

struct Entity
{
    std::string_view name;
    char value;
};

constexpr Entity entities[]
    = { { "&amp;", '&' }, { "&lt;", '<' }, { "&gt;", '>' }, { "&quot;", '"' }, { "&apos;", '\'' } };

// The entity that `rest` starts with, or nullptr.
const Entity *entityAt(std::string_view rest)
{
    for (const Entity &e : entities)
        if (rest.starts_with(e.name))
            return &e;
    return nullptr;
}

} // namespace

bool XmlEntities::hasOnlyPredefined(std::string_view raw)
{
    for (size_t at = raw.find('&'); at != std::string_view::npos; at = raw.find('&', at + 1))
        if (!entityAt(raw.substr(at)))
            return false;
    return true;
}

bool XmlEntities::decodeInto(std::string_view raw, std::string &out)
{
    out.reserve(out.size() + raw.size());
    for (size_t i = 0; i < raw.size(); ++i) {
        if (raw[i] != '&') {
            out += raw[i];
            continue;
        }
        const Entity *entity = entityAt(raw.substr(i));
        if (!entity)
            return false;
        out += entity->value;
        i += entity->name.size() - 1;
    }
    return true;
}

std::optional<QString> XmlEntities::decode(std::string_view raw)
{
    if (raw.find('&') == std::string_view::npos)
        return QString::fromUtf8(raw.data(), qsizetype(raw.size()));
    std::string out;
    if (!decodeInto(raw, out))
        return std::nullopt;
    return QString::fromUtf8(out.data(), qsizetype(out.size()));
}
