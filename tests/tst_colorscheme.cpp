// SPDX-FileCopyrightText: 2026 The Quillmoth developers
// SPDX-License-Identifier: GPL-3.0-or-later

// Light or dark without a desktop portal: KDE's kdeglobals in a temporary home, rewritten while
// the monitor runs, and GNOME's setting through GSettings' memory backend.
#include "Platform/ColorScheme.h"
#include "TestSupport.h"

#include <QDBusConnection>
#include <QSignalSpy>
#include <QTest>

#include <gio/gio.h>

using namespace Qt::StringLiterals;

class ColorSchemeTest : public QObject
{
    Q_OBJECT

    TempHome home;
    const QString kdeGlobals = home.configHome() + u"/kdeglobals"_s;
    std::unique_ptr<ColorSchemeMonitor> monitor;

    bool becomesDark(bool dark)
    {
        return QTest::qWaitFor(
            [&] { return (monitor->preference() == ColorPreference::dark) == dark; }, 10000);
    }

private Q_SLOTS:
    void initTestCase()
    {
        // No portal, and GNOME's settings in memory only.
        qputenv("DBUS_SESSION_BUS_ADDRESS", "unix:path=/nonexistent/quillmoth-test-bus");
        qputenv("GSETTINGS_BACKEND", "memory");
        writeAtomically(kdeGlobals, "[General]\nColorScheme=BreezeLight\n");
        QCOMPARE(ColorSchemeMonitor::fromPalette(), ColorPreference::light); // offscreen palette
        QVERIFY(!QDBusConnection::sessionBus().isConnected()); // no portal
        monitor = std::make_unique<ColorSchemeMonitor>();
        QCOMPARE(monitor->preference(), ColorPreference::light);
    }

    void kdeGlobalsText_data()
    {
        QTest::addColumn<QByteArray>("text");
        QTest::addColumn<int>("expected"); // -1 none, 0 light, 1 dark
        // A dark scheme's name is the live case's.
        QTest::newRow("light name") << QByteArray("[General]\r\nColorScheme=Breeze\r\n") << 0;
        QTest::newRow("custom, dark window") << QByteArray(
            "[General]\nColorScheme=Mine\n[Colors:Window]\nBackgroundNormal=35,38,41\n")
                                             << 1;
        QTest::newRow("window only")
            << QByteArray("[Colors:Window]\nBackgroundNormal=239, 240, 241") << 0;
        QTest::newRow("other groups") << QByteArray("[Colors:View]\nBackgroundNormal=0,0,0\n"
                                                    "[KDE]\nColorScheme=BreezeDark\n")
                                      << -1;
        QTest::newRow("garbage") << QByteArray("\x00\xff[General\nColorScheme", 22) << -1;
    }

    void kdeGlobalsText()
    {
        QFETCH(QByteArray, text);
        QFETCH(int, expected);
        const std::optional<ColorPreference> preference = ColorSchemeMonitor::fromKdeGlobals(text);
        QCOMPARE(preference ? int(*preference == ColorPreference::dark) : -1, expected);
    }

    void followsKdeLive()
    {
        QSignalSpy changed(monitor.get(), &ColorSchemeMonitor::changed);
        writeAtomically(kdeGlobals, "[General]\nColorScheme=BreezeDark\n"); // replaced by rename
        QVERIFY(becomesDark(true));
        QVERIFY(!changed.isEmpty());
        writeFile(kdeGlobals, "[Colors:Window]\nBackgroundNormal=250,250,250\n"); // in place
        QVERIFY(becomesDark(false));
        writeAtomically(kdeGlobals, "[Colors:Window]\nBackgroundNormal=20,20,20\n");
        QVERIFY(becomesDark(true));
        QFile::remove(kdeGlobals);
        QVERIFY(becomesDark(false)); // the palette again
    }

    void gnomeSettingComesBeforeKde()
    {
        GSettingsSchemaSource *source = g_settings_schema_source_get_default();
        GSettingsSchema *schema = source
            ? g_settings_schema_source_lookup(source, "org.gnome.desktop.interface", TRUE)
            : nullptr;
        if (!schema || !g_settings_schema_has_key(schema, "color-scheme"))
            QSKIP("needs the GNOME desktop schemas (gsettings-desktop-schemas)");
        g_settings_schema_unref(schema);
        GSettings *gnome = g_settings_new("org.gnome.desktop.interface");
        writeAtomically(kdeGlobals, "[General]\nColorScheme=BreezeDark\n");
        QVERIFY(becomesDark(true));
        g_settings_set_string(gnome, "color-scheme", "prefer-light");
        QVERIFY(becomesDark(false));
        g_settings_set_string(gnome, "color-scheme", "default"); // no preference: KDE's counts
        QVERIFY(becomesDark(true));
        QFile::remove(kdeGlobals);
        QVERIFY(becomesDark(false));
        g_settings_set_string(gnome, "color-scheme", "prefer-dark");
        QVERIFY(becomesDark(true));
        g_object_unref(gnome);
    }
};

QTEST_MAIN(ColorSchemeTest)

#include "tst_colorscheme.moc"
