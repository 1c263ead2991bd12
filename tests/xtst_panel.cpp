// SPDX-FileCopyrightText: 2026 The Quillmoth developers
// SPDX-License-Identifier: GPL-3.0-or-later

// The real program on a real X server with a window manager (openbox or xfwm4): where the panel
// stands, how wide it opens, how resizes persist, reopen, one instance per session, and sessions
// that lack a screen, a window manager or EWMH.
#include "Model/PanelWidth.h"
#include "Model/Settings.h"
#include "Platform/SingleInstance.h"
#include "TestSupport.h"
#include "XSession.h"

#include <QDBusConnection>
#include <QGuiApplication>
#include <QScreen>
#include <QTest>

#include <xcb/xcb.h>

using namespace Qt::StringLiterals;

class PanelTest : public QObject
{
    Q_OBJECT

    XConnection x;
    QRect area;

private Q_SLOTS:
    void initTestCase()
    {
        QVERIFY2(x.ok(), "needs an X display (run through tests/with-x)");
        area = QGuiApplication::primaryScreen()->availableGeometry();
    }

    // First launch and stored widths at the bounds: used when within 220..640, else 262 (other
    // values that are no width are the settings file's test).
    void geometryFromStoredWidth_data()
    {
        QTest::addColumn<QByteArray>("settings");
        QTest::addColumn<int>("width");
        QTest::newRow("first launch") << QByteArray() << 262;
        for (const auto &[stored, width] : QList<QPair<const char *, int>> { { "220", 220 },
                 { "640", 640 }, { "219.9", 262 }, { "640.5", 262 }, { "300.4", 300 } })
            QTest::newRow(stored) << "[General]\npanelWidth=" + QByteArray(stored) + "\n" << width;
        QTest::newRow("not an INI file") << QByteArray("\0\xff[[panelWidth\n=\n\x01", 18) << 262;
    }
    void geometryFromStoredWidth()
    {
        QFETCH(QByteArray, settings);
        QFETCH(int, width);
        TempHome home;
        if (!settings.isEmpty())
            writeFile(Settings::filePath(), settings);
        AppRun app;
        const quint32 panel = x.shownPanel(app);
        QVERIFY(panel);
        QCOMPARE(x.geometry(panel), QRect(area.x(), area.y(), width, area.height()));
        QCOMPARE(app.terminate(), 0); // SIGTERM ends it cleanly
        // Nothing is written back at start-up or exit.
        QCOMPARE(readFile(Settings::filePath()), settings);
    }

    // A panel, not a task: on every workspace, out of taskbars and pagers, above the rest; and
    // where the window manager moves it, it goes back to the edge.
    void onEveryWorkspaceAndPutBack()
    {
        TempHome home;
        AppRun app;
        const quint32 panel = x.shownPanel(app);
        QVERIFY(panel);
        // openbox shows stickiness only as _NET_WM_DESKTOP, not as a state.
        for (const char *state :
            { "_NET_WM_STATE_ABOVE", "_NET_WM_STATE_SKIP_TASKBAR", "_NET_WM_STATE_SKIP_PAGER" })
            QVERIFY2(x.hasState(panel, state), state);
        // KWin maps it on the current workspace first and takes the request asked again once it
        // is mapped a moment later.
        QTRY_VERIFY_WITH_TIMEOUT(
            x.cardinal(panel, "_NET_WM_DESKTOP", XCB_ATOM_CARDINAL) == 0xFFFFFFFFu, xWaitMs);
        QVERIFY(xdotool({ "set_desktop", "1" }));
        QTRY_VERIFY_WITH_TIMEOUT(
            x.cardinal(x.root(), "_NET_CURRENT_DESKTOP", XCB_ATOM_CARDINAL) == 1u, xWaitMs);
        QVERIFY(x.viewable(panel));
        QVERIFY(xdotool({ "set_desktop", "0" }));

        const QRect edge = x.geometry(panel);
        QVERIFY(xdotool({ "windowmove", QString::number(panel), "300", "200" }));
        QVERIFY(QTest::qWaitFor([&] { return x.geometry(panel) == edge; }, xWaitMs));
        QCOMPARE(app.terminate(), 0);
    }

    // The available area, not the whole screen, at start and as it changes (a dock along the
    // top goes, then comes), at a fractional scale too: in whole device pixels inside the screen.
    void followsTheWorkArea()
    {
        TempHome home;
        auto dock = std::make_unique<FakeApp>(QStringList { "--dock-top", "40" });
        QTRY_COMPARE_WITH_TIMEOUT(
            QGuiApplication::primaryScreen()->availableGeometry().y(), 40, xWaitMs);
        AppRun app({ u"QT_SCALE_FACTOR=1.5"_s });
        const quint32 panel = x.shownPanel(app);
        QVERIFY(panel);
        const int bottom = area.y() + area.height();
        const auto inside = [&](int top) {
            const QRect g = x.geometry(panel);
            // 40 / 1.5 is not whole: the top may be one device pixel lower.
            return g.y() >= top && g.y() <= top + 1 && g.y() + g.height() <= bottom
                && g.y() + g.height() >= bottom - 2 && qAbs(g.width() - 393) <= 1;
        };
        QVERIFY(QTest::qWaitFor([&] { return inside(40); }, xWaitMs));
        dock.reset();
        QVERIFY(QTest::qWaitFor([&] { return inside(area.y()); }, xWaitMs));
        dock = std::make_unique<FakeApp>(QStringList { "--dock-top", "40" });
        QVERIFY(QTest::qWaitFor([&] { return inside(40); }, xWaitMs));
        QCOMPARE(app.terminate(), 0);
    }

