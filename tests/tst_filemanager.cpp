// SPDX-FileCopyrightText: 2026 The Quillmoth developers
// SPDX-License-Identifier: GPL-3.0-or-later

// Which file manager is the user's, and that revealing reaches it and no other: real desktop
// entries of Debian's pcmanfm and Thunar (whose D-Bus service file offers FileManager1), a
// private session bus, and a recording program standing in for a third file manager.
#include "Platform/FileManagerBus.h"
#include "Platform/FileManagerIdentity.h"
#include "Platform/Workspace.h"
#include "TestSupport.h"

#include <QCoreApplication>
#include <QDBusConnectionInterface>
#include <QTest>

#include <gio/gdesktopappinfo.h>

namespace {

void setDefaultFolderHandler(const QString &desktopId)
{
    GDesktopAppInfo *info = g_desktop_app_info_new((desktopId + ".desktop").toUtf8().constData());
    QVERIFY2(info, qPrintable(desktopId));
    g_app_info_set_as_default_for_type(G_APP_INFO(info), "inode/directory", nullptr);
    g_object_unref(info);
}

} // namespace

// Answers ShowItems as a file manager would, recording what it was asked to show.
class ShowItemsRecorder : public QObject
{
    Q_OBJECT
    Q_CLASSINFO("D-Bus Interface", "org.freedesktop.FileManager1")
public:
    QList<QStringList> calls;
public Q_SLOTS:
    void ShowItems(const QStringList &uris, const QString &) { calls << uris; }
};

class FileManagerTest : public QObject
{
    Q_OBJECT

    TempHome home;
    std::optional<Program> bus; // the private session bus, from the first case on
    QString record;
    ShowItemsRecorder showItems;

    QStringList recorded() const
    {
        return QString::fromUtf8(readFile(record)).split(u'\n', Qt::SkipEmptyParts);
    }
    void reloadBus()
    {
        QDBusConnection::sessionBus().call(QDBusMessage::createMethodCall("org.freedesktop.DBus",
            "/org/freedesktop/DBus", "org.freedesktop.DBus", "ReloadConfig"));
    }

private Q_SLOTS:
    void initTestCase()
    {
        if (!QFile::exists("/usr/share/applications/pcmanfm.desktop")
            || !QFile::exists("/usr/share/dbus-1/services/org.xfce.Thunar.FileManager1.service"))
            QSKIP("needs Debian's pcmanfm and thunar (scripts/bootstrap installs them)");
        qputenv("XDG_DATA_DIRS", (home.path() + "/share:/usr/share").toUtf8());
        qunsetenv("XDG_CURRENT_DESKTOP");
        record = home.path() + "/record";
        const QString recorder = home.touch(
            "recorder", "#!/bin/sh\nprintf '%s\\n' \"$@\" >> '" + record.toUtf8() + "'\n");
        QFile::setPermissions(recorder, QFile::ReadOwner | QFile::ExeOwner);
        home.folderHandler("code", "Name=Code\nExec=true %F\nCategories=Development;IDE;\n");
        home.folderHandler("recorder-files",
            "Name=Recorder\nGenericName=Recorder\nExec=" + recorder.toUtf8()
                + " %U\nCategories=System;FileManager;\nStartupWMClass=RecorderWM\n");
        home.folderHandler("self-files",
            "Name=Self\nExec=" + QCoreApplication::applicationFilePath().toUtf8()
                + " %U\nCategories=FileManager;\n");

        bus.emplace(QStringList { "dbus-daemon", "--session", "--nofork", "--print-address" });
        QVERIFY(bus->waitForReadyRead(30000));
        qputenv("DBUS_SESSION_BUS_ADDRESS", bus->readLine().trimmed());
        QVERIFY(QDBusConnection::sessionBus().isConnected());
        QVERIFY(QDBusConnection::sessionBus().registerObject(
            "/org/freedesktop/FileManager1", &showItems, QDBusConnection::ExportAllSlots));
    }

    void whoTheFileManagerIs_data()
    {
        QTest::addColumn<QString>("defaultId");
        QTest::addColumn<QString>("desktop");
        QTest::addColumn<QStringList>("followed");
        QTest::addColumn<QString>("name");
        QTest::newRow("pcmanfm") << "pcmanfm"
                                 << "" << QStringList { "pcmanfm" } << "PCManFM";
        QTest::newRow("by category")
            << "recorder-files"
            << "XFCE" << QStringList { "recorder-files", "RecorderWM" } << "Recorder";
        // An editor that claims folders is no file manager: the well-known ones count instead.
        QTest::newRow("editor") << "code"
                                << "" << FileManagerIdentity::wellKnown() << "Thunar";
        QTest::newRow("editor, LXDE") << "code"
                                      << "LXDE" << FileManagerIdentity::wellKnown() << "PCManFM";
    }

