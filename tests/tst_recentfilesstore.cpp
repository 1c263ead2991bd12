// SPDX-FileCopyrightText: 2026 The Quillmoth developers
// SPDX-License-Identifier: GPL-3.0-or-later

// The store as the user's desktop leaves it: live rewrites, bad and hostile stores, and the rules
// that turn entries into items.
#include "FaultInjection.h"
#include "Model/FileUrl.h"
#include "Platform/QuitOnSignals.h"
#include "Platform/StoreReading.h"
#include "Platform/SystemCalls.h"
#include "Store/RecentFilesStore.h"
#include "StoreWaits.h"
#include "TestSupport.h"

#include <QDir>
#include <QFile>
#include <QRandomGenerator>
#include <QSignalSpy>
#include <QTest>

#include <csignal>
#include <fcntl.h>
#include <sys/stat.h>
#include <sys/time.h>
#include <sys/wait.h>
#include <unistd.h>

using namespace Qt::StringLiterals;

// Designated initializers name only the fields a case is about; the rest keep their defaults.
#pragma GCC diagnostic ignored "-Wmissing-field-initializers"

namespace {

// Sets a folder's modification time, as the clock moving on between changes would.
void setModified(const QString &folder, qint64 secondsSinceEpoch)
{
    const struct timeval times[2] = { { secondsSinceEpoch, 0 }, { secondsSinceEpoch, 0 } };
    QVERIFY(::utimes(QFile::encodeName(folder).constData(), times) == 0);
}

} // namespace

class RecentFilesStoreTest : public QObject
{
    Q_OBJECT
private Q_SLOTS:
    void processingRules()
    {
        TempHome home;
        const QDateTime now = QDateTime::currentDateTime();
        const QString doc = home.touch(u"Documents/report.pdf"_s);
        const QString folder = home.mkdir(u"Projects/Quill"_s);
        // The XDG homes are hidden wherever they point (here, not in a dot-folder).
        qputenv("XDG_CONFIG_HOME", QFile::encodeName(home.path() + u"/settings"_s));
        QList<XbelEntry> entries;
        for (const QString &path : { doc, folder, home.touch(u".hidden/x.txt"_s),
                 home.touch(u"settings/app.conf"_s), home.touch(u"My Files/été & co.txt"_s) })
            entries << usedAt(path, now.addSecs(-10 * entries.size()));
        entries << usedAt(home.touch(u"Documents/old.txt"_s), now.addDays(-8));
        // A name that is not UTF-8 is listed readably and still names its own bytes.
        const QByteArray latin1 = QFile::encodeName(home.path()) + "/caf\xe9.txt";
        QVERIFY(::close(::creat(latin1.constData(), 0600)) == 0);
        entries << usedAt({}, now.addSecs(-130));
        entries.last().href = u"file://"_s + QString::fromLatin1(latin1.toPercentEncoding("/"));
        // Other spellings of listed locations, older: one item per location, the first wins.
        for (const QString &href :
            { u"file://localhost"_s + doc, u"file:////"_s + doc, u"file:"_s + doc,
                fileUri(folder) + u"/"_s, fileUri(home.path() + u"/Projects/./Quill"_s) }) {
            entries << usedAt({}, now.addSecs(-500));
            entries.last().href = href;
        }
        writeAtomically(home.storePath(), xbelDocument(entries));

        RecentFilesStore store;
        QVERIFY(lists(store, { "report.pdf", "Quill", "été & co.txt", "caf\uFFFD.txt" }));
        const QList<RecentItem> &items = store.items();
        // Files and folders told apart: the hostile entries' test.
        QCOMPARE(items.at(0).path(), u"Documents"_s);
        QCOMPARE(nativePath(items.at(3).url()), latin1);
        for (qsizetype i = 1; i < items.size(); ++i)
            QVERIFY(items.at(i - 1).date() >= items.at(i).date());
    }