    // A resize is stored when it ends, held to 220..640, height unchanged; the next launch
    // opens at the stored width. Dragged by the grip on the trailing 6 px, or by the window
    // manager's own resizing (openbox: Alt + right-button drag).
    void resizePersists_data()
    {
        QTest::addColumn<QString>("drag"); // xdotool's arguments
        QTest::addColumn<int>("width");
        QTest::newRow("grip") << u"mousemove 260 300 mousedown 1 sleep 0.1 mousemove 350 300 "
                                 "sleep 0.1 mousemove 410 300 sleep 0.1 mouseup 1"_s
                              << 410;
        QTest::newRow("window manager, past the maximum")
            << u"mousemove 240 400 keydown alt mousedown 3 sleep 0.1 mousemove 900 400 sleep 0.1 "
               "mousemove 1200 400 sleep 0.1 mouseup 3 keyup alt"_s
            << 640;
    }
    void resizePersists()
    {
        QFETCH(QString, drag);
        QFETCH(int, width);
        if (qgetenv("QUILLMOTH_TEST_WM") == "kwin_x11" && drag.contains(u"keydown alt"_s))
            QSKIP("KWin does not resize a borderless utility window by Alt + right-button drag");
        TempHome home;
        for (const bool dragging : { true, false }) {
            AppRun app;
            const quint32 panel = x.shownPanel(app);
            QVERIFY(panel);
            if (dragging) {
                QVERIFY(xdotool(drag.split(u' ')));
                QTRY_VERIFY_WITH_TIMEOUT(PanelWidth::stored(*Settings::open()) == width, xWaitMs);
            }
            QVERIFY(QTest::qWaitFor([&] { return x.geometry(panel).width() == width; }, xWaitMs));
            QCOMPARE(x.geometry(panel), QRect(area.x(), area.y(), width, area.height()));
            QCOMPARE(app.terminate(), 0);
        }
    }

    // A second launch reopens the running one (showing a hidden panel) and ends; there is only
    // ever one instance, over the session bus or, without one, over the local socket.
    void reopenAndSingleInstance_data()
    {
        QTest::addColumn<QStringList>("environment");
        QTest::newRow("session bus") << QStringList {};
        QTest::newRow("no session bus")
            << QStringList { u"DBUS_SESSION_BUS_ADDRESS=unix:path=/nonexistent"_s };
    }
    void reopenAndSingleInstance()
    {
        QFETCH(QStringList, environment);
        TempHome home;
        AppRun app(environment);
        const quint32 panel = x.shownPanel(app);
        QVERIFY(panel);
        FakeApp editor({ "--class", "editor,Editor" });
        QVERIFY(x.waitViewable(panel, false));

        // Several launched together, while it is hidden: it shows, and they all end.
        std::vector<std::unique_ptr<AppRun>> crowd;
        for (int i = 0; i < 3; ++i)
            crowd.push_back(std::make_unique<AppRun>(environment));
        for (auto &run : crowd)
            QCOMPARE(run->waitForEnd(), 0);
        QVERIFY(x.waitViewable(panel));
        QVERIFY(app.running());

        // The window manager closes the panel: the program keeps running, and a reopen brings
        // the panel back in a new X window, where it was.
        x.requestClose(panel);
        QVERIFY(x.waitViewable(panel, false));
        QVERIFY(app.running());
        QCOMPARE(AppRun(environment).waitForEnd(), 0);
        quint32 again = 0;
        QVERIFY(QTest::qWaitFor(
            [&] {
                again = x.findWindow(app.pid(), "Quillmoth");
                return again && x.viewable(again);
            },
            xWaitMs));
        QCOMPARE(x.geometry(again), QRect(area.x(), area.y(), 262, area.height()));
        QVERIFY(x.hasState(again, "_NET_WM_STATE_ABOVE"));
        QVERIFY(!x.acceptsInput(again));
        QCOMPARE(app.terminate(), 0);

        // Once it has ended, the next launch is the instance again.
        AppRun next(environment);
        QVERIFY(x.shownPanel(next));
        QCOMPARE(next.terminate(), 0);
    }