    void whoTheFileManagerIs()
    {
        QFETCH(QString, defaultId);
        QFETCH(QString, desktop);
        QFETCH(QStringList, followed);
        QFETCH(QString, name);
        setDefaultFolderHandler(defaultId);
        qputenv("XDG_CURRENT_DESKTOP", desktop.toUtf8());
        QCOMPARE(FileManagerIdentity::identifiers(), followed);
        QCOMPARE(SystemWorkspace().fileManagerName(), name);
        qunsetenv("XDG_CURRENT_DESKTOP");
    }

    // Installed Thunar offers FileManager1 by activation; only Thunar may be reached that way.
    void busNameLeadsOnlyToItsOwnProgram()
    {
        QDBusConnection session = QDBusConnection::sessionBus();
        const auto thunar = FileManagerIdentity::fromDesktopId("thunar");
        const auto pcmanfm = FileManagerIdentity::fromDesktopId("pcmanfm");
        const auto recorder = FileManagerIdentity::fromDesktopId("recorder-files");
        const auto self = FileManagerIdentity::fromDesktopId("self-files");
        QVERIFY(thunar && pcmanfm && recorder && self);
        QVERIFY(FileManagerBus::leadsTo(*thunar, session)); // Exec=/usr/bin/Thunar, a link
        QVERIFY(!FileManagerBus::leadsTo(*pcmanfm, session));

        // The user's own service folder comes first.
        const QString services = home.dataHome() + "/dbus-1/services/";
        writeFile(services + "other.service",
            "[D-BUS Service]\nName=org.freedesktop.FileManager1\nExec="
                + recorder->executable.toUtf8() + " --daemon\n");
        reloadBus();
        QVERIFY(FileManagerBus::leadsTo(*recorder, session));
        QVERIFY(!FileManagerBus::leadsTo(*thunar, session));
        // Two disagreeing files in one folder: either may start, so neither is trusted.
        writeFile(services + "another.service",
            "[D-BUS Service]\nName=org.freedesktop.FileManager1\nExec=/usr/bin/thunar\n");
        reloadBus();
        QVERIFY(!FileManagerBus::leadsTo(*recorder, session));
        QVERIFY(!FileManagerBus::leadsTo(*thunar, session));

        // A running owner decides over any service file.
        QVERIFY(session.registerService(FileManagerBus::serviceName()));
        QVERIFY(FileManagerBus::leadsTo(*self, session));
        QVERIFY(!FileManagerBus::leadsTo(*thunar, session));
        QVERIFY(session.unregisterService(FileManagerBus::serviceName()));
        QFile::remove(services + "other.service");
        QFile::remove(services + "another.service");
        reloadBus();
    }

    void revealGoesToTheUsersFileManager()
    {
        QDBusConnection session = QDBusConnection::sessionBus();
        QVERIFY(session.registerService(FileManagerBus::serviceName()));
        const QString file = home.touch("Projects/Quill/notes.txt");
        SystemWorkspace workspace;

        // Another program answers on the bus: the folder opens in the user's file manager.
        setDefaultFolderHandler("recorder-files");
        workspace.activateFileViewerSelecting({ QUrl::fromLocalFile(file) });
        QVERIFY(QTest::qWaitFor([&] { return !recorded().isEmpty(); }, 30000));
        // GLib hands a program that takes %U a local folder as a path.
        QCOMPARE(recorded(), QStringList { home.path() + "/Projects/Quill" });

        // The user's file manager answers: it is asked to select the file itself.
        setDefaultFolderHandler("self-files");
        workspace.activateFileViewerSelecting({ QUrl::fromLocalFile(file) });
        QVERIFY(QTest::qWaitFor([&] { return !showItems.calls.isEmpty(); }, 30000));
        QCOMPARE(
            showItems.calls, (QList<QStringList> { { QUrl::fromLocalFile(file).toString() } }));
        QCOMPARE(recorded().size(), 1);
        QVERIFY(session.unregisterService(FileManagerBus::serviceName()));
    }
};

QTEST_GUILESS_MAIN(FileManagerTest)
#include "tst_filemanager.moc"
