// SPDX-FileCopyrightText: 2026 The Quillmoth developers
// SPDX-License-Identifier: GPL-3.0-or-later

// The panel follows the active application: shown for the file manager and for Quillmoth
// itself, hidden for anything else. Real program, real openbox or xfwm4, small X clients as the
// other applications.
#include "TestSupport.h"
#include "XSession.h"

#include "Platform/ActiveApplicationSource.h"

#include <QTest>

#include <xcb/xcb.h>

using namespace Qt::StringLiterals;

namespace {

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
    // Each new window (its fakeapp arguments) made active in turn, and whether the panel then
    // shows.
    bool followsEach(const QList<QPair<QString, bool>> &cases, quint32 panel)
    {
        for (const auto &[arguments, show] : cases) {
            FakeApp other(arguments.split(u' ', Qt::SkipEmptyParts));
            if (!x.activate(other.window()) || !(show ? shown(panel) : hidden(panel))) {
                qWarning("wrong for %s", qPrintable(arguments));
                return false;
            }
        }
        return true;
    }

private Q_SLOTS:
    void initTestCase() { QVERIFY2(x.ok(), "needs an X display (run through tests/with-x)"); }

    void defaultFileManager()
    {
        TempHome home;
        home.folderHandler(u"com.example.Files"_s,
            "Name=Files\nExec=true "
            "%U\nCategories=System;FileManager;\nStartupWMClass=ExampleFilesWM\n",
            true);
        AppRun app({ home.isolatedDataDirs() });
        const quint32 panel = x.shownPanel(app);
        QVERIFY(panel); // shown: Quillmoth activates itself at start-up

        // The file manager by its application id; one that differs only in letter case does not
        // count; StartupWMClass names the file manager too, and so does its desktop id as
        // WM_CLASS instance; with a default handler the well-known names no longer count; no
        // class, no pid, no name at all; Quillmoth itself: any window of its process.
        const QString files = u"--gtk-id com.example.Files --class files,Files"_s;
        QVERIFY(followsEach(
            { { files, true }, { "--class editor,Editor", false }, { files, true },
                { "--gtk-id com.example.files --class com.example.FILES,Com.example.files", false },
                { "--class whatever,ExampleFilesWM", true }, { "--class other,Other", false },
                { "--class com.example.Files,Whatever", true }, { "--class thunar,Thunar", false },
                { "", false },
                { "--class other,Other --pid " + QString::number(app.pid()), true } },
            panel));
        QCOMPARE(app.terminate(), 0);
    }

    void wellKnownFileManagers()
    {
        // The default handler of folders is an editor, which is no file manager.
        TempHome home;
        home.folderHandler(u"code"_s,
            "Name=Code\nExec=true %U\nCategories=Development;IDE;\nStartupWMClass=Code\n", true);
        AppRun app({ home.isolatedDataDirs() });
        const quint32 panel = x.shownPanel(app);
        QVERIFY(panel);
        // Letter case counts as for a default handler, by the same matching; that the editor is
        // no file manager is the identity table's case.
        QVERIFY(followsEach(
            { { "--class thunar,Thunar", true },
                { "--gtk-id org.gnome.Nautilus --class org.gnome.Nautilus,Org.gnome.Nautilus",
                    true },
                { "--class pcmanfm-qt,pcmanfm-qt", true },
                { "--class pcmanfm-qt2,Pcmanfm-qt2", false }, { "--class xterm,XTerm", false } },
            panel));

        // The active window may be gone by the time it is looked at, or be no window at all.
        FakeApp files({ "--class", "nemo,Nemo" });
        QVERIFY(x.activate(files.window()));
        QVERIFY(shown(panel));
        QTest::qWait(200); // the window manager has finished focusing it
        // A window gone meanwhile: hidden. None that lasts, no property, and the root window are
        // the desktop: shown.
        const quint32 gone = x.vanishedWindow();
        for (const auto &[active, show] :
            QList<QPair<std::optional<quint32>, bool>> { { gone, false }, { 0, true },
                { gone, false }, { std::nullopt, true }, { gone, false }, { x.root(), true } }) {
            if (active)
                x.setRootProperty("_NET_ACTIVE_WINDOW", XCB_ATOM_WINDOW, { *active });
            else
                x.deleteRootProperty("_NET_ACTIVE_WINDOW");
            QVERIFY(show ? shown(panel) : hidden(panel));
        }
        // A property of the wrong type: hidden, and still running.
        x.setRootProperty("_NET_ACTIVE_WINDOW", XCB_ATOM_CARDINAL, { files.window(), 1, 2 });
        QVERIFY(hidden(panel));
        QVERIFY(app.running());

        // Still following afterwards.
        FakeApp editor({ "--class", "editor,Editor" });
        QVERIFY(x.activate(editor.window()));
        QVERIFY(x.activate(files.window()));
        QVERIFY(shown(panel));
        QTest::qWait(200); // the window manager has finished focusing it

        // A window manager switching windows or workspaces passes through None for a few
        // milliseconds: the panel is not unmapped for that.
        UnmapWatch unmaps(x, panel);
        for (int i = 0; i < 5; ++i) {
            x.setRootProperty("_NET_ACTIVE_WINDOW", XCB_ATOM_WINDOW, { 0 });
            x.setRootProperty("_NET_ACTIVE_WINDOW", XCB_ATOM_WINDOW, { files.window() });
        }
        // Openbox itself, between two windows of the file manager.
        FakeApp moreFiles({ "--class", "nemo,Nemo" });
        QVERIFY(x.activate(moreFiles.window()));
        QVERIFY(x.activate(files.window()));
        QTest::qWait(3 * ActiveApplicationSource::passingMomentMs);
        QVERIFY(!unmaps.seen());
        QVERIFY(x.viewable(panel));

        // The bare desktop, clicked: shown again after another application.
        FakeApp desktop({ "--type", "desktop", "--class", "desktop,Desktop" });
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