    void makeItemRules()
    {
        TempHome home;
        const QString file = home.touch(u"Documents/report.final.pdf"_s);
        const QDateTime cutoff = QDateTime::currentDateTimeUtc().addDays(-7);
        const qint64 at = cutoff.toMSecsSinceEpoch();
        const auto make
            = [&](const MetadataItem &item) { return RecentFilesStore::makeItem(item, cutoff); };
        // A date equal to the cutoff passes; a moment older does not; without a cutoff, no test.
        QVERIFY(make({ .path = file, .lastUsed = at }));
        QVERIFY(!make({ .path = file, .lastUsed = at - 1 }));
        QVERIFY(RecentFilesStore::makeItem({ .path = file, .lastUsed = at - 86400000 }, {}));
        // No last-used date: the content-change date stands in; with neither there is no item.
        QCOMPARE(
            make({ .path = file, .contentChange = at + 5 })->date().toMSecsSinceEpoch(), at + 5);
        QVERIFY(!make({ .path = file }));
        // Without a display name: the file name without its extension. No path, no item.
        QCOMPARE(make({ .path = file, .lastUsed = at })->name(), u"report.final"_s);
        QCOMPARE(make({ .path = file, .lastUsed = at, .displayName = u"Final Report"_s })->name(),
            u"Final Report"_s);
        QVERIFY(!make({ .lastUsed = at }));
        // Attributes read with the store are used as they are: a folder that is a package is
        // no folder; a nameless location gives no item (launchers and failed look-ups are the
        // hostile entries' case, through the store).
        const auto read = [&](std::optional<FileAttributes> attributes) {
            return make(
                { .path = file, .lastUsed = at, .attributes = attributes, .attributesRead = true });
        };
        QVERIFY(!read(FileAttributes { true, true, u"b"_s, u"inode/directory"_s })->isFolder());
        QVERIFY(!read(FileAttributes {}));
    }

    // Live updates: a store that comes, changes, turns bad, vanishes and returns. A bad store
    // never replaces the last good list; a store gone for good is no history.
    void liveUpdates()
    {
        TempHome home;
        LogCapture log(QUILLMOTH_APP_ID ".store");
        const QDateTime now = QDateTime::currentDateTime();
        const QString a = home.touch(u"a.txt"_s), b = home.touch(u"b.txt"_s);
        // Without a store: loaded, and nothing kept (loading at first is the view's states test).
        RecentFilesStore store;
        QVERIFY(QTest::qWaitFor([&] { return !store.isLoading(); }, 5000));
        QVERIFY(QTest::qWaitFor([&] { return !log.lines().isEmpty(); }, 2000));
        QCOMPARE(log.lines().first(), u"gathered 0 raw, kept 0: "_s);

        writeAtomically(home.storePath(), xbelOf({ a }, now));
        QVERIFY(lists(store, { "a.txt" }));
        const QByteArray both = xbelOf({ b, a }, now);
        writeAtomically(home.storePath(), both);
        QVERIFY(lists(store, { "b.txt", "a.txt" }));
        // (Which documents are no store is the reader's test, against GLib.)
        for (const QByteArray &bad : { QByteArray(), both.left(both.size() / 2) }) {
            writeFile(home.storePath(), bad);
            QTest::qWait(MetadataQuery::settleMs + 300);
            QCOMPARE(itemNames(store), QStringList({ "b.txt", "a.txt" }));
        }
        // A well-formed store without entries (history cleared) empties the list.
        writeAtomically(home.storePath(), xbelDocument({}));
        QVERIFY(lists(store, {}));

        // Deleted and written again straight away: no empty list in between.
        writeAtomically(home.storePath(), xbelOf({ a }, now));
        QVERIFY(lists(store, { "a.txt" }));
        bool everEmpty = false;
        connect(&store, &RecentFilesStore::itemsChanged, this,
            [&] { everEmpty = everEmpty || store.items().isEmpty(); });
        QFile::remove(home.storePath());
        QTest::qWait(20);
        writeAtomically(home.storePath(), xbelOf({ a }, now));
        QTest::qWait(MetadataQuery::goneConfirmMs + 300);
        QVERIFY(!everEmpty);
        QCOMPARE(itemNames(store), QStringList { "a.txt" });
        disconnect(&store, nullptr, this, nullptr);
        // Gone for good; then the whole directory removed and made again with a store.
        QFile::remove(home.storePath());
        QVERIFY(lists(store, {}));
        writeAtomically(home.storePath(), xbelOf({ a }, now));
        QVERIFY(lists(store, { "a.txt" }));
        QVERIFY(QDir(home.path() + u"/.local"_s).removeRecursively());
        QVERIFY(lists(store, {}));
        writeAtomically(home.storePath(), xbelOf({ a }, now));
        QVERIFY(lists(store, { "a.txt" }));
    }

