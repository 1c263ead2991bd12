// SPDX-FileCopyrightText: 2026 The Quillmoth developers
// SPDX-License-Identifier: GPL-3.0-or-later

#include "Platform/StoreReading.h"

#include "Model/FileUrl.h"
#include "Platform/FileUri.h"
#include "Platform/XbelReader.h"

#include <QFile>

#include <algorithm>
#include <vector>

namespace {

// What the entry itself tells, before any look-up.
std::shared_ptr<MetadataItem> itemFor(const StoreBookmark &bookmark, std::optional<qint64> lastUsed)
{
    auto item = std::make_shared<MetadataItem>();
    item->lastUsed = lastUsed;
    const std::optional<LocalFile> file = localFileFromUri(bookmark.href);
    if (!file)
        return item;
    item->path = file->path;
    // A name that is not UTF-8 is found by its bytes, which only the URL can carry.
    if (!file->nativePath.isEmpty())
        item->url = fileUrl(file->nativePath);
    // The file's own name, never the bookmark's title: any program can write a title, and it
    // could make one file look like another.
    item->displayName = displayBasename(file->path);
    return item;
}

QByteArray lookupPath(const MetadataItem &item)
{
    if (!item.path)
        return {};
    return item.url ? nativePath(*item.url) : QFile::encodeName(*item.path);
}

void setAttributes(MetadataItem &item, std::optional<FileAttributes> attributes)
{
    item.attributes = std::move(attributes);
    item.attributesRead = true;
    if (item.attributes && !item.url)
        item.url = fileUrl(*item.path);
    if (!item.lastUsed && item.attributes)
        item.contentChange = item.attributes->modificationTime;
}

// Newest first (or oldest first); results without a last-used date go last. Sorted as keys
// side by side, not through the pointers: a large store's items lie all over memory.
void sortByLastUsed(StoreReading::Results &results, bool ascending)
{
    struct Key
    {
        bool hasDate;
        qint64 lastUsed;
        qsizetype index;
    };
    std::vector<Key> keys;
    keys.reserve(size_t(results.size()));
    for (qsizetype i = 0; i < results.size(); ++i)
        keys.push_back({ results[i]->lastUsed.has_value(), results[i]->lastUsed.value_or(0), i });
    std::stable_sort(keys.begin(), keys.end(), [ascending](const Key &a, const Key &b) {
        if (!a.hasDate || !b.hasDate)
            return a.hasDate && !b.hasDate;
        return ascending ? a.lastUsed < b.lastUsed : a.lastUsed > b.lastUsed;
    });
    StoreReading::Results sorted;
    sorted.reserve(results.size());
    for (const Key &key : keys)
        sorted << std::move(results[key.index]);
    results = std::move(sorted);
}

} // namespace

struct StoreReading::Pending
{
    const StoreBookmark *bookmark;
    std::shared_ptr<const MetadataItem> known; // the last read's item, when still current
    std::shared_ptr<MetadataItem> fresh; // else a new one, looked up below
    Location ownLocation; // only without a slot
    Known *slot; // the href's entry in m_known, if it has one

    // The location follows from the href alone: a known href's is the one found before.
    const Location &location() const { return slot ? slot->location : ownLocation; }
};

StoreReading::StoreReading(std::function<void()> lookupReturned)
    : m_lookups(std::move(lookupReturned))
{
}

StoreReading::Snapshot StoreReading::read(
    const QString &storePath, std::optional<qint64> cutoffMs, bool ascending)
{
    Snapshot snapshot;
    StoreFile::Contents contents = StoreFile::read(storePath, m_bookmarks.takeRetired());
    snapshot.fileStatus = contents.status;
    if (contents.status == StoreFile::Status::missing)
        return snapshot;
    if (contents.status != StoreFile::Status::ok) {
        snapshot.status = Status::unreadable;
        return snapshot;
    }
    const XbelReader::Result read = XbelReader::read(contents.bytes, cutoffMs, &m_bookmarks);
    if (!read.ok) {
        snapshot.status = Status::malformed;
        return snapshot;
    }
    snapshot.status = Status::ok;
    snapshot.results = resultsFor(read.bookmarks, cutoffMs, snapshot);
    sortByLastUsed(snapshot.results, ascending);
    return snapshot;
}

