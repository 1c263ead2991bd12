// SPDX-FileCopyrightText: 2026 The Quillmoth developers
// SPDX-License-Identifier: GPL-3.0-or-later

#include "Model/FileUrl.h"
#include "Store/RecentFilesStore.h"
#include "TestSupport.h"

#include <QDir>
#include <QFile>
#include <QSignalSpy>
#include <QTest>

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace {

QStringList names(const RecentFilesStore &store)
{
    QStringList out;
    for (const RecentItem &item : store.items())
        out << item.name();
    return out;
}

// Waits until the store has processed a report (items published) after `count` reports.
bool waitForUpdates(QSignalSpy &spy, qsizetype count, int timeoutMs = 5000)
{
    return QTest::qWaitFor([&] { return spy.size() >= count; }, timeoutMs);
}

XbelEntry entry(
    const QString &path, const QDateTime &visited, std::optional<QString> title = std::nullopt)
{
    XbelEntry e;
    e.href = fileUri(path);
    e.visited = visited;
    e.modified = visited.addSecs(-3600);
    e.added = visited.addDays(-1);
    e.title = std::move(title);
    return e;
}

MetadataItem raw(
    const QString &path, std::optional<qint64> lastUsed, std::optional<qint64> changed = {})
{
    MetadataItem item;
    item.path = path;
    item.lastUsed = lastUsed;
    item.contentChange = changed;
    return item;
}

} // namespace

class RecentFilesStoreTest : public QObject
{
    Q_OBJECT
private Q_SLOTS:
    void loadingThenLiveWithNoStore();
    void processingRules();
    void makeItemRules();
    void liveUpdatesAndBadStores();
    void vanishingStoreAndDirectory();
    void heldBackWhileUpdatesDisabled();
    void storesOnlyHearTheirOwnQuery();
    void logLineListsAtMostTwelveNames();
    void hiddenLocations_data();
    void hiddenLocations();
    void primingTargets();
};

void RecentFilesStoreTest::loadingThenLiveWithNoStore()
{
    TempHome home;
    LogCapture log(QUILLMOTH_APP_ID ".store");
    RecentFilesStore store;
    QVERIFY(store.isLoading());
    QVERIFY(store.items().isEmpty());
    QSignalSpy loading(&store, &RecentFilesStore::isLoadingChanged);
    QVERIFY(waitForUpdates(loading, 1));
    QVERIFY(!store.isLoading());
    QVERIFY(store.items().isEmpty());
    QVERIFY(QTest::qWaitFor([&] { return !log.lines().isEmpty(); }, 2000));
    QCOMPARE(log.lines().first(), QStringLiteral("gathered 0 raw, kept 0: "));
}

