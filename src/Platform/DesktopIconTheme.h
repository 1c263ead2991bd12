// SPDX-FileCopyrightText: 2026 The Quillmoth developers
// SPDX-License-Identifier: GPL-3.0-or-later

#pragma once

#include <QByteArray>
#include <QString>

#include <optional>

// The icon theme the desktop chose for its applications, where Qt was not told it. Qt learns the
// theme from KDE's settings or a Qt platform theme (qt6ct, the GTK one); elsewhere (Xfce, MATE,
// Cinnamon, sway, a bare window manager, and GNOME for any theme but Adwaita) it draws from
// hicolor or Adwaita while the file manager beside the panel draws from the user's theme.
namespace DesktopIconTheme {

// The theme to use instead of Qt's: the one GTK applications use here (XSETTINGS on X11,
// GNOME's interface settings on Wayland, then GTK's settings.ini), when it is installed and Qt
// has no choice of its own. Empty to keep Qt's.
QString chosen();
// Makes `chosen()` the application's icon theme. Call once, after the application exists.
void adopt();

// The string setting `name` in an XSETTINGS property's bytes; nothing when it is absent or the
// bytes are malformed.
std::optional<QByteArray> xsettingsString(const QByteArray &property, const QByteArray &name);

} // namespace DesktopIconTheme
