// SPDX-FileCopyrightText: 2026 The Quillmoth developers
// SPDX-License-Identifier: GPL-3.0-or-later

#pragma once

#include "Platform/Utf8Check.h"
#include "Platform/XmlEntities.h"

#include <array>
#include <cstring>
#include <optional>
#include <string_view>
#include <vector>

// A strict, single-pass scanner over the store's XML: start and end tags, attributes and text,
// each checked for characters that GBookmarkFile would refuse or read differently. It throws
// GiveUp at anything outside that plain shape (comments, CDATA, doctypes, processing
// instructions, unusual whitespace), so that its caller can leave the input to GLib. Views it
// returns point into the scanned bytes, with entities still escaped.
//
// Defined inline below: the store reader calls these for every element of stores with tens of
// thousands of entries, and inlining them into it (with the tag names it passes as constants)
// is a good part of its speed.
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

    // The raw text of an element with text content only, its entities checked: "<t></t>" has
    // (empty) text, "<t/>" none.
    std::optional<std::string_view> textElement(std::string_view tag, bool empty);
    // An element that must have no content.
    void emptyElement(std::string_view tag, bool empty);

    // Where the scanner stands, and a jump ahead past input known to read the same as before.
    const char *position() const { return m_p; }
    const char *end() const { return m_end; }
    void skipTo(const char *p) { m_p = p; }

private:
    static bool isSpace(char c);
    static bool isNameStart(char c);
    static bool isNameChar(char c);
    static bool isBlank(std::string_view s);
    const char *skipIndentation(const char *p) const;
    const char *valueEnd(char quote) const;
    bool startsWith(std::string_view s) const;
    void skipSpace();
    std::string_view name();
    Attribute attribute();

    const char *m_p;
    const char *m_end;
};

inline bool XbelScanner::isSpace(char c)
{
    return c == ' ' || c == '\t' || c == '\n' || c == '\r';
}

