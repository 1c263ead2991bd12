// SPDX-FileCopyrightText: 2026 The Quillmoth developers
// SPDX-License-Identifier: GPL-3.0-or-later

// The panel follows the active application: shown for the file manager and for Quillmoth
// itself, hidden for anything else. Real program, real openbox, small X clients as the other
// applications.
#include "TestSupport.h"
#include "XSession.h"

#include <QDir>
#include <QTest>

#include <xcb/xcb.h>

namespace {

void put(const QString &path, const QByteArray &content)
{
    QDir().mkpath(QFileInfo(path).path());
    writeFile(path, content);
}

// Makes `desktopId` the default handler of folders for GLib, in this test's home; a file
// manager by its categories unless `categories` says otherwise.
void setDefaultFileManager(const TempHome &home, const QString &desktopId, const QString &wmClass,
    const QByteArray &categories = "System;FileManager;")
{
    put(home.configHome() + QStringLiteral("/mimeapps.list"),
        "[Default Applications]\ninode/directory=" + desktopId.toUtf8() + ".desktop\n");
    QByteArray entry = "[Desktop Entry]\nType=Application\nName=Files\nExec=true %U\n"
                       "MimeType=inode/directory;\nCategories="
        + categories + "\n";
    if (!wmClass.isEmpty())
        entry += "StartupWMClass=" + wmClass.toUtf8() + "\n";
    put(home.dataHome() + QStringLiteral("/applications/") + desktopId + QStringLiteral(".desktop"),
        entry);
}

// System-wide handlers stay out of the way: the only data directory is an empty one of ours.
QStringList isolatedData(const TempHome &home)
{
    const QString dirs = home.path() + QStringLiteral("/system-share");
    QDir().mkpath(dirs);
    QFile::link(QStringLiteral("/usr/share/mime"), dirs + QStringLiteral("/mime"));
    return { QStringLiteral("XDG_DATA_DIRS=") + dirs };
}

} // namespace

class FollowerTest : public QObject
{
    Q_OBJECT

    XConnection x;

    // Brings `window` to the front (a new window is usually focused already) and waits until the
    // window manager reports it active.
    bool activate(quint32 window)
    {
        if (!QTest::qWaitFor([&] { return x.activeWindow() == window; }, 1000)) {
            x.requestActivate(window);
            return QTest::qWaitFor([&] { return x.activeWindow() == window; }, 5000);
        }
        return true;
    }
    bool shown(quint32 panel)
    {
        return QTest::qWaitFor([&] { return x.viewable(panel); }, 5000);
    }
    // Hidden, and still hidden a little later (no stray decision shows it again).
    bool hidden(quint32 panel)
    {
        if (!QTest::qWaitFor([&] { return !x.viewable(panel); }, 5000))
            return false;
        QTest::qWait(100);
        return !x.viewable(panel);
    }

private Q_SLOTS:
    void initTestCase() { QVERIFY2(x.ok(), "needs an X display (run through tests/with-x)"); }

    void defaultFileManager()
    {
        TempHome home;
        setDefaultFileManager(
            home, QStringLiteral("com.example.Files"), QStringLiteral("ExampleFilesWM"));
        AppRun app(isolatedData(home));
        const quint32 panel = app.waitForPanel(x);
        QVERIFY(panel);
        QVERIFY(shown(panel)); // Quillmoth activates itself at start-up

        FakeApp files({ "--gtk-id", "com.example.Files", "--class", "files,Files" });
        QVERIFY(activate(files.window()));
        QVERIFY(shown(panel));
        QVERIFY(x.hasState(panel, "_NET_WM_STATE_ABOVE"));

        FakeApp editor({ "--class", "editor,Editor" });
        QVERIFY(activate(editor.window()));
        QVERIFY(hidden(panel));

        // Back to the file manager, then to one that differs only in letter case.
        QVERIFY(activate(files.window()));
        QVERIFY(shown(panel));
        FakeApp lookalike(
            { "--gtk-id", "com.example.files", "--class", "com.example.FILES,Com.example.files" });
        QVERIFY(activate(lookalike.window()));
        QVERIFY(hidden(panel));

        // StartupWMClass names the file manager too, and so does its desktop id as WM_CLASS.
        FakeApp byClass({ "--class", "whatever,ExampleFilesWM" });
        QVERIFY(activate(byClass.window()));
        QVERIFY(shown(panel));
        FakeApp another({ "--class", "other,Other" });
        QVERIFY(activate(another.window()));
        QVERIFY(hidden(panel));
        FakeApp byInstance({ "--class", "com.example.Files,Whatever" });
        QVERIFY(activate(byInstance.window()));
        QVERIFY(shown(panel));

        // With a default handler the well-known names no longer count.
        FakeApp thunar({ "--class", "thunar,Thunar" });
        QVERIFY(activate(thunar.window()));
        QVERIFY(hidden(panel));

        // Quillmoth itself: any window of its process.
        FakeApp own({ "--class", "other,Other", "--pid", QString::number(app.pid()) });
        QVERIFY(activate(own.window()));
        QVERIFY(shown(panel));
        QVERIFY(x.hasState(panel, "_NET_WM_STATE_ABOVE"));

        // No class, no pid, no name at all.
        FakeApp anonymous({});
        QVERIFY(activate(anonymous.window()));
        QVERIFY(hidden(panel));

        QVERIFY(app.running());
        QCOMPARE(app.terminate(), 0);
    }

