// SPDX-FileCopyrightText: 2026 The Quillmoth developers
// SPDX-License-Identifier: GPL-3.0-or-later

// Arbitrary locations against arbitrary home folders and listed folders: breadcrumbs are total
// and well formed, and the containment rule keeps its laws.
#include "Model/FileUrl.h"
#include "Model/FolderFilter.h"
#include "Model/RecentItem.h"

#include <QUrl>

#include <cstdlib>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    // Three strings separated by NUL bytes: location, home, folder.
    const QByteArray bytes(reinterpret_cast<const char *>(data), qsizetype(size));
    const QList<QByteArray> parts = bytes.split('\0');
    const QString location = QString::fromUtf8(parts.value(0));
    const QByteArray home = parts.value(1);
    const QString folder = QString::fromUtf8(parts.value(2));

    if (home.isEmpty())
        qunsetenv("HOME");
    else
        qputenv("HOME", home);
    const QUrl url = fileUrl(location);
    const QString crumb = RecentItem::breadcrumb(url);
    if (crumb.isEmpty())
        abort();
    if (crumb.count(QStringLiteral(" \u203A ")) > 1
        && !location.contains(QStringLiteral(" \u203A ")))
        abort();

    const bool inside = FolderFilter::contains(folder, url);
    // Containment ignores trailing separators on the folder.
    if (!folder.isEmpty() && !folder.endsWith(QLatin1Char('/'))
        && FolderFilter::contains(folder + QLatin1Char('/'), url) != inside)
        abort();
    // An absolute folder contains itself.
    if (folder.startsWith(QLatin1Char('/')) && !FolderFilter::contains(folder, fileUrl(folder)))
        abort();
    return 0;
}
