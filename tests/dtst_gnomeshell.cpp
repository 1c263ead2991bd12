// SPDX-FileCopyrightText: 2026 The Quillmoth developers
// SPDX-License-Identifier: GPL-3.0-or-later

// The GNOME Shell source, its extension and the hint, against a real headless GNOME Shell (run
// through tests/with-desktop gnome, which installs and enables the extension).

#include "Platform/GnomeShellExtension.h"
#include "Platform/GnomeShellSource.h"
#include "Views/ExtensionHint.h"

#include <QElapsedTimer>
#include <QProcess>
#include <QPushButton>
#include <QTest>

namespace {
// Generous: clients and the shell start slowly on a loaded 2-core machine.
constexpr int limitMs = 60000;

void runExtensionsTool(const QString &command)
{
    QProcess tool;
    tool.start(QStringLiteral("gnome-extensions"), { command, GnomeShellExtension::uuid() });
    QVERIFY(tool.waitForFinished(limitMs));
    QCOMPARE(tool.exitCode(), 0);
}
} // namespace

class GnomeShellTest : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void cleanup();
    void followsEachFocusChange();
    void followsTheExtensionGoingAndComing();

private:
    QProcess *launch(const QString &program, const char *backend);
    qint64 waitForFocus(GnomeShellSource &source, const QProcess &process);
    std::vector<std::unique_ptr<QProcess>> m_clients;
};

QProcess *GnomeShellTest::launch(const QString &program, const char *backend)
{
    auto process = std::make_unique<QProcess>();
    auto env = QProcessEnvironment::systemEnvironment();
    env.insert(QStringLiteral("GDK_BACKEND"), QString::fromLatin1(backend));
    process->setProcessEnvironment(env);
    process->setProcessChannelMode(QProcess::ForwardedErrorChannel);
    process->start(program, {});
    m_clients.push_back(std::move(process));
    return m_clients.back().get();
}

qint64 GnomeShellTest::waitForFocus(GnomeShellSource &source, const QProcess &process)
{
    QElapsedTimer timer;
    timer.start();
    const bool isFocused = QTest::qWaitFor(
        [&] {
            const auto app = source.current();
            return app && app->pid == process.processId();
        },
        limitMs);
    return isFocused ? timer.elapsed() : -1;
}

void GnomeShellTest::cleanup()
{
    for (auto &client : m_clients) {
        client->terminate();
        client->waitForFinished();
    }
    m_clients.clear();
}

void GnomeShellTest::followsEachFocusChange()
{
    auto made = GnomeShellSource::tryMake();
    QVERIFY(made);
    auto &source = static_cast<GnomeShellSource &>(*made);
    QVERIFY(QTest::qWaitFor([&] { return source.observable(); }, limitMs));

    QProcess *wayland = launch(QStringLiteral("weston-terminal"), "wayland");
    qint64 ms = waitForFocus(source, *wayland);
    QVERIFY2(ms >= 0, "weston-terminal was never reported");
    QVERIFY(!source.current()->applicationId.startsWith(QLatin1String("window:")));
    qInfo("weston-terminal (Wayland): %lld ms, id %s class %s", ms,
        qPrintable(source.current()->applicationId), qPrintable(source.current()->className));

    QProcess *x11 = launch(QStringLiteral("xterm"), "x11");
    ms = waitForFocus(source, *x11);
    QVERIFY2(ms >= 0, "xterm was never reported");
    QCOMPARE(source.current()->className, QStringLiteral("XTerm"));
    qInfo("xterm (X11): %lld ms, id %s", ms, qPrintable(source.current()->applicationId));

    QProcess *thunar = launch(QStringLiteral("thunar"), "wayland");
    ms = waitForFocus(source, *thunar);
    QVERIFY2(ms >= 0, "Thunar was never reported");
    QVERIFY(!source.current()->applicationId.endsWith(QLatin1String(".desktop")));
    qInfo("thunar (Wayland): %lld ms, id %s class %s", ms,
        qPrintable(source.current()->applicationId), qPrintable(source.current()->className));
}

void GnomeShellTest::followsTheExtensionGoingAndComing()
{
    QVERIFY(GnomeShellExtension::isNeededHere());
    auto made = GnomeShellSource::tryMake();
    QVERIFY(made);
    QVERIFY(QTest::qWaitFor([&] { return made->observable(); }, limitMs));
    ExtensionHint hint;
    QVERIFY(hint.isHidden());

    runExtensionsTool(QStringLiteral("disable"));
    QVERIFY(QTest::qWaitFor([&] { return !made->observable(); }, limitMs));
    QVERIFY(!made->current());
    QVERIFY(!made->unobservableReason().isEmpty());
    QVERIFY(QTest::qWaitFor([&] { return !hint.isHidden(); }, limitMs));

    // The hint's own button turns it back on.
    auto *button = hint.findChild<QPushButton *>(QStringLiteral("enableExtension"));
    QVERIFY(button);
    button->click();
    QVERIFY(QTest::qWaitFor([&] { return made->observable(); }, limitMs));
    QVERIFY(QTest::qWaitFor([&] { return hint.isHidden(); }, limitMs));
}

QTEST_MAIN(GnomeShellTest)
#include "dtst_gnomeshell.moc"
