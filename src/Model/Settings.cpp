// SPDX-FileCopyrightText: 2026 The Quillmoth developers
// SPDX-License-Identifier: GPL-3.0-or-later

#include "Model/Settings.h"

#include <QStandardPaths>

QString Settings::filePath()
{
    return QStandardPaths::writableLocation(QStandardPaths::GenericConfigLocation)
        + QStringLiteral("/Quillmoth/Quillmoth.ini");
}

std::unique_ptr<SettingsFile> Settings::open()
{
    return open(filePath());
}

std::unique_ptr<SettingsFile> Settings::open(const QString &path)
{
    return std::make_unique<SettingsFile>(path);
}
