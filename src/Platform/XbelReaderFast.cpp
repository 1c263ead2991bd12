// The fast reader: a strict, single-pass reader for the store's usual shape. It gives up
// (returns nullopt) at anything it does not fully understand, so that GBookmarkFile decides:
// comments, CDATA, doctypes, character references, unusual whitespace, unknown elements or
// attributes, namespace declarations other than the usual ones on the root, non-canonical
// dates, duplicate entries, invalid UTF-8 and every error.
#include "Platform/XbelReader.h"

#include <QHash>
#include <QSet>

#include <string_view>
#include <vector>

namespace {

constexpr std::string_view bookmarkNamespace = "http://www.freedesktop.org/standards/desktop-bookmarks";
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
    while (p < end) {
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
                throw GiveUp{};
            value = value * 10 + (text[i] - '0');
        }
        return value;
    };
    if (text.size() != 20 && text.size() != 27)
        throw GiveUp{};
    if (text[4] != '-' || text[7] != '-' || text[10] != 'T' || text[13] != ':' || text[16] != ':'
        || text.back() != 'Z')
        throw GiveUp{};
    const int year = digits(0, 4), month = digits(5, 2), day = digits(8, 2);
    const int hour = digits(11, 2), minute = digits(14, 2), second = digits(17, 2);
    int micro = 0;
    if (text.size() == 27) {
        if (text[19] != '.')
            throw GiveUp{};
        micro = digits(20, 6);
    }
    static constexpr int monthDays[] = {31, 29, 31, 30, 31, 30, 31, 31, 30, 31, 30, 31};
    const bool leap = (year % 4 == 0 && year % 100 != 0) || year % 400 == 0;
    if (year < 1 || month < 1 || month > 12 || day < 1 || day > monthDays[month - 1]
        || (month == 2 && day == 29 && !leap) || hour > 23 || minute > 59 || second > 59)
        throw GiveUp{};
    const qint64 days = daysFromCivil(year, unsigned(month), unsigned(day));
    return ((days * 24 + hour) * 60 + minute) * 60000 + qint64(second) * 1000 + micro / 1000;
}