void RecentFilesStoreTest::processingRules()
{
    TempHome home;
    const QDateTime now = QDateTime::currentDateTime();
    const QString doc = home.touch(QStringLiteral("Documents/report.pdf"));
    const QString titled = home.touch(QStringLiteral("Documents/scan-0042.jpg"));
    const QString folder = home.mkdir(QStringLiteral("Projects/Quill"));
    const QString dotHidden = home.touch(QStringLiteral(".hidden/x.txt"));
    // The XDG homes are hidden wherever they point (here, not in a dot-folder).
    qputenv("XDG_CONFIG_HOME", QFile::encodeName(home.path() + QStringLiteral("/settings")));
    const QString xdgHidden = home.touch(QStringLiteral("settings/app.conf"));
    const QString libraryFile = home.touch(QStringLiteral("Library/Preferences/prefs.txt"));
    const QString libraryItself = home.mkdir(QStringLiteral("Library"));
    const QString old = home.touch(QStringLiteral("Documents/old.txt"));
    const QString launcher = home.touch(QStringLiteral("Desktop/tool.desktop"),
        "[Desktop Entry]\nType=Application\nName=Tool\nExec=true\n");
    const QString program = home.path() + QStringLiteral("/bin/true-copy");
    QDir().mkpath(home.path() + QStringLiteral("/bin"));
    QVERIFY(QFile::copy(QStringLiteral("/bin/true"), program));
    QFile::setPermissions(program, QFile::permissions(program) | QFileDevice::ExeOwner);
    const QString script = home.touch(QStringLiteral("bin/run.sh"), "#!/bin/sh\necho hi\n");
    QFile::setPermissions(script, QFile::permissions(script) | QFileDevice::ExeOwner);
    const QString gone = home.path() + QStringLiteral("/Documents/deleted.txt");
    const QString spaced = home.touch(QStringLiteral("My Files/été & co.txt"));

    QList<XbelEntry> entries = {
        entry(doc, now.addSecs(-10)),
        entry(titled, now.addSecs(-20), QStringLiteral("Holiday photo")),
        entry(folder, now.addSecs(-30)),
        entry(dotHidden, now.addSecs(-40)),
        entry(xdgHidden, now.addSecs(-45)),
        entry(libraryFile, now.addSecs(-50)),
        entry(libraryItself, now.addSecs(-60)),
        entry(old, now.addDays(-8)),
        entry(launcher, now.addSecs(-80)),
        entry(program, now.addSecs(-90)),
        entry(script, now.addSecs(-100)),
        entry(gone, now.addSecs(-110)),
        entry(spaced, now.addSecs(-120)),
    };
    // A name that is not UTF-8 is listed readably and still names its own bytes.
    const QByteArray latin1 = QFile::encodeName(home.path()) + "/caf\xe9.txt";
    QVERIFY(::close(::creat(latin1.constData(), 0600)) == 0);
    XbelEntry undecodable = entry(spaced, now.addSecs(-130));
    undecodable.href
        = QStringLiteral("file://") + QString::fromLatin1(latin1.toPercentEncoding("/"));
    entries << undecodable;
    // Other spellings of listed locations, older: one item per location, the first wins.
    for (const QString &href : { QStringLiteral("file://localhost") + doc,
             QStringLiteral("file://") + QStringLiteral("//") + doc, QStringLiteral("file:") + doc,
             fileUri(folder) + QStringLiteral("/"), fileUri(home.path() + "/Projects/./Quill") }) {
        XbelEntry again = entry(doc, now.addSecs(-500), QStringLiteral("older spelling"));
        again.href = href;
        entries << again;
    }
    XbelEntry web;
    web.href = QStringLiteral("https://example.org/page");
    web.visited = now;
    entries << web;
    writeStoreAtomically(home.storePath(), xbelDocument(entries));

    RecentFilesStore store;
    QSignalSpy updates(&store, &RecentFilesStore::itemsChanged);
    QVERIFY(waitForUpdates(updates, 1));
    QCOMPARE(names(store),
        (QStringList { "report.pdf", "scan-0042.jpg", "Quill", "prefs.txt", "Library", "run.sh",
            "été & co.txt", "caf\uFFFD.txt" }));
    const QList<RecentItem> &items = store.items();
    QVERIFY(items.at(2).isFolder());
    QVERIFY(items.at(4).isFolder());
    QVERIFY(!items.at(0).isFolder());
    QCOMPARE(items.at(0).path(), QStringLiteral("Documents"));
    QCOMPARE(items.at(3).path(), QStringLiteral("Library \u203A Preferences"));
    QCOMPARE(items.at(0).url(), QUrl::fromLocalFile(doc));
    QCOMPARE(items.at(6).url().toLocalFile(), spaced);
    QCOMPARE(nativePath(items.at(7).url()), latin1);
    QVERIFY(items.at(7).url().toEncoded().endsWith("/caf%E9.txt"));
    for (qsizetype i = 1; i < items.size(); ++i)
        QVERIFY(items.at(i - 1).date() >= items.at(i).date());

    // A listed file that is deleted leaves the list at the next update.
    QFile::remove(titled);
    entries.removeAt(5);
    writeStoreAtomically(home.storePath(), xbelDocument(entries));
    QVERIFY(
        QTest::qWaitFor([&] { return !names(store).contains(QStringLiteral("prefs.txt")); }, 5000));
    QVERIFY(!names(store).contains(QStringLiteral("scan-0042.jpg")));
}

