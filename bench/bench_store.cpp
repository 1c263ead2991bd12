// SPDX-FileCopyrightText: 2026 The Quillmoth developers
// SPDX-License-Identifier: GPL-3.0-or-later

// From a changed store to published items: the store re-read (ours against GBookmarkFile on the
// same file), one processing of the results, and the list's search and grouping.
#include "Model/ItemListing.h"
#include "Model/Settings.h"
#include "Platform/MetadataQuery.h"
#include "Platform/StoreSet.h"
#include "Platform/XbelReader.h"
#include "Store/RecentFilesStore.h"
#include "StoreFixture.h"

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QRandomGenerator>
#include <QThread>
#include <QTimer>

#include <benchmark/benchmark.h>
#include <glib.h>
#include <gtk/gtk.h>
#include <valgrind/callgrind.h>

#include <functional>
#include <map>

#include <cstdio>
#include <ctime>
#include <fcntl.h>
#include <unistd.h>

namespace {

StoreFixture &fixture(int entries)
{
    static std::map<int, StoreFixture> fixtures;
    auto found = fixtures.find(entries);
    if (found == fixtures.end())
        found = fixtures.emplace(entries, StoreFixture::make(entries)).first;
    qputenv("HOME", QFile::encodeName(found->second.home->path()));
    return found->second;
}

QString appStorePath(const TempHome &home, int app)
{
    return home.path()
        + QStringLiteral("/.var/app/org.example.App%1/data/recently-used.xbel").arg(app);
}

void flushToDisk(const QString &path)
{
    const int fd = ::open(QFile::encodeName(path).constData(), O_RDONLY | O_CLOEXEC);
    if (fd >= 0) {
        ::fsync(fd);
        ::close(fd);
    }
}

// Runs this thread's event loop until `done` or `limitMs` has passed; whether it is done.
bool runUntil(const std::function<bool()> &done, int limitMs)
{
    QElapsedTimer clock;
    clock.start();
    while (!done() && clock.elapsed() < limitMs)
        QCoreApplication::processEvents(QEventLoop::WaitForMoreEvents, 5);
    return done();
}

// Watches this thread's event loop through a 1 ms timer: the longest time between two ticks, and
// the most processor time the thread itself used between two ticks, which is what the program
// held its loop up for, apart from waiting for a core on a busy machine.
class LoopWatch
{
public:
    LoopWatch()
    {
        m_ticker.setInterval(1);
        QObject::connect(&m_ticker, &QTimer::timeout, [this] {
            m_longestMs = std::max(m_longestMs, m_sinceTick.restart());
            const qint64 cpu = threadCpuNs();
            m_busiestNs = std::max(m_busiestNs, cpu - std::exchange(m_cpuAtTick, cpu));
        });
    }
    void start()
    {
        m_sinceTick.start();
        m_cpuAtTick = threadCpuNs();
        m_ticker.start();
    }
    void stop() { m_ticker.stop(); }
    void report(benchmark::State &state) const
    {
        state.counters["longest_stall_ms"] = double(m_longestMs);
        state.counters["busiest_ms"] = double(m_busiestNs) / 1e6;
    }

private:
    static qint64 threadCpuNs()
    {
        timespec now {};
        clock_gettime(CLOCK_THREAD_CPUTIME_ID, &now);
        return qint64(now.tv_sec) * 1'000'000'000 + now.tv_nsec;
    }

