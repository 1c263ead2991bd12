// SPDX-FileCopyrightText: 2026 The Quillmoth developers
// SPDX-License-Identifier: GPL-3.0-or-later

// The real program on a real X server with openbox: where the panel stands, how wide it opens,
// how resizes persist, reopen, one instance per session, and sessions that lack a screen, a
// window manager or EWMH.
#include "Model/PanelWidth.h"
#include "Model/Settings.h"
#include "TestSupport.h"
#include "XSession.h"

#include <QDir>
#include <QFile>
#include <QGuiApplication>
#include <QScreen>
#include <QTemporaryDir>
#include <QTest>

#include <xcb/xcb.h>

namespace {

QVariant storedValue()
{
    return Settings::open()->value(QStringLiteral("panelWidth"));
}

bool xdotool(const QStringList &arguments)
{
    return runToEnd(QStringLiteral("xdotool"), arguments) == 0;
}

// A second X server of the test's own, without any window manager.
class BareDisplay
{
public:
    BareDisplay()
    {
        m_server.setProcessChannelMode(QProcess::ForwardedErrorChannel);
        m_server.start(QStringLiteral("Xvfb"),
            { QStringLiteral("-displayfd"), QStringLiteral("1"), QStringLiteral("-nolisten"),
                QStringLiteral("tcp"), QStringLiteral("-screen"), QStringLiteral("0"),
                QStringLiteral("1024x768x24") });
        if (m_server.waitForReadyRead(10000))
            m_name = ":" + m_server.readLine().trimmed();
    }
    ~BareDisplay()
    {
        m_wm.kill();
        m_wm.waitForFinished();
        m_server.terminate();
        m_server.waitForFinished();
    }
    QByteArray name() const { return m_name; }
    void startOpenbox()
    {
        QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
        env.insert(QStringLiteral("DISPLAY"), QString::fromLatin1(m_name));
        m_wm.setProcessEnvironment(env);
        m_wm.start(QStringLiteral("openbox"), {});
    }

private:
    QProcess m_server, m_wm;
    QByteArray m_name;
};

} // namespace

class PanelTest : public QObject
{
    Q_OBJECT

    XConnection x;
    QRect area;

    bool waitViewable(const XConnection &on, quint32 w, bool viewable = true)
    {
        return QTest::qWaitFor([&] { return on.viewable(w) == viewable; }, 5000);
    }

    bool activate(const XConnection &on, quint32 window)
    {
        for (int attempt = 0; attempt < 20; ++attempt) {
            if (QTest::qWaitFor([&] { return on.activeWindow() == window; }, 250))
                return true;
            on.requestActivate(window);
        }
        return false;
    }

private Q_SLOTS:
    void initTestCase()
    {
        QVERIFY2(x.ok(), "needs an X display (run through tests/with-x)");
        area = QGuiApplication::primaryScreen()->availableGeometry();
    }

    // First launch and every kind of stored width: used when within 220..640, else 262.
    void geometryFromStoredWidth()
    {
        struct Case
        {
            const char *name;
            std::optional<QVariant> stored;
            int width;
        };
        const QList<Case> cases {
            { "first launch", std::nullopt, 262 },
            { "220", QVariant(220.0), 220 },
            { "640", QVariant(640.0), 640 },
            { "219.9", QVariant(219.9), 262 },
            { "640.5", QVariant(640.5), 262 },
            { "1000", QVariant(1000.0), 262 },
            { "negative", QVariant(-300.0), 262 },
            { "text", QVariant(QStringLiteral("wide")), 262 },
            { "300.4", QVariant(300.4), 300 },
        };
        for (const Case &c : cases) {
            TempHome home;
            if (c.stored) {
                auto s = Settings::open();
                s->setValue(QStringLiteral("panelWidth"), *c.stored);
                s->sync();
            }
            const QByteArray before = [] {
                QFile f(Settings::filePath());
                return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
            }();
            AppRun app;
            const quint32 panel = app.waitForPanel(x);
            QVERIFY2(panel, c.name);
            QVERIFY2(waitViewable(x, panel), c.name);
            QCOMPARE(x.geometry(panel), QRect(area.x(), area.y(), c.width, area.height()));
            QVERIFY2(x.hasState(panel, "_NET_WM_STATE_ABOVE"), c.name);
            QCOMPARE(app.terminate(), 0); // SIGTERM ends it cleanly
            // Nothing is written back at start-up or exit.
            QFile after(Settings::filePath());
            QCOMPARE(after.open(QIODevice::ReadOnly) ? after.readAll() : QByteArray(), before);
        }

        // A settings file that is not an INI file at all.
        TempHome home;
        QDir().mkpath(QFileInfo(Settings::filePath()).path());
        writeFile(Settings::filePath(), QByteArray("\0\xff[[panelWidth\n=\n\x01", 18));
        AppRun app;
        const quint32 panel = app.waitForPanel(x);
        QVERIFY(panel);
        QVERIFY(waitViewable(x, panel));
        QCOMPARE(x.geometry(panel).width(), 262);
        QCOMPARE(app.terminate(), 0);
    }

