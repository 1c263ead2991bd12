// SPDX-FileCopyrightText: 2026 The Quillmoth developers
// SPDX-License-Identifier: GPL-3.0-or-later

#pragma once

// Checks of the store's raw bytes before any of them become strings: valid UTF-8 with none of
// the characters that GBookmarkFile would refuse or read differently. Each is one pass over the
// bytes; the full UTF-8 decoding runs only where non-ASCII bytes occur.
namespace Utf8Check {

// Valid UTF-8 (no overlong forms, surrogates or noncharacters U+FFFE and U+FFFF) with no control
// characters but tab, line feed and carriage return.
bool isPlainUtf8(const unsigned char *begin, const unsigned char *end);

// Element text: plain UTF-8 without carriage return (which XML turns into line feed) and
// without '>'.
bool isAllowedText(const char *begin, const char *end);

// An attribute value: plain UTF-8 with no control character at all (XML turns them into
// spaces) and no '<'.
bool isAllowedAttributeValue(const char *begin, const char *end);

} // namespace Utf8Check