StoreReading::Results StoreReading::resultsFor(
    const QList<StoreBookmark> &bookmarks, std::optional<qint64> cutoffMs, Snapshot &snapshot)
{
    QList<Pending> pending = pendingFor(bookmarks, cutoffMs);
    // Every href of the last read and no other: the locations, and so their folders, are the
    // same too, and the results are updated where they stand.
    const bool sameHrefs = m_hadEveryResult && pending.size() == m_known.size()
        && std::all_of(pending.cbegin(), pending.cend(), [](const Pending &p) { return p.slot; });
    if (!sameHrefs) {
        m_byFolder.clear();
        m_folders.clear();
        for (const Pending &entry : std::as_const(pending)) {
            const Location &location = entry.location();
            if (location.path.isEmpty())
                continue;
            m_byFolder[location.folder].append(location.path);
            m_folders[location.folder].insert(location.name);
        }
    }
    snapshot.folders = m_folders;
    const FolderLookups::Outcome outcome = m_lookups.lookUp(m_byFolder);
    Results results = collect(pending, outcome, sameHrefs);
    m_hadEveryResult = results.size() == pending.size();
    return results;
}

QList<StoreReading::Pending> StoreReading::pendingFor(
    const QList<StoreBookmark> &bookmarks, std::optional<qint64> cutoffMs)
{
    QList<Pending> pending;
    pending.reserve(bookmarks.size());
    for (const StoreBookmark &bookmark : bookmarks) {
        const std::optional<qint64> lastUsed = bookmark.lastUsed();
        if (cutoffMs && lastUsed && *lastUsed < *cutoffMs)
            continue;
        Pending entry { &bookmark, nullptr, nullptr, {}, nullptr };
        const auto known = m_known.find(bookmark.href);
        if (known != m_known.end()) {
            entry.slot = &*known;
            if (known->lastUsed == lastUsed)
                entry.known = known->item;
        }
        if (!entry.known) {
            entry.fresh = itemFor(bookmark, lastUsed);
            if (!entry.slot)
                entry.ownLocation = Location::of(lookupPath(*entry.fresh));
        }
        pending << std::move(entry);
    }
    return pending;
}

StoreReading::Results StoreReading::collect(
    QList<Pending> &pending, const FolderLookups::Outcome &outcome, bool inPlace)
{
    Results results;
    results.reserve(pending.size());
    QHash<QString, Known> known;
    if (!inPlace)
        known.reserve(pending.size());
    QStringList leftOut;
    const QHash<QByteArray, FolderFound> folders = foldersOf(outcome);
    for (Pending &entry : pending) {
        std::optional<FileAttributes> attributes;
        bool stands = false;
        const Location &location = entry.location();
        if (!location.path.isEmpty()) {
            const auto folder = folders.constFind(location.folder);
            const bool inFolder = folder != folders.cend();
            // What the last read found there, so its still current result stands.
            stands = inFolder && folder->asLastRead && entry.known && entry.known->attributesRead;
            const auto found = inFolder && !stands ? folder->found->constFind(location.path)
                                                   : FolderLookups::Found::const_iterator();
            if (!inFolder || (!stands && found == folder->found->cend())) {
                leftOut << entry.bookmark->href; // its folder hung: tried again at the next read
                continue;
            }
            if (!stands)
                attributes = *found;
        }
        results << (stands ? entry.known : resultOf(entry, std::move(attributes)));
        const std::shared_ptr<const MetadataItem> &result = results.constLast();
        if (!inPlace)
            known.insert(entry.bookmark->href, Known { result->lastUsed, result, location });
        else if (entry.slot->item != result)
            *entry.slot = Known { result->lastUsed, result, location };
    }
    if (!inPlace)
        m_known = std::move(known);
    for (const QString &href : std::as_const(leftOut))
        m_known.remove(href);
    m_lastFound = outcome.found;
    return results;
}

// Each folder's look-ups, and whether they are the very ones of the last read (the folder
// did not change, so the look-ups handed back what they found then).
QHash<QByteArray, StoreReading::FolderFound> StoreReading::foldersOf(
    const FolderLookups::Outcome &outcome) const
{
    QHash<QByteArray, FolderFound> folders;
    folders.reserve(outcome.found.size());
    for (auto it = outcome.found.cbegin(); it != outcome.found.cend(); ++it) {
        const auto last = m_lastFound.constFind(it.key());
        folders.insert(it.key(),
            { &it.value(), last != m_lastFound.cend() && last->isSharedWith(it.value()) });
    }
    return folders;
}

std::shared_ptr<const MetadataItem> StoreReading::resultOf(
    Pending &entry, std::optional<FileAttributes> attributes)
{
    if (entry.known && entry.known->attributesRead && entry.known->attributes == attributes)
        return entry.known;
    if (!entry.fresh)
        entry.fresh = itemFor(*entry.bookmark, entry.known->lastUsed);
    setAttributes(*entry.fresh, std::move(attributes));
    return entry.fresh;
}

StoreReading::Location StoreReading::Location::of(const QByteArray &path)
{
    if (path.isEmpty())
        return {};
    const qsizetype slash = path.lastIndexOf('/');
    return { path, FolderLookups::folderOf(path), path.mid(slash + 1) };
}
