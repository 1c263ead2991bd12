// SPDX-FileCopyrightText: 2026 The Quillmoth developers
// SPDX-License-Identifier: GPL-3.0-or-later

#include "Store/RecentFilesStore.h"
#include "TestSupport.h"

#include <QDir>
#include <QFile>
#include <QSignalSpy>
#include <QTest>

namespace {

// Generous: the suite runs on a loaded 2-core machine.
constexpr int updateLimitMs = 20000;

MetadataItem raw(
    const QString &path, std::optional<qint64> lastUsed, std::optional<qint64> changed = {})
{
    MetadataItem item;
    item.path = path;
    item.lastUsed = lastUsed;
    item.contentChange = changed;
    return item;
}

bool listsOnly(const RecentFilesStore &store, const QStringList &names)
{
    return QTest::qWaitFor([&] { return itemNames(store) == names; }, updateLimitMs);
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
    void primingTargets();
};

void RecentFilesStoreTest::loadingThenLiveWithNoStore()
{
    TempHome home;
    LogCapture log(QUILLMOTH_APP_ID ".store");
    RecentFilesStore store;
    QVERIFY(store.isLoading());
    QSignalSpy loading(&store, &RecentFilesStore::isLoadingChanged);
    QVERIFY(loading.wait(updateLimitMs));
    QVERIFY(!store.isLoading());
    QVERIFY(store.items().isEmpty());
    QVERIFY(QTest::qWaitFor([&] { return !log.lines().isEmpty(); }, updateLimitMs));
    QCOMPARE(log.lines().first(), QStringLiteral("gathered 0 raw, kept 0: "));
}

void RecentFilesStoreTest::processingRules()
{
    TempHome home;
    const QDateTime now = QDateTime::currentDateTime();
    const QString doc = home.touch(QStringLiteral("Documents/report.pdf"));
    const QString titled = home.touch(QStringLiteral("Documents/scan-0042.jpg"));
    const QString spaced = home.touch(QStringLiteral("My Files/été & co.txt"));
    QList<XbelEntry> entries = {
        usedAt(doc, now.addSecs(-10)), usedAt(titled, now.addSecs(-20)),
        usedAt(home.touch(QStringLiteral("Library/Preferences/x.plist")), now.addSecs(-40)),
        usedAt(home.touch(QStringLiteral("Library/CloudStorage/Provider-u/plan.key")),
            now.addSecs(-50)),
        usedAt(home.mkdir(QStringLiteral("Library")), now.addSecs(-60)),
        usedAt(home.touch(QStringLiteral("library/x.txt")), now.addSecs(-70)),
        usedAt(home.touch(QStringLiteral("Documents/old.txt")), now.addDays(-8)),
        usedAt(home.path() + QStringLiteral("/Documents/deleted.txt"), now.addSecs(-110)),
        usedAt(spaced, now.addSecs(-120)),
        usedAt(QStringLiteral("/x"), now), // replaced by a web address below
    };
    entries[1].title = QStringLiteral("Holiday photo");
    entries.last().href = QStringLiteral("https://example.org/page");
    // The same file twice (a second spelling of its URI): the first in the query's order wins.
    entries << usedAt(doc, now.addSecs(-500));
    entries.last().href = QStringLiteral("file://localhost") + doc;
    entries.last().title = QStringLiteral("older spelling");
    writeStoreAtomically(home.storePath(), xbelDocument(entries));

    RecentFilesStore store;
    QVERIFY(listsOnly(
        store, { "report.pdf", "Holiday photo", "plan.key", "Library", "x.txt", "été & co.txt" }));
    const QList<RecentItem> &items = store.items();
    QVERIFY(!items.at(0).isFolder());
    QVERIFY(items.at(3).isFolder());
    QCOMPARE(items.at(0).path(), QStringLiteral("Documents"));
    QCOMPARE(items.at(2).path(), QStringLiteral("Provider-u"));
    QCOMPARE(items.at(0).url(), QUrl::fromLocalFile(doc));
    QCOMPARE(items.at(5).url().toLocalFile(), spaced);

    // A listed file that is deleted leaves the list at the next update.
    QFile::remove(titled);
    entries.removeAt(3);
    writeStoreAtomically(home.storePath(), xbelDocument(entries));
    QVERIFY(listsOnly(store, { "report.pdf", "Library", "x.txt", "été & co.txt" }));
}

void RecentFilesStoreTest::makeItemRules()
{
    TempHome home;
    const QString file = home.touch(QStringLiteral("Documents/report.final.pdf"));
    const QDateTime cutoff = QDateTime::currentDateTimeUtc().addDays(-7);
    const qint64 at = cutoff.toMSecsSinceEpoch();

    // A date equal to the cutoff passes; a moment older does not; without a cutoff, no test.
    QVERIFY(RecentFilesStore::makeItem(raw(file, at), cutoff));
    QVERIFY(!RecentFilesStore::makeItem(raw(file, at - 1), cutoff));
    QVERIFY(RecentFilesStore::makeItem(raw(file, at - 86400000), std::nullopt));
    // No last-used date: the content-change date stands in; with neither there is no item.
    const std::optional<RecentItem> changed
        = RecentFilesStore::makeItem(raw(file, {}, at + 5), cutoff);
    QVERIFY(changed);
    QCOMPARE(changed->date().toMSecsSinceEpoch(), at + 5);
    QVERIFY(!RecentFilesStore::makeItem(raw(file, {}, {}), cutoff));
    // Without a display name: the file name without its extension.
    QCOMPARE(changed->name(), QStringLiteral("report.final"));
    MetadataItem named = raw(file, at);
    named.displayName = QStringLiteral("Final Report");
    QCOMPARE(RecentFilesStore::makeItem(named, cutoff)->name(), QStringLiteral("Final Report"));
    MetadataItem noPath = raw(file, at);
    noPath.path.reset();
    QVERIFY(!RecentFilesStore::makeItem(noPath, cutoff));
    // Attributes read with the store are used as they are: a folder that is a package, a
    // launcher, no name, a look-up that failed (not repeated).
    const QList<QPair<std::optional<FileAttributes>, bool>> attributes = {
        { FileAttributes {
              true, true, QStringLiteral("bundle"), QStringLiteral("inode/directory"), 0 },
            true },
        { FileAttributes {
              false, false, QStringLiteral("x"), QStringLiteral("application/x-desktop"), 0 },
            false },
        { FileAttributes { false, false, std::nullopt, std::nullopt, 0 }, false },
        { std::nullopt, false },
    };
    for (const auto &[read, listed] : attributes) {
        MetadataItem item = raw(file, at);
        item.attributesRead = true;
        item.attributes = read;
        const std::optional<RecentItem> made = RecentFilesStore::makeItem(item, cutoff);
        QCOMPARE(made.has_value(), listed);
        QVERIFY(!made || !made->isFolder());
    }
}

void RecentFilesStoreTest::liveUpdatesAndBadStores()
{
    TempHome home;
    const QDateTime now = QDateTime::currentDateTime();
    const QString a = home.touch(QStringLiteral("a.txt"));
    const QString b = home.touch(QStringLiteral("b.txt"));
    writeStoreAtomically(home.storePath(), xbelDocument({ usedAt(a, now.addSecs(-5)) }));
    RecentFilesStore store;
    QVERIFY(listsOnly(store, { "a.txt" }));
    // Replaced by rename: the new list is published.
    const QByteArray both = xbelDocument({ usedAt(b, now.addSecs(-1)), usedAt(a, now) });
    writeStoreAtomically(home.storePath(), both);
    QVERIFY(listsOnly(store, { "a.txt", "b.txt" }));

    // Bad stores never replace the good list (waiting out the longest hold proves it).
    const QList<QPair<const char *, QByteArray>> bad
        = { { "empty", QByteArray() }, { "half-written", both.left(both.size() / 2) },
              { "malformed", "<xbel version=\"1.0\"><bookmark></xbel>" },
              { "binary noise", QByteArray(4096, '\xff') }, { "unreadable", QByteArray() } };
    for (const auto &[what, content] : bad) {
        if (qstrcmp(what, "unreadable") == 0) {
            QFile::remove(home.storePath());
            QDir().mkdir(home.storePath()); // unreadable even for root: a folder in its place
        } else {
            writeFile(home.storePath(), content);
        }
        QTest::qWait(MetadataQuery::maxHoldMs + 300);
        QVERIFY2(itemNames(store) == QStringList({ "a.txt", "b.txt" }), what);
    }
    QDir().rmdir(home.storePath());

    // Written in place in small chunks: readers may see it half-written; the end result wins.
    const QByteArray third = xbelDocument({ usedAt(b, now.addSecs(2)), usedAt(a, now) });
    QFile file(home.storePath());
    QVERIFY(file.open(QIODevice::WriteOnly | QIODevice::Truncate));
    for (qsizetype at = 0; at < third.size(); at += 64) {
        file.write(third.mid(at, 64));
        file.flush();
        QTest::qWait(5);
    }
    file.close();
    QVERIFY(listsOnly(store, { "b.txt", "a.txt" }));
    // A well-formed store without entries (history cleared) empties the list.
    writeStoreAtomically(home.storePath(), xbelDocument({}));
    QVERIFY(listsOnly(store, {}));
}

void RecentFilesStoreTest::vanishingStoreAndDirectory()
{
    TempHome home;
    const QByteArray one = xbelDocument(
        { usedAt(home.touch(QStringLiteral("a.txt")), QDateTime::currentDateTime()) });
    writeStoreAtomically(home.storePath(), one);
    RecentFilesStore store;
    QVERIFY(listsOnly(store, { "a.txt" }));

    // Deleted and written again straight away: no empty list in between.
    bool everEmpty = false;
    const auto watch = connect(&store, &RecentFilesStore::itemsChanged, this,
        [&] { everEmpty = everEmpty || store.items().isEmpty(); });
    QFile::remove(home.storePath());
    QTest::qWait(20);
    writeStoreAtomically(home.storePath(), one);
    QTest::qWait(MetadataQuery::goneConfirmMs + 300);
    QVERIFY(!everEmpty);
    QCOMPARE(itemNames(store), QStringList { "a.txt" });
    disconnect(watch);

    // Gone for good: no history. The whole folder removed, then created again: updates resume.
    QFile::remove(home.storePath());
    QVERIFY(listsOnly(store, {}));
    writeStoreAtomically(home.storePath(), one);
    QVERIFY(listsOnly(store, { "a.txt" }));
    QVERIFY(QDir(home.path() + QStringLiteral("/.local")).removeRecursively());
    QVERIFY(listsOnly(store, {}));
    writeStoreAtomically(home.storePath(), one);
    QVERIFY(listsOnly(store, { "a.txt" }));
}

void RecentFilesStoreTest::heldBackWhileUpdatesDisabled()
{
    TempHome home;
    const QDateTime now = QDateTime::currentDateTime();
    const QString a = home.touch(QStringLiteral("a.txt"));
    const QString b = home.touch(QStringLiteral("b.txt"));
    writeStoreAtomically(home.storePath(), xbelDocument({ usedAt(a, now) }));
    auto *query = new MetadataQuery(home.storePath());
    RecentFilesStore store(query);
    QVERIFY(listsOnly(store, { "a.txt" }));
    QTest::qWait(MetadataQuery::maxHoldMs); // the restart after priming settles

    QSignalSpy reports(query, &MetadataQuery::didUpdate);
    query->disableUpdates();
    writeStoreAtomically(home.storePath(), xbelDocument({ usedAt(b, now) }));
    QTest::qWait(MetadataQuery::maxHoldMs + 400);
    QCOMPARE(reports.size(), 0);
    QCOMPARE(itemNames(store), QStringList { "a.txt" });
    query->enableUpdates();
    QVERIFY(listsOnly(store, { "b.txt" }));
    QCOMPARE(reports.size(), 1);
    // A rewrite that changes nothing reports nothing.
    writeStoreAtomically(home.storePath(), xbelDocument({ usedAt(b, now) }));
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
    writeStoreAtomically(home.storePath(), xbelDocument({ usedAt(a, now) }));
    writeStoreAtomically(otherStore, xbelDocument({ usedAt(b, now) }));
    RecentFilesStore first(new MetadataQuery(home.storePath()));
    RecentFilesStore second(new MetadataQuery(otherStore));
    QVERIFY(listsOnly(first, { "a.txt" }) && listsOnly(second, { "b.txt" }));
    QTest::qWait(MetadataQuery::maxHoldMs);
    QSignalSpy secondUpdates(&second, &RecentFilesStore::itemsChanged);
    writeStoreAtomically(home.storePath(), xbelDocument({ usedAt(a, now), usedAt(b, now) }));
    QVERIFY(QTest::qWaitFor([&] { return first.items().size() == 2; }, updateLimitMs));
    QCOMPARE(secondUpdates.size(), 0);
}

void RecentFilesStoreTest::logLineListsAtMostTwelveNames()
{
    TempHome home;
    const QDateTime now = QDateTime::currentDateTime();
    QList<XbelEntry> entries { usedAt(QStringLiteral("/x"), now) };
    entries.first().href = QStringLiteral("https://example.org/");
    QStringList expected;
    for (int i = 0; i < 15; ++i) {
        const QString name = QStringLiteral("f%1.txt").arg(i, 2, 10, QLatin1Char('0'));
        entries << usedAt(home.touch(name), now.addSecs(-i));
        if (i < 12)
            expected << name;
    }
    writeStoreAtomically(home.storePath(), xbelDocument(entries));
    {
        // By default no line at all, so no file name reaches the terminal or the journal.
        LogCapture quiet(QUILLMOTH_APP_ID ".store", LogCapture::Level::defaults);
        RecentFilesStore store;
        QVERIFY(QTest::qWaitFor([&] { return store.items().size() == 15; }, 5000));
        QCOMPARE(quiet.lines(), QStringList());
    }
    LogCapture log(QUILLMOTH_APP_ID ".store");
    RecentFilesStore store;
    QVERIFY(QTest::qWaitFor([&] { return !log.lines().isEmpty(); }, updateLimitMs));
    QCOMPARE(log.lines().first(),
        QStringLiteral("gathered 16 raw, kept 15: ") + expected.join(QStringLiteral(" \u00B7 ")));
}

void RecentFilesStoreTest::primingTargets()
{
    TempHome home;
    const QStringList standard
        = { home.path() + "/Desktop", home.path() + "/Documents", home.path() + "/Downloads" };
    QCOMPARE(RecentFilesStore::primeTargets(), standard);
    home.mkdir(QStringLiteral("Library/CloudStorage/Provider-a"));
    home.mkdir(QStringLiteral("Library/CloudStorage/Provider-b"));
    const QStringList targets = RecentFilesStore::primeTargets();
    QCOMPARE(targets.mid(0, 3), standard);
    QCOMPARE(targets.size(), 5);
    QVERIFY(targets.contains(home.path() + "/Library/CloudStorage/Provider-b"));
    RecentFilesStore::primeFileAccess(); // missing folders are skipped quietly
}

QTEST_GUILESS_MAIN(RecentFilesStoreTest)
#include "tst_recentfilesstore.moc"