    // Reports are held back while updates are off, and a store hears only its own query.
    void heldBackAndOwnQueryOnly()
    {
        TempHome home;
        const QDateTime now = QDateTime::currentDateTime();
        const QString a = home.touch(u"a.txt"_s), b = home.touch(u"b.txt"_s);
        const QString otherPath = home.path() + u"/other/recently-used.xbel"_s;
        writeAtomically(home.storePath(), xbelOf({ a }, now));
        writeAtomically(otherPath, xbelOf({ b }, now));
        auto *query = new MetadataQuery(home.storePath());
        RecentFilesStore store(query);
        RecentFilesStore other(new MetadataQuery(otherPath));
        QVERIFY(lists(store, { "a.txt" }) && lists(other, { "b.txt" }));
        QTest::qWait(300); // let the restart after priming settle

        QSignalSpy reports(query, &MetadataQuery::didUpdate);
        QSignalSpy otherUpdates(&other, &RecentFilesStore::itemsChanged);
        query->disableUpdates();
        writeAtomically(home.storePath(), xbelOf({ b, a }, now));
        QTest::qWait(MetadataQuery::maxHoldMs + 400);
        QCOMPARE(reports.size(), 0);
        query->enableUpdates();
        QVERIFY(lists(store, { "b.txt", "a.txt" }, 2000));
        QCOMPARE(reports.size(), 1);
        QCOMPARE(otherUpdates.size(), 0);
        // A rewrite that changes nothing reports nothing.
        writeAtomically(home.storePath(), xbelOf({ b, a }, now));
        QTest::qWait(MetadataQuery::maxHoldMs + 300);
        QCOMPARE(reports.size(), 1);
    }

    void thousandRewritesInABurst()
    {
        TempHome home;
        const QDateTime now = QDateTime::currentDateTime();
        QStringList files;
        for (int i = 0; i < 10; ++i)
            files << home.touch(u"f%1.txt"_s.arg(i));
        writeAtomically(home.storePath(), xbelOf({ files[0] }, now));
        RecentFilesStore store;
        QVERIFY(lists(store, { "f0.txt" }, 20000));
        QSignalSpy updates(&store, &RecentFilesStore::itemsChanged);
        bool everEmpty = false;
        connect(&store, &RecentFilesStore::itemsChanged, this,
            [&] { everEmpty = everEmpty || store.items().isEmpty(); });
        // Half replaced by rename, half written in place (readers may see them half-written).
        for (int i = 1; i <= 1000; ++i) {
            const QByteArray doc = xbelOf({ files[i % 10] }, now.addSecs(i));
            if (i % 2)
                writeAtomically(home.storePath(), doc);
            else
                writeFile(home.storePath(), doc);
            if (i % 100 == 0)
                QCoreApplication::processEvents();
        }
        QVERIFY(QTest::qWaitFor(
            [&] {
                return itemNames(store) == QStringList { "f0.txt" }
                && store.items().first().date() == now.addSecs(1000);
            },
            20000));
        QVERIFY(!everEmpty);
        QVERIFY2(updates.size() < 100, qPrintable(QString::number(updates.size())));
    }