void RecentFilesStoreTest::makeItemRules()
{
    TempHome home;
    const QString file = home.touch(QStringLiteral("Documents/report.final.pdf"));
    const QDateTime cutoff = QDateTime::currentDateTimeUtc().addDays(-7);
    const qint64 at = cutoff.toMSecsSinceEpoch();

    // A date equal to the cutoff passes; a moment older does not.
    QVERIFY(RecentFilesStore::makeItem(raw(file, at), cutoff));
    QVERIFY(!RecentFilesStore::makeItem(raw(file, at - 1), cutoff));
    // Without a cutoff no date test is made.
    QVERIFY(RecentFilesStore::makeItem(raw(file, at - 86400000), std::nullopt));
    // No last-used date: the content-change date stands in; with neither there is no item.
    const std::optional<RecentItem> changed
        = RecentFilesStore::makeItem(raw(file, {}, at + 5), cutoff);
    QVERIFY(changed);
    QCOMPARE(changed->date().toMSecsSinceEpoch(), at + 5);
    QVERIFY(!RecentFilesStore::makeItem(raw(file, {}, {}), cutoff));
    // Without a display name: the file name without its extension.
    QCOMPARE(
        RecentFilesStore::makeItem(raw(file, at), cutoff)->name(), QStringLiteral("report.final"));
    MetadataItem named = raw(file, at);
    named.displayName = QStringLiteral("Final Report");
    QCOMPARE(RecentFilesStore::makeItem(named, cutoff)->name(), QStringLiteral("Final Report"));
    // No path, a hidden location, a location that cannot be looked up: no item.
    MetadataItem noPath = raw(file, at);
    noPath.path.reset();
    QVERIFY(!RecentFilesStore::makeItem(noPath, cutoff));
    QVERIFY(
        !RecentFilesStore::makeItem(raw(home.path() + QStringLiteral("/.cache/x"), at), cutoff));
    QVERIFY(!RecentFilesStore::makeItem(
        raw(home.path() + QStringLiteral("/nothing-here"), at), cutoff));
    // Attributes read with the store are used as they are (here: a folder that is a package).
    MetadataItem package = raw(file, at);
    package.attributesRead = true;
    package.attributes = FileAttributes { true, true, QStringLiteral("bundle"),
        QStringLiteral("inode/directory"), 0 };
    QVERIFY(!RecentFilesStore::makeItem(package, cutoff)->isFolder());
    MetadataItem app = raw(file, at);
    app.attributesRead = true;
    app.attributes = FileAttributes { false, false, QStringLiteral("x"),
        QStringLiteral("application/x-desktop"), 0 };
    QVERIFY(!RecentFilesStore::makeItem(app, cutoff));
    MetadataItem nameless = raw(file, at);
    nameless.attributesRead = true;
    nameless.attributes = FileAttributes { false, false, std::nullopt, std::nullopt, 0 };
    QVERIFY(!RecentFilesStore::makeItem(nameless, cutoff));
    // A look-up that failed while the store was read is not repeated.
    MetadataItem failed = raw(file, at);
    failed.attributesRead = true;
    QVERIFY(!RecentFilesStore::makeItem(failed, cutoff));
    // Special files are looked up without opening them: a FIFO must not block.
    const QString fifo = home.path() + QStringLiteral("/Documents/pipe");
    QVERIFY(::mkfifo(QFile::encodeName(fifo).constData(), 0600) == 0);
    const std::optional<RecentItem> pipe = RecentFilesStore::makeItem(raw(fifo, at), cutoff);
    QVERIFY(pipe);
    QVERIFY(!pipe->isFolder());
}

