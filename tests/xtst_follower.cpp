// SPDX-FileCopyrightText: 2026 The Quillmoth developers
// SPDX-License-Identifier: GPL-3.0-or-later

// The panel follows the active application: shown for the file manager and for Quillmoth
// itself, hidden for anything else. Real program, real openbox, small X clients as the other
// applications.
#include "TestSupport.h"
#include "XSession.h"

#include "Platform/ActiveApplicationSource.h"

#include <QDir>
#include <QTest>

#include <xcb/xcb.h>

namespace {

// Makes `desktopId` the default handler of folders for GLib, in this test's home; a file
// manager by its categories unless `categories` says otherwise.
void setDefaultFileManager(const TempHome &home, const QString &desktopId, const QString &wmClass,
    const QByteArray &categories = "System;FileManager;")
{
    home.touch(QStringLiteral(".config/mimeapps.list"),
        "[Default Applications]\ninode/directory=" + desktopId.toUtf8() + ".desktop\n");
    QByteArray entry = "[Desktop Entry]\nType=Application\nName=Files\nExec=true %U\n"
                       "MimeType=inode/directory;\nCategories="
        + categories + "\n";
    if (!wmClass.isEmpty())
        entry += "StartupWMClass=" + wmClass.toUtf8() + "\n";
    home.touch(QStringLiteral(".local/share/applications/") + desktopId + ".desktop", entry);
}

// System-wide handlers stay out of the way: the only data directory is an empty one of ours.
QStringList isolatedData(const TempHome &home)
{
    const QString dirs = home.mkdir(QStringLiteral("system-share"));
    QFile::link(QStringLiteral("/usr/share/mime"), dirs + QStringLiteral("/mime"));
    return { QStringLiteral("XDG_DATA_DIRS=") + dirs };
}

// Whether a window was unmapped since the watch began (StructureNotify on a connection of
// the test's own).
class UnmapWatch
{
public:
    UnmapWatch(const XConnection &x, quint32 window)
        : m_x(x)
        , m_window(window)
    {
        const quint32 mask = XCB_EVENT_MASK_STRUCTURE_NOTIFY;
        xcb_change_window_attributes(x.connection(), window, XCB_CW_EVENT_MASK, &mask);
        free(xcb_get_input_focus_reply(
            x.connection(), xcb_get_input_focus(x.connection()), nullptr));
    }
    bool seen()
    {
        free(xcb_get_input_focus_reply(
            m_x.connection(), xcb_get_input_focus(m_x.connection()), nullptr));
        while (xcb_generic_event_t *e = xcb_poll_for_event(m_x.connection())) {
            if ((e->response_type & 0x7f) == XCB_UNMAP_NOTIFY
                && reinterpret_cast<xcb_unmap_notify_event_t *>(e)->window == m_window)
                m_seen = true;
            free(e);
        }
        return m_seen;
    }

private:
    const XConnection &m_x;
    quint32 m_window;
    bool m_seen = false;
};

constexpr int passingMomentMs = ActiveApplicationSource::passingMomentMs;

} // namespace

class FollowerTest : public QObject
{
    Q_OBJECT

    XConnection x;

    bool shown(quint32 panel) { return x.waitViewable(panel); }
    // Hidden, and still hidden a little later (no stray decision shows it again).
    bool hidden(quint32 panel)
    {
        if (!x.waitViewable(panel, false))
            return false;
        QTest::qWait(100);
        return !x.viewable(panel);
    }
    // `arguments` for a new window made active, whether the panel then shows.
    bool showsFor(const QStringList &arguments, quint32 panel, bool show)
    {
        FakeApp other(arguments);
        return x.activate(other.window()) && (show ? shown(panel) : hidden(panel));
    }

private Q_SLOTS:
    void initTestCase() { QVERIFY2(x.ok(), "needs an X display (run through tests/with-x)"); }

    void defaultFileManager()
    {
        TempHome home;
        setDefaultFileManager(
            home, QStringLiteral("com.example.Files"), QStringLiteral("ExampleFilesWM"));
        AppRun app(isolatedData(home));
        const quint32 panel = x.shownPanel(app);
        QVERIFY(panel); // shown: Quillmoth activates itself at start-up

        FakeApp files({ "--gtk-id", "com.example.Files", "--class", "files,Files" });
        QVERIFY(x.activate(files.window()));
        QVERIFY(shown(panel));
        QVERIFY(x.hasState(panel, "_NET_WM_STATE_ABOVE"));
        QVERIFY(showsFor({ "--class", "editor,Editor" }, panel, false));
        QVERIFY(x.activate(files.window()));
        QVERIFY(shown(panel));

        // One that differs only in letter case does not count; StartupWMClass names the file
        // manager too, and so does its desktop id as WM_CLASS instance; with a default handler
        // the well-known names no longer count; no class, no pid, no name at all.
        QVERIFY(showsFor(
            { "--gtk-id", "com.example.files", "--class", "com.example.FILES,Com.example.files" },
            panel, false));
        QVERIFY(showsFor({ "--class", "whatever,ExampleFilesWM" }, panel, true));
        QVERIFY(showsFor({ "--class", "other,Other" }, panel, false));
        QVERIFY(showsFor({ "--class", "com.example.Files,Whatever" }, panel, true));
        QVERIFY(showsFor({ "--class", "thunar,Thunar" }, panel, false));
        QVERIFY(showsFor({}, panel, false));
        // Quillmoth itself: any window of its process.
        QVERIFY(showsFor(
            { "--class", "other,Other", "--pid", QString::number(app.pid()) }, panel, true));
        QVERIFY(x.hasState(panel, "_NET_WM_STATE_ABOVE"));
        QCOMPARE(app.terminate(), 0);
    }

