// SPDX-FileCopyrightText: 2026 The Quillmoth developers
// SPDX-License-Identifier: GPL-3.0-or-later

#pragma once

#include "Platform/PortalPaths.h"
#include "Platform/StoreReading.h"

#include <QHash>
#include <QList>
#include <QSet>

#include <memory>
#include <optional>

// The stores one query reads (the user's own, then sandboxed apps' in a fixed order), and one
// read of them on a worker: the stores that changed are read, each keeps its own last good set
// when it reads badly, and all are merged into one result set, in which a location listed by
// several stores appears once, with its newest last-used date (on a tie, the earlier store's).
class StoreSet
{
public:
    using Results = StoreReading::Results;
    using Folders = QHash<QByteArray, QSet<QByteArray>>;

    // One store as the query keeps it between reads (on the main thread).
    struct Store
    {
        QString path;
        std::shared_ptr<StoreReading> reading;
        Results lastGood; // its raw results, as read
        Folders folders; // of its last good read
        bool dirty = true;
        bool confirmingGone = false;
        StoreFile::Status lastFileStatus = StoreFile::Status::ok;
    };
    // What one read made of one store.
    struct Outcome
    {
        QString path;
        bool wasRead = false;
        StoreReading::Status status = StoreReading::Status::ok;
        StoreFile::Status fileStatus = StoreFile::Status::ok;
        Results lastGood;
        Folders folders;
        bool confirmingGone = false;
    };
    struct Gathered
    {
        QList<Outcome> stores; // in the order given
        Results results; // merged
        Folders folders; // merged, with those of the real locations of portal documents
        bool anyRead = false; // a store read well: `folders` is current
        bool anyConfirmingGone = false;
        QSet<QString> unknownDocuments; // portal documents whose real location is not known
    };

    static Gathered read(const QList<Store> &stores, const PortalPaths &portal,
        std::optional<qint64> cutoffMs, bool ascending);

private:
    static Outcome readOne(const Store &store, std::optional<qint64> cutoffMs, bool ascending);
    static Results mapped(const Results &results, const PortalPaths &portal, Gathered &gathered);
    static Results merged(const QList<Results> &lists, bool ascending);
};