    void hostileEntries()
    {
        TempHome home;
        const QString marker = home.path() + u"/executed"_s;
        // Programs and launchers that would leave a mark if anything ran them.
        const QString program
            = home.touch(u"bin/tool"_s, u"#!/bin/sh\ntouch '%1'\n"_s.arg(marker).toUtf8());
        QFile::setPermissions(program, QFile::permissions(program) | QFileDevice::ExeOwner);
        const QString elf = home.path() + u"/bin/elf"_s;
        QVERIFY(QFile::copy(u"/bin/true"_s, elf));
        const QString launcher = home.touch(u"Desktop/run.desktop"_s,
            u"[Desktop Entry]\nType=Application\nName=x\nExec=touch %1\n"_s.arg(marker).toUtf8());
        const QString appImage = home.touch(u"Downloads/Tool.AppImage"_s,
            "\x7f"
            "ELF");
        const QString fifo = home.path() + u"/pipe"_s;
        QVERIFY(::mkfifo(QFile::encodeName(fifo).constData(), 0600) == 0);
        const QString loop = home.path() + u"/loop-a"_s;
        QVERIFY(::symlink("loop-b", QFile::encodeName(loop).constData()) == 0);
        QVERIFY(::symlink("loop-a", QFile::encodeName(home.path() + "/loop-b").constData()) == 0);
        QString deep = home.path();
        while (deep.size() < 3880)
            deep += QLatin1Char('/') + QString(200, QLatin1Char('d'));
        const QString longPath = home.touch(deep.mid(home.path().size() + 1) + "/long.txt");
        QVERIFY(longPath.toUtf8().size() > 3900);
        const QString tooLong = deep + QLatin1Char('/') + QString(400, QLatin1Char('x'));
        writeAtomically(home.storePath(),
            xbelOf({ program, elf, launcher, appImage, fifo, loop, u"/dev/null"_s, longPath,
                       tooLong, home.touch(u"odd\tname\x01\nwith lines.txt"_s),
                       home.mkdir(u"Projects/Quill"_s) },
                QDateTime::currentDateTime()));

        // Scripts are documents; programs, launchers and AppImages are not listed; loops and
        // missing locations give nothing (URIs that name no local file are the reader's test);
        // special files are listed without being opened (a FIFO must not block).
        RecentFilesStore store;
        QVERIFY(lists(store,
            { "tool", "pipe", "null", "long.txt", "odd\tname\x01\nwith lines.txt", "Quill" },
            20000));
        QVERIFY(!store.items().at(1).isFolder());
        QVERIFY(store.items().last().isFolder());
        QVERIFY(!QFile::exists(marker));
    }

    // A 100 MB store, mostly one enormous title, which the reader takes in its stride. The log
    // line counts what was gathered and kept, names the first twelve, and stays short whatever
    // the titles hold.
    void hugeStoreAndItsLogLine()
    {
        TempHome home;
        const QDateTime now = QDateTime::currentDateTime();
        QList<XbelEntry> entries { usedAt({}, now) };
        entries.first().href = u"https://example.org/"_s;
        QStringList names;
        for (int i = 0; i < 15; ++i) {
            names << u"f%1.txt"_s.arg(i, 2, 10, QLatin1Char('0'));
            entries << usedAt(home.touch(names.last()), now.addSecs(-i));
        }
        entries[1].title = QString(100 * 1024 * 1024, QLatin1Char('t'));
        writeAtomically(home.storePath(), xbelDocument(entries));
        QVERIFY(QFileInfo(home.storePath()).size() > 100 * 1000 * 1000);
        LogCapture log(QUILLMOTH_APP_ID ".store");
        RecentFilesStore store;
        // Listed under the file's own name: a title never stands in for it.
        QVERIFY(lists(store, names, 120000));
        QCOMPARE(log.lines().first(),
            u"gathered 16 raw, kept 15: "_s + names.first(12).join(u" \u00B7 "_s));
    }