void RecentFilesStoreTest::liveUpdatesAndBadStores()
{
    TempHome home;
    const QDateTime now = QDateTime::currentDateTime();
    const QString a = home.touch(QStringLiteral("a.txt"));
    const QString b = home.touch(QStringLiteral("b.txt"));
    const QByteArray good = xbelDocument({ entry(a, now.addSecs(-5)) });
    writeStoreAtomically(home.storePath(), good);

    RecentFilesStore store;
    QSignalSpy updates(&store, &RecentFilesStore::itemsChanged);
    QVERIFY(waitForUpdates(updates, 1));
    QVERIFY(QTest::qWaitFor([&] { return names(store) == QStringList { "a.txt" }; }, 5000));

    // Replaced by rename: the new list is published.
    const QByteArray both = xbelDocument({ entry(b, now.addSecs(-1)), entry(a, now.addSecs(-5)) });
    writeStoreAtomically(home.storePath(), both);
    QVERIFY(QTest::qWaitFor(
        [&] {
            return names(store) == QStringList({ "b.txt", "a.txt" });
        },
        5000));

    // Bad stores never replace the good list.
    auto staysGood = [&](const char *what) {
        QTest::qWait(MetadataQuery::settleMs + 300);
        if (names(store) != QStringList({ "b.txt", "a.txt" }))
            qWarning("list changed after %s: %s", what, qPrintable(names(store).join(',')));
        return names(store) == QStringList({ "b.txt", "a.txt" });
    };
    writeFile(home.storePath(), QByteArray());
    QVERIFY(staysGood("emptying the file"));
    writeFile(home.storePath(), both.left(both.size() / 2));
    QVERIFY(staysGood("a half-written file"));
    writeFile(home.storePath(), "<xbel version=\"1.0\"><bookmark></xbel>");
    QVERIFY(staysGood("malformed XML"));
    writeFile(home.storePath(), QByteArray(4096, '\xff'));
    QVERIFY(staysGood("binary noise"));
    QFile::remove(home.storePath());
    QDir().mkdir(home.storePath()); // unreadable even for root: a directory in its place
    QVERIFY(staysGood("an unreadable store"));
    QDir().rmdir(home.storePath());

    // Written in place in small chunks: readers may see it half-written; the end result wins.
    const QByteArray third = xbelDocument({ entry(a, now), entry(b, now.addSecs(-2)) });
    {
        QFile file(home.storePath());
        QVERIFY(file.open(QIODevice::WriteOnly | QIODevice::Truncate));
        for (qsizetype at = 0; at < third.size(); at += 64) {
            file.write(third.mid(at, 64));
            file.flush();
            QTest::qWait(5);
        }
    }
    QVERIFY(QTest::qWaitFor(
        [&] {
            return names(store) == QStringList({ "a.txt", "b.txt" });
        },
        5000));
    QVERIFY(!store.items().isEmpty());

    // A burst of rewrites is coalesced and ends at the last version.
    const qsizetype before = updates.size();
    for (int i = 0; i < 200; ++i)
        writeStoreAtomically(
            home.storePath(), xbelDocument({ entry(i % 2 ? a : b, now.addSecs(i)) }));
    QVERIFY(QTest::qWaitFor([&] { return names(store) == QStringList { "a.txt" }; }, 5000));
    QTest::qWait(MetadataQuery::maxHoldMs + 200);
    QVERIFY(updates.size() - before < 50);

    // A well-formed store without entries (history cleared) empties the list.
    writeStoreAtomically(home.storePath(), xbelDocument({}));
    QVERIFY(QTest::qWaitFor([&] { return store.items().isEmpty(); }, 5000));
}

