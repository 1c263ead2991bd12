// SPDX-FileCopyrightText: 2026 The Quillmoth developers
// SPDX-License-Identifier: GPL-3.0-or-later

#include "Platform/StoreReading.h"

#include "Model/FileUrl.h"
#include "Platform/FileUri.h"
#include "Platform/XbelReader.h"

#include <QFile>

#include <algorithm>

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

// Newest first (or oldest first); results without a last-used date go last.
void sortByLastUsed(StoreReading::Results &results, bool ascending)
{
    std::stable_sort(results.begin(), results.end(),
        [ascending](const std::shared_ptr<const MetadataItem> &a,
            const std::shared_ptr<const MetadataItem> &b) {
            if (!a->lastUsed || !b->lastUsed)
                return a->lastUsed.has_value() && !b->lastUsed.has_value();
            return ascending ? *a->lastUsed < *b->lastUsed : *a->lastUsed > *b->lastUsed;
        });
}

} // namespace

struct StoreReading::Pending
{
    const StoreBookmark *bookmark;
    std::shared_ptr<const MetadataItem> known; // the last read's item, when still current
    std::shared_ptr<MetadataItem> fresh; // else a new one, looked up below
    Location location;
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
    QList<Pending> pending;
    pending.reserve(bookmarks.size());
    FolderLookups::ByFolder byFolder;
    for (const StoreBookmark &bookmark : bookmarks) {
        const std::optional<qint64> lastUsed = bookmark.lastUsed();
        if (cutoffMs && lastUsed && *lastUsed < *cutoffMs)
            continue;
        Pending entry { &bookmark, nullptr, nullptr, {} };
        const auto known = m_known.constFind(bookmark.href);
        if (known != m_known.cend() && known->lastUsed == lastUsed) {
            entry.known = known->item;
            entry.location = known->location;
        } else {
            entry.fresh = itemFor(bookmark, lastUsed);
            entry.location = Location::of(lookupPath(*entry.fresh));
        }
        if (!entry.location.path.isEmpty()) {
            byFolder[entry.location.folder].append(entry.location.path);
            snapshot.folders[entry.location.folder].insert(entry.location.name);
        }
        pending << std::move(entry);
    }

    const FolderLookups::Outcome outcome = m_lookups.lookUp(byFolder);
    Results results;
    results.reserve(pending.size());
    QHash<QString, Known> known;
    known.reserve(pending.size());
    for (Pending &entry : pending) {
        std::optional<FileAttributes> attributes;
        if (!entry.location.path.isEmpty()) {
            const std::optional<FileAttributes> *found
                = outcome.find(entry.location.folder, entry.location.path);
            if (!found)
                continue; // its folder hung: left out, tried again at the next read
            attributes = *found;
        }
        if (entry.known && entry.known->attributesRead && entry.known->attributes == attributes) {
            results << entry.known;
        } else {
            if (!entry.fresh)
                entry.fresh = itemFor(*entry.bookmark, entry.known->lastUsed);
            setAttributes(*entry.fresh, std::move(attributes));
            results << entry.fresh;
        }
        known.insert(entry.bookmark->href,
            Known { results.constLast()->lastUsed, results.constLast(), entry.location });
    }
    m_known = std::move(known);
    return results;
}

StoreReading::Location StoreReading::Location::of(const QByteArray &path)
{
    if (path.isEmpty())
        return {};
    const qsizetype slash = path.lastIndexOf('/');
    return { path, FolderLookups::folderOf(path), path.mid(slash + 1) };
}
