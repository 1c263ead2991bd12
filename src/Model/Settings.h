// SPDX-FileCopyrightText: 2026 The Quillmoth developers
// SPDX-License-Identifier: GPL-3.0-or-later

#pragma once

#include <QSettings>

#include <memory>

// The program's settings file: INI under $XDG_CONFIG_HOME/Quillmoth/, read and written by our
// own safe INI format.
namespace Settings {
std::unique_ptr<QSettings> open();
std::unique_ptr<QSettings> open(const QString &path);
QString filePath();
} // namespace Settings
