// SPDX-FileCopyrightText: 2026 The Quillmoth developers
// SPDX-License-Identifier: GPL-3.0-or-later

#include "Platform/PortalPaths.h"

#include <QFile>
#include <QFileInfo>

#include <unistd.h>

QStringList PortalPaths::defaultMounts()
{
    // Flatpak and Snap apps see the portal at the first; Flatpak also links the second to it.
    return { QStringLiteral("/run/user/%1/doc/").arg(::getuid()),
        QStringLiteral("/run/flatpak/doc/") };
}

std::optional<PortalPaths::Document> PortalPaths::documentOf(const QString &path) const
{
    for (const QString &mount : mounts) {
        if (!path.startsWith(mount))
            continue;
        const qsizetype slash = path.indexOf(QLatin1Char('/'), mount.size());
        if (slash <= mount.size())
            return Document { path.mid(mount.size()), {} };
        return Document { path.mid(mount.size(), slash - mount.size()), path.mid(slash + 1) };
    }
    return std::nullopt;
}

std::optional<QString> PortalPaths::hostPathOf(const Document &document) const
{
    const auto found = hosts.constFind(document.id);
    if (found == hosts.cend() || !*found || document.rest.isEmpty())
        return std::nullopt;
    // The document's folder holds one entry, named as the real file (or folder); anything else
    // is not the document the portal described.
    const QString host = QFile::decodeName(**found);
    const QString name = document.rest.section(QLatin1Char('/'), 0, 0);
    if (host.isEmpty() || name != QFileInfo(host).fileName() || name == QLatin1String(".."))
        return std::nullopt;
    const QString inside = document.rest.mid(name.size());
    if (inside.contains(QLatin1String("/../")) || inside.endsWith(QLatin1String("/..")))
        return std::nullopt;
    return host + inside;
}
