// SPDX-FileCopyrightText: 2026 The Quillmoth developers
// SPDX-License-Identifier: GPL-3.0-or-later

#include "Model/HomeFolder.h"

#include <QDir>

QString HomeFolder::path()
{
    const QByteArray home = qgetenv("HOME");
    if (!home.isEmpty())
        return QDir::cleanPath(QFile::decodeName(home));
    return QDir::homePath();
}