    // The available area, not the whole screen: a dock along the top pushes the panel down.
    void standsInTheAvailableArea()
    {
        TempHome home;
        FakeApp dock({ "--dock-top", "40", "--title", "dock" });
        QVERIFY(QTest::qWaitFor(
            [&] { return QGuiApplication::primaryScreen()->availableGeometry().y() == 40; }, 5000));
        AppRun app;
        const quint32 panel = app.waitForPanel(x);
        QVERIFY(panel);
        QVERIFY(waitViewable(x, panel));
        QCOMPARE(x.geometry(panel), QRect(area.x(), 40, 262, area.height() - 40));
        QCOMPARE(app.terminate(), 0);
    }

    // The window manager's own resizing (openbox: Alt + right-button drag) is stored when it ends,
    // held to 220..640, height unchanged; the next launch opens at the stored width.
    void systemResizePersists()
    {
        TempHome home;
        int resized = 0;
        {
            AppRun app;
            const quint32 panel = app.waitForPanel(x);
            QVERIFY(panel);
            QVERIFY(waitViewable(x, panel));
            QVERIFY(xdotool({ "mousemove", "240", "400", "keydown", "alt", "mousedown", "3",
                "sleep", "0.1", "mousemove", "300", "400", "sleep", "0.1", "mousemove", "380",
                "400", "sleep", "0.1", "mouseup", "3", "keyup", "alt" }));
            QVERIFY(QTest::qWaitFor([&] { return x.geometry(panel).width() != 262; }, 5000));
            resized = x.geometry(panel).width();
            QVERIFY(resized > 262 && resized <= 640);
            QCOMPARE(x.geometry(panel).height(), area.height());
            QVERIFY(QTest::qWaitFor([&] { return storedValue().toInt() == resized; }, 5000));

            // Far past the maximum: held at 640.
            QVERIFY(xdotool({ "mousemove", QString::number(resized - 20), "400", "keydown", "alt",
                "mousedown", "3", "sleep", "0.1", "mousemove", "900", "400", "sleep", "0.1",
                "mousemove", "1200", "400", "sleep", "0.1", "mouseup", "3", "keyup", "alt" }));
            QVERIFY(QTest::qWaitFor([&] { return storedValue().toInt() == 640; }, 5000));
            QCOMPARE(x.geometry(panel).width(), 640);
            QCOMPARE(x.geometry(panel).height(), area.height());
            QCOMPARE(x.geometry(panel).x(), area.x());
            QCOMPARE(app.terminate(), 0);
        }
        AppRun again;
        const quint32 panel = again.waitForPanel(x);
        QVERIFY(panel);
        QVERIFY(waitViewable(x, panel));
        QCOMPARE(x.geometry(panel).width(), 640);
        QCOMPARE(again.terminate(), 0);
    }

    // The grip on the trailing 6 px: a real drag, stored on release, restored next time.
    void gripDragPersists()
    {
        TempHome home;
        {
            AppRun app;
            const quint32 panel = app.waitForPanel(x);
            QVERIFY(panel);
            QVERIFY(waitViewable(x, panel));
            const QRect g = x.geometry(panel);
            QVERIFY(xdotool({ "mousemove", QString::number(g.right() - 2), "300", "mousedown", "1",
                "sleep", "0.1", "mousemove", "350", "300", "sleep", "0.1", "mousemove", "410",
                "300", "sleep", "0.1", "mouseup", "1" }));
            QVERIFY(QTest::qWaitFor([&] { return x.geometry(panel).width() == 410; }, 5000));
            QVERIFY(QTest::qWaitFor([&] { return storedValue().toInt() == 410; }, 5000));
            QCOMPARE(x.geometry(panel).height(), area.height());
            QCOMPARE(app.terminate(), 0);
        }
        AppRun again;
        const quint32 panel = again.waitForPanel(x);
        QVERIFY(panel);
        QVERIFY(waitViewable(x, panel));
        QCOMPARE(x.geometry(panel).width(), 410);
        QCOMPARE(again.terminate(), 0);
    }

