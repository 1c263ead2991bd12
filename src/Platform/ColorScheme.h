// SPDX-FileCopyrightText: 2026 The Quillmoth developers
// SPDX-License-Identifier: GPL-3.0-or-later

#pragma once

#include <QDBusVariant>
#include <QObject>

#include <optional>

// The desktop's light or dark appearance.
enum class ColorScheme { light, dark };

// Follows the desktop's colour scheme live: the desktop portal's org.freedesktop.appearance
// "color-scheme" when it states a preference, else the lightness of the application palette.
class ColorSchemeMonitor : public QObject
{
    Q_OBJECT
public:
    static ColorSchemeMonitor &shared();

    ColorScheme scheme() const;

    // Pins the scheme regardless of the desktop (renders of a fixed appearance); nullopt follows
    // the desktop again.
    void setOverride(std::optional<ColorScheme> scheme);

    // The portal's value: 1 prefers dark, 2 prefers light, anything else states no preference.
    static std::optional<ColorScheme> fromPortalValue(uint value);
    // Dark when the palette's window colour is dark.
    static ColorScheme fromPalette();

Q_SIGNALS:
    // The scheme, or the palette the colours are taken from, has changed.
    void changed();

protected:
    bool eventFilter(QObject *watched, QEvent *event) override;

private:
    ColorSchemeMonitor();
    void readPortal();
    void setPortalPreference(std::optional<ColorScheme> preference);
    void emitIfChanged();

private Q_SLOTS:
    void portalSettingChanged(
        const QString &nameSpace, const QString &key, const QDBusVariant &value);

private:
    std::optional<ColorScheme> m_portal;
    std::optional<ColorScheme> m_override;
    ColorScheme m_last = ColorScheme::light;
};
