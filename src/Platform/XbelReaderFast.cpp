// SPDX-FileCopyrightText: 2026 The Quillmoth developers
// SPDX-License-Identifier: GPL-3.0-or-later

// The fast reader: a strict, single-pass reader for the store's usual shape. It gives up
// (returns nullopt) at anything it does not fully understand, so that GBookmarkFile decides:
// comments, CDATA, doctypes, character references, unusual whitespace, unknown elements or
// attributes, namespace declarations other than the usual ones on the root, non-canonical
// dates, duplicate entries, invalid UTF-8 and every error.
#include "Platform/XbelReader.h"

#include <deque>
#include <unordered_set>

#include <cstring>
#ifdef __SSE2__
#include <emmintrin.h>
#endif
#include <algorithm>
#include <string_view>
#include <vector>

namespace {

constexpr std::string_view bookmarkNamespace
    = "http://www.freedesktop.org/standards/desktop-bookmarks";
constexpr std::string_view mimeNamespace = "http://www.freedesktop.org/standards/shared-mime-info";
constexpr std::string_view metadataOwner = "http://freedesktop.org";

struct GiveUp
{
};

bool isSpace(char c)
{
    return c == ' ' || c == '\t' || c == '\n' || c == '\r';
}

bool isNameStart(char c)
{
    return (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') || c == '_' || c == ':';
}

bool isNameChar(char c)
{
    return isNameStart(c) || (c >= '0' && c <= '9') || c == '-' || c == '.';
}

// Valid UTF-8 with no control characters except tab, line feed and carriage return.
bool plainUtf8(const unsigned char *p, const unsigned char *end)
{
    constexpr quint64 high = 0x8080808080808080ULL;
    constexpr quint64 spaces = 0x2020202020202020ULL;
    while (p < end) {
        // Eight plain ASCII bytes (no byte below 0x20, none at 0x7f) at a time.
        if (end - p >= 8) {
            quint64 w;
            memcpy(&w, p, 8);
            const bool ascii = (w & high) == 0;
            const bool control = ((w - spaces) & ~w & high) != 0;
            const bool del = (((w ^ 0x7f7f7f7f7f7f7f7fULL) - 0x0101010101010101ULL)
                                 & ~(w ^ 0x7f7f7f7f7f7f7f7fULL) & high)
                != 0;
            if (ascii && !control && !del) {
                p += 8;
                continue;
            }
        }
        const unsigned char c = *p;
        if (c < 0x80) {
            if (c < 0x20 && c != '\t' && c != '\n' && c != '\r')
                return false;
            if (c == 0x7f)
                return false;
            ++p;
            continue;
        }
        int extra;
        unsigned int cp;
        if ((c & 0xe0) == 0xc0) {
            extra = 1;
            cp = c & 0x1f;
        } else if ((c & 0xf0) == 0xe0) {
            extra = 2;
            cp = c & 0x0f;
        } else if ((c & 0xf8) == 0xf0) {
            extra = 3;
            cp = c & 0x07;
        } else {
            return false;
        }
        if (end - p <= extra)
            return false;
        for (int i = 1; i <= extra; ++i) {
            if ((p[i] & 0xc0) != 0x80)
                return false;
            cp = (cp << 6) | (p[i] & 0x3f);
        }
        // Overlong forms, surrogates, out-of-range code points and C1 controls.
        if ((extra == 1 && cp < 0x80) || (extra == 2 && cp < 0x800) || (extra == 3 && cp < 0x10000)
            || (cp >= 0xd800 && cp <= 0xdfff) || cp > 0x10ffff || (cp >= 0x80 && cp <= 0x9f)
            || cp == 0xfffe || cp == 0xffff)
            return false;
        p += extra + 1;
    }
    return true;
}

qint64 daysFromCivil(int y, unsigned m, unsigned d)
{
    y -= m <= 2;
    const qint64 era = (y >= 0 ? y : y - 399) / 400;
    const unsigned yoe = unsigned(y - era * 400);
    const unsigned doy = (153 * (m + (m > 2 ? -3 : 9)) + 2) / 5 + d - 1;
    const unsigned doe = yoe * 365 + yoe / 4 - yoe / 100 + doy;
    return era * 146097 + qint64(doe) - 719468;
}

// "YYYY-MM-DDTHH:MM:SSZ" or with six fraction digits; anything else is left to GLib.
qint64 parseTimestamp(std::string_view text)
{
    auto digits = [&text](size_t at, size_t count) {
        int value = 0;
        for (size_t i = at; i < at + count; ++i) {
            if (text[i] < '0' || text[i] > '9')
                throw GiveUp {};
            value = value * 10 + (text[i] - '0');
        }
        return value;
    };
    if (text.size() != 20 && text.size() != 27)
        throw GiveUp {};
    if (text[4] != '-' || text[7] != '-' || text[10] != 'T' || text[13] != ':' || text[16] != ':'
        || text.back() != 'Z')
        throw GiveUp {};
    const int year = digits(0, 4), month = digits(5, 2), day = digits(8, 2);
    const int hour = digits(11, 2), minute = digits(14, 2), second = digits(17, 2);
    int micro = 0;
    if (text.size() == 27) {
        if (text[19] != '.')
            throw GiveUp {};
        micro = digits(20, 6);
    }
    static constexpr int monthDays[] = { 31, 29, 31, 30, 31, 30, 31, 31, 30, 31, 30, 31 };
    const bool leap = (year % 4 == 0 && year % 100 != 0) || year % 400 == 0;
    if (year < 1 || month < 1 || month > 12 || day < 1 || day > monthDays[month - 1]
        || (month == 2 && day == 29 && !leap) || hour > 23 || minute > 59 || second > 59)
        throw GiveUp {};
    const qint64 days = daysFromCivil(year, unsigned(month), unsigned(day));
    return ((days * 24 + hour) * 60 + minute) * 60000 + qint64(second) * 1000 + micro / 1000;
}

qint64 parseUnixStamp(std::string_view text)
{
    if (text.empty() || text.size() > 12)
        throw GiveUp {};
    qint64 value = 0;
    for (char c : text) {
        if (c < '0' || c > '9')
            throw GiveUp {};
        value = value * 10 + (c - '0');
    }
    return value * 1000;
}

struct Attribute
{
    std::string_view name;
    std::string_view raw;
};

class Reader
{
public:
    Reader(const char *begin, const char *end, qint64 now)
        : m_p(begin)
        , m_end(end)
        , m_now(now)
    {
        m_seen.reserve(size_t((end - begin) / 512));
    }

    QList<StoreBookmark> run()
    {
        skipSpace();
        if (startsWith("<?xml")) {
            const char *close = find("?>");
            checkRange(m_p + 5, close, true);
            m_p = close + 2;
        }
        skipSpace();
        std::vector<Attribute> attrs;
        bool empty = false;
        if (openTag(attrs, empty) != "xbel")
            throw GiveUp {};
        bool version = false, bookmarkNs = false, mimeNs = false;
        for (const Attribute &a : attrs) {
            if (a.name == "version" && a.raw == "1.0")
                version = true;
            else if (a.name == "xmlns:bookmark" && a.raw == bookmarkNamespace)
                bookmarkNs = true;
            else if (a.name == "xmlns:mime" && a.raw == mimeNamespace)
                mimeNs = true;
            else
                throw GiveUp {};
        }
        if (!version || !bookmarkNs || !mimeNs)
            throw GiveUp {};
        if (!empty)
            readRootChildren();
        skipSpace();
        if (m_p != m_end)
            throw GiveUp {};
        return std::move(m_bookmarks);
    }

private:
    bool startsWith(std::string_view s) const
    {
        return size_t(m_end - m_p) >= s.size() && std::string_view(m_p, s.size()) == s;
    }

    const char *find(std::string_view s) const
    {
        const std::string_view rest(m_p, size_t(m_end - m_p));
        const size_t at = rest.find(s);
        if (at == std::string_view::npos)
            throw GiveUp {};
        return m_p + at;
    }

    void skipSpace()
    {
        while (m_p < m_end && isSpace(*m_p))
            ++m_p;
    }

    std::string_view name()
    {
        const char *start = m_p;
        if (m_p >= m_end || !isNameStart(*m_p))
            throw GiveUp {};
        while (m_p < m_end && isNameChar(*m_p))
            ++m_p;
        return std::string_view(start, size_t(m_p - start));
    }

    // At '<' of a start tag: reads the name and attributes; `empty` tells "<x/>".
    std::string_view openTag(std::vector<Attribute> &attrs, bool &empty)
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
            if (*m_p == '>') {
                ++m_p;
                empty = false;
                return tag;
            }
            if (*m_p == '/') {
                if (m_p + 1 >= m_end || m_p[1] != '>')
                    throw GiveUp {};
                m_p += 2;
                empty = true;
                return tag;
            }
            if (beforeSpace == m_p)
                throw GiveUp {};
            Attribute a;
            a.name = name();
            if (m_p + 1 >= m_end || *m_p != '=' || (m_p[1] != '"' && m_p[1] != '\''))
                throw GiveUp {};
            const char quote = m_p[1];
            m_p += 2;
            const char *start = m_p;
            const void *close = memchr(m_p, quote, size_t(m_end - m_p));
            if (!close)
                throw GiveUp {};
            m_p = static_cast<const char *>(close);
            checkRange(start, m_p, true);
            a.raw = std::string_view(start, size_t(m_p - start));
            ++m_p;
            for (const Attribute &other : attrs)
                if (other.name == a.name)
                    throw GiveUp {};
            attrs.push_back(a);
        }
    }

