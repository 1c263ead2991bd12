// SPDX-FileCopyrightText: 2026 The Quillmoth developers
// SPDX-License-Identifier: GPL-3.0-or-later

#include "Store/RecentFilesStore.h"
#include "TestSupport.h"

#include <QDir>
#include <QFile>
#include <QSignalSpy>
#include <QTest>

#include <sys/stat.h>
#include <unistd.h>

class HostileStoresTest : public QObject
{
    Q_OBJECT
private Q_SLOTS:
    void hostileEntries();
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
    writeStoreAtomically(home.storePath(), xbelDocument({ usedAt(files[0], now) }));
    RecentFilesStore store;
    QVERIFY(QTest::qWaitFor([&] { return itemNames(store) == QStringList { "f0.txt" }; }, 20000));
    QSignalSpy updates(&store, &RecentFilesStore::itemsChanged);
    bool everEmpty = false;
    connect(&store, &RecentFilesStore::itemsChanged, this,
        [&] { everEmpty = everEmpty || store.items().isEmpty(); });
    // Half of them replaced by rename, half written in place (readers may see them half-written).
    for (int i = 1; i <= 1000; ++i) {
        const QByteArray doc = xbelDocument({ usedAt(files[i % 10], now.addSecs(i)) });
        if (i % 2)
            writeStoreAtomically(home.storePath(), doc);
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

void HostileStoresTest::hostileEntries()
{
    TempHome home;
    const QDateTime now = QDateTime::currentDateTime();
    const QString marker = home.path() + QStringLiteral("/executed");
    // Programs and launchers that would leave a mark if anything ran them.
    const QString program = home.touch(
        QStringLiteral("bin/tool"), QStringLiteral("#!/bin/sh\ntouch '%1'\n").arg(marker).toUtf8());
    QFile::setPermissions(program, QFile::permissions(program) | QFileDevice::ExeOwner);
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
    const QString loop = home.path() + QStringLiteral("/loop-a");
    QVERIFY(::symlink("loop-b", QFile::encodeName(loop).constData()) == 0);
    QVERIFY(::symlink("loop-a", QFile::encodeName(home.path() + "/loop-b").constData()) == 0);
    QString deep = home.path();
    while (deep.size() < 3880)
        deep += QLatin1Char('/') + QString(200, QLatin1Char('d'));
    const QString longPath = home.touch(deep.mid(home.path().size() + 1) + "/long.txt");
    QVERIFY(longPath.toUtf8().size() > 3900);
    const QString tooLong = deep + QLatin1Char('/') + QString(400, QLatin1Char('x'));
    const QString controls = home.touch(QStringLiteral("odd\tname\x01\nwith lines.txt"));
    const QString folder = home.mkdir(QStringLiteral("Projects/Quill"));

    QList<XbelEntry> entries;
    for (const QString &path : { program, elf, launcher, appImage, fifo, loop,
             QStringLiteral("/dev/null"), longPath, tooLong, controls, folder })
        entries << usedAt(path, now.addSecs(-entries.size()));
    for (const char *href :
        { "file:///home/u/%FF%FE.txt", "file:///etc/passwd%00.txt", "javascript:alert(1)" }) {
        entries << usedAt({}, now.addSecs(-entries.size()));
        entries.last().href = QString::fromLatin1(href);
    }
    writeStoreAtomically(home.storePath(), xbelDocument(entries));

    RecentFilesStore store;
    QVERIFY(QTest::qWaitFor([&] { return !store.isLoading(); }, 20000));
    // Scripts are documents; programs, launchers and AppImages are not listed; loops, missing
    // and undecodable locations give nothing; special files are listed without being opened.
    QCOMPARE(itemNames(store),
        (QStringList {
            "tool", "pipe", "null", "long.txt", "odd\tname\x01\nwith lines.txt", "Quill" }));
    QVERIFY(!store.items().at(1).isFolder());
    QVERIFY(store.items().last().isFolder());
    QVERIFY(!QFile::exists(marker));
}

void HostileStoresTest::hugeStore()
{
    // A 100 MB store: mostly one enormous title, which the reader takes in its stride.
    TempHome home;
    XbelEntry entry = usedAt(home.touch(QStringLiteral("big.txt")), QDateTime::currentDateTime());
    entry.title = QString(100 * 1024 * 1024, QLatin1Char('t'));
    writeStoreAtomically(home.storePath(), xbelDocument({ entry }));
    QVERIFY(QFileInfo(home.storePath()).size() > 100 * 1000 * 1000);
    LogCapture log(QUILLMOTH_APP_ID ".store");
    RecentFilesStore store;
    QVERIFY(QTest::qWaitFor([&] { return store.items().size() == 1; }, 120000));
    // Listed under the file's own name: a title never stands in for it.
    QCOMPARE(store.items().first().name(), QStringLiteral("big.txt"));
    // The log line stays short whatever the titles hold.
    QVERIFY(log.lines().last().size() < 400);
}

QTEST_GUILESS_MAIN(HostileStoresTest)
#include "tst_hostilestores.moc"
