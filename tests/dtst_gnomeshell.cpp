// SPDX-FileCopyrightText: 2026 The Quillmoth developers
// SPDX-License-Identifier: GPL-3.0-or-later

// The GNOME Shell source, its extension and the hint, against a real headless GNOME Shell (run
// through tests/with-desktop gnome, which installs and enables the extension).

#include "Platform/GnomeShellExtension.h"
#include "Platform/GnomeShellSource.h"
#include "TestSupport.h"
#include "Views/ExtensionHint.h"

#include <QProcess>
#include <QPushButton>
#include <QTest>

using namespace Qt::StringLiterals;

namespace {
// Generous: clients and the shell start slowly on a loaded 2-core machine.
constexpr int limitMs = 60000;

void runExtensionsTool(const QString &command)
{
    QProcess tool;
    tool.start(u"gnome-extensions"_s, { command, GnomeShellExtension::uuid() });
    QVERIFY(tool.waitForFinished(limitMs));
    QCOMPARE(tool.exitCode(), 0);
}
} // namespace

class GnomeShellTest : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void followsEachFocusChange()
    {
        GnomeShellExtension extension;
        auto made = GnomeShellSource::tryMake(extension);
        QVERIFY(made);
        const ActiveApplicationSource &source = *made;
        QVERIFY(QTest::qWaitFor([&] { return source.observable(); }, limitMs));
        Program terminal({ u"GDK_BACKEND=wayland"_s, u"weston-terminal"_s });
        QVERIFY2(becomesActive(source, terminal, limitMs), "weston-terminal was never reported");
        QVERIFY(!source.current()->applicationId.startsWith(QLatin1String("window:")));
        Program xterm({ u"GDK_BACKEND=x11"_s, u"xterm"_s });
        QVERIFY2(becomesActive(source, xterm, limitMs), "xterm was never reported");
        QCOMPARE(source.current()->className, u"XTerm"_s);
        Program thunar({ u"GDK_BACKEND=wayland"_s, u"thunar"_s });
        QVERIFY2(becomesActive(source, thunar, limitMs), "Thunar was never reported");
        QVERIFY(!source.current()->applicationId.endsWith(QLatin1String(".desktop")));
    }

    void followsTheExtensionGoingAndComing()
    {
        QVERIFY(GnomeShellExtension::isNeededHere());
        GnomeShellExtension extension;
        auto made = GnomeShellSource::tryMake(extension);
        QVERIFY(made);
        QVERIFY(QTest::qWaitFor([&] { return made->observable(); }, limitMs));
        ExtensionHint hint(&extension);
        QVERIFY(hint.isHidden());

        runExtensionsTool(u"disable"_s);
        QVERIFY(QTest::qWaitFor([&] { return !made->observable(); }, limitMs));
        QVERIFY(!made->current());
        QVERIFY(!made->unobservableReason().isEmpty());
        QVERIFY(QTest::qWaitFor([&] { return !hint.isHidden(); }, limitMs));

        // The hint's own button turns it back on.
        auto *button = hint.findChild<QPushButton *>(u"enableExtension"_s);
        QVERIFY(button);
        button->click();
        QVERIFY(QTest::qWaitFor([&] { return made->observable(); }, limitMs));
        QVERIFY(QTest::qWaitFor([&] { return hint.isHidden(); }, limitMs));

        // Listed for the next login (what Open at Login does where the running shell has not
        // seen the extension), once, and the running shell follows the setting at once.
        runExtensionsTool(u"disable"_s);
        QVERIFY(QTest::qWaitFor([&] { return !made->observable(); }, limitMs));
        QVERIFY(GnomeShellExtension::listForNextLogin());
        QVERIFY(GnomeShellExtension::listForNextLogin());
        QVERIFY(QTest::qWaitFor([&] { return made->observable(); }, limitMs));
        QProcess read;
        read.start(u"gsettings"_s, { u"get"_s, u"org.gnome.shell"_s, u"enabled-extensions"_s });
        QVERIFY(read.waitForFinished(limitMs));
        QCOMPARE(
            QString::fromUtf8(read.readAllStandardOutput()).count(GnomeShellExtension::uuid()), 1);
    }
};

QTEST_MAIN(GnomeShellTest)
#include "dtst_gnomeshell.moc"