    void wellKnownFileManagers()
    {
        // The default handler of folders is an editor, which is no file manager.
        TempHome home;
        setDefaultFileManager(
            home, QStringLiteral("code"), QStringLiteral("Code"), "Development;IDE;");
        AppRun app(isolatedData(home));
        const quint32 panel = app.waitForPanel(x);
        QVERIFY(panel);
        QVERIFY(shown(panel));

        struct Case
        {
            QStringList args;
            bool show;
        };
        const QList<Case> cases {
            { { "--class", "thunar,Thunar" }, true },
            { { "--class", "THUNAR,THUNAR" }, false },
            { { "--gtk-id", "org.gnome.Nautilus", "--class",
                  "org.gnome.Nautilus,Org.gnome.Nautilus" },
                true },
            { { "--gtk-id", "org.gnome.nautilus", "--class",
                  "Org.Gnome.Nautilus,ORG.GNOME.NAUTILUS" },
                false },
            { { "--class", "dolphin,dolphin" }, true },
            { { "--class", "pcmanfm-qt,pcmanfm-qt" }, true },
            { { "--class", "pcmanfm-qt2,Pcmanfm-qt2" }, false },
            { { "--class", "caja,Caja" }, true },
            { { "--class", "xterm,XTerm" }, false },
            { { "--class", "code,Code" }, false },
        };
        for (const Case &c : cases) {
            FakeApp other(c.args);
            QVERIFY(other.window());
            QVERIFY2(activate(other.window()), qPrintable(c.args.join(' ')));
            QVERIFY2(c.show ? shown(panel) : hidden(panel), qPrintable(c.args.join(' ')));
        }
        QCOMPARE(app.terminate(), 0);
    }

    // The active window may be gone by the time it is looked at, or be no window at all.
    void vanishingAndOddActiveWindows()
    {
        TempHome home;
        AppRun app(isolatedData(home));
        const quint32 panel = app.waitForPanel(x);
        QVERIFY(panel);
        FakeApp files({ "--class", "nemo,Nemo" });
        QVERIFY(activate(files.window()));
        QVERIFY(shown(panel));
        QTest::qWait(200); // the window manager has finished focusing it

        x.setRootProperty("_NET_ACTIVE_WINDOW", XCB_ATOM_WINDOW, { x.vanishedWindow() });
        QVERIFY(hidden(panel));
        QVERIFY(app.running());

        x.setRootProperty("_NET_ACTIVE_WINDOW", XCB_ATOM_WINDOW, { 0 });
        QVERIFY(hidden(panel));
        x.deleteRootProperty("_NET_ACTIVE_WINDOW");
        QVERIFY(hidden(panel));
        x.setRootProperty(
            "_NET_ACTIVE_WINDOW", XCB_ATOM_CARDINAL, { files.window(), 1, 2 }); // wrong type
        QVERIFY(hidden(panel));
        QVERIFY(app.running());

        // Still following afterwards.
        FakeApp editor({ "--class", "editor,Editor" });
        QVERIFY(activate(editor.window()));
        QVERIFY(activate(files.window()));
        QVERIFY(shown(panel));
        QCOMPARE(app.terminate(), 0);
    }
};

QTEST_GUILESS_MAIN(FollowerTest)
#include "xtst_follower.moc"
