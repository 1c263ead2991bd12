// SPDX-FileCopyrightText: 2026 The Quillmoth developers
// SPDX-License-Identifier: GPL-3.0-or-later

#pragma once

#include <optional>
#include <string_view>
#include <vector>

// A strict, single-pass scanner over the store's XML: start and end tags, attributes and text,
// each checked for characters that GBookmarkFile would refuse or read differently. It throws
// GiveUp at anything outside that plain shape (comments, CDATA, doctypes, processing
// instructions, unusual whitespace), so that its caller can leave the input to GLib. Views it
// returns point into the scanned bytes, with entities still escaped.
class XbelScanner
{
public:
    struct GiveUp
    {
    };

    struct Attribute
    {
        std::string_view name;
        std::string_view raw;
    };

    XbelScanner(const char *begin, const char *end);

    // Leading whitespace and an optional "<?xml ...?>" declaration.
    void skipProlog();
    // Only whitespace is left.
    void expectEnd();

    // At '<' of a start tag: reads the name and attributes; `empty` tells "<x/>".
    std::string_view openTag(std::vector<Attribute> &attrs, bool &empty);
    // Expects "</tag>" (optional space before '>').
    void closeTag(std::string_view tag);
    // Text up to the next '<'.
    std::string_view text();
    // Whitespace, then either a child start tag (true) or the close tag of `parent` (false).
    bool nextChild(std::string_view parent);

    // The text of an element with text content only: "<t></t>" has (empty) text, "<t/>" none.
    std::optional<std::string_view> textElement(std::string_view tag, bool empty);
    // An element that must have no content.
    void emptyElement(std::string_view tag, bool empty);

private:
    bool startsWith(std::string_view s) const;
    void skipSpace();
    std::string_view name();
    Attribute attribute();

    const char *m_p;
    const char *m_end;
};
