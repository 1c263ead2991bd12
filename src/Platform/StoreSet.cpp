// SPDX-FileCopyrightText: 2026 The Quillmoth developers
// SPDX-License-Identifier: GPL-3.0-or-later

#include "Platform/StoreSet.h"

#include "Model/FileUrl.h"
#include "Platform/FileUri.h"
#include "Platform/FolderLookups.h"

#include <QFile>

#include <algorithm>

namespace {

bool newerFirst(
    const std::shared_ptr<const MetadataItem> &a, const std::shared_ptr<const MetadataItem> &b)
{
    if (!a->lastUsed || !b->lastUsed)
        return a->lastUsed.has_value() && !b->lastUsed.has_value();
    return *a->lastUsed > *b->lastUsed;
}

bool olderFirst(
    const std::shared_ptr<const MetadataItem> &a, const std::shared_ptr<const MetadataItem> &b)
{
    if (!a->lastUsed || !b->lastUsed)
        return a->lastUsed.has_value() && !b->lastUsed.has_value();
    return *a->lastUsed < *b->lastUsed;
}

// The item of a portal document, at its real location and with that location's attributes.
std::shared_ptr<const MetadataItem> atHost(const MetadataItem &item, const QString &host)
{
    auto moved = std::make_shared<MetadataItem>();
    moved->path = host;
    moved->lastUsed = item.lastUsed;
    moved->displayName = displayBasename(host);
    moved->attributes = FileAttributes::lookup(host);
    moved->attributesRead = true;
    moved->url = fileUrl(host);
    if (!moved->lastUsed && moved->attributes)
        moved->contentChange = moved->attributes->modificationTime;
    return moved;
}

} // namespace

StoreSet::Gathered StoreSet::read(const QList<Store> &stores, const PortalPaths &portal,
    std::optional<qint64> cutoffMs, bool ascending)
{
    Gathered gathered;
    QList<Results> lists;
    for (const Store &store : stores) {
        Outcome outcome = readOne(store, cutoffMs, ascending);
        gathered.anyRead
            = gathered.anyRead || (outcome.wasRead && outcome.status == StoreReading::Status::ok);
        gathered.anyConfirmingGone = gathered.anyConfirmingGone || outcome.confirmingGone;
        for (auto it = outcome.folders.cbegin(); it != outcome.folders.cend(); ++it)
            gathered.folders[it.key()].unite(it.value());
        if (!outcome.lastGood.isEmpty())
            lists << mapped(outcome.lastGood, portal, gathered);
        gathered.stores << std::move(outcome);
    }
    gathered.results = merged(lists, ascending);
    return gathered;
}

StoreSet::Outcome StoreSet::readOne(
    const Store &store, std::optional<qint64> cutoffMs, bool ascending)
{
    Outcome outcome { store.path, store.dirty, StoreReading::Status::ok, store.lastFileStatus,
        store.lastGood, store.folders, store.confirmingGone };
    if (!store.dirty)
        return outcome;
    StoreReading::Snapshot snapshot = store.reading->read(store.path, cutoffMs, ascending);
    outcome.status = snapshot.status;
    outcome.fileStatus = snapshot.fileStatus;
    switch (snapshot.status) {
    case StoreReading::Status::ok:
        outcome.lastGood = std::move(snapshot.results);
        outcome.folders = std::move(snapshot.folders);
        outcome.confirmingGone = false;
        break;
    case StoreReading::Status::missing:
        // Gone for good only once it stays gone; an empty set has nothing to protect.
        outcome.confirmingGone = !store.lastGood.isEmpty() && !store.confirmingGone;
        if (!outcome.confirmingGone) {
            outcome.lastGood.clear();
            outcome.folders.clear();
        }
        break;
    case StoreReading::Status::unreadable:
    case StoreReading::Status::malformed:
        // Half-written, truncated or unreadable: this store keeps its last good set.
        outcome.confirmingGone = false;
        break;
    }
    return outcome;
}

StoreSet::Results StoreSet::mapped(
    const Results &results, const PortalPaths &portal, Gathered &gathered)
{
    // Only portal documents are touched; a set without any is handed on as it is.
    Results out;
    bool isCopy = false;
    for (qsizetype i = 0; i < results.size(); ++i) {
        const MetadataItem &item = *results.at(i);
        const std::optional<PortalPaths::Document> document
            = item.path ? portal.documentOf(*item.path) : std::nullopt;
        if (!document) {
            if (isCopy)
                out << results.at(i);
            continue;
        }
        if (!isCopy) {
            out = results.first(i);
            isCopy = true;
        }
        const std::optional<QString> host = portal.hostPathOf(*document);
        if (!host) {
            // Unknown (yet): left out rather than shown under a name that means nothing.
            if (!portal.hosts.contains(document->id))
                gathered.unknownDocuments.insert(document->id);
            continue;
        }
        out << atHost(item, *host);
        const QByteArray native = QFile::encodeName(*host);
        gathered.folders[FolderLookups::folderOf(native)].insert(
            native.mid(native.lastIndexOf('/') + 1));
    }
    return isCopy ? out : results;
}

StoreSet::Results StoreSet::merged(const QList<Results> &lists, bool ascending)
{
    if (lists.isEmpty())
        return {};
    if (lists.size() == 1)
        return lists.constFirst();
    Results all;
    for (const Results &list : lists)
        all << list;
    // Newest first, so that the first of a location is its newest; stable, so that a tie goes
    // to the earlier store.
    std::stable_sort(all.begin(), all.end(), newerFirst);
    QSet<QString> seen;
    seen.reserve(all.size());
    Results results;
    results.reserve(all.size());
    for (const auto &item : std::as_const(all)) {
        if (item->path) {
            const qsizetype before = seen.size();
            seen.insert(*item->path);
            if (seen.size() == before)
                continue;
        }
        results << item;
    }
    if (ascending)
        std::stable_sort(results.begin(), results.end(), olderFirst);
    return results;
}
