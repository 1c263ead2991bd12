// SPDX-FileCopyrightText: 2026 The Quillmoth developers
// SPDX-License-Identifier: GPL-3.0-or-later

// The fast reader: a strict, single-pass reader for the store's usual shape. It gives up
// (returns nullopt) at anything it does not fully understand, so that GBookmarkFile decides:
// comments, CDATA, doctypes, character references, unusual whitespace, unknown elements or
// attributes, namespace declarations other than the usual ones on the root, non-canonical
// dates, duplicate entries, invalid UTF-8 and every error.
#include "Platform/XbelReader.h"

#include "Platform/HrefSet.h"
#include "Platform/StoreTimestamp.h"
#include "Platform/XbelBookmarkCache.h"
#include "Platform/XbelScanner.h"
#include "Platform/XmlEntities.h"

#include <algorithm>
#include <deque>
#include <string>
#include <string_view>
#include <vector>

namespace {

using GiveUp = XbelScanner::GiveUp;
using Attribute = XbelScanner::Attribute;
using Attributes = std::vector<Attribute>;

constexpr std::string_view bookmarkNamespace
    = "http://www.freedesktop.org/standards/desktop-bookmarks";
constexpr std::string_view mimeNamespace = "http://www.freedesktop.org/standards/shared-mime-info";
constexpr std::string_view metadataOwner = "http://freedesktop.org";

qint64 unixTime(std::string_view raw)
{
    if (const std::optional<qint64> time = StoreTimestamp::parseUnixSeconds(raw))
        return *time;
    throw GiveUp {};
}

void checkEntities(std::string_view raw)
{
    if (!XmlEntities::hasOnlyPredefined(raw))
        throw GiveUp {};
}

// The text of an attribute value with entities replaced; a view of the raw text when it has
// none, else of `storage`.
inline std::string_view decoded(std::string_view raw, std::string &storage)
{
    if (raw.find('&') == std::string_view::npos)
        return raw;
    if (!XmlEntities::decodeInto(raw, storage))
        throw GiveUp {};
    return storage;
}

QString toQString(std::string_view utf8)
{
    return QString::fromUtf8(utf8.data(), qsizetype(utf8.size()));
}

// The attributes of one <bookmark> element.
struct BookmarkAttributes
{
    std::string_view href; // raw, entities still escaped
    std::optional<qint64> added, modified, visited;
};

struct RawApplication
{
    std::string_view raw; // into the document
    std::string owned; // the decoded name, only when the raw one has entities
    qint64 stamp;
    std::string_view name() const { return owned.empty() ? raw : std::string_view(owned); }
};

class FastReader
{
public:
    FastReader(const QByteArray &data, qint64 now, std::optional<qint64> minimumLastUsed,
        XbelBookmarkCache *cache)
        : m_scanner(data.constData(), data.constData() + data.size())
        , m_now(now)
        , m_minimumLastUsed(minimumLastUsed)
        , m_cache(cache)
        , m_begin(data.constData())
    {
        if (m_cache)
            m_cache->begin(data);
        m_seen.reserve(size_t((m_cache ? m_cache->changedBytes() : data.size()) / 512));
    }

    QList<StoreBookmark> run()
    {
        m_scanner.skipProlog();
        Attributes &attrs = m_attrs[0];
        bool empty = false;
        if (m_scanner.openTag(attrs, empty) != "xbel")
            throw GiveUp {};
        checkRootAttributes(attrs);
        if (!empty)
            readRootChildren();
        m_scanner.expectEnd();
        // Unchanged bookmarks are told apart among themselves (they were in the last read);
        // only one also read or found anew makes a duplicate.
        for (const auto &[href, hash] : m_unchanged)
            if (m_seen.contains(href, hash))
                throw GiveUp {};
        return std::move(m_bookmarks);
    }

private:
    static void checkRootAttributes(const Attributes &attrs)
    {
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
    }

    void readRootChildren()
    {
        Attributes &attrs = m_attrs[0];
        while (m_scanner.nextChild("xbel")) {
            if (m_cache && takeCached())
                continue;
            const char *start = m_scanner.position();
            bool empty = false;
            const std::string_view tag = m_scanner.openTag(attrs, empty);
            if ((tag == "title" || tag == "desc") && attrs.empty())
                m_scanner.textElement(tag, empty);
            else if (tag == "bookmark")
                readBookmark(attrs, empty, start);
            else
                throw GiveUp {};
        }
    }

