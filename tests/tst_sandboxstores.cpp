// SPDX-FileCopyrightText: 2026 The Quillmoth developers
// SPDX-License-Identifier: GPL-3.0-or-later

// Recents that Flatpak and Snap apps keep in their own folders: merged with the user's store,
// apps that come and go, hostile stores, and files handed out by a real document portal.
#include "FaultInjection.h"
#include "Platform/SandboxStores.h"
#include "Platform/StoreFile.h"
#include "Platform/SystemCalls.h"
#include "Store/RecentFilesStore.h"
#include "StoreWaits.h"
#include "TestSupport.h"

#include <QDBusConnection>
#include <QDBusConnectionInterface>
#include <QDBusReply>
#include <QDBusUnixFileDescriptor>
#include <QDir>
#include <QProcess>
#include <QScopeGuard>
#include <QStandardPaths>
#include <QTest>

#include <fcntl.h>
#include <unistd.h>

using namespace Qt::StringLiterals;

namespace {

QString flatpakStore(const TempHome &home, const QString &app)
{
    return home.path() + u"/.var/app/"_s + app + u"/data/recently-used.xbel"_s;
}

} // namespace

class SandboxStoresTest : public QObject
{
    Q_OBJECT
private Q_SLOTS:
    // First: the process's session bus is the private one this case starts.
    void portalDocumentsAtTheirRealLocation()
    {
        const QString portal = u"/usr/libexec/xdg-document-portal"_s;
        if (!QFileInfo(portal).isExecutable()
            || QStandardPaths::findExecutable(u"dbus-daemon"_s).isEmpty())
            QSKIP("needs xdg-document-portal and dbus-daemon");
        TempHome home;
        QTemporaryDir runtime;
        Program bus({ u"dbus-daemon"_s, u"--session"_s, u"--nofork"_s, u"--print-address=1"_s });
        QVERIFY(bus.waitForReadyRead(30000));
        qputenv("DBUS_SESSION_BUS_ADDRESS", bus.readLine().trimmed());
        // Once the portal has ended, its folder is let go in case it left it mounted.
        const auto unmount = qScopeGuard([&] {
            QProcess::execute(u"fusermount3"_s, { u"-uz"_s, runtime.filePath(u"doc"_s) });
        });
        Program documents({ u"XDG_RUNTIME_DIR="_s + runtime.path(), portal, u"--replace"_s });
        QDBusConnection connection = QDBusConnection::sessionBus();
        const QString service = u"org.freedesktop.portal.Documents"_s;
        const auto isUp
            = [&] { return connection.interface()->isServiceRegistered(service).value(); };
        if (!QTest::qWaitFor(
                [&] { return isUp() || documents.state() == QProcess::NotRunning; }, 30000)
            || !isUp())
            QSKIP("the document portal cannot run here (it needs FUSE)");

        const QString real = home.touch(u"Documents/report.odt"_s);
        const int fd = ::open(QFile::encodeName(real).constData(), O_PATH | O_CLOEXEC);
        QDBusMessage add = QDBusMessage::createMethodCall(
            service, u"/org/freedesktop/portal/documents"_s, service, u"Add"_s);
        add << QVariant::fromValue(QDBusUnixFileDescriptor(fd)) << true << false;
        ::close(fd);
        const QDBusReply<QString> id = connection.call(add);
        QVERIFY2(id.isValid(), qPrintable(id.error().message()));
        // As a Flatpak app records the files the portal handed it; the second it never did.
        const QString mount = u"/run/user/%1/doc/"_s.arg(::getuid());
        writeAtomically(flatpakStore(home, u"org.example.Writer"_s),
            xbelOf({ mount + id.value() + u"/report.odt"_s, mount + u"deadbeef/secret.odt"_s },
                QDateTime::currentDateTime()));
        RecentFilesStore store(new MetadataQuery(home.storePath()));
        QVERIFY(QTest::qWaitFor(
            [&] {
                return store.items().size() == 1
                    && store.items().constFirst().url().toLocalFile() == real;
            },
            10000));
        QCOMPARE(store.items().constFirst().name(), u"report.odt"_s);
    }