void RecentFilesStoreTest::vanishingStoreAndDirectory()
{
    TempHome home;
    const QDateTime now = QDateTime::currentDateTime();
    const QString a = home.touch(QStringLiteral("a.txt"));
    writeStoreAtomically(home.storePath(), xbelDocument({ entry(a, now) }));
    RecentFilesStore store;
    QVERIFY(QTest::qWaitFor([&] { return names(store) == QStringList { "a.txt" }; }, 5000));

    // Deleted and written again straight away: no empty list in between.
    bool everEmpty = false;
    connect(&store, &RecentFilesStore::itemsChanged, this,
        [&] { everEmpty = everEmpty || store.items().isEmpty(); });
    QFile::remove(home.storePath());
    QTest::qWait(20);
    writeStoreAtomically(home.storePath(), xbelDocument({ entry(a, now) }));
    QTest::qWait(MetadataQuery::goneConfirmMs + 300);
    QVERIFY(!everEmpty);
    QCOMPARE(names(store), QStringList { "a.txt" });
    disconnect(&store, nullptr, this, nullptr);

    // Gone for good: no history.
    QFile::remove(home.storePath());
    QVERIFY(QTest::qWaitFor([&] { return store.items().isEmpty(); }, 5000));

    // The whole directory removed, then created again with a store: updates resume.
    writeStoreAtomically(home.storePath(), xbelDocument({ entry(a, now) }));
    QVERIFY(QTest::qWaitFor([&] { return names(store) == QStringList { "a.txt" }; }, 5000));
    QVERIFY(QDir(home.path() + QStringLiteral("/.local")).removeRecursively());
    QVERIFY(QTest::qWaitFor([&] { return store.items().isEmpty(); }, 5000));
    writeStoreAtomically(home.storePath(), xbelDocument({ entry(a, now) }));
    QVERIFY(QTest::qWaitFor([&] { return names(store) == QStringList { "a.txt" }; }, 5000));
}

void RecentFilesStoreTest::heldBackWhileUpdatesDisabled()
{
    TempHome home;
    const QDateTime now = QDateTime::currentDateTime();
    const QString a = home.touch(QStringLiteral("a.txt"));
    const QString b = home.touch(QStringLiteral("b.txt"));
    writeStoreAtomically(home.storePath(), xbelDocument({ entry(a, now) }));
    auto *query = new MetadataQuery(home.storePath());
    RecentFilesStore store(query);
    QVERIFY(QTest::qWaitFor([&] { return names(store) == QStringList { "a.txt" }; }, 5000));
    QTest::qWait(300); // let the restart after priming settle

    QSignalSpy reports(query, &MetadataQuery::didUpdate);
    query->disableUpdates();
    writeStoreAtomically(home.storePath(), xbelDocument({ entry(b, now) }));
    QTest::qWait(MetadataQuery::maxHoldMs + 400);
    QCOMPARE(reports.size(), 0);
    QCOMPARE(names(store), QStringList { "a.txt" });
    query->enableUpdates();
    QVERIFY(QTest::qWaitFor([&] { return names(store) == QStringList { "b.txt" }; }, 2000));
    QCOMPARE(reports.size(), 1);
    // A rewrite that changes nothing reports nothing.
    writeStoreAtomically(home.storePath(), xbelDocument({ entry(b, now) }));
    QTest::qWait(MetadataQuery::maxHoldMs + 300);
    QCOMPARE(reports.size(), 1);
}

void RecentFilesStoreTest::storesOnlyHearTheirOwnQuery()
{
    TempHome home;
    const QDateTime now = QDateTime::currentDateTime();
    const QString a = home.touch(QStringLiteral("a.txt"));
    const QString b = home.touch(QStringLiteral("b.txt"));
    const QString otherStore = home.path() + QStringLiteral("/other/recently-used.xbel");
    writeStoreAtomically(home.storePath(), xbelDocument({ entry(a, now) }));
    writeStoreAtomically(otherStore, xbelDocument({ entry(b, now) }));
    RecentFilesStore first(new MetadataQuery(home.storePath()));
    RecentFilesStore second(new MetadataQuery(otherStore));
    QVERIFY(QTest::qWaitFor(
        [&] {
            return names(first) == QStringList { "a.txt" }
            && names(second) == QStringList { "b.txt" };
        },
        5000));
    QSignalSpy secondUpdates(&second, &RecentFilesStore::itemsChanged);
    QTest::qWait(300);
    secondUpdates.clear();
    writeStoreAtomically(
        home.storePath(), xbelDocument({ entry(a, now), entry(b, now.addSecs(-1)) }));
    QVERIFY(QTest::qWaitFor([&] { return names(first).size() == 2; }, 5000));
    QCOMPARE(secondUpdates.size(), 0);
    QCOMPARE(names(second), QStringList { "b.txt" });
}