    // Entries are checked in full, but only those used at or after the minimum become
    // StoreBookmarks: most of a large store is older than the window and needs no strings.
    void readBookmark(const Attributes &attrs, bool empty, const char *start)
    {
        m_usedNow = false;
        const BookmarkAttributes bookmark = bookmarkAttributes(attrs);
        const std::string_view href = claimHref(bookmark.href);
        m_apps.clear();
        std::optional<std::string_view> title;
        if (!empty)
            title = readBookmarkChildren();
        appendIfRecent(bookmark, href, title);
        // An element that took "now" for a missing date reads differently later: not kept.
        if (m_cache && !m_usedNow)
            remember(start, href);
        m_afterUncached = m_afterUncached || m_usedNow;
    }

    // The bookmark that starts here, when its bytes are those of one read before; it then
    // counts as read, exactly as parsing it again would have read it. So do the ones after it
    // that the cache can vouch for without looking.
    bool takeCached()
    {
        const char *at = m_scanner.position();
        qsizetype offset = at - m_begin;
        qsizetype length = 0;
        XbelBookmarkCache::EntryPtr entry = m_cache->unchangedAt(offset, length);
        const bool unchanged = entry != nullptr;
        if (!entry && m_cache->isWorthSearching())
            entry = searchCached(at, length);
        if (!take(entry, offset, length, unchanged))
            return false;
        while (unchanged && (entry = m_cache->nextInRun(offset, length))
            && take(entry, offset, length, true))
            ;
        return true;
    }

    // One cached element taken as read, unless it must be parsed (it was left out of an earlier
    // read's result by an older minimum).
    bool take(const XbelBookmarkCache::EntryPtr &entry, qsizetype offset, qsizetype length,
        bool unchanged)
    {
        const bool recent = entry && (!m_minimumLastUsed || entry->lastUsed >= *m_minimumLastUsed);
        if (!entry || (recent && !entry->bookmark))
            return false;
        const std::string_view href = entry->href(m_begin + offset);
        if (unchanged)
            m_unchanged.emplace_back(
                href, entry->hrefHash); // checked against the others at the end
        else if (!m_seen.insert(href, entry->hrefHash))
            throw GiveUp {};
        if (recent)
            m_bookmarks.append(*entry->bookmark);
        m_cache->add(offset, length, entry, std::exchange(m_afterUncached, false));
        m_scanner.skipTo(m_begin + offset + length);
        return true;
    }

    // Looked for by its bytes, up to the first end tag within a bounded stretch (so a store of
    // bookmarks the cache cannot hold costs no quadratic search; a longer one is parsed).
    XbelBookmarkCache::EntryPtr searchCached(const char *at, qsizetype &length)
    {
        const std::string_view rest(at, size_t(m_scanner.end() - at));
        constexpr std::string_view close = "</bookmark>";
        if (!rest.starts_with("<bookmark "))
            return nullptr;
        const size_t end = rest.substr(0, maxCachedElementBytes).find(close);
        if (end == std::string_view::npos)
            return nullptr;
        length = qsizetype(end) + qsizetype(close.size());
        return m_cache->find(rest.substr(0, size_t(length)));
    }

    void remember(const char *start, std::string_view href)
    {
        auto entry = std::make_shared<XbelBookmarkCache::Entry>();
        if (!m_lastHrefDecoded) {
            entry->hrefAt = std::uint32_t(href.data() - start);
            entry->hrefLength = std::uint32_t(href.size());
        } else {
            entry->decodedHref = std::string(href);
        }
        entry->hrefHash = m_lastHrefHash;
        entry->lastUsed = m_lastNewest;
        if (m_lastAppended)
            entry->bookmark = m_bookmarks.constLast();
        m_cache->add(start - m_begin, m_scanner.position() - start, std::move(entry),
            std::exchange(m_afterUncached, false));
    }

    // Writers mostly give an entry's dates and its applications' the same moment: a time
    // written as the last one was is not parsed again.
    qint64 isoTime(std::string_view raw)
    {
        if (!m_lastTimeText.empty() && raw == m_lastTimeText)
            return m_lastTime;
        const std::optional<qint64> time = StoreTimestamp::parseIso8601(raw);
        if (!time)
            throw GiveUp {};
        m_lastTimeText = raw;
        m_lastTime = *time;
        return *time;
    }

