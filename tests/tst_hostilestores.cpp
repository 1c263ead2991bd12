// SPDX-FileCopyrightText: 2026 The Quillmoth developers
// SPDX-License-Identifier: GPL-3.0-or-later

#include "Store/RecentFilesStore.h"
#include "TestSupport.h"

#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QSignalSpy>
#include <QTest>
#include <QTimer>

#include <sys/stat.h>
#include <unistd.h>

namespace {

XbelEntry entryFor(const QString &href, const QDateTime &when)
{
    XbelEntry e;
    e.href = href;
    e.visited = when;
    e.modified = when;
    e.added = when;
    return e;
}

QStringList names(const RecentFilesStore &store)
{
    QStringList out;
    for (const RecentItem &item : store.items())
        out << item.name();
    return out;
}

} // namespace

class HostileStoresTest : public QObject
{
    Q_OBJECT
private Q_SLOTS:
    void hostileEntries();
    void hundredThousandEntriesInOneDay();
    void hugeStore();
    void thousandRewritesInABurst();
};

void HostileStoresTest::thousandRewritesInABurst()
{
    TempHome home;
    const QDateTime now = QDateTime::currentDateTime();
    QStringList files;
    for (int i = 0; i < 10; ++i)
        files << home.touch(QStringLiteral("f%1.txt").arg(i));
    writeStoreAtomically(home.storePath(), xbelDocument({ entryFor(fileUri(files[0]), now) }));
    RecentFilesStore store;
    QVERIFY(QTest::qWaitFor([&] { return names(store) == QStringList { "f0.txt" }; }, 5000));
    QTest::qWait(300);
    QSignalSpy updates(&store, &RecentFilesStore::itemsChanged);
    bool everEmpty = false;
    connect(&store, &RecentFilesStore::itemsChanged, this,
        [&] { everEmpty = everEmpty || store.items().isEmpty(); });
    // Half of them replaced by rename, half written in place (readers may see them half-written).
    for (int i = 1; i <= 1000; ++i) {
        const QByteArray doc = xbelDocument({ entryFor(fileUri(files[i % 10]), now.addSecs(i)) });
        if (i % 2)
            writeStoreAtomically(home.storePath(), doc);
        else
            writeFile(home.storePath(), doc);
        if (i % 100 == 0)
            QCoreApplication::processEvents();
    }
    QVERIFY(QTest::qWaitFor(
        [&] {
            return names(store) == QStringList { "f0.txt" }
            && store.items().first().date() == now.addSecs(1000);
        },
        10000));
    QVERIFY(!everEmpty);
    QVERIFY2(updates.size() < 100, qPrintable(QString::number(updates.size())));
}