    // Text up to the next '<'; returns the raw slice (entities still escaped).
    std::string_view text()
    {
        const char *start = m_p;
        const void *open = memchr(m_p, '<', size_t(m_end - m_p));
        if (!open)
            throw GiveUp {};
        m_p = static_cast<const char *>(open);
        checkRange(start, m_p, false);
        return std::string_view(start, size_t(m_p - start));
    }

    // Attribute values and text: valid UTF-8, no control characters but tab and line feed in
    // text, none at all in attribute values, no '<' in values and no '>' or carriage return in
    // text. One branch-free pass; the full UTF-8 check runs only where non-ASCII bytes occur.
    static void checkRange(const char *begin, const char *end, bool attribute)
    {
        unsigned bad = 0, high = 0;
        const char *p = begin;
#ifdef __SSE2__
        // Sixteen bytes at a time; the tail goes through the scalar loop below.
        const __m128i controlMax = _mm_set1_epi8(0x1f);
        const __m128i tab = _mm_set1_epi8('\t'), lineFeed = _mm_set1_epi8('\n');
        const __m128i del = _mm_set1_epi8(0x7f), lt = _mm_set1_epi8('<');
        const __m128i gt = _mm_set1_epi8('>'), cr = _mm_set1_epi8('\r');
        __m128i badMask = _mm_setzero_si128();
        int highBits = 0;
        for (; end - p >= 16; p += 16) {
            const __m128i x = _mm_loadu_si128(reinterpret_cast<const __m128i *>(p));
            highBits |= _mm_movemask_epi8(x);
            __m128i control = _mm_cmpeq_epi8(_mm_min_epu8(x, controlMax), x);
            if (!attribute)
                control = _mm_andnot_si128(
                    _mm_or_si128(_mm_cmpeq_epi8(x, tab), _mm_cmpeq_epi8(x, lineFeed)), control);
            const __m128i markup = attribute
                ? _mm_cmpeq_epi8(x, lt)
                : _mm_or_si128(_mm_cmpeq_epi8(x, gt), _mm_cmpeq_epi8(x, cr));
            badMask = _mm_or_si128(
                badMask, _mm_or_si128(control, _mm_or_si128(markup, _mm_cmpeq_epi8(x, del))));
        }
        bad = unsigned(_mm_movemask_epi8(badMask));
        high = unsigned(highBits);
#endif
        for (; p < end; ++p) {
            const auto c = static_cast<unsigned char>(*p);
            high |= c & 0x80u;
            const unsigned control = c < 0x20u;
            const unsigned allowed = unsigned(!attribute) & unsigned((c == '\t') | (c == '\n'));
            const unsigned markup
                = attribute ? unsigned(c == '<') : unsigned((c == '>') | (c == '\r'));
            bad |= (control & (allowed ^ 1u)) | unsigned(c == 0x7fu) | markup;
        }
        if (bad)
            throw GiveUp {};
        if (high
            && !plainUtf8(reinterpret_cast<const unsigned char *>(begin),
                reinterpret_cast<const unsigned char *>(end)))
            throw GiveUp {};
    }

