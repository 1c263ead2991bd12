// SPDX-FileCopyrightText: 2026 The Quillmoth developers
// SPDX-License-Identifier: GPL-3.0-or-later

#pragma once

#include "Model/SettingsFile.h"

#include <memory>

// Where the program's settings live: an INI file under $XDG_CONFIG_HOME/Quillmoth/.
namespace Settings {
std::unique_ptr<SettingsFile> open();
std::unique_ptr<SettingsFile> open(const QString &path);
QString filePath();
} // namespace Settings
