// SPDX-FileCopyrightText: 2026 The Quillmoth developers
// SPDX-License-Identifier: GPL-3.0-or-later

#pragma once

#include <QString>
#include <QUrl>

// A file URL for a local path. Leading runs of slashes are one root on this platform, but
// QUrl reads "//name" as a host (and "///x" as nothing at all), so they are collapsed first.
inline QUrl fileUrl(const QString &path)
{
    qsizetype slashes = 0;
    while (slashes < path.size() && path.at(slashes) == QLatin1Char('/'))
        ++slashes;
    return QUrl::fromLocalFile(slashes > 1 ? path.mid(slashes - 1) : path);
}