    // A second launch reopens the running one (showing a hidden panel) and ends; there is only
    // ever one instance, over the session bus or, without one, over the local socket.
    void reopenAndSingleInstance_data()
    {
        QTest::addColumn<QStringList>("environment");
        QTest::newRow("session bus") << QStringList {};
        QTest::newRow("no session bus")
            << QStringList { QStringLiteral("DBUS_SESSION_BUS_ADDRESS=unix:path=/nonexistent") };
    }
    void reopenAndSingleInstance()
    {
        QFETCH(QStringList, environment);
        TempHome home;
        AppRun app(environment);
        const quint32 panel = app.waitForPanel(x);
        QVERIFY(panel);
        QVERIFY(waitViewable(x, panel));

        FakeApp editor({ "--class", "editor,Editor" });
        QVERIFY(QTest::qWaitFor([&] { return !x.viewable(panel); }, 5000));

        AppRun second(environment);
        QVERIFY(second.process().waitForFinished(10000));
        QCOMPARE(second.process().exitStatus(), QProcess::NormalExit);
        QCOMPARE(second.process().exitCode(), 0);
        QVERIFY(waitViewable(x, panel));
        QVERIFY(app.running());

        // While it is visible a reopen changes nothing.
        AppRun third(environment);
        QVERIFY(third.process().waitForFinished(10000));
        QCOMPARE(third.process().exitCode(), 0);
        QVERIFY(x.viewable(panel));
        QCOMPARE(x.geometry(panel).width(), 262);

        // Several launched together: still one.
        std::vector<std::unique_ptr<AppRun>> crowd;
        for (int i = 0; i < 3; ++i)
            crowd.push_back(std::make_unique<AppRun>(environment));
        for (auto &run : crowd) {
            QVERIFY(run->process().waitForFinished(10000));
            QCOMPARE(run->process().exitCode(), 0);
        }
        QVERIFY(app.running());

        // The window manager closes the panel: the program keeps running, and a reopen brings
        // the panel back.
        x.requestClose(panel);
        QVERIFY(waitViewable(x, panel, false));
        QTest::qWait(300);
        QVERIFY(app.running());
        AppRun reopen(environment);
        QVERIFY(reopen.process().waitForFinished(10000));
        QCOMPARE(reopen.process().exitCode(), 0);
        // Closing gave up the X window; the panel comes back in a new one, where it was.
        quint32 again = 0;
        QVERIFY(QTest::qWaitFor(
            [&] {
                again = x.findWindow(app.pid(), "Quillmoth");
                return again && x.viewable(again);
            },
            5000));
        QCOMPARE(x.geometry(again), QRect(area.x(), area.y(), 262, area.height()));
        QVERIFY(x.hasState(again, "_NET_WM_STATE_ABOVE"));
        QVERIFY(!x.acceptsInput(again));
        QCOMPARE(app.terminate(), 0);

        // Once it has ended, the next launch is the instance again.
        AppRun next(environment);
        QVERIFY(next.waitForPanel(x));
        QVERIFY(next.running());
        QCOMPARE(next.terminate(), 0);
    }

    // Without any display it keeps running (no screen, nothing to follow) and ends cleanly.
    void noDisplay()
    {
        TempHome home;
        AppRun app({ QStringLiteral("DISPLAY"), QStringLiteral("WAYLAND_DISPLAY"),
            QStringLiteral("QT_QPA_PLATFORM") });
        QVERIFY(
            QTest::qWaitFor([&] { return app.log().contains(QLatin1String("no display")); }, 5000));
        QVERIFY(QTest::qWaitFor(
            [&] { return app.log().contains(QLatin1String("The panel stays shown")); }, 5000));
        QTest::qWait(500);
        QVERIFY(app.running());
        QCOMPARE(app.terminate(), 0);

        // A display that is not X11 (as in a pure Wayland session): one line says why.
        AppRun other({ QStringLiteral("QT_QPA_PLATFORM=offscreen") });
        QVERIFY(QTest::qWaitFor(
            [&] { return other.log().contains(QLatin1String("is not an X11 display")); }, 5000));
        QCOMPARE(other.log().count(QLatin1String("The panel stays shown")), 1);
        QVERIFY(other.running());
        QCOMPARE(other.terminate(), 0);
    }

