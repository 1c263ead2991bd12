// SPDX-FileCopyrightText: 2026 The Quillmoth developers
// SPDX-License-Identifier: GPL-3.0-or-later

#pragma once

#include "Platform/FolderLookups.h"
#include "Platform/MetadataItem.h"
#include "Platform/StoreFile.h"
#include "Platform/XbelBookmarkCache.h"

#include <QHash>
#include <QList>
#include <QSet>

#include <functional>
#include <memory>
#include <optional>

// Reads the store into raw results, doing only the work the change since the last read calls
// for: unchanged bookmarks are not parsed again, and the results of unchanged folders are
// reused. What it returns is exactly what a first read of the same store would return. Runs
// on one worker thread at a time.
class StoreReading
{
public:
    enum class Status { ok, missing, unreadable, malformed };
    using Results = QList<std::shared_ptr<const MetadataItem>>;
    struct Snapshot
    {
        Status status = Status::missing;
        StoreFile::Status fileStatus = StoreFile::Status::missing;
        Results results;
        // The folders (native paths) that hold the results' locations, found or not.
        QHash<QByteArray, QSet<QByteArray>> folders;
    };

    // `lookupReturned` is called on a worker thread when a look-up given up as stuck returns.
    explicit StoreReading(std::function<void()> lookupReturned = {});

    Snapshot read(const QString &storePath, std::optional<qint64> cutoffMs, bool ascending);

private:
    // Where a result's location is looked up, split once: making it from a URL costs more
    // than the rest of an unchanged result's reading.
    struct Location
    {
        QByteArray path; // native; empty when there is nothing to look up
        QByteArray folder;
        QByteArray name;
        static Location of(const QByteArray &path);
    };
    struct Known
    {
        std::optional<qint64> lastUsed;
        std::shared_ptr<const MetadataItem> item;
        Location location;
    };
    struct Pending;
    struct FolderFound
    {
        const FolderLookups::Found *found;
        bool asLastRead;
    };
    QHash<QByteArray, FolderFound> foldersOf(const FolderLookups::Outcome &outcome) const;
    Results resultsFor(
        const QList<StoreBookmark> &bookmarks, std::optional<qint64> cutoffMs, Snapshot &snapshot);
    QList<Pending> pendingFor(
        const QList<StoreBookmark> &bookmarks, std::optional<qint64> cutoffMs);
    Results collect(QList<Pending> &pending, const FolderLookups::Outcome &outcome, bool inPlace);
    static std::shared_ptr<const MetadataItem> resultOf(
        Pending &entry, std::optional<FileAttributes> attributes);

    XbelBookmarkCache m_bookmarks;
    FolderLookups m_lookups;
    QHash<QString, Known> m_known; // by href, from the last read
    // The last read's locations by folder, to look up and to watch.
    FolderLookups::ByFolder m_byFolder;
    QHash<QByteArray, QSet<QByteArray>> m_folders;
    // The last read's look-ups by folder: every result it kept agrees with them.
    QHash<QByteArray, FolderLookups::Found> m_lastFound;
    bool m_hadEveryResult = false; // no location of the last read was left out
};