    BookmarkAttributes bookmarkAttributes(const Attributes &attrs)
    {
        BookmarkAttributes bookmark;
        bool hasHref = false;
        for (const Attribute &a : attrs) {
            if (a.name == "href") {
                checkEntities(a.raw);
                bookmark.href = a.raw;
                hasHref = true;
            } else if (a.name == "added") {
                bookmark.added = isoTime(a.raw);
            } else if (a.name == "modified") {
                bookmark.modified = isoTime(a.raw);
            } else if (a.name == "visited") {
                bookmark.visited = isoTime(a.raw);
            } else {
                throw GiveUp {};
            }
        }
        if (!hasHref)
            throw GiveUp {};
        return bookmark;
    }

    // The decoded href, which must not have been seen before; it stays valid while reading.
    std::string_view claimHref(std::string_view raw)
    {
        std::string storage;
        std::string_view href = decoded(raw, storage);
        // A decoded href is kept alive by the reader; the view must follow it there (a short
        // string's characters do not move with it).
        if (!storage.empty())
            href = m_ownedHrefs.emplace_back(std::move(storage));
        m_lastHrefDecoded = href.data() != raw.data();
        m_lastHrefHash = HrefSet::hashOf(href);
        if (!m_seen.insert(href, m_lastHrefHash))
            throw GiveUp {};
        return href;
    }

    // Title, description and info of a bookmark; returns the raw title.
    std::optional<std::string_view> readBookmarkChildren()
    {
        std::optional<std::string_view> title;
        Attributes &attrs = m_attrs[1];
        while (m_scanner.nextChild("bookmark")) {
            bool empty = false;
            const std::string_view tag = m_scanner.openTag(attrs, empty);
            if (!attrs.empty())
                throw GiveUp {};
            if (tag == "title") {
                if (const std::optional<std::string_view> text = m_scanner.textElement(tag, empty))
                    title = text;
            } else if (tag == "desc") {
                m_scanner.textElement(tag, empty);
            } else if (tag == "info") {
                readInfo(empty);
            } else {
                throw GiveUp {};
            }
        }
        return title;
    }

    void appendIfRecent(const BookmarkAttributes &attributes, std::string_view href,
        std::optional<std::string_view> title)
    {
        // Missing dates read as the moment of reading, as the reference reader does.
        StoreBookmark bookmark;
        bookmark.added = attributes.added.value_or(m_now);
        bookmark.modified = attributes.modified.value_or(m_now);
        bookmark.visited = attributes.visited.value_or(m_now);
        m_usedNow = m_usedNow || !attributes.added || !attributes.modified || !attributes.visited;
        qint64 newest = std::max(*bookmark.visited, *bookmark.modified);
        for (const RawApplication &app : m_apps)
            newest = std::max(newest, app.stamp);
        m_lastNewest = newest;
        m_lastAppended = !m_minimumLastUsed || newest >= *m_minimumLastUsed;
        if (!m_lastAppended)
            return;
        bookmark.href = toQString(href);
        if (title)
            bookmark.title = XmlEntities::decode(*title);
        bookmark.applications.reserve(qsizetype(m_apps.size()));
        for (const RawApplication &app : m_apps)
            bookmark.applications.append({ toQString(app.name()), app.stamp });
        m_bookmarks.append(std::move(bookmark));
    }

    void readInfo(bool empty)
    {
        Attributes &attrs = m_attrs[2];
        while (!empty && m_scanner.nextChild("info")) {
            bool metadataEmpty = false;
            if (m_scanner.openTag(attrs, metadataEmpty) != "metadata" || attrs.size() != 1
                || attrs[0].name != "owner" || attrs[0].raw != metadataOwner)
                throw GiveUp {};
            while (!metadataEmpty && m_scanner.nextChild("metadata"))
                readMetadataChild();
        }
    }

    void readMetadataChild()
    {
        Attributes &attrs = m_attrs[2];
        bool empty = false;
        const std::string_view tag = m_scanner.openTag(attrs, empty);
        if (tag == "mime:mime-type") {
            checkMimeTypeAttributes(attrs);
            m_scanner.emptyElement(tag, empty);
        } else if (tag == "bookmark:icon") {
            checkIconAttributes(attrs);
            m_scanner.emptyElement(tag, empty);
        } else if (tag == "bookmark:private" && attrs.empty()) {
            m_scanner.emptyElement(tag, empty);
        } else if (tag == "bookmark:groups" && attrs.empty()) {
            readGroups(empty);
        } else if (tag == "bookmark:applications" && attrs.empty()) {
            readApplications(empty);
        } else {
            throw GiveUp {};
        }
    }