    static bool blank(std::string_view s)
    {
        for (char c : s)
            if (!isSpace(c))
                return false;
        return true;
    }

    static QString decode(std::string_view raw)
    {
        if (raw.find('&') == std::string_view::npos)
            return QString::fromUtf8(raw.data(), qsizetype(raw.size()));
        std::string out;
        out.reserve(raw.size());
        for (size_t i = 0; i < raw.size(); ++i) {
            if (raw[i] != '&') {
                out += raw[i];
                continue;
            }
            const std::string_view rest = raw.substr(i);
            struct Entity
            {
                std::string_view name;
                char value;
            };
            static constexpr Entity entities[] = { { "&amp;", '&' }, { "&lt;", '<' },
                { "&gt;", '>' }, { "&quot;", '"' }, { "&apos;", '\'' } };
            bool matched = false;
            for (const Entity &e : entities) {
                if (rest.substr(0, e.name.size()) == e.name) {
                    out += e.value;
                    i += e.name.size() - 1;
                    matched = true;
                    break;
                }
            }
            if (!matched)
                throw GiveUp {};
        }
        return QString::fromUtf8(out.data(), qsizetype(out.size()));
    }

    // Checks entity syntax of raw text without building a string.
    static void checkEntities(std::string_view raw)
    {
        for (size_t at = raw.find('&'); at != std::string_view::npos; at = raw.find('&', at + 1)) {
            const std::string_view rest = raw.substr(at);
            if (!(rest.starts_with("&amp;") || rest.starts_with("&lt;") || rest.starts_with("&gt;")
                    || rest.starts_with("&quot;") || rest.starts_with("&apos;")))
                throw GiveUp {};
        }
    }