    // A listed file or folder deleted, moved or renamed outside the store leaves the list by
    // itself, and comes back with its file; past the watch limit, or without inotify, a
    // periodic check does it, and one log line says why.
    void filesChangedOutsideTheStore_data()
    {
        QTest::addColumn<int>("watchLimit"); // -1: none; 0: no inotify at all
        QTest::newRow("watched") << -1;
        QTest::newRow("past the watch limit") << 2;
        QTest::newRow("without inotify") << 0;
    }
    void filesChangedOutsideTheStore()
    {
        QFETCH(int, watchLimit);
        const auto restore = restoringSystemCalls();
        FaultInjection::watchLimit = watchLimit;
        SystemCalls::setInotifyAddWatch(&FaultInjection::limitedInotifyAddWatch);
        if (watchLimit == 0)
            SystemCalls::setInotifyInit(&FaultInjection::exhaustedInotifyInit);
        TempHome home;
        LogCapture log(QUILLMOTH_APP_ID ".platform");
        const QString a = home.touch(u"Documents/a.txt"_s), b = home.touch(u"Music/b.mp3"_s);
        const QString folder = home.mkdir(u"Projects/Quill"_s), c = home.touch(u"Pictures/c.png"_s);
        writeAtomically(
            home.storePath(), xbelOf({ a, b, folder, c }, QDateTime::currentDateTime()));
        RecentFilesStore store;
        const QStringList all { "a.txt", "b.mp3", "Quill", "c.png" };
        QVERIFY(lists(store, all));
        QVERIFY(QFile::remove(a) && QFile::rename(b, b + u".old"_s));
        QVERIFY(QDir().rename(folder, folder + u"2"_s));
        QVERIFY(lists(store, { "c.png" }, 30000));
        home.touch(u"Documents/a.txt"_s);
        QVERIFY(QFile::rename(b + u".old"_s, b) && QDir().rename(folder + u"2"_s, folder));
        QVERIFY(lists(store, all, 30000));
        const QStringList warnings = log.lines().filter(u" s"_s);
        QCOMPARE(warnings.size(), watchLimit < 0 ? 0 : watchLimit == 0 ? 2 : 1);
    }

    // A look-up that never returns (a dead network mount) costs only its own item, which
    // comes once the mount answers. A store that is a FIFO or a link to /dev/zero is not read,
    // and neither it nor a store folder that cannot be read empties the list (a store too large
    // to read is the sandboxed stores' case, through the same reading).
    void deadMountsAndHostileStores()
    {
        const auto restore = restoringSystemCalls();
        TempHome home;
        FaultInjection::hungMarker = "/hung/";
        FaultInjection::hung = true;
        SystemCalls::setStat(&FaultInjection::stat);
        const QString stuck = home.touch(u"hung/a.txt"_s), ok = home.touch(u"ok.txt"_s);
        writeAtomically(home.storePath(), xbelOf({ stuck, ok }, QDateTime::currentDateTime()));
        RecentFilesStore store;
        QVERIFY(lists(store, { "ok.txt" }, 30000));
        FaultInjection::hung = false;
        QVERIFY(lists(store, { "a.txt", "ok.txt" }, 30000));

        LogCapture log(QUILLMOTH_APP_ID ".platform");
        const QByteArray storePath = QFile::encodeName(home.storePath());
        const auto replaceStore = [&](const std::function<bool()> &make) {
            QFile::remove(home.storePath());
            QVERIFY(make());
            QTest::qWait(MetadataQuery::goneConfirmMs + 300);
            QCOMPARE(itemNames(store), QStringList({ "a.txt", "ok.txt" }));
        };
        replaceStore([&] { return ::mkfifo(storePath.constData(), 0600) == 0; });
        replaceStore([&] { return ::symlink("/dev/zero", storePath.constData()) == 0; });
        QCOMPARE(log.lines().size(), 1); // not a regular file

        FaultInjection::deniedMarker = "/.local/share/";
        SystemCalls::setOpen(&FaultInjection::open);
        replaceStore([&] { return writeAtomically(home.storePath(), xbelOf({ ok }, {})), true; });
        SystemCalls::setOpen(nullptr);
        writeAtomically(home.storePath(), xbelOf({ ok }, QDateTime::currentDateTime()));
        QVERIFY(lists(store, { "ok.txt" }));
    }

