// SPDX-FileCopyrightText: 2026 The Quillmoth developers
// SPDX-License-Identifier: GPL-3.0-or-later

#pragma once

#include <QString>

#include <optional>
#include <string>
#include <string_view>

// The five entities XML predefines (&amp; &lt; &gt; &quot; &apos;), the only ones desktop
// writers use. Anything else after '&' (character references, undeclared entities, a lone '&')
// is refused, so that GBookmarkFile decides.
namespace XmlEntities {

// Whether every '&' in raw starts a predefined entity; builds no string.
bool hasOnlyPredefined(std::string_view raw);

// raw with its entities replaced, as UTF-8 appended to `out`; false at an unknown one.
bool decodeInto(std::string_view raw, std::string &out);

// raw with its entities replaced; nullopt at an unknown one.
std::optional<QString> decode(std::string_view raw);

} // namespace XmlEntities
