// SPDX-FileCopyrightText: 2026 The Quillmoth developers
// SPDX-License-Identifier: GPL-3.0-or-later

#pragma once

#include "Platform/FileAttributes.h"

#include <QByteArray>
#include <QHash>
#include <QList>

#include <functional>
#include <memory>
#include <optional>

// The file look-ups of one read, done folder by folder on worker threads. A folder whose
// modification time and inode are those of the last look-up keeps its results (creating,
// deleting or renaming an entry changes both); only changed folders are looked up again.
// A folder whose look-ups stop making progress (a dead network mount) is given up: its
// locations count as not found, it is not asked again while the stuck call lasts, and
// `returned` is called (on a worker thread) once it comes back.
class FolderLookups
{
public:
    // A location to look up, by its own bytes; its folder is the path up to the last '/'.
    using Found = QHash<QByteArray, std::optional<FileAttributes>>;
    // Locations by their folder (folderOf each).
    using ByFolder = QHash<QByteArray, QList<QByteArray>>;

    explicit FolderLookups(std::function<void()> returned);
    ~FolderLookups();
    FolderLookups(const FolderLookups &) = delete;
    FolderLookups &operator=(const FolderLookups &) = delete;

    // Looks up every path; a path of a folder in `givenUp` (its look-ups hung) has no entry.
    struct Outcome
    {
        QHash<QByteArray, Found> found; // by folder: kept as the look-ups made them, not merged
        QList<QByteArray> givenUp;
        // What was found at a path of a folder, or null (its folder hung).
        const std::optional<FileAttributes> *find(
            const QByteArray &folder, const QByteArray &path) const;
    };
    Outcome lookUp(ByFolder byFolder);

    // How long a look-up may go without progress before its folder is given up.
    static constexpr int stuckAfterMs = 2000;
    // Seconds a folder's modification time must lie in the past before its results are
    // reused: time stamps are coarse (a tick on Linux, 2 s on FAT), and two changes within
    // one tick leave the same time.
    static constexpr qint64 settledAfterNs = 2'000'000'000;
    // Locations per task, so that a folder of 100,000 listed files still spreads over the cores.
    static constexpr qsizetype chunkSize = 2048;

    static QByteArray folderOf(const QByteArray &path);

private:
    struct Folder;
    struct Task;
    struct Batch;
    std::shared_ptr<Batch> startTasks(const ByFolder &byFolder);
    void waitFor(Batch &batch, Outcome &outcome);
    void collect(const Batch &batch, Outcome &outcome);
    static void takeUnchanged(
        const Batch &batch, QHash<QByteArray, std::shared_ptr<Folder>> &folders);

    QHash<QByteArray, std::shared_ptr<Folder>> m_folders;
    QHash<QByteArray, std::shared_ptr<Task>> m_stuck;
    std::function<void()> m_returned;
};
