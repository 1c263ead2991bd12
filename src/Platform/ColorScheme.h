// SPDX-FileCopyrightText: 2026 The Quillmoth developers
// SPDX-License-Identifier: GPL-3.0-or-later

#pragma once

#include <QDBusVariant>
#include <QFileSystemWatcher>
#include <QObject>

#include <optional>

// GLib's own spelling, so that this header need not pull in GIO.
typedef struct _GSettings GSettings; // NOLINT(bugprone-reserved-identifier)

// Whether the desktop asks for light or dark surfaces.
enum class ColorPreference { light, dark };

// Follows the desktop's light or dark preference live, first source that states one wins: the
// desktop portal's org.freedesktop.appearance "color-scheme"; GNOME's org.gnome.desktop.interface
// "color-scheme" (when that schema is installed); KDE's colour scheme in kdeglobals; else the
// lightness of the application palette.
class ColorSchemeMonitor : public QObject
{
    Q_OBJECT
public:
    explicit ColorSchemeMonitor(QObject *parent = nullptr);
    ~ColorSchemeMonitor() override;

    ColorPreference preference() const;

    // Pins the preference regardless of the desktop (renders of a fixed appearance); nullopt
    // follows the desktop again.
    void setOverride(std::optional<ColorPreference> preference);

    // The portal's value: 1 prefers dark, 2 prefers light, anything else states no preference.
    static std::optional<ColorPreference> fromPortalValue(uint value);
    // GNOME's value: "prefer-dark", "prefer-light"; "default" states none.
    static std::optional<ColorPreference> fromGnomeValue(const QString &value);
    // A kdeglobals file's text: a scheme named "...Dark...", else its window background.
    static std::optional<ColorPreference> fromKdeGlobals(const QByteArray &text);
    // Dark when the palette's window colour is dark.
    static ColorPreference fromPalette();

Q_SIGNALS:
    // The preference, or the palette the colours are taken from, has changed.
    void changed();

protected:
    bool eventFilter(QObject *watched, QEvent *event) override;

private:
    void readPortal();
    void setPortalPreference(std::optional<ColorPreference> preference);
    void watchGnome();
    void readGnome();
    void watchKde();
    void readKde();
    void emitIfChanged();

private Q_SLOTS:
    void portalSettingChanged(
        const QString &nameSpace, const QString &key, const QDBusVariant &value);

private:
    std::optional<ColorPreference> m_portal;
    std::optional<ColorPreference> m_gnome;
    std::optional<ColorPreference> m_kde;
    std::optional<ColorPreference> m_override;
    ColorPreference m_last = ColorPreference::light;
    GSettings *m_gnomeSettings = nullptr;
    QFileSystemWatcher m_kdeWatcher;
    QString m_kdeGlobals;
};