    // No window manager, then one without _NET_ACTIVE_WINDOW, then openbox: the panel stays
    // shown with one line saying why until activation can be seen, then it follows.
    void windowManagerMissingThenLate()
    {
        BareDisplay bare;
        QVERIFY(!bare.name().isEmpty());
        XConnection other(bare.name());
        QVERIFY(other.ok());
        TempHome home;
        // No installed default folder handler, so the well-known file managers count.
        const QString share = home.mkdir(QStringLiteral("share"));
        QFile::link(QStringLiteral("/usr/share/mime"), share + QStringLiteral("/mime"));
        AppRun app({ QStringLiteral("DISPLAY=") + QString::fromLatin1(bare.name()),
            QStringLiteral("XDG_DATA_DIRS=") + share });
        const quint32 panel = app.waitForPanel(other);
        QVERIFY(panel);
        QVERIFY(waitViewable(other, panel));
        QVERIFY(QTest::qWaitFor(
            [&] { return app.log().contains(QLatin1String("no EWMH window manager")); }, 5000));
        QCOMPARE(other.geometry(panel), QRect(0, 0, 262, 768));

        // Something that claims EWMH but does not keep _NET_ACTIVE_WINDOW.
        xcb_connection_t *c = other.connection();
        const xcb_window_t wmCheck = xcb_generate_id(c);
        xcb_create_window(c, XCB_COPY_FROM_PARENT, wmCheck, other.root(), 0, 0, 1, 1, 0,
            XCB_WINDOW_CLASS_INPUT_ONLY, XCB_COPY_FROM_PARENT, 0, nullptr);
        xcb_change_property(c, XCB_PROP_MODE_REPLACE, wmCheck,
            other.atom("_NET_SUPPORTING_WM_CHECK"), XCB_ATOM_WINDOW, 32, 1, &wmCheck);
        other.setRootProperty("_NET_SUPPORTED", XCB_ATOM_ATOM, { other.atom("_NET_WM_NAME") });
        other.setRootProperty("_NET_SUPPORTING_WM_CHECK", XCB_ATOM_WINDOW, { wmCheck });
        QVERIFY(QTest::qWaitFor(
            [&] {
                return app.log().contains(QLatin1String("does not support _NET_ACTIVE_WINDOW"));
            },
            5000));
        // A window that is "active" there counts for nothing: the panel stays.
        other.setRootProperty("_NET_ACTIVE_WINDOW", XCB_ATOM_WINDOW, { other.vanishedWindow() });
        QTest::qWait(300);
        QVERIFY(other.viewable(panel));
        xcb_destroy_window(c, wmCheck);
        other.deleteRootProperty("_NET_SUPPORTING_WM_CHECK");
        other.deleteRootProperty("_NET_SUPPORTED");
        other.deleteRootProperty("_NET_ACTIVE_WINDOW");

        // openbox arrives: from now on the panel follows.
        bare.startOpenbox();
        QVERIFY(QTest::qWaitFor(
            [&] {
                return other.cardinal(other.root(), "_NET_SUPPORTING_WM_CHECK", XCB_ATOM_WINDOW)
                    .has_value();
            },
            10000));
        FakeApp editor({ "--class", "editor,Editor" },
            { QStringLiteral("DISPLAY=") + QString::fromLatin1(bare.name()) });
        QVERIFY(activate(other, editor.window()));
        QVERIFY(waitViewable(other, panel, false));
        FakeApp files({ "--class", "thunar,Thunar" },
            { QStringLiteral("DISPLAY=") + QString::fromLatin1(bare.name()) });
        QVERIFY(activate(other, files.window()));
        QVERIFY(waitViewable(other, panel));
        QVERIFY(app.running());
        QCOMPARE(app.terminate(), 0);
    }
};

QTEST_MAIN(PanelTest)
#include "xtst_panel.moc"