void RecentFilesStoreTest::logLineListsAtMostTwelveNames()
{
    TempHome home;
    const QDateTime now = QDateTime::currentDateTime();
    QList<XbelEntry> entries;
    QStringList expected;
    for (int i = 0; i < 15; ++i) {
        const QString name = QStringLiteral("f%1.txt").arg(i, 2, 10, QLatin1Char('0'));
        entries << entry(home.touch(name), now.addSecs(-i));
        if (i < 12)
            expected << name;
    }
    XbelEntry web;
    web.href = QStringLiteral("https://example.org/");
    web.visited = now;
    entries << web;
    writeStoreAtomically(home.storePath(), xbelDocument(entries));
    LogCapture log(QUILLMOTH_APP_ID ".store");
    RecentFilesStore store;
    QVERIFY(QTest::qWaitFor([&] { return !log.lines().isEmpty(); }, 5000));
    QCOMPARE(log.lines().first(),
        QStringLiteral("gathered 16 raw, kept 15: ") + expected.join(QStringLiteral(" \u00B7 ")));
}

void RecentFilesStoreTest::hiddenLocations_data()
{
    QTest::addColumn<QString>("home");
    QTest::addColumn<QString>("path");
    QTest::addColumn<bool>("hidden");
    const QString ann = QStringLiteral("/home/ann");
    QTest::newRow("document") << ann << "/home/ann/Documents/a.txt" << false;
    QTest::newRow("Library is ordinary") << ann << "/home/ann/Library/Preferences/x" << false;
    QTest::newRow("dot inside a name") << ann << "/home/ann/v1.2/a.b" << false;
    QTest::newRow("dot-file") << ann << "/home/ann/.bashrc" << true;
    QTest::newRow("in a dot-folder") << ann << "/home/ann/src/.git/HEAD" << true;
    QTest::newRow("outside the home") << ann << "/tmp/.X11-unix/X0" << true;
    QTest::newRow("XDG home elsewhere") << ann << "/srv/conf/app.ini" << true;
    QTest::newRow("the XDG home itself") << ann << "/srv/conf" << true;
    QTest::newRow("XDG-like prefix") << ann << "/srv/config/x" << false;
    QTest::newRow("home in a dot-folder") << "/net/.homes/ann"
                                          << "/net/.homes/ann/a.txt" << false;
    QTest::newRow("dot-folder there") << "/net/.homes/ann"
                                      << "/net/.homes/ann/.ssh/k" << true;
}

void RecentFilesStoreTest::hiddenLocations()
{
    QFETCH(QString, home);
    QFETCH(QString, path);
    QFETCH(bool, hidden);
    // Relative values and ones that hold the home are broken settings, ignored.
    const HiddenLocations locations(home,
        { QStringLiteral("/srv/conf/"), QStringLiteral("rel/cache"), QStringLiteral("/home"),
            QStringLiteral("/net") });
    QCOMPARE(locations.hides(path), hidden);
}

void RecentFilesStoreTest::primingTargets()
{
    // The XDG user folders that exist, under their localised names; one set to the home is off.
    TempHome home;
    QVERIFY(RecentFilesStore::primeTargets().isEmpty());
    for (const char *name : { "Desktop", "Dokumente", "Documents", "Downloads" })
        home.mkdir(QString::fromLatin1(name));
    writeFile(home.configHome() + QStringLiteral("/user-dirs.dirs"),
        "XDG_DESKTOP_DIR=\"$HOME/\"\nXDG_DOCUMENTS_DIR=\"$HOME/Dokumente\"\n");
    QCOMPARE(RecentFilesStore::primeTargets(),
        (QStringList { home.path() + "/Dokumente", home.path() + "/Downloads" }));
    RecentFilesStore::primeFileAccess();
}

QTEST_GUILESS_MAIN(RecentFilesStoreTest)
#include "tst_recentfilesstore.moc"
