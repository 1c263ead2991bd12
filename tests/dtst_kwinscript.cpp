// SPDX-FileCopyrightText: 2026 The Quillmoth developers
// SPDX-License-Identifier: GPL-3.0-or-later

// The KWin sources against a real kwin_wayland (run through tests/with-desktop kwin): the script
// and KWin's window management, with a native Wayland client, an X11 client and Thunar as the
// file manager, and KWin restarting.

#include "Platform/KWinScriptSource.h"
#include "Platform/PlasmaWindowManagement.h"
#include "TestSupport.h"

#include <QDBusConnection>
#include <QDBusMessage>
#include <QDBusReply>
#include <QTemporaryFile>
#include <QTest>

using namespace Qt::StringLiterals;

namespace {
// Generous: clients and KWin start slowly on a loaded 2-core machine.
constexpr int clientLimitMs = 60000;

QDBusMessage scripting(const QString &method, const QVariantList &arguments)
{
    auto message = QDBusMessage::createMethodCall(
        u"org.kde.KWin"_s, u"/Scripting"_s, u"org.kde.kwin.Scripting"_s, method);
    message.setArguments(arguments);
    return message;
}

bool isScriptLoaded(const QString &name)
{
    const QDBusReply<bool> reply
        = QDBusConnection::sessionBus().call(scripting(u"isScriptLoaded"_s, { name }));
    return reply.isValid() && reply.value();
}

// Activates the window of `pid` the way the user would, through KWin itself.
void activate(qint64 pid)
{
    QTemporaryFile script;
    QVERIFY(script.open());
    script.write(QStringLiteral("workspace.clientList().forEach(function (c) {"
                                " if (c.pid == %1) workspace.activeClient = c; });")
                     .arg(pid)
                     .toUtf8());
    script.flush();
    const QString name = u"quillmoth-test-activate"_s;
    auto bus = QDBusConnection::sessionBus();
    bus.call(scripting(u"unloadScript"_s, { name }));
    QVERIFY(
        QDBusReply<int>(bus.call(scripting(u"loadScript"_s, { script.fileName(), name }))).value()
        >= 0);
    // Left loaded: KWin runs started scripts later, and unloading at once could stop it first.
    // The next call unloads it before loading its own.
    QVERIFY(bus.call(scripting(u"start"_s, {})).type() != QDBusMessage::ErrorMessage);
}
} // namespace