    // Start-up always starts, and quickly: without a session bus and with no usable runtime
    // folder a lock in the config folder still keeps one instance, said once; an owner of the
    // bus name that never answers costs the launch a moment, and it ends.
    void startUpAlwaysStarts()
    {
        TempHome home;
        const QString notAFolder = home.touch(u"not-a-folder"_s);
        const QStringList environment { u"DBUS_SESSION_BUS_ADDRESS=unix:path=/nonexistent"_s,
            u"XDG_RUNTIME_DIR="_s + notAFolder, u"TMPDIR="_s + notAFolder };
        AppRun app(environment);
        QVERIFY(x.shownPanel(app));
        QCOMPARE(AppRun(environment).waitForEnd(), 0);
        QVERIFY(app.running());
        QCOMPARE(app.log().count(u"no usable runtime folder"_s), 1);
        QCOMPARE(app.terminate(), 0);

        SingleInstance hung; // this test process, which answers nothing while it waits below
        QCOMPARE(hung.claim(), SingleInstance::Role::Primary);
        AppRun launch;
        QVERIFY(launch.process().waitForFinished(xWaitMs));
        QCOMPARE(launch.process().exitCode(), 0);
        QVERIFY(launch.log().contains(u"did not answer"_s));
        QDBusConnection::sessionBus().unregisterService(SingleInstance::busName());
        QDBusConnection::sessionBus().unregisterObject(SingleInstance::objectPath());
    }

    // Without any display, or with one that is not X11 (as in a pure Wayland session), it
    // keeps running, says once why the panel stays shown, and ends cleanly.
    void noX11Display_data()
    {
        QTest::addColumn<QStringList>("environment");
        QTest::addColumn<QString>("reason");
        QTest::newRow("none") << QStringList { "DISPLAY", "WAYLAND_DISPLAY", "QT_QPA_PLATFORM" }
                              << "no display";
        QTest::newRow("offscreen")
            << QStringList { "QT_QPA_PLATFORM=offscreen" } << "is not an X11 display";
    }
    void noX11Display()
    {
        QFETCH(QStringList, environment);
        QFETCH(QString, reason);
        TempHome home;
        AppRun app(environment);
        QVERIFY(app.logs(reason, xWaitMs) && app.logs(u"The panel stays shown"_s, xWaitMs));
        QCOMPARE(app.log().count(QLatin1String("The panel stays shown")), 1);
        QVERIFY(app.running());
        QCOMPARE(app.terminate(), 0);
    }

    // No window manager, then one without _NET_ACTIVE_WINDOW, then openbox: the panel stays
    // shown with one line saying why until activation can be seen, then it follows.
    void windowManagerMissingThenLate()
    {
        // A second X server of the test's own, without any window manager; Xvfb picks its number.
        Program server({ u"Xvfb"_s, u"-displayfd"_s, u"1"_s, u"-nolisten"_s, u"tcp"_s, u"-screen"_s,
            u"0"_s, u"1024x768x24"_s });
        QVERIFY(server.waitForReadyRead(xWaitMs));
        const QByteArray bare = ":" + server.readLine().trimmed();
        XConnection other(bare);
        QVERIFY(other.ok());
        TempHome home;
        // No installed default folder handler, so the well-known file managers count.
        AppRun app({ u"DISPLAY="_s + QString::fromLatin1(bare), home.isolatedDataDirs() });
        const quint32 panel = other.shownPanel(app);
        QVERIFY(panel);
        QVERIFY(app.logs(u"no EWMH window manager"_s, xWaitMs));
        QCOMPARE(other.geometry(panel), QRect(0, 0, 262, 768));

        // Something that claims EWMH but does not keep _NET_ACTIVE_WINDOW.
        const quint32 wmCheck = other.inputOnlyWindow();
        other.setProperty(wmCheck, "_NET_SUPPORTING_WM_CHECK", XCB_ATOM_WINDOW, { wmCheck });
        other.setRootProperty("_NET_SUPPORTED", XCB_ATOM_ATOM, { other.atom("_NET_WM_NAME") });
        other.setRootProperty("_NET_SUPPORTING_WM_CHECK", XCB_ATOM_WINDOW, { wmCheck });
        QVERIFY(app.logs(u"does not support _NET_ACTIVE_WINDOW"_s, xWaitMs));
        // A window that is "active" there counts for nothing: the panel stays.
        other.setRootProperty("_NET_ACTIVE_WINDOW", XCB_ATOM_WINDOW, { other.vanishedWindow() });
        QTest::qWait(300);
        QVERIFY(other.viewable(panel));
        other.destroy(wmCheck);
        for (const char *property :
            { "_NET_SUPPORTING_WM_CHECK", "_NET_SUPPORTED", "_NET_ACTIVE_WINDOW" })
            other.deleteRootProperty(property);

        // openbox arrives: from now on the panel follows.
        Program openbox({ u"DISPLAY="_s + QString::fromLatin1(bare), u"openbox"_s });
        QTRY_VERIFY_WITH_TIMEOUT(
            other.cardinal(other.root(), "_NET_SUPPORTING_WM_CHECK", XCB_ATOM_WINDOW), xWaitMs);
        FakeApp editor({ "--class", "editor,Editor" }, bare);
        QVERIFY(other.activate(editor.window()));
        QVERIFY(other.waitViewable(panel, false));
        FakeApp files({ "--class", "thunar,Thunar" }, bare);
        QVERIFY(other.activate(files.window()));
        QVERIFY(other.waitViewable(panel));
        QCOMPARE(app.terminate(), 0);
    }
};

QTEST_MAIN(PanelTest)
#include "xtst_panel.moc"
