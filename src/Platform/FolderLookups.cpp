// SPDX-FileCopyrightText: 2026 The Quillmoth developers
// SPDX-License-Identifier: GPL-3.0-or-later

#include "Platform/FolderLookups.h"

#include "Platform/SystemCalls.h"

#include <QSet>
#include <QThread>
#include <QThreadPool>

#include <algorithm>
#include <atomic>
#include <chrono>
#include <condition_variable>
#include <ctime>
#include <mutex>

namespace {

// Threads that, once started, wait for work instead of ending after a while (an idle program
// then wakes for nothing). Never destroyed: a thread stuck on a dead mount must not hold up
// the program's exit.
QThreadPool &lookupPool()
{
    static QThreadPool *pool = [] {
        auto *p = new QThreadPool;
        p->setExpiryTimeout(-1);
        p->setMaxThreadCount(std::max(2, QThread::idealThreadCount()));
        return p;
    }();
    return *pool;
}

qint64 steadyMs()
{
    return std::chrono::duration_cast<std::chrono::milliseconds>(
        std::chrono::steady_clock::now().time_since_epoch())
        .count();
}

qint64 wallClockNs()
{
    struct timespec now;
    clock_gettime(CLOCK_REALTIME, &now);
    return qint64(now.tv_sec) * 1'000'000'000 + now.tv_nsec;
}

} // namespace

// What one folder's look-ups found, and the folder as it was then.
struct FolderLookups::Folder
{
    dev_t device = 0;
    ino_t inode = 0;
    qint64 modifiedNs = 0;
    bool settled = false; // no later change can have kept the same time stamp
    Found found;
    QList<QByteArray> paths; // looked up, in order: a read of the same ones reuses `found`

    bool isUnchangedAt(const struct stat &info) const
    {
        return settled && info.st_dev == device && info.st_ino == inode
            && qint64(info.st_mtim.tv_sec) * 1'000'000'000 + info.st_mtim.tv_nsec == modifiedNs;
    }
};

struct FolderLookups::Task
{
    enum State { running, finished, givenUp };

    QByteArray folder;
    QList<QByteArray> paths;
    qsizetype at = 0; // where `paths` start among the folder's
    qsizetype folderPaths = 0; // how many the folder has in all
    std::shared_ptr<const Folder> previous;
    std::weak_ptr<Batch> batch; // the batch holds its tasks
    std::function<void()> returned;

    Folder result;
    bool folderFound = false;
    // The folder did not change and these are the locations of the last look-ups, at the same
    // place: the last look-ups stand as they are (`result.found` stays empty).
    bool asBefore = false;
    std::atomic<bool> isStarted { false };
    std::atomic<bool> isDone { false };
    std::atomic<qint64> lastProgressMs { 0 };
    std::atomic<int> state { running };

    void run();
    void lookUpEach(bool reuse);
    void finish();
};

struct FolderLookups::Batch
{
    std::mutex mutex;
    std::condition_variable doneOne;
    int remaining = 0;
    QList<std::shared_ptr<Task>> tasks;
};

void FolderLookups::Task::run()
{
    lastProgressMs = steadyMs();
    isStarted = true;
    const qint64 startedNs = wallClockNs();
    struct stat info;
    folderFound = SystemCalls::stat(folder.isEmpty() ? "/" : folder.constData(), &info) == 0;
    const bool reuse = folderFound && previous && previous->isUnchangedAt(info);
    if (folderFound) {
        result.device = info.st_dev;
        result.inode = info.st_ino;
        result.modifiedNs = qint64(info.st_mtim.tv_sec) * 1'000'000'000 + info.st_mtim.tv_nsec;
        result.settled = result.modifiedNs + settledAfterNs < startedNs;
    }
    // The same locations in an unchanged folder: what was found stands, without a look-up
    // or a copy per location.
    asBefore = reuse && previous->paths.size() == folderPaths
        && std::equal(paths.cbegin(), paths.cend(), previous->paths.cbegin() + at);
    result.paths = paths;
    if (!asBefore)
        lookUpEach(reuse);
    lastProgressMs = steadyMs();
    finish();
}

void FolderLookups::Task::lookUpEach(bool reuse)
{
    result.found.reserve(paths.size());
    for (const QByteArray &path : paths) {
        const auto known = reuse ? previous->found.constFind(path) : Found::const_iterator();
        if (reuse && known != previous->found.cend())
            result.found.insert(path, *known);
        else
            result.found.insert(path, FileAttributes::lookup(path));
        lastProgressMs = steadyMs();
    }
}

void FolderLookups::Task::finish()
{
    isDone = true;
    int expected = running;
    if (state.compare_exchange_strong(expected, finished)) {
        // Still running, so the reader still waits for it, holding the batch.
        const std::shared_ptr<Batch> waiting = batch.lock();
        const std::lock_guard lock(waiting->mutex);
        --waiting->remaining;
        waiting->doneOne.notify_all();
    } else {
        // Given up meanwhile: the thread counts again, and the reader tries once more.
        lookupPool().setMaxThreadCount(lookupPool().maxThreadCount() - 1);
        returned();
    }
}

FolderLookups::FolderLookups(std::function<void()> returned)
    : m_returned(std::move(returned))
{
}

FolderLookups::~FolderLookups() = default;