namespace XbelScannerDetail {
// Per byte: 1 when it may start a name, 2 when it may continue one. A table, because names
// are most of what the scanner reads byte by byte.
constexpr std::array<unsigned char, 256> nameBytes = [] {
    std::array<unsigned char, 256> table {};
    for (int c = 0; c < 256; ++c) {
        const bool start = (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') || c == '_' || c == ':';
        const bool more = start || (c >= '0' && c <= '9') || c == '-' || c == '.';
        table[size_t(c)] = (start ? 1 : 0) | (more ? 2 : 0);
    }
    return table;
}();
} // namespace XbelScannerDetail

inline bool XbelScanner::isNameStart(char c)
{
    return XbelScannerDetail::nameBytes[static_cast<unsigned char>(c)] & 1;
}

inline bool XbelScanner::isNameChar(char c)
{
    return XbelScannerDetail::nameBytes[static_cast<unsigned char>(c)] & 2;
}

inline bool XbelScanner::isBlank(std::string_view s)
{
    for (char c : s)
        if (!isSpace(c))
            return false;
    return true;
}

// Past the spaces, tabs and line feeds at p: a store's indentation, between every two tags.
inline const char *XbelScanner::skipIndentation(const char *p) const
{
#ifdef __SSE2__
    for (; m_end - p >= 16; p += 16) {
        const __m128i x = _mm_loadu_si128(reinterpret_cast<const __m128i *>(p));
        const __m128i blank = _mm_or_si128(_mm_cmpeq_epi8(x, _mm_set1_epi8(' ')),
            _mm_or_si128(
                _mm_cmpeq_epi8(x, _mm_set1_epi8('\n')), _mm_cmpeq_epi8(x, _mm_set1_epi8('\t'))));
        const unsigned other = ~unsigned(_mm_movemask_epi8(blank)) & 0xffffu;
        if (other)
            return p + __builtin_ctz(other);
    }
#endif
    while (p < m_end && (*p == ' ' || *p == '\n' || *p == '\t'))
        ++p;
    return p;
}

// The closing quote of the attribute value that starts at m_p, its bytes checked on the way
// (one pass over each byte, where finding the quote and checking were two).
inline const char *XbelScanner::valueEnd(char quote) const
{
    const char *p = m_p;
#ifdef __SSE2__
    unsigned bad = 0, high = 0;
    for (; m_end - p >= 16; p += 16) {
        const __m128i x = _mm_loadu_si128(reinterpret_cast<const __m128i *>(p));
        const unsigned quotes
            = unsigned(_mm_movemask_epi8(_mm_cmpeq_epi8(x, _mm_set1_epi8(quote))));
        // Only the bytes before the quote, when there is one here.
        const unsigned mask = quotes ? (quotes & -quotes) - 1 : 0xffffu;
        bad |= unsigned(_mm_movemask_epi8(Utf8Check::Detail::disallowedBytes<true>(x))) & mask;
        high |= unsigned(_mm_movemask_epi8(x)) & mask;
        if (quotes) {
            p += __builtin_ctz(quotes);
            if (bad || (high && !Utf8Check::isAllowedAttributeValue(m_p, p)))
                throw GiveUp {};
            return p;
        }
    }
    if (bad)
        throw GiveUp {};
#endif
    const void *close = memchr(p, quote, size_t(m_end - p));
    if (!close || !Utf8Check::isAllowedAttributeValue(m_p, static_cast<const char *>(close)))
        throw GiveUp {};
    return static_cast<const char *>(close);
}

inline XbelScanner::XbelScanner(const char *begin, const char *end)
    : m_p(begin)
    , m_end(end)
{
}

inline void XbelScanner::skipProlog()
{
    skipSpace();
    if (startsWith("<?xml")) {
        const std::string_view rest(m_p, size_t(m_end - m_p));
        const size_t close = rest.find("?>");
        if (close == std::string_view::npos
            || !Utf8Check::isAllowedAttributeValue(m_p + 5, m_p + close))
            throw GiveUp {};
        m_p += close + 2;
    }
    skipSpace();
}

inline void XbelScanner::expectEnd()
{
    skipSpace();
    if (m_p != m_end)
        throw GiveUp {};
}

inline std::string_view XbelScanner::openTag(std::vector<Attribute> &attrs, bool &empty)
{
    attrs.clear();
    if (m_p >= m_end || *m_p != '<')
        throw GiveUp {};
    ++m_p;
    const std::string_view tag = name();
    for (;;) {
        const char *beforeSpace = m_p;
        skipSpace();
        if (m_p >= m_end)
            throw GiveUp {};
        if (*m_p == '>' || *m_p == '/') {
            empty = *m_p == '/';
            if (empty && (m_p + 1 >= m_end || m_p[1] != '>'))
                throw GiveUp {};
            m_p += empty ? 2 : 1;
            return tag;
        }
        // Attributes are separated by whitespace.
        if (beforeSpace == m_p)
            throw GiveUp {};
        const Attribute a = attribute();
        for (const Attribute &other : attrs)
            if (other.name == a.name)
                throw GiveUp {};
        attrs.push_back(a);
    }
}

// name="value" or name='value'.
inline XbelScanner::Attribute XbelScanner::attribute()
{
    Attribute a;
    a.name = name();
    if (m_p + 1 >= m_end || *m_p != '=' || (m_p[1] != '"' && m_p[1] != '\''))
        throw GiveUp {};
    const char quote = m_p[1];
    m_p += 2;
    const char *start = m_p;
    m_p = valueEnd(quote);
    a.raw = std::string_view(start, size_t(m_p - start));
    ++m_p;
    return a;
}

inline void XbelScanner::closeTag(std::string_view tag)
{
    // Mostly "</tag>" exactly: the name cannot run on past the '>'.
    const size_t plain = tag.size() + 3;
    if (size_t(m_end - m_p) >= plain && m_p[0] == '<' && m_p[1] == '/'
        && std::memcmp(m_p + 2, tag.data(), tag.size()) == 0 && m_p[plain - 1] == '>') {
        m_p += plain;
        return;
    }
    if (!startsWith("</"))
        throw GiveUp {};
    m_p += 2;
    if (name() != tag)
        throw GiveUp {};
    skipSpace();
    if (m_p >= m_end || *m_p != '>')
        throw GiveUp {};
    ++m_p;
}

inline std::string_view XbelScanner::text()
{
    const char *start = m_p;
    const void *open = memchr(m_p, '<', size_t(m_end - m_p));
    if (!open)
        throw GiveUp {};
    m_p = static_cast<const char *>(open);
    if (!Utf8Check::isAllowedText(start, m_p, m_end))
        throw GiveUp {};
    return std::string_view(start, size_t(m_p - start));
}

inline bool XbelScanner::nextChild(std::string_view parent)
{
    // Mostly spaces, tabs and line feeds up to the next tag, which need no further check;
    // anything else takes the full check of text.
    const char *p = skipIndentation(m_p);
    if (p < m_end && *p == '<')
        m_p = p;
    else if (!isBlank(text()))
        throw GiveUp {};
    if (startsWith("</")) {
        closeTag(parent);
        return false;
    }
    if (m_p + 1 < m_end && (m_p[1] == '!' || m_p[1] == '?'))
        throw GiveUp {};
    return true;
}

inline std::optional<std::string_view> XbelScanner::textElement(std::string_view tag, bool empty)
{
    if (empty)
        return std::nullopt;
    const std::string_view raw = text();
    closeTag(tag);
    if (!XmlEntities::hasOnlyPredefined(raw))
        throw GiveUp {};
    return raw;
}

inline void XbelScanner::emptyElement(std::string_view tag, bool empty)
{
    if (!empty && nextChild(tag))
        throw GiveUp {};
}

inline bool XbelScanner::startsWith(std::string_view s) const
{
    return size_t(m_end - m_p) >= s.size() && std::string_view(m_p, s.size()) == s;
}

inline void XbelScanner::skipSpace()
{
    while (m_p < m_end && isSpace(*m_p))
        ++m_p;
}

inline std::string_view XbelScanner::name()
{
    const char *start = m_p;
    if (m_p >= m_end || !isNameStart(*m_p))
        throw GiveUp {};
    ++m_p;
#ifdef __SSE2__
    // Sixteen bytes at a time: the same classes as the table, by ranges.
    const auto within = [](__m128i x, char low, char count) {
        const __m128i offset = _mm_sub_epi8(x, _mm_set1_epi8(low));
        return _mm_cmpeq_epi8(_mm_min_epu8(offset, _mm_set1_epi8(char(count - 1))), offset);
    };
    for (; m_end - m_p >= 16; m_p += 16) {
        const __m128i x = _mm_loadu_si128(reinterpret_cast<const __m128i *>(m_p));
        const __m128i letter = within(_mm_or_si128(x, _mm_set1_epi8(0x20)), 'a', 26);
        const __m128i digitOrColon = within(x, '0', 11);
        const __m128i dashOrDot = within(x, '-', 2);
        const __m128i underscore = _mm_cmpeq_epi8(x, _mm_set1_epi8('_'));
        const __m128i nameByte
            = _mm_or_si128(_mm_or_si128(letter, digitOrColon), _mm_or_si128(dashOrDot, underscore));
        const unsigned other = ~unsigned(_mm_movemask_epi8(nameByte)) & 0xffffu;
        if (other) {
            m_p += __builtin_ctz(other);
            return std::string_view(start, size_t(m_p - start));
        }
    }
#endif
    while (m_p < m_end && isNameChar(*m_p))
        ++m_p;
    return std::string_view(start, size_t(m_p - start));
}
