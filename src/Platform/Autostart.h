// SPDX-FileCopyrightText: 2026 The Quillmoth developers
// SPDX-License-Identifier: GPL-3.0-or-later

#pragma once

#include <QByteArray>
#include <QString>

// The program's autostart entry ($XDG_CONFIG_HOME/autostart/, the freedesktop autostart
// specification), which desktop sessions read at login. The state is the entry's own, read anew
// each time: the user may edit or remove it with other tools.
namespace Autostart {
// Where the entry lives.
QString entryPath();
// Whether the session starts the program at login: the entry exists and is neither hidden nor
// turned off for GNOME.
bool isEnabled(const QString &path = entryPath());
// Adds or removes the entry; whether the entry now says what was asked. An entry the user has
// edited is kept, with only the keys that turn it on or off changed; the program's own,
// unedited entry is removed. `launcher` is the entry written when there is none.
bool setEnabled(bool enabled, const QString &path = entryPath(), const QByteArray &launcher = {});
} // namespace Autostart