    static void checkMimeTypeAttributes(const Attributes &attrs)
    {
        for (const Attribute &a : attrs) {
            if (a.name != "type")
                throw GiveUp {};
            checkEntities(a.raw);
        }
    }

    static void checkIconAttributes(const Attributes &attrs)
    {
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
    }

    void readGroups(bool empty)
    {
        Attributes &attrs = m_attrs[3];
        while (!empty && m_scanner.nextChild("bookmark:groups")) {
            bool groupEmpty = false;
            const std::string_view tag = m_scanner.openTag(attrs, groupEmpty);
            if (tag != "bookmark:group" || !attrs.empty())
                throw GiveUp {};
            m_scanner.textElement(tag, groupEmpty);
        }
    }

    void readApplications(bool empty)
    {
        Attributes &attrs = m_attrs[3];
        while (!empty && m_scanner.nextChild("bookmark:applications")) {
            bool appEmpty = false;
            const std::string_view tag = m_scanner.openTag(attrs, appEmpty);
            if (tag != "bookmark:application")
                throw GiveUp {};
            const auto [name, stamp] = applicationAttributes(attrs);
            m_scanner.emptyElement(tag, appEmpty);
            addApplication(name, stamp);
        }
    }

    // The raw name and the time of use of one <bookmark:application>.
    std::pair<std::string_view, qint64> applicationAttributes(const Attributes &attrs)
    {
        std::optional<std::string_view> name;
        bool exec = false;
        std::optional<qint64> modified, timestamp;
        for (const Attribute &a : attrs) {
            if (a.name == "name") {
                checkEntities(a.raw);
                name = a.raw;
            } else if (a.name == "exec" || a.name == "count") {
                // Exec is required; count is only ever read as a number, any text will do.
                checkEntities(a.raw);
                exec = exec || a.name == "exec";
            } else if (a.name == "modified") {
                modified = isoTime(a.raw);
            } else if (a.name == "timestamp") {
                timestamp = unixTime(a.raw);
            } else {
                throw GiveUp {};
            }
        }
        if (!name || !exec)
            throw GiveUp {};
        // A missing date means "now", as the reference does.
        if (!modified && !timestamp)
            m_usedNow = true;
        return { *name, modified ? *modified : timestamp ? *timestamp : m_now };
    }

    // A repeated name replaces the earlier one's stamp.
    void addApplication(std::string_view raw, qint64 stamp)
    {
        std::string storage;
        const std::string_view name = decoded(raw, storage);
        auto found = std::find_if(m_apps.begin(), m_apps.end(),
            [name](const RawApplication &app) { return app.name() == name; });
        if (found != m_apps.end())
            found->stamp = stamp;
        else
            m_apps.push_back(
                { storage.empty() ? name : std::string_view(), std::move(storage), stamp });
    }

    XbelScanner m_scanner;
    const qint64 m_now;
    const std::optional<qint64> m_minimumLastUsed;
    XbelBookmarkCache *const m_cache;
    const char *const m_begin;
    static constexpr size_t maxCachedElementBytes = 64 * 1024;
    bool m_usedNow = false; // the current bookmark took "now" for a missing date
    std::string_view m_lastTimeText; // into the document
    qint64 m_lastTime = 0;
    qint64 m_lastNewest = 0;
    bool m_lastAppended = false;
    std::size_t m_lastHrefHash = 0;
    bool m_lastHrefDecoded = false; // its entities replaced, so not a view of the element
    // A bookmark the cache will not hold was read since the last one it will.
    bool m_afterUncached = false;
    QList<StoreBookmark> m_bookmarks;
    HrefSet m_seen; // of the bookmarks not in m_unchanged
    // The hrefs (with their hashes) of bookmarks taken from the unchanged start or end.
    std::vector<std::pair<std::string_view, std::size_t>> m_unchanged;
    std::deque<std::string> m_ownedHrefs;
    std::vector<RawApplication> m_apps;
    // Attribute lists reused per nesting level, so reading allocates nothing per element.
    Attributes m_attrs[4];
};

} // namespace

std::optional<QList<StoreBookmark>> XbelReader::readFast(const QByteArray &data, qint64 nowMSecs,
    std::optional<qint64> minimumLastUsed, XbelBookmarkCache *cache)
{
    try {
        QList<StoreBookmark> bookmarks = FastReader(data, nowMSecs, minimumLastUsed, cache).run();
        if (cache)
            cache->commit(data);
        return bookmarks;
    } catch (const GiveUp &) {
        if (cache)
            cache->abandon();
        return std::nullopt;
    }
}
