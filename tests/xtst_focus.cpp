// SPDX-FileCopyrightText: 2026 The Quillmoth developers
// SPDX-License-Identifier: GPL-3.0-or-later

// Window-manager and compositor facts seen from a real panel in this process, with real openbox
// or xfwm4: the panel takes the keyboard only when a click lands in a text field (any other
// click leaves the active application as it was), and a compositor that comes and goes is
// noticed.
#include "Platform/BlurBehind.h"
#include "Platform/CompositorWatcher.h"
#include "Platform/DesktopIconTheme.h"
#include "SidebarPanel.h"
#include "TestSupport.h"
#include "XSession.h"

#include <QIcon>
#include <QLineEdit>
#include <QPushButton>
#include <QSignalSpy>
#include <QStandardPaths>
#include <QTest>
#include <QVBoxLayout>

#include <xcb/xcb.h>

#include <csignal>

using namespace Qt::StringLiterals;

class FocusTest : public QObject
{
    Q_OBJECT

    XConnection x;

    static bool click(QWidget *w)
    {
        const QPoint p = w->mapToGlobal(w->rect().center());
        return xdotool({ "mousemove", QString::number(p.x()), QString::number(p.y()), "sleep",
            "0.05", "click", "1" });
    }

private Q_SLOTS:
    void keyboardOnlyForTextFields()
    {
        QVERIFY(x.ok());
        SidebarPanel panel(QRect(0, 0, 262, 600));
        auto *content = new QWidget;
        auto *layout = new QVBoxLayout(content);
        auto *field = new QLineEdit;
        auto *row = new QPushButton(u"row"_s);
        row->setFocusPolicy(Qt::NoFocus);
        layout->addWidget(field);
        layout->addWidget(row);
        layout->addStretch();
        panel.setContentView(content);
        panel.show();
        const quint32 window = quint32(panel.winId());
        QVERIFY(x.waitViewable(window));
        QVERIFY(!x.acceptsInput(window));

        FakeApp files({ "--class", "thunar,Thunar" });
        QVERIFY(x.activate(files.window()));

        // A click on anything but the text field: the file manager stays active.
        int clicks = 0;
        connect(row, &QPushButton::clicked, this, [&] { ++clicks; });
        QVERIFY(click(row));
        QVERIFY(QTest::qWaitFor([&] { return clicks == 1; }, xWaitMs));
        QTest::qWait(200);
        QCOMPARE(x.activeWindow(), files.window());
        QVERIFY(!x.acceptsInput(window));

        // A click in the text field: the panel takes the keyboard and typing reaches the field.
        QVERIFY(click(field));
        QVERIFY(QTest::qWaitFor([&] { return x.activeWindow() == window; }, xWaitMs));
        QVERIFY(QTest::qWaitFor([&] { return field->hasFocus(); }, xWaitMs));
        QVERIFY(xdotool({ "type", "--delay", "20", "ab" }));
        QVERIFY(QTest::qWaitFor([&] { return field->text() == QLatin1String("ab"); }, xWaitMs));

        // Another application active again: the panel gives the keyboard back for good.
        QVERIFY(x.activate(files.window()));
        QVERIFY(QTest::qWaitFor([&] { return !x.acceptsInput(window); }, xWaitMs));
        QVERIFY(click(row));
        QVERIFY(QTest::qWaitFor([&] { return clicks == 2; }, xWaitMs));
        QTest::qWait(200);
        QCOMPARE(x.activeWindow(), files.window());
    }

    // A compositor announces itself by owning _NET_WM_CM_S0 and KWin's blur by a root property;
    // both are followed as they change, and blur counts only while something composites.
    void compositorComesAndGoes()
    {
        QVERIFY(x.ok());
        CompositorWatcher watcher;
        QSignalSpy changed(&watcher, &CompositorWatcher::changed);
        QVERIFY(!watcher.isCompositing());

        const quint32 owner = x.inputOnlyWindow();
        xcb_set_selection_owner(x.connection(), owner, x.atom("_NET_WM_CM_S0"), XCB_CURRENT_TIME);
        xcb_flush(x.connection());
        QVERIFY(changed.wait(10000));
        QVERIFY(watcher.isCompositing());
        QVERIFY(!watcher.isBlurring());

        x.setRootProperty(BlurBehind::propertyName, XCB_ATOM_CARDINAL, { 0 });
        QVERIFY(changed.wait(10000));
        QVERIFY(watcher.isBlurring());

        // The compositor ends without giving up the selection, as a crash would, and leaves its
        // blur announcement behind.
        x.destroy(owner);
        QVERIFY(changed.wait(10000));
        QVERIFY(!watcher.isCompositing());
        QVERIFY(!watcher.isBlurring());
        x.deleteRootProperty(BlurBehind::propertyName);
    }

    // Where Qt knows no icon theme, the desktop's, followed as it changes: XSETTINGS, else GTK's
    // settings.ini, and only a theme that is installed.
    void desktopIconTheme()
    {
        const QString daemon = QStandardPaths::findExecutable(u"xsettingsd"_s);
        if (daemon.isEmpty())
            QSKIP("xsettingsd is not installed");
        TempHome home;
        for (const char *theme : { "Tuft", "Moss" })
            home.touch(u"icons/%1/index.theme"_s.arg(QLatin1String(theme)), "[Icon Theme]\n");
        QIcon::setThemeSearchPaths(QIcon::themeSearchPaths() << home.path() + u"/icons"_s);
        writeFile(home.configHome() + u"/gtk-3.0/settings.ini"_s,
            "[Settings]\ngtk-icon-theme-name = Moss\n");
        const QString qtTheme = QIcon::themeName();
        DesktopIconTheme theme;
        QCOMPARE(QIcon::themeName(), u"Moss"_s);

        const QString config = home.path() + u"/xsettingsd.conf"_s;
        writeFile(config, "Net/CursorBlinkTime 1200\nNet/IconThemeName \"Tuft\"\n");
        Program settings({ daemon, u"-c"_s, config });
        QTRY_COMPARE_WITH_TIMEOUT(QIcon::themeName(), u"Tuft"_s, xWaitMs);
        writeFile(config, "Net/IconThemeName \"Gone\"\n");
        ::kill(pid_t(settings.processId()), SIGHUP); // xsettingsd reads its file again
        QTRY_COMPARE_WITH_TIMEOUT(QIcon::themeName(), qtTheme, xWaitMs);
    }
};

QTEST_MAIN(FocusTest)
#include "xtst_focus.moc"