    QTimer m_ticker;
    QElapsedTimer m_sinceTick;
    qint64 m_longestMs = 0;
    qint64 m_busiestNs = 0;
    qint64 m_cpuAtTick = 0;
};

// Under callgrind started with --collect-atstart=no (bench/report does), only the work inside
// a Counted scope is counted, on every thread: the instructions of the figures that compare
// work, which, unlike times, do not vary with the machine's load. Does nothing elsewhere.
class Counted
{
public:
    Counted() { CALLGRIND_TOGGLE_COLLECT; }
    ~Counted() { CALLGRIND_TOGGLE_COLLECT; }
    Counted(const Counted &) = delete;
    Counted &operator=(const Counted &) = delete;
};

std::optional<qint64> cutoffMs()
{
    return QDateTime::currentDateTimeUtc().addDays(-7).toMSecsSinceEpoch();
}

void GBookmarkFileLoad(benchmark::State &state)
{
    const StoreFixture &f = fixture(int(state.range(0)));
    const QByteArray path = QFile::encodeName(f.storePath);
    for (auto _ : state) {
        const Counted counted;
        GBookmarkFile *file = g_bookmark_file_new();
        if (!g_bookmark_file_load_from_file(file, path.constData(), nullptr))
            state.SkipWithError("GBookmarkFile could not load the store");
        g_bookmark_file_free(file);
    }
    state.counters["entries"] = double(state.range(0));
}

void StoreReaderOnly(benchmark::State &state)
{
    const StoreFixture &f = fixture(int(state.range(0)));
    for (auto _ : state) {
        QFile file(f.storePath);
        file.open(QIODevice::ReadOnly);
        const XbelReader::Result result = XbelReader::read(file.readAll());
        if (!result.usedFastPath)
            state.SkipWithError("store took the slow path");
        benchmark::DoNotOptimize(result.bookmarks.size());
    }
}

void QueryReRead(benchmark::State &state)
{
    const StoreFixture &f = fixture(int(state.range(0)));
    for (auto _ : state) {
        const Counted counted;
        const MetadataQuery::Snapshot snapshot
            = MetadataQuery::readSnapshot(f.storePath, cutoffMs(), false);
        benchmark::DoNotOptimize(snapshot.results.size());
    }
    state.counters["inWindow"] = f.inWindow;
}

// The work of one update: a store of which one entry changed since the last read, read by the
// same reading (its cache and look-ups warm, its folders settled), as the live query reads it.
void OneChangedEntry(benchmark::State &state)
{
    StoreFixture &f = fixture(int(state.range(0)));
    const QString other = f.home->path() + QStringLiteral("/other.xbel");
    QList<XbelEntry> changed = f.entries;
    changed[f.firstInWindow].visited = QDateTime::currentDateTimeUtc();
    writeFile(other, xbelDocument(changed));
    // Folders changed within the last two seconds are looked up again: wait until they settle.
    QThread::msleep(FolderLookups::settledAfterNs / 1'000'000 + 100);
    StoreReading reading;
    reading.read(f.storePath, cutoffMs(), false);
    bool toOther = true;
    for (auto _ : state) {
        const Counted counted;
        const StoreReading::Snapshot snapshot
            = reading.read(toOther ? other : f.storePath, cutoffMs(), false);
        benchmark::DoNotOptimize(snapshot.results.size());
        toOther = !toOther;
    }
}

void QueryUpdated(benchmark::State &state)
{
    const StoreFixture &f = fixture(int(state.range(0)));
    const MetadataQuery::Snapshot snapshot
        = MetadataQuery::readSnapshot(f.storePath, cutoffMs(), false);
    const std::optional<QDateTime> cutoff = QDateTime::currentDateTime().addDays(-7);
    for (auto _ : state)
        benchmark::DoNotOptimize(RecentFilesStore::buildItems(snapshot.results, cutoff).size());
    state.counters["items"] = double(RecentFilesStore::buildItems(snapshot.results, cutoff).size());
}

// Changed store to published items, without the settle delay: re-read plus processing.
void ChangedStoreToItems(benchmark::State &state)
{
    const StoreFixture &f = fixture(int(state.range(0)));
    const std::optional<QDateTime> cutoff = QDateTime::currentDateTime().addDays(-7);
    for (auto _ : state) {
        const Counted counted;
        const MetadataQuery::Snapshot snapshot
            = MetadataQuery::readSnapshot(f.storePath, cutoffMs(), false);
        benchmark::DoNotOptimize(RecentFilesStore::buildItems(snapshot.results, cutoff).size());
    }
}

void Groups(benchmark::State &state, const char *search)
{
    // Every item inside the window: the list the panel would show for this store.
    static std::map<int, QList<RecentItem>> itemsBySize;
    const int entries = int(state.range(0));
    if (!itemsBySize.count(entries)) {
        static std::map<int, StoreFixture> full;
        full.emplace(entries, StoreFixture::make(entries, 1.0));
        const MetadataQuery::Snapshot snapshot
            = MetadataQuery::readSnapshot(full.at(entries).storePath, cutoffMs(), false);
        itemsBySize[entries] = RecentFilesStore::buildItems(
            snapshot.results, QDateTime::currentDateTime().addDays(-7));
    }
    const QList<RecentItem> &items = itemsBySize.at(entries);
    static const auto settings = Settings::open();
    static FolderFilter filter(*settings);
    const Calendar calendar = Calendar::current();
    for (auto _ : state) {
        const QList<DayGroup> groups = ItemListing::groups(items, filter,
            QString::fromLatin1(search), ItemFilter::all, QDateTime::currentDateTime(), calendar);
        benchmark::DoNotOptimize(groups.size());
    }
    state.counters["items"] = double(items.size());
}

// The longest stretch the main thread spends away from its event loop while a store of 100,000
// entries, all used within one day (one in twenty still on disk), is read and listed.
void MainThreadStall(benchmark::State &state)
{
    TempHome home;
    const QDateTime now = QDateTime::currentDateTime();
    QList<XbelEntry> entries;
    for (int i = 0; i < 100000; ++i) {
        const QString name = QStringLiteral("Documents/many/f%1.txt").arg(i);
        entries << usedAt(i % 20 ? home.path() + QLatin1Char('/') + name : home.touch(name),
            now.addMSecs(-qint64(i) * 500));
    }
    writeAtomically(home.storePath(), xbelDocument(entries));
    for (auto _ : state) {
        RecentFilesStore store;
        LoopWatch loop;
        loop.start();
        if (!runUntil([&] { return store.items().size() == 5000; }, 60000))
            state.SkipWithError("the store did not list the 5,000 files on disk");
        loop.report(state);
    }
}

// Stores of sandboxed apps beside the fixture's: `count` Flatpak apps with `entries` bookmarks
// each, a quarter of them used within the week (real files). Returns each store's entries.
QList<QList<XbelEntry>> addAppStores(const TempHome &home, int count, int entries)
{
    QRandomGenerator random(7);
    const QDateTime now = QDateTime::currentDateTimeUtc();
    QList<QList<XbelEntry>> stores;
    for (int app = 0; app < count; ++app) {
        QList<XbelEntry> list;
        for (int i = 0; i < entries; ++i) {
            const bool recent = random.generateDouble() < 0.25;
            const qint64 ageSeconds = recent ? qint64(random.bounded(7 * 86400 - 3600))
                                             : qint64(8 * 86400 + random.bounded(365 * 86400));
            const QString relative = QStringLiteral("Downloads/app %1 file %2.pdf").arg(app).arg(i);
            const QString path
                = recent ? home.touch(relative) : home.path() + QLatin1Char('/') + relative;
            list << usedAt(path, now.addSecs(-ageSeconds));
        }
        writeAtomically(appStorePath(home, app), xbelDocument(list));
        stores << list;
    }
    return stores;
}

// From a writer's rename of a store (one entry used again, as GTK writes it) to the list the
// panel shows: the live query and the store on this thread's event loop, as in the program.
// Also the longest the event loop was held up meanwhile. With `apps` Flatpak stores of 1,000
// entries beside the user's; `changedApp` < 0 changes the user's store, else that app's.
void renameToPublished(benchmark::State &state, int entries, int apps, int changedApp)
{
    StoreFixture f = StoreFixture::make(entries);
    QList<QList<XbelEntry>> appEntries = addAppStores(*f.home, apps, 1000);
    qputenv("HOME", QFile::encodeName(f.home->path()));
    RecentFilesStore store(new MetadataQuery(f.storePath));
    bool published = false;
    QObject::connect(&store, &RecentFilesStore::itemsChanged, [&] { published = true; });
    if (!runUntil([&] { return !store.isLoading(); }, 120000))
        state.SkipWithError("the store never published its first list");
    runUntil([] { return false; }, 1500); // the restart after the folder priming passes
    QList<XbelEntry> &changing = changedApp < 0 ? f.entries : appEntries[changedApp];
    const QString target = changedApp < 0 ? f.storePath : appStorePath(*f.home, changedApp);
    const QString temporary = target + QStringLiteral(".new");
    LoopWatch loop;
    int i = 0;
    for (auto _ : state) {
        changing[changedApp < 0 ? f.firstInWindow : 0].visited
            = QDateTime::currentDateTimeUtc().addSecs(++i);
        writeFile(temporary, xbelDocument(changing));
        // Flushed before the rename, as GLib's g_file_set_contents does: otherwise ext4 flushes
        // it inside the rename (tens of ms for a large store), which is the writer's cost.
        flushToDisk(temporary);
        published = false;
        QElapsedTimer clock;
        clock.start();
        ::rename(QFile::encodeName(temporary).constData(), QFile::encodeName(target).constData());
        // The rename (which frees the old store) is the writer's, another program's, so the
        // event loop is watched from its end.
        loop.start();
        if (!runUntil([&] { return published; }, 60000))
            state.SkipWithError("the rename was never published");
        state.SetIterationTime(double(clock.nsecsElapsed()) / 1e9);
        loop.stop();
        runUntil([] { return false; }, MetadataQuery::settleMs + 50); // no burst left over
    }
    loop.report(state);
}

// The same without the event loop: a changed store read again (the others kept from the last
// read), merged with the apps' stores and processed. `apps` Flatpak stores of 1,000 entries.
void ChangedStoreToItemsWithApps(benchmark::State &state)
{
    StoreFixture f = StoreFixture::make(int(state.range(0)));
    const int apps = int(state.range(1));
    addAppStores(*f.home, apps, 1000);
    QList<StoreSet::Store> stores;
    for (int app = -1; app < apps; ++app) {
        StoreSet::Store store;
        store.path = app < 0 ? f.storePath : appStorePath(*f.home, app);
        store.reading = std::make_shared<StoreReading>();
        stores << store;
    }
    const std::optional<QDateTime> cutoff = QDateTime::currentDateTime().addDays(-7);
    const auto readAll = [&] {
        StoreSet::Gathered gathered = StoreSet::read(stores, {}, cutoffMs(), false);
        for (qsizetype i = 0; i < stores.size(); ++i) {
            stores[i].lastGood = gathered.stores[i].lastGood;
            stores[i].dirty = false;
        }
        return RecentFilesStore::buildItems(gathered.results, cutoff).size();
    };
    readAll();
    int i = 0;
    for (auto _ : state) {
        state.PauseTiming();
        f.entries[f.firstInWindow].visited = QDateTime::currentDateTimeUtc().addSecs(++i);
        writeAtomically(f.storePath, xbelDocument(f.entries));
        stores[0].dirty = true;
        state.ResumeTiming();
        benchmark::DoNotOptimize(readAll());
    }
}

// From a listed file's deletion (in a file manager, a terminal) to the list without it, with
// 10,000 entries in the store: the store itself does not change. The file comes back between
// iterations, unmeasured.
void DeletedFileLeaves(benchmark::State &state)
{
    StoreFixture f = StoreFixture::make(int(state.range(0)));
    qputenv("HOME", QFile::encodeName(f.home->path()));
    RecentFilesStore store(new MetadataQuery(f.storePath));
    const QString path = QUrl(f.entries[f.firstInWindow].href).toLocalFile();
    const auto listed = [&] {
        for (const RecentItem &item : store.items()) {
            if (item.url().toLocalFile() == path)
                return true;
        }
        return false;
    };
    if (!runUntil(listed, 120000))
        state.SkipWithError("the store never listed the file");
    for (auto _ : state) {
        QElapsedTimer clock;
        clock.start();
        QFile::remove(path);
        if (!runUntil([&] { return !listed(); }, 60000))
            state.SkipWithError("the deleted file stayed listed");
        state.SetIterationTime(double(clock.nsecsElapsed()) / 1e9);
        writeFile(path, {});
        if (!runUntil(listed, 60000))
            state.SkipWithError("the file that came back was never listed again");
    }
}

void RenameToPublished(benchmark::State &state)
{
    renameToPublished(state, int(state.range(0)), 0, -1);
}

// Ten apps' stores beside the user's; the user's store changes (0) or an app's (1).
void RenameToPublishedWithApps(benchmark::State &state)
{
    renameToPublished(state, int(state.range(0)), 10, state.range(1) ? 3 : -1);
}

// The reference for RenameToPublished: GTK's own recent manager (GTK 3) on the same store and
// the same rewrite, from the rename to its "changed" signal with the items read again.
void GtkRecentManagerNotices(benchmark::State &state)
{
    StoreFixture f = StoreFixture::make(int(state.range(0)));
    const QByteArray path = QFile::encodeName(f.storePath);
    GtkRecentManager *manager = GTK_RECENT_MANAGER(
        g_object_new(GTK_TYPE_RECENT_MANAGER, "filename", path.constData(), nullptr));
    bool changed = false;
    g_signal_connect(manager, "changed",
        G_CALLBACK(+[](GtkRecentManager *, gpointer flag) { *static_cast<bool *>(flag) = true; }),
        &changed);
    g_list_free_full(gtk_recent_manager_get_items(manager), (GDestroyNotify)gtk_recent_info_unref);
    const QString temporary = f.storePath + QStringLiteral(".new");
    int i = 0;
    for (auto _ : state) {
        f.entries[f.firstInWindow].visited = QDateTime::currentDateTimeUtc().addSecs(++i);
        writeFile(temporary, xbelDocument(f.entries));
        flushToDisk(temporary);
        changed = false;
        QElapsedTimer clock;
        clock.start();
        ::rename(
            QFile::encodeName(temporary).constData(), QFile::encodeName(f.storePath).constData());
        if (!runUntil([&] { return changed; }, 60000))
            state.SkipWithError("GTK never noticed the rename");
        GList *items = gtk_recent_manager_get_items(manager);
        benchmark::DoNotOptimize(g_list_length(items));
        g_list_free_full(items, (GDestroyNotify)gtk_recent_info_unref);
        state.SetIterationTime(double(clock.nsecsElapsed()) / 1e9);
        runUntil([] { return false; }, 300); // no change notice left over
    }
    g_object_unref(manager);
}

} // namespace