qint64 parseUnixStamp(std::string_view text)
{
    if (text.empty() || text.size() > 12)
        throw GiveUp{};
    qint64 value = 0;
    for (char c : text) {
        if (c < '0' || c > '9')
            throw GiveUp{};
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
    Reader(const char *begin, const char *end, qint64 now) : m_p(begin), m_end(end), m_now(now) {}

    QList<StoreBookmark> run()
    {
        skipSpace();
        if (startsWith("<?xml")) {
            const char *close = find("?>");
            m_p = close + 2;
        }
        skipSpace();
        std::vector<Attribute> attrs;
        bool empty = false;
        if (openTag(attrs, empty) != "xbel")
            throw GiveUp{};
        bool version = false, bookmarkNs = false, mimeNs = false;
        for (const Attribute &a : attrs) {
            if (a.name == "version" && a.raw == "1.0")
                version = true;
            else if (a.name == "xmlns:bookmark" && a.raw == bookmarkNamespace)
                bookmarkNs = true;
            else if (a.name == "xmlns:mime" && a.raw == mimeNamespace)
                mimeNs = true;
            else
                throw GiveUp{};
        }
        if (!version || !bookmarkNs || !mimeNs)
            throw GiveUp{};
        if (!empty)
            readRootChildren();
        skipSpace();
        if (m_p != m_end)
            throw GiveUp{};
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
            throw GiveUp{};
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
            throw GiveUp{};
        while (m_p < m_end && isNameChar(*m_p))
            ++m_p;
        return std::string_view(start, size_t(m_p - start));
    }

    // At '<' of a start tag: reads the name and attributes; `empty` tells "<x/>".
    std::string_view openTag(std::vector<Attribute> &attrs, bool &empty)
    {
        attrs.clear();
        if (m_p >= m_end || *m_p != '<')
            throw GiveUp{};
        ++m_p;
        const std::string_view tag = name();
        for (;;) {
            const char *beforeSpace = m_p;
            skipSpace();
            if (m_p >= m_end)
                throw GiveUp{};
            if (*m_p == '>') {
                ++m_p;
                empty = false;
                return tag;
            }
            if (*m_p == '/') {
                if (m_p + 1 >= m_end || m_p[1] != '>')
                    throw GiveUp{};
                m_p += 2;
                empty = true;
                return tag;
            }
            if (beforeSpace == m_p)
                throw GiveUp{};
            Attribute a;
            a.name = name();
            if (m_p + 1 >= m_end || *m_p != '=' || (m_p[1] != '"' && m_p[1] != '\''))
                throw GiveUp{};
            const char quote = m_p[1];
            m_p += 2;
            const char *start = m_p;
            while (m_p < m_end && *m_p != quote) {
                const char c = *m_p;
                if (c == '<' || c == '\n' || c == '\r' || c == '\t')
                    throw GiveUp{};
                ++m_p;
            }
            if (m_p >= m_end)
                throw GiveUp{};
            a.raw = std::string_view(start, size_t(m_p - start));
            ++m_p;
            for (const Attribute &other : attrs)
                if (other.name == a.name)
                    throw GiveUp{};
            attrs.push_back(a);
        }
    }

    // Text up to the next '<'; returns the raw slice (entities still escaped).
    std::string_view text()
    {
        const char *start = m_p;
        while (m_p < m_end && *m_p != '<') {
            if (*m_p == '>' || *m_p == '\r')
                throw GiveUp{};
            ++m_p;
        }
        if (m_p >= m_end)
            throw GiveUp{};
        return std::string_view(start, size_t(m_p - start));
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
            struct Entity { std::string_view name; char value; };
            static constexpr Entity entities[] = {
                {"&amp;", '&'}, {"&lt;", '<'}, {"&gt;", '>'}, {"&quot;", '"'}, {"&apos;", '\''}};
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
                throw GiveUp{};
        }
        return QString::fromUtf8(out.data(), qsizetype(out.size()));
    }

    // Checks entity syntax of raw text without building a string.
    static void checkEntities(std::string_view raw) { (void)decode(raw); }

    // Expects "</tag>" (optional space before '>').
    void closeTag(std::string_view tag)
    {
        if (!startsWith("</"))
            throw GiveUp{};
        m_p += 2;
        if (name() != tag)
            throw GiveUp{};
        skipSpace();
        if (m_p >= m_end || *m_p != '>')
            throw GiveUp{};
        ++m_p;
    }

    // Whitespace, then either a child start tag (true) or the close tag of `parent` (false).
    bool nextChild(std::string_view parent)
    {
        if (!blank(text()))
            throw GiveUp{};
        if (startsWith("</")) {
            closeTag(parent);
            return false;
        }
        if (m_p + 1 < m_end && (m_p[1] == '!' || m_p[1] == '?'))
            throw GiveUp{};
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
            throw GiveUp{};
    }

    void readRootChildren()
    {
        std::vector<Attribute> attrs;
        while (nextChild("xbel")) {
            bool empty = false;
            const std::string_view tag = openTag(attrs, empty);
            if ((tag == "title" || tag == "desc") && attrs.empty()) {
                textElement(tag, empty);
            } else if (tag == "bookmark") {
                readBookmark(attrs, empty);
            } else {
                throw GiveUp{};
            }
        }
    }

    void readBookmark(const std::vector<Attribute> &attrs, bool empty)
    {
        StoreBookmark bookmark;
        bool haveHref = false;
        for (const Attribute &a : attrs) {
            if (a.name == "href") {
                bookmark.href = decode(a.raw);
                haveHref = true;
            } else if (a.name == "added") {
                checkEntities(a.raw);
                bookmark.added = parseTimestamp(a.raw);
            } else if (a.name == "modified") {
                checkEntities(a.raw);
                bookmark.modified = parseTimestamp(a.raw);
            } else if (a.name == "visited") {
                checkEntities(a.raw);
                bookmark.visited = parseTimestamp(a.raw);
            } else {
                throw GiveUp{};
            }
        }
        if (!haveHref || m_seen.contains(bookmark.href))
            throw GiveUp{};
        // Missing dates read as the moment of reading, as the reference reader does.
        for (std::optional<qint64> *date : {&bookmark.added, &bookmark.modified, &bookmark.visited})
            if (!*date)
                *date = m_now;
        m_seen.insert(bookmark.href);

        QHash<QString, qsizetype> appIndex;
        std::vector<Attribute> childAttrs;
        while (!empty && nextChild("bookmark")) {
            bool childEmpty = false;
            const std::string_view tag = openTag(childAttrs, childEmpty);
            if (!childAttrs.empty() && tag != "info")
                throw GiveUp{};
            if (tag == "title") {
                if (std::optional<QString> title = textElement(tag, childEmpty))
                    bookmark.title = std::move(title);
            } else if (tag == "desc") {
                textElement(tag, childEmpty);
            } else if (tag == "info" && childAttrs.empty()) {
                readInfo(bookmark, appIndex, childEmpty);
            } else {
                throw GiveUp{};
            }
        }
        m_bookmarks.append(std::move(bookmark));
    }

    void readInfo(StoreBookmark &bookmark, QHash<QString, qsizetype> &appIndex, bool empty)
    {
        std::vector<Attribute> attrs;
        while (!empty && nextChild("info")) {
            bool metaEmpty = false;
            if (openTag(attrs, metaEmpty) != "metadata" || attrs.size() != 1
                || attrs[0].name != "owner" || attrs[0].raw != metadataOwner)
                throw GiveUp{};
            while (!metaEmpty && nextChild("metadata")) {
                bool childEmpty = false;
                const std::string_view tag = openTag(attrs, childEmpty);
                if (tag == "mime:mime-type") {
                    for (const Attribute &a : attrs)
                        if (a.name != "type")
                            throw GiveUp{};
                    emptyElement(tag, childEmpty);
                } else if (tag == "bookmark:icon") {
                    bool href = false;
                    for (const Attribute &a : attrs) {
                        if (a.name == "href")
                            href = true;
                        else if (a.name != "type")
                            throw GiveUp{};
                        checkEntities(a.raw);
                    }
                    if (!href)
                        throw GiveUp{};
                    emptyElement(tag, childEmpty);
                } else if (tag == "bookmark:private" && attrs.empty()) {
                    emptyElement(tag, childEmpty);
                } else if (tag == "bookmark:groups" && attrs.empty()) {
                    readGroups(childEmpty);
                } else if (tag == "bookmark:applications" && attrs.empty()) {
                    readApplications(bookmark, appIndex, childEmpty);
                } else {
                    throw GiveUp{};
                }
            }
        }
    }

    void readGroups(bool empty)
    {
        std::vector<Attribute> attrs;
        while (!empty && nextChild("bookmark:groups")) {
            bool groupEmpty = false;
            const std::string_view tag = openTag(attrs, groupEmpty);
            if (tag != "bookmark:group" || !attrs.empty())
                throw GiveUp{};
            textElement(tag, groupEmpty);
        }
    }

    void readApplications(StoreBookmark &bookmark, QHash<QString, qsizetype> &appIndex, bool empty)
    {
        std::vector<Attribute> attrs;
        while (!empty && nextChild("bookmark:applications")) {
            bool appEmpty = false;
            const std::string_view tag = openTag(attrs, appEmpty);
            if (tag != "bookmark:application")
                throw GiveUp{};
            std::optional<QString> appName;
            bool exec = false;
            std::optional<qint64> modified, timestamp;
            for (const Attribute &a : attrs) {
                if (a.name == "name") {
                    appName = decode(a.raw);
                } else if (a.name == "exec") {
                    checkEntities(a.raw);
                    exec = true;
                } else if (a.name == "count") {
                    // Only ever read as a number; any text is accepted.
                    checkEntities(a.raw);
                } else if (a.name == "modified") {
                    checkEntities(a.raw);
                    modified = parseTimestamp(a.raw);
                } else if (a.name == "timestamp") {
                    checkEntities(a.raw);
                    timestamp = parseUnixStamp(a.raw);
                } else {
                    throw GiveUp{};
                }
            }
            if (!appName || !exec)
                throw GiveUp{};
            emptyElement(tag, appEmpty);
            // A missing date means "now", as the reference does; a repeated name replaces.
            const qint64 stamp = modified ? *modified : timestamp ? *timestamp : m_now;
            auto found = appIndex.constFind(*appName);
            if (found != appIndex.constEnd()) {
                bookmark.applications[*found].stamp = stamp;
            } else {
                appIndex.insert(*appName, bookmark.applications.size());
                bookmark.applications.append({*appName, stamp});
            }
        }
    }

    const char *m_p;
    const char *m_end;
    qint64 m_now;
    QList<StoreBookmark> m_bookmarks;
    QSet<QString> m_seen;
};

} // namespace

std::optional<QList<StoreBookmark>> XbelReader::readFast(const QByteArray &data, qint64 nowMSecs)
{
    const auto *begin = reinterpret_cast<const unsigned char *>(data.constData());
    if (!plainUtf8(begin, begin + data.size()))
        return std::nullopt;
    try {
        return Reader(data.constData(), data.constData() + data.size(), nowMSecs).run();
    } catch (const GiveUp &) {
        return std::nullopt;
    }
}