    void mergesAppsThatComeAndGo()
    {
        TempHome home;
        const QDateTime now = QDateTime::currentDateTime();
        QStringList f;
        for (const char *name : { "a.txt", "b.txt", "c.txt", "d.txt", "e.txt", "f.txt" })
            f << home.touch(u"Documents/"_s + QLatin1String(name));
        writeAtomically(home.storePath(), xbelOf({ f[1], f[0] }, now.addSecs(-50)));
        // The same file, used later inside the app: listed once, at its newer date.
        writeAtomically(
            flatpakStore(home, u"org.example.Editor"_s), xbelOf({ f[0], f[2] }, now.addSecs(-10)));
        writeAtomically(home.path() + u"/snap/notes/12/.local/share/recently-used.xbel"_s,
            xbelOf({ f[3] }, now.addSecs(-40)));
        QVERIFY(QFile::link(u"12"_s, home.path() + u"/snap/notes/current"_s));

        RecentFilesStore store(new MetadataQuery(home.storePath()));
        QVERIFY(lists(store, { u"a.txt"_s, u"c.txt"_s, u"d.txt"_s, u"b.txt"_s }));

        // An app installed while running: its folder first, its store at its first use.
        home.mkdir(u".var/app/org.example.Viewer/data"_s);
        QTest::qWait(MetadataQuery::settleMs * 3);
        writeAtomically(flatpakStore(home, u"org.example.Viewer"_s), xbelOf({ f[4] }, now));
        QVERIFY(lists(store, { u"e.txt"_s, u"a.txt"_s, u"c.txt"_s, u"d.txt"_s, u"b.txt"_s }));

        // A snap refreshed to a new revision: "current" points elsewhere.
        writeAtomically(home.path() + u"/snap/notes/13/.local/share/recently-used.xbel"_s,
            xbelOf({ f[5] }, now.addSecs(-40)));
        QVERIFY(QFile::link(u"13"_s, home.path() + u"/snap/notes/next"_s));
        QVERIFY(::rename(QFile::encodeName(home.path() + u"/snap/notes/next"_s).constData(),
                    QFile::encodeName(home.path() + u"/snap/notes/current"_s).constData())
            == 0);
        QVERIFY(lists(store, { u"e.txt"_s, u"a.txt"_s, u"c.txt"_s, u"f.txt"_s, u"b.txt"_s }));

        // An app removed with its data: its items go, and the user's own date comes back.
        QVERIFY(QDir(home.path() + u"/.var/app/org.example.Editor"_s).removeRecursively());
        QVERIFY(lists(store, { u"e.txt"_s, u"f.txt"_s, u"b.txt"_s, u"a.txt"_s }));
    }

    void hostileStores()
    {
        TempHome home;
        QTemporaryDir outside;
        const auto restore = restoringSystemCalls();
        const QDateTime now = QDateTime::currentDateTime();
        const QString good = home.touch(u"good.txt"_s), kept = home.touch(u"kept.txt"_s);
        const QString planted = home.touch(u"planted.txt"_s), hidden = home.touch(u"denied.txt"_s);
        writeAtomically(
            flatpakStore(home, u"org.example.Broken"_s), xbelOf({ kept }, now.addSecs(-20)));
        // A link out of the home, a store too large to read, one that cannot be opened.
        writeAtomically(outside.filePath(u"store.xbel"_s), xbelOf({ planted }, now));
        home.mkdir(u".var/app/org.example.Link/data"_s);
        QVERIFY(QFile::link(
            outside.filePath(u"store.xbel"_s), flatpakStore(home, u"org.example.Link"_s)));
        writeFile(flatpakStore(home, u"org.example.Huge"_s), {});
        QVERIFY(QFile::resize(flatpakStore(home, u"org.example.Huge"_s), StoreFile::maxBytes + 1));
        writeAtomically(flatpakStore(home, u"org.example.Denied"_s), xbelOf({ hidden }, now));
        FaultInjection::deniedMarker = "org.example.Denied";
        SystemCalls::setOpen(&FaultInjection::open);

        LogCapture log("io.github.quillmoth.Quillmoth.platform");
        RecentFilesStore store(new MetadataQuery(home.storePath()));
        QVERIFY(lists(store, { u"kept.txt"_s }));
        // Half-written: the app keeps its last good set, and the others go on.
        writeFile(flatpakStore(home, u"org.example.Broken"_s), xbelOf({ good }, now).left(200));
        writeAtomically(home.storePath(), xbelOf({ good }, now.addSecs(-10)));
        QVERIFY(lists(store, { u"good.txt"_s, u"kept.txt"_s }));
        const QString warnings = log.lines().join(u'\n');
        QVERIFY(warnings.contains(u"leads outside the home"_s));
        QVERIFY(warnings.contains(u"larger than"_s));
        QVERIFY(!warnings.contains(home.path()));
    }

    void thousandsOfAppsPastTheWatchLimit()
    {
        TempHome home;
        const auto restore = restoringSystemCalls();
        constexpr int apps = 3000;
        for (int i = 0; i < apps; ++i)
            home.mkdir(u".var/app/org.example.App%1/data"_s.arg(i));
        FaultInjection::watchLimit = 100;
        SystemCalls::setInotifyAddWatch(&FaultInjection::limitedInotifyAddWatch);
        SandboxStores stores(home.path(), SandboxStores::homeRoots(home.path()));
        QCOMPARE(stores.appCount(), apps);
        QVERIFY(stores.isPolling());
        // Most apps have no watch of their own: their first store is found by the periodic check.
        writeAtomically(flatpakStore(home, u"org.example.App%1"_s.arg(apps - 1)),
            xbelOf({ home.touch(u"x"_s) }, {}));
        writeAtomically(
            flatpakStore(home, u"org.example.App7"_s), xbelOf({ home.touch(u"x"_s) }, {}));
        QTRY_COMPARE_WITH_TIMEOUT(stores.stores().size(), 2, SandboxStores::pollIntervalMs * 5);
    }
};

QTEST_GUILESS_MAIN(SandboxStoresTest)
#include "tst_sandboxstores.moc"