const std::optional<FileAttributes> *FolderLookups::Outcome::find(
    const QByteArray &folder, const QByteArray &path) const
{
    const auto inFolder = found.constFind(folder);
    if (inFolder == found.cend())
        return nullptr;
    const auto at = inFolder->constFind(path);
    return at == inFolder->cend() ? nullptr : &*at;
}

QByteArray FolderLookups::folderOf(const QByteArray &path)
{
    return path.left(std::max<qsizetype>(0, path.lastIndexOf('/')));
}

FolderLookups::Outcome FolderLookups::lookUp(ByFolder byFolder)
{
    Outcome outcome;
    m_stuck.removeIf([](const auto &entry) { return entry.value()->isDone.load(); });
    for (auto it = byFolder.begin(); it != byFolder.end();) {
        // A folder still stuck from an earlier read is not asked again.
        if (m_stuck.contains(it.key())) {
            outcome.givenUp << it.key();
            it = byFolder.erase(it);
        } else {
            ++it;
        }
    }
    const std::shared_ptr<Batch> batch = startTasks(byFolder);
    waitFor(*batch, outcome);
    collect(*batch, outcome);
    return outcome;
}

std::shared_ptr<FolderLookups::Batch> FolderLookups::startTasks(const ByFolder &byFolder)
{
    auto batch = std::make_shared<Batch>();
    for (auto it = byFolder.cbegin(); it != byFolder.cend(); ++it) {
        const std::shared_ptr<Folder> previous = m_folders.value(it.key());
        for (qsizetype at = 0; at < it.value().size(); at += chunkSize) {
            auto task = std::make_shared<Task>();
            task->folder = it.key();
            task->paths = it.value().mid(at, chunkSize);
            task->at = at;
            task->folderPaths = it.value().size();
            task->previous = previous;
            task->batch = batch;
            task->returned = m_returned;
            batch->tasks << task;
        }
    }
    batch->remaining = int(batch->tasks.size());
    for (const std::shared_ptr<Task> &task : std::as_const(batch->tasks))
        lookupPool().start([task] { task->run(); });
    return batch;
}

void FolderLookups::waitFor(Batch &batch, Outcome &outcome)
{
    std::unique_lock lock(batch.mutex);
    while (batch.remaining > 0) {
        batch.doneOne.wait_for(lock, std::chrono::milliseconds(100));
        const qint64 now = steadyMs();
        for (const std::shared_ptr<Task> &task : std::as_const(batch.tasks)) {
            if (!task->isStarted || task->isDone || now - task->lastProgressMs < stuckAfterMs)
                continue;
            int expected = Task::running;
            if (!task->state.compare_exchange_strong(expected, Task::givenUp))
                continue;
            // The stuck thread no longer counts: the others keep the pool's full width.
            lookupPool().setMaxThreadCount(lookupPool().maxThreadCount() + 1);
            --batch.remaining;
            m_stuck.insert(task->folder, task);
            if (!outcome.givenUp.contains(task->folder))
                outcome.givenUp << task->folder;
        }
    }
}

void FolderLookups::collect(const Batch &batch, Outcome &outcome)
{
    QHash<QByteArray, std::shared_ptr<Folder>> folders;
    QSet<QByteArray> unsettled;
    for (const std::shared_ptr<Task> &task : batch.tasks) {
        if (task->state != Task::finished)
            continue;
        std::shared_ptr<Folder> &folder = folders[task->folder];
        if (!folder) {
            folder = std::make_shared<Folder>(task->result);
        } else {
            // Chunks of one folder that saw it differently: the folder changed meanwhile.
            if (folder->modifiedNs != task->result.modifiedNs
                || folder->inode != task->result.inode)
                unsettled << task->folder;
            folder->found.insert(task->result.found);
            folder->paths += task->result.paths;
        }
        if (!task->folderFound)
            unsettled << task->folder;
    }
    takeUnchanged(batch, folders);
    for (auto it = folders.cbegin(); it != folders.cend(); ++it)
        outcome.found.insert(it.key(), it.value()->found);
    for (const QByteArray &folder : std::as_const(outcome.givenUp))
        folders.remove(folder);
    for (const QByteArray &folder : std::as_const(unsettled))
        if (folders.contains(folder))
            folders[folder]->settled = false;
    // Only the folders of this read are kept, so the memory follows the store.
    m_folders = std::move(folders);
}

void FolderLookups::takeUnchanged(
    const Batch &batch, QHash<QByteArray, std::shared_ptr<Folder>> &folders)
{
    // A folder all of whose tasks found it as before keeps the last look-ups, shared.
    QSet<QByteArray> changed;
    for (const std::shared_ptr<Task> &task : batch.tasks)
        if (task->state != Task::finished || !task->asBefore)
            changed << task->folder;
    for (const std::shared_ptr<Task> &task : batch.tasks) {
        if (task->state != Task::finished || !task->asBefore || !folders.contains(task->folder))
            continue;
        Folder &folder = *folders[task->folder];
        if (!changed.contains(task->folder)) {
            folder.found = task->previous->found;
            folder.paths = task->previous->paths;
            continue;
        }
        // Another task of the folder saw it change meanwhile: this one's locations are taken
        // from the last look-ups one by one.
        for (const QByteArray &path : std::as_const(task->paths))
            folder.found.insert(path, task->previous->found.value(path));
    }
}