    void wellKnownFileManagers()
    {
        // The default handler of folders is an editor, which is no file manager.
        TempHome home;
        setDefaultFileManager(
            home, QStringLiteral("code"), QStringLiteral("Code"), "Development;IDE;");
        AppRun app(isolatedData(home));
        const quint32 panel = x.shownPanel(app);
        QVERIFY(panel);
        const QList<QPair<QStringList, bool>> cases {
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
        for (const auto &[arguments, show] : cases)
            QVERIFY2(showsFor(arguments, panel, show), qPrintable(arguments.join(' ')));

        // The active window may be gone by the time it is looked at, or be no window at all.
        FakeApp files({ "--class", "nemo,Nemo" });
        QVERIFY(x.activate(files.window()));
        QVERIFY(shown(panel));
        QTest::qWait(200); // the window manager has finished focusing it
        // Gone, none, no property, a property of the wrong type: hidden, and still running.

        // None that lasts, no property, and the root window are the desktop: shown.
        x.setRootProperty("_NET_ACTIVE_WINDOW", XCB_ATOM_WINDOW, { x.vanishedWindow() });
        QVERIFY(hidden(panel));
        x.setRootProperty("_NET_ACTIVE_WINDOW", XCB_ATOM_WINDOW, { 0 });
        QVERIFY(shown(panel));
        x.setRootProperty("_NET_ACTIVE_WINDOW", XCB_ATOM_WINDOW, { x.vanishedWindow() });
        QVERIFY(hidden(panel));
        x.deleteRootProperty("_NET_ACTIVE_WINDOW");
        QVERIFY(shown(panel));
        x.setRootProperty("_NET_ACTIVE_WINDOW", XCB_ATOM_WINDOW, { x.vanishedWindow() });
        QVERIFY(hidden(panel));
        x.setRootProperty("_NET_ACTIVE_WINDOW", XCB_ATOM_WINDOW, { x.root() });
        QVERIFY(shown(panel));
        x.setRootProperty(
            "_NET_ACTIVE_WINDOW", XCB_ATOM_CARDINAL, { files.window(), 1, 2 }); // wrong type
        QVERIFY(hidden(panel));
        QVERIFY(app.running());

        // Still following afterwards.
        FakeApp editor({ "--class", "editor,Editor" });
        QVERIFY(x.activate(editor.window()));
        QVERIFY(x.activate(files.window()));
        QVERIFY(shown(panel));
        QCOMPARE(app.terminate(), 0);
    }

    // A window manager switching windows or workspaces passes through None for a few
    // milliseconds: the panel is not unmapped for that. Clicking the desktop keeps it shown.
    void passingNoneAndTheDesktop()
    {
        TempHome home;
        AppRun app(isolatedData(home));
        const quint32 panel = x.shownPanel(app);
        QVERIFY(panel);
        FakeApp desktop({ "--type", "desktop", "--class", "desktop,Desktop" });
        FakeApp files({ "--class", "thunar,Thunar" });
        FakeApp editor({ "--class", "editor,Editor" });
        QVERIFY(x.activate(files.window()));
        QVERIFY(shown(panel));
        QTest::qWait(200); // the window manager has finished focusing it

        UnmapWatch unmaps(x, panel);
        for (int i = 0; i < 5; ++i) {
            x.setRootProperty("_NET_ACTIVE_WINDOW", XCB_ATOM_WINDOW, { 0 });
            x.setRootProperty("_NET_ACTIVE_WINDOW", XCB_ATOM_WINDOW, { files.window() });
        }
        // Openbox itself, between two windows of the file manager.
        FakeApp moreFiles({ "--class", "thunar,Thunar" });
        QVERIFY(x.activate(moreFiles.window()));
        QVERIFY(x.activate(files.window()));
        QTest::qWait(3 * passingMomentMs);
        QVERIFY(!unmaps.seen());
        QVERIFY(x.viewable(panel));

        // The bare desktop, clicked: shown again after another application.
        QVERIFY(x.activate(editor.window()));
        QVERIFY(hidden(panel));
        QVERIFY(xdotool({ "mousemove", "1100", "700", "click", "1" }));
        QVERIFY(QTest::qWaitFor([&] { return x.activeWindow() == desktop.window(); }, xWaitMs));
        QVERIFY(shown(panel));
        QCOMPARE(app.terminate(), 0);
    }
};

QTEST_GUILESS_MAIN(FollowerTest)
#include "xtst_follower.moc"
