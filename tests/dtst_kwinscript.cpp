// SPDX-FileCopyrightText: 2026 The Quillmoth developers
// SPDX-License-Identifier: GPL-3.0-or-later

// The KWin script source against a real kwin_wayland (run through tests/with-desktop kwin), with
// a native Wayland client, an X11 client and Thunar as the file manager.

#include "Platform/KWinScriptSource.h"

#include <QDBusConnection>
#include <QDBusMessage>
#include <QDBusReply>
#include <QElapsedTimer>
#include <QProcess>
#include <QSignalSpy>
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
    // Left loaded: KWin runs started scripts later, and unloading at once could stop it first.
    // The next call unloads it before loading its own.
    QVERIFY(bus.call(scripting(QStringLiteral("start"), {})).type() != QDBusMessage::ErrorMessage);
}
} // namespace

class KWinScriptTest : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void cleanup();
    void followsEachActivation();
    void ignoresCallsFromOtherThanKWin();
    void unloadsItsScript();

private:
    QProcess *launch(const QString &program, const QStringList &arguments, const char *backend);
    // Waits until the source reports `process`'s window and says how long that took.
    qint64 waitForActive(KWinScriptSource &source, const QProcess &process);
    std::vector<std::unique_ptr<QProcess>> m_clients;
};

QProcess *KWinScriptTest::launch(
    const QString &program, const QStringList &arguments, const char *backend)
{
    auto process = std::make_unique<QProcess>();
    auto env = QProcessEnvironment::systemEnvironment();
    env.insert(QStringLiteral("GDK_BACKEND"), QString::fromLatin1(backend));
    process->setProcessEnvironment(env);
    process->setProcessChannelMode(QProcess::ForwardedErrorChannel);
    process->start(program, arguments);
    m_clients.push_back(std::move(process));
    return m_clients.back().get();
}

qint64 KWinScriptTest::waitForActive(KWinScriptSource &source, const QProcess &process)
{
    QElapsedTimer timer;
    timer.start();
    const bool isActive = QTest::qWaitFor(
        [&] {
            const auto app = source.current();
            return app && app->pid == process.processId();
        },
        clientLimitMs);
    return isActive ? timer.elapsed() : -1;
}

void KWinScriptTest::cleanup()
{
    for (auto &client : m_clients) {
        client->terminate();
        client->waitForFinished();
    }
    m_clients.clear();
}

void KWinScriptTest::followsEachActivation()
{
    auto made = KWinScriptSource::tryMake();
    QVERIFY(made);
    auto &source = static_cast<KWinScriptSource &>(*made);
    QVERIFY(QTest::qWaitFor([&] { return source.observable(); }, clientLimitMs));

    QProcess *wayland = launch(QStringLiteral("weston-terminal"), {}, "wayland");
    qint64 ms = waitForActive(source, *wayland);
    QVERIFY2(ms >= 0, "weston-terminal was never reported");
    QCOMPARE(
        source.current()->applicationId, QStringLiteral("org.freedesktop.weston.wayland-terminal"));
    qInfo("weston-terminal (Wayland): %lld ms", ms);

    QProcess *x11 = launch(QStringLiteral("xterm"), {}, "x11");
    ms = waitForActive(source, *x11);
    QVERIFY2(ms >= 0, "xterm was never reported");
    // KWin hands WM_CLASS on in lower case.
    QCOMPARE(source.current()->classInstance.toLower(), QStringLiteral("xterm"));
    QCOMPARE(source.current()->className.toLower(), QStringLiteral("xterm"));
    qInfo("xterm (X11): %lld ms", ms);

    QProcess *thunar = launch(QStringLiteral("thunar"), {}, "wayland");
    ms = waitForActive(source, *thunar);
    QVERIFY2(ms >= 0, "Thunar was never reported");
    QVERIFY(source.current()->className.contains(QLatin1String("thunar"), Qt::CaseInsensitive));
    qInfo("thunar (Wayland): %lld ms, id %s class %s", ms,
        qPrintable(source.current()->applicationId), qPrintable(source.current()->className));

    activate(wayland->processId());
    ms = waitForActive(source, *wayland);
    QVERIFY2(ms >= 0, "weston-terminal activated again was never reported");
    qInfo("weston-terminal again: %lld ms", ms);
}

void KWinScriptTest::ignoresCallsFromOtherThanKWin()
{
    auto made = KWinScriptSource::tryMake();
    QVERIFY(made);
    QVERIFY(QTest::qWaitFor([&] { return made->observable(); }, clientLimitMs));
    auto other
        = QDBusConnection::connectToBus(QDBusConnection::SessionBus, QStringLiteral("other"));
    auto call = QDBusMessage::createMethodCall(QDBusConnection::sessionBus().baseService(),
        QStringLiteral("/io/github/quillmoth/Quillmoth/KWinFollower"),
        QStringLiteral("io.github.quillmoth.Quillmoth.KWinFollower"), QStringLiteral("Activated"));
    call.setArguments({ QStringLiteral("Thunar"), QStringLiteral("thunar"),
        QStringLiteral("thunar"), QStringLiteral("4242"), false });
    QDBusPendingCall pending = other.asyncCall(call);
    QTest::qWaitFor([&] { return pending.isFinished(); }, clientLimitMs);
    QVERIFY(!pending.isError());
    const auto app = made->current();
    QVERIFY(!app || app->pid != 4242);
    QDBusConnection::disconnectFromBus(QStringLiteral("other"));
}

void KWinScriptTest::unloadsItsScript()
{
    auto made = KWinScriptSource::tryMake();
    QVERIFY(made);
    const QString name = static_cast<KWinScriptSource &>(*made).scriptName();
    QVERIFY(QTest::qWaitFor([&] { return made->observable(); }, clientLimitMs));
    QVERIFY(isScriptLoaded(name));
    made.reset();
    QVERIFY(!isScriptLoaded(name));
}

QTEST_GUILESS_MAIN(KWinScriptTest)
#include "dtst_kwinscript.moc"