BENCHMARK(GtkRecentManagerNotices)
    ->Arg(1000)
    ->Arg(10000)
    ->Arg(100000)
    ->UseManualTime()
    ->Iterations(6)
    ->Unit(benchmark::kMillisecond);
BENCHMARK(RenameToPublished)
    ->Arg(1000)
    ->Arg(10000)
    ->Arg(100000)
    ->UseManualTime()
    ->Iterations(12)
    ->Unit(benchmark::kMillisecond);
BENCHMARK(DeletedFileLeaves)
    ->Arg(10000)
    ->Iterations(10)
    ->UseManualTime()
    ->Unit(benchmark::kMillisecond);
BENCHMARK(RenameToPublishedWithApps)
    ->Args({ 10000, 0 })
    ->Args({ 10000, 1 })
    ->UseManualTime()
    ->Iterations(12)
    ->Unit(benchmark::kMillisecond);
BENCHMARK(ChangedStoreToItemsWithApps)
    ->Args({ 10000, 0 })
    ->Args({ 10000, 10 })
    ->Unit(benchmark::kMillisecond);
BENCHMARK(MainThreadStall)->Iterations(1)->Unit(benchmark::kMillisecond);
BENCHMARK(GBookmarkFileLoad)->Arg(1000)->Arg(10000)->Arg(100000)->Unit(benchmark::kMillisecond);
BENCHMARK(StoreReaderOnly)->Arg(1000)->Arg(10000)->Arg(100000)->Unit(benchmark::kMillisecond);
BENCHMARK(QueryReRead)->Arg(1000)->Arg(10000)->Arg(100000)->Unit(benchmark::kMillisecond);
BENCHMARK(OneChangedEntry)->Arg(10000)->Arg(100000)->Unit(benchmark::kMillisecond);
BENCHMARK(QueryUpdated)->Arg(1000)->Arg(10000)->Arg(100000)->Unit(benchmark::kMillisecond);
BENCHMARK(ChangedStoreToItems)->Arg(1000)->Arg(10000)->Arg(100000)->Unit(benchmark::kMillisecond);
BENCHMARK_CAPTURE(Groups, one_letter, "e")->Arg(10000)->Unit(benchmark::kMillisecond);
BENCHMARK_CAPTURE(Groups, five_letters, "repor")->Arg(10000)->Unit(benchmark::kMillisecond);

int main(int argc, char **argv)
{
    return runBenchmarks<QCoreApplication>(argc, argv);
}