    // Expects "</tag>" (optional space before '>').
    void closeTag(std::string_view tag)
    {
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

    // Whitespace, then either a child start tag (true) or the close tag of `parent` (false).
    bool nextChild(std::string_view parent)
    {
        if (!blank(text()))
            throw GiveUp {};
        if (startsWith("</")) {
            closeTag(parent);
            return false;
        }
        if (m_p + 1 < m_end && (m_p[1] == '!' || m_p[1] == '?'))
            throw GiveUp {};
        return true;
    }

    // Element with text content only. "<t></t>" has (empty) text, "<t/>" has none.
    std::optional<QString> textElement(std::string_view tag, bool empty)
    {
        if (empty)
            return std::nullopt;
        const std::string_view raw = text();
        closeTag(tag);
        return decode(raw);
    }

    void emptyElement(std::string_view tag, bool empty)
    {
        if (!empty && nextChild(tag))
            throw GiveUp {};
    }

    void readRootChildren()
    {
        std::vector<Attribute> &attrs = m_attrs[0];
        while (nextChild("xbel")) {
            bool empty = false;
            const std::string_view tag = openTag(attrs, empty);
            if ((tag == "title" || tag == "desc") && attrs.empty()) {
                textElement(tag, empty);
            } else if (tag == "bookmark") {
                readBookmark(attrs, empty);
            } else {
                throw GiveUp {};
            }
        }
    }

    // The text of an attribute value with entities replaced; a view of the raw text when it has
    // none, else of `storage`.
    static std::string_view decoded(std::string_view raw, std::string &storage)
    {
        if (raw.find('&') == std::string_view::npos)
            return raw;
        const QByteArray utf8 = decode(raw).toUtf8();
        storage.assign(utf8.constData(), size_t(utf8.size()));
        return storage;
    }

    struct RawApplication
    {
        std::string_view raw; // into the document
        std::string owned; // the decoded name, only when the raw one has entities
        qint64 stamp;
        std::string_view name() const { return owned.empty() ? raw : std::string_view(owned); }
    };

    // Entries are checked in full, but only those used at or after the minimum become
    // StoreBookmarks: most of a large store is older than the window and needs no strings.
    void readBookmark(const std::vector<Attribute> &attrs, bool empty)
    {
        std::optional<std::string_view> href;
        std::optional<qint64> added, modified, visited;
        for (const Attribute &a : attrs) {
            if (a.name == "href") {
                checkEntities(a.raw);
                href = a.raw;
            } else if (a.name == "added") {
                added = parseTimestamp(a.raw);
            } else if (a.name == "modified") {
                modified = parseTimestamp(a.raw);
            } else if (a.name == "visited") {
                visited = parseTimestamp(a.raw);
            } else {
                throw GiveUp {};
            }
        }
        if (!href)
            throw GiveUp {};
        std::string hrefStorage;
        std::string_view hrefText = decoded(*href, hrefStorage);
        if (m_seen.contains(hrefText))
            throw GiveUp {};
        // A decoded href is kept alive by the reader; the view must follow it there (a short
        // string's characters do not move with it).
        if (!hrefStorage.empty())
            hrefText = m_ownedHrefs.emplace_back(std::move(hrefStorage));
        m_seen.insert(hrefText);

        std::optional<std::string_view> title;
        m_apps.clear();
        std::vector<Attribute> &childAttrs = m_attrs[1];
        while (!empty && nextChild("bookmark")) {
            bool childEmpty = false;
            const std::string_view tag = openTag(childAttrs, childEmpty);
            if (!childAttrs.empty())
                throw GiveUp {};
            if (tag == "title") {
                if (!childEmpty) {
                    title = text();
                    closeTag(tag);
                    checkEntities(*title);
                }
            } else if (tag == "desc") {
                textElement(tag, childEmpty);
            } else if (tag == "info") {
                readInfo(childEmpty);
            } else {
                throw GiveUp {};
            }
        }

        // Missing dates read as the moment of reading, as the reference reader does.
        StoreBookmark bookmark;
        bookmark.added = added.value_or(m_now);
        bookmark.modified = modified.value_or(m_now);
        bookmark.visited = visited.value_or(m_now);
        qint64 newest = std::max(*bookmark.visited, *bookmark.modified);
        for (const RawApplication &app : m_apps)
            newest = std::max(newest, app.stamp);
        if (m_minimumLastUsed && newest < *m_minimumLastUsed)
            return;
        bookmark.href = QString::fromUtf8(hrefText.data(), qsizetype(hrefText.size()));
        if (title)
            bookmark.title = decode(*title);
        bookmark.applications.reserve(qsizetype(m_apps.size()));
        for (const RawApplication &app : m_apps)
            bookmark.applications.append(
                { QString::fromUtf8(app.name().data(), qsizetype(app.name().size())), app.stamp });
        m_bookmarks.append(std::move(bookmark));
    }

    void readInfo(bool empty)
    {
        std::vector<Attribute> &attrs = m_attrs[2];
        while (!empty && nextChild("info")) {
            bool metaEmpty = false;
            if (openTag(attrs, metaEmpty) != "metadata" || attrs.size() != 1
                || attrs[0].name != "owner" || attrs[0].raw != metadataOwner)
                throw GiveUp {};
            while (!metaEmpty && nextChild("metadata")) {
                bool childEmpty = false;
                const std::string_view tag = openTag(attrs, childEmpty);
                if (tag == "mime:mime-type") {
                    for (const Attribute &a : attrs) {
                        if (a.name != "type")
                            throw GiveUp {};
                        checkEntities(a.raw);
                    }
                    emptyElement(tag, childEmpty);
                } else if (tag == "bookmark:icon") {
                    bool href = false;
                    for (const Attribute &a : attrs) {
                        if (a.name == "href")
                            href = true;
                        else if (a.name != "type")
                            throw GiveUp {};
                        checkEntities(a.raw);
                    }
                    if (!href)
                        throw GiveUp {};
                    emptyElement(tag, childEmpty);
                } else if (tag == "bookmark:private" && attrs.empty()) {
                    emptyElement(tag, childEmpty);
                } else if (tag == "bookmark:groups" && attrs.empty()) {
                    readGroups(childEmpty);
                } else if (tag == "bookmark:applications" && attrs.empty()) {
                    readApplications(childEmpty);
                } else {
                    throw GiveUp {};
                }
            }
        }
    }

    void readGroups(bool empty)
    {
        std::vector<Attribute> &attrs = m_attrs[3];
        while (!empty && nextChild("bookmark:groups")) {
            bool groupEmpty = false;
            const std::string_view tag = openTag(attrs, groupEmpty);
            if (tag != "bookmark:group" || !attrs.empty())
                throw GiveUp {};
            if (!groupEmpty) {
                checkEntities(text());
                closeTag(tag);
            }
        }
    }

    void readApplications(bool empty)
    {
        std::vector<Attribute> &attrs = m_attrs[3];
        while (!empty && nextChild("bookmark:applications")) {
            bool appEmpty = false;
            const std::string_view tag = openTag(attrs, appEmpty);
            if (tag != "bookmark:application")
                throw GiveUp {};
            std::optional<std::string_view> appName;
            bool exec = false;
            std::optional<qint64> modified, timestamp;
            for (const Attribute &a : attrs) {
                if (a.name == "name") {
                    checkEntities(a.raw);
                    appName = a.raw;
                } else if (a.name == "exec" || a.name == "count") {
                    // Exec is required; count is only ever read as a number, any text will do.
                    checkEntities(a.raw);
                    exec = exec || a.name == "exec";
                } else if (a.name == "modified") {
                    modified = parseTimestamp(a.raw);
                } else if (a.name == "timestamp") {
                    timestamp = parseUnixStamp(a.raw);
                } else {
                    throw GiveUp {};
                }
            }
            if (!appName || !exec)
                throw GiveUp {};
            emptyElement(tag, appEmpty);
            // A missing date means "now", as the reference does; a repeated name replaces.
            const qint64 stamp = modified ? *modified : timestamp ? *timestamp : m_now;
            std::string storage;
            const std::string_view name = decoded(*appName, storage);
            auto found = std::find_if(m_apps.begin(), m_apps.end(),
                [name](const RawApplication &app) { return app.name() == name; });
            if (found != m_apps.end())
                found->stamp = stamp;
            else
                m_apps.push_back(
                    { storage.empty() ? name : std::string_view(), std::move(storage), stamp });
        }
    }

    const char *m_p;
    const char *m_end;
    qint64 m_now;

public:
    std::optional<qint64> m_minimumLastUsed;

private:
    QList<StoreBookmark> m_bookmarks;
    std::unordered_set<std::string_view> m_seen;
    std::deque<std::string> m_ownedHrefs;
    std::vector<RawApplication> m_apps;
    // Attribute lists reused per nesting level, so reading allocates nothing per element.
    std::vector<Attribute> m_attrs[4];
};

} // namespace

std::optional<QList<StoreBookmark>> XbelReader::readFast(
    const QByteArray &data, qint64 nowMSecs, std::optional<qint64> minimumLastUsed)
{
    try {
        Reader reader(data.constData(), data.constData() + data.size(), nowMSecs);
        reader.m_minimumLastUsed = minimumLastUsed;
        return reader.run();
    } catch (const GiveUp &) {
        return std::nullopt;
    }
}