    // SIGTERM ends the program even when its main thread never returns to the event loop.
    void sigtermAlwaysEnds()
    {
        const pid_t child = ::fork();
        if (child == 0) {
            QObject owner;
            quitOnSignals(&owner);
            for (;;)
                ::pause();
        }
        QVERIFY(child > 0);
        QTest::qWait(200); // covers the child installing its handlers; a later SIGTERM only helps
        ::kill(child, SIGTERM);
        int status = 0;
        QVERIFY(
            QTest::qWaitFor([&] { return ::waitpid(child, &status, WNOHANG) == child; }, 30000));
        QVERIFY(WIFEXITED(status) || WIFSIGNALED(status));
    }

    // The incremental read equals a first read of the same store after any sequence of edits:
    // entries added, touched, removed, reordered, the store rewritten, listed files deleted and
    // made again (their folders' times moving on as the clock would).
    void incrementalReadEqualsFullRead()
    {
        TempHome home;
        QRandomGenerator random(14);
        const QDateTime now = QDateTime::currentDateTime();
        const QStringList folders { u"A"_s, u"B"_s, u"B/C"_s };
        QStringList pool;
        for (const QString &folder : folders)
            for (int i = 0; i < 8; ++i)
                pool << home.path() + u"/"_s + folder + u"/f%1 &amp; x.txt"_s.arg(i);
        qint64 clock = now.addDays(-1).toSecsSinceEpoch();
        QList<XbelEntry> entries;
        // Mostly a location not in the store yet; now and then a duplicate, which the fast
        // reader leaves to GBookmarkFile.
        const auto randomEntry = [&] {
            QString path = pool.at(random.bounded(pool.size()));
            while (random.bounded(10)
                && std::any_of(entries.cbegin(), entries.cend(),
                    [&](const XbelEntry &e) { return e.href == fileUri(path); }))
                path = pool.at(random.bounded(pool.size()));
            XbelEntry entry = usedAt(path, now.addSecs(-qint64(random.bounded(9 * 86400))));
            if (random.bounded(4) == 0)
                entry.title = u"t <%1>"_s.arg(random.bounded(3));
            return entry;
        };
        for (int sequence = 0; sequence < 1000; ++sequence) {
            StoreReading reading;
            entries.clear();
            for (int step = 0; step < 6; ++step) {
                const int edit = random.bounded(8);
                if (edit == 0 || entries.isEmpty())
                    entries << randomEntry();
                else if (edit == 1)
                    entries[random.bounded(entries.size())].visited
                        = now.addSecs(-random.bounded(600));
                else if (edit == 2)
                    entries.removeAt(random.bounded(entries.size()));
                else if (edit == 3)
                    std::shuffle(entries.begin(), entries.end(), random);
                else if (edit == 4)
                    entries = { randomEntry() }, entries << randomEntry();
                else {
                    const QString path = pool.at(random.bounded(pool.size()));
                    const QString folder = QFileInfo(path).path();
                    if (QFile::exists(path))
                        QFile::remove(path);
                    else
                        writeFile(path, "x");
                    setModified(folder, ++clock);
                }
                // A new file each time: replacing one makes ext4 flush it, which is slow.
                const QString storePath = home.path() + u"/store-%1.xbel"_s.arg(step % 2);
                // The window's start moves with each restart of the query.
                const qint64 cutoff
                    = now.addSecs(-7 * 86400 + random.bounded(86400)).toMSecsSinceEpoch();
                QFile::remove(storePath);
                writeFile(storePath, xbelDocument(entries));
                const StoreReading::Snapshot incremental = reading.read(storePath, cutoff, false);
                const StoreReading::Snapshot full = StoreReading().read(storePath, cutoff, false);
                QCOMPARE(incremental.status, full.status);
                QVERIFY(std::equal(incremental.results.cbegin(), incremental.results.cend(),
                    full.results.cbegin(), full.results.cend(),
                    [](const auto &a, const auto &b) { return *a == *b; }));
            }
        }
    }