class KWinScriptTest : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void followsEachActivation()
    {
        auto made = KWinScriptSource::tryMake();
        QVERIFY(made);
        const ActiveApplicationSource &source = *made;
        QVERIFY(QTest::qWaitFor([&] { return source.observable(); }, clientLimitMs));
        Program wayland({ u"GDK_BACKEND=wayland"_s, u"weston-terminal"_s });
        QVERIFY2(becomesActive(source, wayland, clientLimitMs), "weston-terminal not reported");
        QCOMPARE(source.current()->applicationId, u"org.freedesktop.weston.wayland-terminal"_s);

        Program xterm({ u"GDK_BACKEND=x11"_s, u"xterm"_s });
        QVERIFY2(becomesActive(source, xterm, clientLimitMs), "xterm was never reported");
        // KWin hands WM_CLASS on in lower case.
        QCOMPARE(source.current()->classInstance.toLower(), u"xterm"_s);
        QCOMPARE(source.current()->className.toLower(), u"xterm"_s);

        Program thunar({ u"GDK_BACKEND=wayland"_s, u"thunar"_s });
        QVERIFY2(becomesActive(source, thunar, clientLimitMs), "Thunar was never reported");
        QVERIFY(source.current()->className.contains(QLatin1String("thunar"), Qt::CaseInsensitive));

        // A client that is still settling (Thunar opening late) can take the focus back from a
        // scripted activation: ask again rather than wait on a focus that was lost.
        bool again = false;
        for (int attempt = 0; attempt < 3 && !again; ++attempt) {
            activate(wayland.processId());
            again = becomesActive(source, wayland, clientLimitMs / 3);
        }
        QVERIFY2(again, "weston-terminal activated again was never reported");
    }

    // Only KWin's own calls count, and the script goes with the source.
    void ignoresOthersAndUnloadsItsScript()
    {
        auto made = KWinScriptSource::tryMake();
        QVERIFY(made);
        const QString name = static_cast<KWinScriptSource &>(*made).scriptName();
        QVERIFY(QTest::qWaitFor([&] { return made->observable(); }, clientLimitMs));
        QVERIFY(isScriptLoaded(name));
        auto other = QDBusConnection::connectToBus(QDBusConnection::SessionBus, u"other"_s);
        auto call = QDBusMessage::createMethodCall(QDBusConnection::sessionBus().baseService(),
            u"/io/github/quillmoth/Quillmoth/KWinFollower"_s,
            u"io.github.quillmoth.Quillmoth.KWinFollower"_s, u"Activated"_s);
        call.setArguments({ u"Thunar"_s, u"thunar"_s, u"thunar"_s, u"4242"_s, false });
        QDBusPendingCall pending = other.asyncCall(call);
        QVERIFY(QTest::qWaitFor([&] { return pending.isFinished(); }, clientLimitMs));
        QVERIFY(!pending.isError());
        const auto app = made->current();
        QVERIFY(!app || app->pid != 4242);
        QDBusConnection::disconnectFromBus(u"other"_s);
        made.reset();
        QVERIFY(!isScriptLoaded(name));
    }

    // KWin's own window management, granted by a desktop entry naming this executable: refused
    // without one, then each activation with the application's id and pid.
    void followsThroughPlasmaWindowManagement()
    {
        QString whyNot;
        QVERIFY(!PlasmaWindowManagement::make(whyNot));
        QVERIFY(whyNot.contains(u"org_kde_plasma_window_management"_s));
        writeFile(qEnvironmentVariable("XDG_DATA_HOME") + u"/applications/quillmoth-test.desktop"_s,
            "[Desktop Entry]\nType=Application\nName=Test\nExec="
                + QCoreApplication::applicationFilePath().toUtf8()
                + "\nX-KDE-Wayland-Interfaces=org_kde_plasma_window_management\n");
        std::unique_ptr<PlasmaWindowManagement> source;
        QVERIFY(QTest::qWaitFor(
            [&] { return (source = PlasmaWindowManagement::make(whyNot)) != nullptr; },
            clientLimitMs));
        QVERIFY(source->observable());
        Program terminal({ u"GDK_BACKEND=wayland"_s, u"weston-terminal"_s });
        QVERIFY2(becomesActive(*source, terminal, clientLimitMs), "weston-terminal not reported");
        QCOMPARE(source->current()->applicationId, u"org.freedesktop.weston.wayland-terminal"_s);
        Program xterm({ u"GDK_BACKEND=x11"_s, u"xterm"_s });
        QVERIFY2(becomesActive(*source, xterm, clientLimitMs), "xterm was never reported");
    }

    // KWin goes (a crash, a restart): nothing is observable; a new KWin on the same bus gets the
    // script again and is followed. Last: the session's own KWin does not come back.
    void followsKWinRestarting()
    {
        const qint64 kwinPid = qEnvironmentVariableIntValue("QUILLMOTH_COMPOSITOR_PID");
        QVERIFY(kwinPid > 0);
        auto made = KWinScriptSource::tryMake();
        QVERIFY(made);
        QVERIFY(QTest::qWaitFor([&] { return made->observable(); }, clientLimitMs));
        QVERIFY(QProcess::execute(u"kill"_s, { u"-KILL"_s, QString::number(kwinPid) }) == 0);
        QVERIFY(QTest::qWaitFor([&] { return !made->observable(); }, clientLimitMs));

        Program kwin({ qEnvironmentVariable("QUILLMOTH_KWIN_BINARY"), u"--virtual"_s, u"--socket"_s,
            u"wayland-quillmoth-again"_s, u"--no-lockscreen"_s });
        QVERIFY(QTest::qWaitFor([&] { return made->observable(); }, clientLimitMs));
        qputenv("WAYLAND_DISPLAY", "wayland-quillmoth-again");
        Program terminal({ u"GDK_BACKEND=wayland"_s, u"weston-terminal"_s });
        QVERIFY2(becomesActive(*made, terminal, clientLimitMs),
            "a client on the new KWin was never reported");
    }
};

QTEST_GUILESS_MAIN(KWinScriptTest)
#include "dtst_kwinscript.moc"
