// SPDX-FileCopyrightText: 2026 The Quillmoth developers
// SPDX-License-Identifier: GPL-3.0-or-later

#include "Platform/XmlEntities.h"

namespace {

struct Entity
{
    char value;
    size_t length; // 0: no entity
};

// The entity that `rest` starts with. Literal names, so that each comparison compiles to a few
// instructions: this runs for every '&' of a large store.
Entity entityAt(std::string_view rest)
{
    if (rest.starts_with("&amp;"))
        return { '&', 5 };
    if (rest.starts_with("&lt;"))
        return { '<', 4 };
    if (rest.starts_with("&gt;"))
        return { '>', 4 };
    if (rest.starts_with("&quot;"))
        return { '"', 6 };
    if (rest.starts_with("&apos;"))
        return { '\'', 6 };
    return { 0, 0 };
}

} // namespace

bool XmlEntities::hasOnlyPredefined(std::string_view raw)
{
    for (size_t at = raw.find('&'); at != std::string_view::npos; at = raw.find('&', at + 1))
        if (entityAt(raw.substr(at)).length == 0)
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
        const Entity entity = entityAt(raw.substr(i));
        if (entity.length == 0)
            return false;
        out += entity.value;
        i += entity.length - 1;
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
