// SPDX-FileCopyrightText: 2026 The Quillmoth developers
// SPDX-License-Identifier: GPL-3.0-or-later

// The KWin script source against a real kwin_wayland (run through tests/with-desktop kwin), with
// a native Wayland client, an X11 client and Thunar as the file manager.

#include "Platform/KWinScriptSource.h"
#include "TestSupport.h"

#include <QDBusConnection>
#include <QDBusMessage>
#include <QDBusReply>
#include <QTemporaryFile>
#include <QTest>

namespace {
// Generous: clients and KWin start slowly on a loaded 2-core machine.
constexpr int clientLimitMs = 60000;

QDBusMessage scripting(const QString &method, const QVariantList &arguments)
{
    auto message = QDBusMessage::createMethodCall(QStringLiteral("org.kde.KWin"),
        QStringLiteral("/Scripting"), QStringLiteral("org.kde.kwin.Scripting"), method);
    message.setArguments(arguments);
    return message;
}

bool isScriptLoaded(const QString &name)
{
    const QDBusReply<bool> reply
        = QDBusConnection::sessionBus().call(scripting(QStringLiteral("isScriptLoaded"), { name }));
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
    const QString name = QStringLiteral("quillmoth-test-activate");
    auto bus = QDBusConnection::sessionBus();
    bus.call(scripting(QStringLiteral("unloadScript"), { name }));
    QVERIFY(QDBusReply<int>(
                bus.call(scripting(QStringLiteral("loadScript"), { script.fileName(), name })))
                .value()
        >= 0);
    QVERIFY(bus.call(scripting(QStringLiteral("start"), {})).type() != QDBusMessage::ErrorMessage);
    bus.call(scripting(QStringLiteral("unloadScript"), { name }));
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
        Clients clients;

        QProcess *wayland = clients.launch(QStringLiteral("weston-terminal"), "wayland");
        qint64 ms = msUntilActive(source, *wayland, clientLimitMs);
        QVERIFY2(ms >= 0, "weston-terminal was never reported");
        QCOMPARE(source.current()->applicationId,
            QStringLiteral("org.freedesktop.weston.wayland-terminal"));
        qInfo("weston-terminal (Wayland): %lld ms", ms);

        ms = msUntilActive(source, *clients.launch(QStringLiteral("xterm"), "x11"), clientLimitMs);
        QVERIFY2(ms >= 0, "xterm was never reported");
        // KWin hands WM_CLASS on in lower case.
        QCOMPARE(source.current()->classInstance.toLower(), QStringLiteral("xterm"));
        QCOMPARE(source.current()->className.toLower(), QStringLiteral("xterm"));
        qInfo("xterm (X11): %lld ms", ms);

        ms = msUntilActive(
            source, *clients.launch(QStringLiteral("thunar"), "wayland"), clientLimitMs);
        QVERIFY2(ms >= 0, "Thunar was never reported");
        QVERIFY(source.current()->className.contains(QLatin1String("thunar"), Qt::CaseInsensitive));
        qInfo("thunar (Wayland): %lld ms, id %s class %s", ms,
            qPrintable(source.current()->applicationId), qPrintable(source.current()->className));

        activate(wayland->processId());
        ms = msUntilActive(source, *wayland, clientLimitMs);
        QVERIFY2(ms >= 0, "weston-terminal activated again was never reported");
        qInfo("weston-terminal again: %lld ms", ms);
    }

    // Only KWin's own calls count, and the script goes with the source.
    void ignoresOthersAndUnloadsItsScript()
    {
        auto made = KWinScriptSource::tryMake();
        QVERIFY(made);
        const QString name = static_cast<KWinScriptSource &>(*made).scriptName();
        QVERIFY(QTest::qWaitFor([&] { return made->observable(); }, clientLimitMs));
        QVERIFY(isScriptLoaded(name));
        auto other
            = QDBusConnection::connectToBus(QDBusConnection::SessionBus, QStringLiteral("other"));
        auto call = QDBusMessage::createMethodCall(QDBusConnection::sessionBus().baseService(),
            QStringLiteral("/io/github/quillmoth/Quillmoth/KWinFollower"),
            QStringLiteral("io.github.quillmoth.Quillmoth.KWinFollower"),
            QStringLiteral("Activated"));
        call.setArguments({ QStringLiteral("Thunar"), QStringLiteral("thunar"),
            QStringLiteral("thunar"), QStringLiteral("4242"), false });
        QDBusPendingCall pending = other.asyncCall(call);
        QVERIFY(QTest::qWaitFor([&] { return pending.isFinished(); }, clientLimitMs));
        QVERIFY(!pending.isError());
        const auto app = made->current();
        QVERIFY(!app || app->pid != 4242);
        QDBusConnection::disconnectFromBus(QStringLiteral("other"));
        made.reset();
        QVERIFY(!isScriptLoaded(name));
    }
};

QTEST_GUILESS_MAIN(KWinScriptTest)
#include "dtst_kwinscript.moc"