void HostileStoresTest::hostileEntries()
{
    TempHome home;
    const QDateTime now = QDateTime::currentDateTime();
    const QString marker = home.path() + QStringLiteral("/executed");
    // A program that would leave a mark if anything ran it.
    const QString program = home.touch(
        QStringLiteral("bin/tool"), QStringLiteral("#!/bin/sh\ntouch '%1'\n").arg(marker).toUtf8());
    QFile::setPermissions(
        program, QFile::permissions(program) | QFileDevice::ExeOwner | QFileDevice::ExeUser);
    const QString elf = home.path() + QStringLiteral("/bin/elf");
    QVERIFY(QFile::copy(QStringLiteral("/bin/true"), elf));
    const QString launcher = home.touch(QStringLiteral("Desktop/run.desktop"),
        QStringLiteral("[Desktop Entry]\nType=Application\nName=x\nExec=touch %1\n")
            .arg(marker)
            .toUtf8());
    const QString appImage = home.touch(QStringLiteral("Downloads/Tool.AppImage"),
        "\x7f"
        "ELF");
    const QString fifo = home.path() + QStringLiteral("/pipe");
    QVERIFY(::mkfifo(QFile::encodeName(fifo).constData(), 0600) == 0);
    const QString loopA = home.path() + QStringLiteral("/loop-a"),
                  loopB = home.path() + QStringLiteral("/loop-b");
    QVERIFY(::symlink("loop-b", QFile::encodeName(loopA).constData()) == 0);
    QVERIFY(::symlink("loop-a", QFile::encodeName(loopB).constData()) == 0);
    QString deep = home.path();
    while (deep.size() < 3880)
        deep += QLatin1Char('/') + QString(200, QLatin1Char('d'));
    QVERIFY(QDir().mkpath(deep));
    const QString longPath
        = home.touch(deep.mid(home.path().size() + 1) + QStringLiteral("/long.txt"));
    QVERIFY(longPath.toUtf8().size() > 3900);
    const QString tooLong = deep + QLatin1Char('/') + QString(400, QLatin1Char('x'));
    const QString controls = home.touch(QStringLiteral("odd\tname\x01\nwith lines.txt"));

    const QList<XbelEntry> entries = {
        entryFor(fileUri(program), now.addSecs(-1)),
        entryFor(fileUri(elf), now.addSecs(-2)),
        entryFor(fileUri(launcher), now.addSecs(-3)),
        entryFor(fileUri(appImage), now.addSecs(-4)),
        entryFor(fileUri(fifo), now.addSecs(-5)),
        entryFor(fileUri(loopA), now.addSecs(-6)),
        entryFor(fileUri(QStringLiteral("/dev/null")), now.addSecs(-7)),
        entryFor(fileUri(longPath), now.addSecs(-8)),
        entryFor(fileUri(tooLong), now.addSecs(-9)),
        entryFor(fileUri(controls), now.addSecs(-10)),
        entryFor(QStringLiteral("file:///home/u/%FF%FE.txt"), now.addSecs(-11)),
        entryFor(QStringLiteral("file:///etc/passwd%00.txt"), now.addSecs(-12)),
        entryFor(QStringLiteral("javascript:alert(1)"), now.addSecs(-13)),
    };
    writeStoreAtomically(home.storePath(), xbelDocument(entries));

    RecentFilesStore store;
    QSignalSpy updates(&store, &RecentFilesStore::itemsChanged);
    QVERIFY(QTest::qWaitFor([&] { return !updates.isEmpty(); }, 5000));
    // Scripts are documents; programs, launchers and AppImages are not listed; loops, missing
    // and undecodable locations give nothing; special files are listed without being opened.
    QCOMPARE(names(store),
        (QStringList { "tool", "pipe", "null", "long.txt", "odd\tname\x01\nwith lines.txt" }));
    QVERIFY(!store.items().at(1).isFolder());
    QVERIFY(!QFile::exists(marker));
}

void HostileStoresTest::hundredThousandEntriesInOneDay()
{
    TempHome home;
    const QDateTime now = QDateTime::currentDateTime();
    QList<XbelEntry> entries;
    entries.reserve(100000);
    const QString folder = home.mkdir(QStringLiteral("Documents/many"));
    for (int i = 0; i < 100000; ++i) {
        const QString path = folder + QStringLiteral("/f%1.txt").arg(i);
        if (i % 20 == 0)
            writeFile(path, "x");
        entries << entryFor(fileUri(path), now.addMSecs(-qint64(i) * 500));
    }
    writeStoreAtomically(home.storePath(), xbelDocument(entries));

    RecentFilesStore store;
    // Measure the longest stretch the main thread spends away from its event loop.
    QElapsedTimer sinceTick;
    qint64 longest = 0;
    QTimer ticker;
    ticker.setInterval(1);
    connect(
        &ticker, &QTimer::timeout, this, [&] { longest = std::max(longest, sinceTick.restart()); });
    sinceTick.start();
    ticker.start();
    QVERIFY(QTest::qWaitFor([&] { return store.items().size() == 5000; }, 60000));
    QTest::qWait(300);
    ticker.stop();
    qInfo("longest main-thread stall while reading 100,000 entries: %lld ms", longest);
    QCOMPARE(store.items().first().name(), QStringLiteral("f0.txt"));
    QCOMPARE(store.items().last().name(), QStringLiteral("f99980.txt"));
}

void HostileStoresTest::hugeStore()
{
    // A 100 MB store: mostly one enormous title, which the reader takes in its stride.
    TempHome home;
    const QDateTime now = QDateTime::currentDateTime();
    const QString file = home.touch(QStringLiteral("big.txt"));
    XbelEntry entry = entryFor(fileUri(file), now);
    entry.title = QString(100 * 1024 * 1024, QLatin1Char('t'));
    writeStoreAtomically(home.storePath(), xbelDocument({ entry }));
    QVERIFY(QFileInfo(home.storePath()).size() > 100 * 1000 * 1000);
    LogCapture log(QUILLMOTH_APP_ID ".store");
    RecentFilesStore store;
    QVERIFY(QTest::qWaitFor([&] { return store.items().size() == 1; }, 60000));
    QCOMPARE(store.items().first().name().size(), 100 * 1024 * 1024);
    // The log line stays short whatever the titles hold.
    QVERIFY(log.lines().last().size() < 400);
}

QTEST_GUILESS_MAIN(HostileStoresTest)
#include "tst_hostilestores.moc"