    // Read once at start, and in proportion to the change after: the restart after priming
    // and a store with one more entry look up only what is new.
    void workInProportionToTheChange()
    {
        const auto restore = restoringSystemCalls();
        TempHome home;
        const QDateTime now = QDateTime::currentDateTime();
        QStringList paths, names;
        for (int i = 0; i < 20; ++i) {
            names << u"f%1.txt"_s.arg(i, 2, 10, QLatin1Char('0'));
            paths << home.touch(u"Documents/"_s + names.last());
        }
        setModified(home.path() + u"/Documents"_s, QDateTime::currentSecsSinceEpoch() - 3600);
        writeAtomically(home.storePath(), xbelOf(paths, now));
        FaultInjection::countedMarker = "/Documents/f";
        SystemCalls::setStat(&FaultInjection::stat);
        RecentFilesStore store;
        QVERIFY(lists(store, names));
        QTest::qWait(500); // covers the restart after priming, which must look nothing up again
        QCOMPARE(FaultInjection::stats.load(), 20);
        // The same entries behind a newer one.
        paths.prepend(home.touch(u"new.txt"_s));
        writeAtomically(home.storePath(), xbelOf(paths, now.addSecs(1)));
        names.prepend(u"new.txt"_s);
        QVERIFY(lists(store, names));
        QCOMPARE(FaultInjection::stats.load(), 20);
    }

    void hiddenLocations_data()
    {
        QTest::addColumn<QString>("home");
        QTest::addColumn<QString>("path");
        QTest::addColumn<bool>("hidden");
        const QString ann = u"/home/ann"_s, net = u"/net/.homes/ann"_s;
        QTest::newRow("document") << ann << "/home/ann/Documents/a.txt" << false;
        QTest::newRow("Library is ordinary") << ann << "/home/ann/Library/Preferences/x" << false;
        QTest::newRow("dot inside a name") << ann << "/home/ann/v1.2/a.b" << false;
        QTest::newRow("dot-file") << ann << "/home/ann/.bashrc" << true;
        QTest::newRow("in a dot-folder") << ann << "/home/ann/src/.git/HEAD" << true;
        QTest::newRow("outside the home") << ann << "/tmp/.X11-unix/X0" << true;
        QTest::newRow("XDG home elsewhere") << ann << "/srv/conf/app.ini" << true;
        QTest::newRow("the XDG home itself") << ann << "/srv/conf" << true;
        QTest::newRow("XDG-like prefix") << ann << "/srv/config/x" << false;
        QTest::newRow("home in a dot-folder") << net << "/net/.homes/ann/a.txt" << false;
        QTest::newRow("dot-folder there") << net << "/net/.homes/ann/.ssh/k" << true;
    }
    void hiddenLocations()
    {
        QFETCH(QString, home);
        QFETCH(QString, path);
        QFETCH(bool, hidden);
        // Relative values and ones that hold the home are broken settings, ignored.
        const HiddenLocations locations(
            home, { u"/srv/conf/"_s, u"rel/cache"_s, u"/home"_s, u"/net"_s });
        QCOMPARE(locations.hides(path), hidden);
    }

    void primingTargets()
    {
        // The XDG user folders that exist, under their localised names; one set to the home is
        // off.
        TempHome home;
        QVERIFY(RecentFilesStore::primeTargets().isEmpty());
        for (const char *name : { "Desktop", "Dokumente", "Documents", "Downloads" })
            home.mkdir(QString::fromLatin1(name));
        writeFile(home.configHome() + u"/user-dirs.dirs"_s,
            "XDG_DESKTOP_DIR=\"$HOME/\"\nXDG_DOCUMENTS_DIR=\"$HOME/Dokumente\"\n");
        QCOMPARE(RecentFilesStore::primeTargets(),
            (QStringList { home.path() + "/Dokumente", home.path() + "/Downloads" }));
    }
};

QTEST_GUILESS_MAIN(RecentFilesStoreTest)
#include "tst_recentfilesstore.moc"
