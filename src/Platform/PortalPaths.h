// SPDX-FileCopyrightText: 2026 The Quillmoth developers
// SPDX-License-Identifier: GPL-3.0-or-later

#pragma once

#include <QByteArray>
#include <QHash>
#include <QString>
#include <QStringList>

#include <optional>

// What the document portal has told about the files it hands to sandboxed apps: for each
// document, its real location, or nothing when the portal does not know it. A value, so that
// the reading thread can map the paths sandboxed apps wrote (`/run/user/<uid>/doc/<id>/<name>`)
// to where the files really are.
struct PortalPaths
{
    // Where the portal's files appear: to sandboxed apps, and on the host.
    QStringList mounts = defaultMounts();
    QHash<QString, std::optional<QByteArray>> hosts; // by document id

    static QStringList defaultMounts();

    struct Document
    {
        QString id;
        QString rest; // what follows the id: the document's name, then any path inside it
    };
    // The document a path lies in, when it lies in the portal's folder.
    std::optional<Document> documentOf(const QString &path) const;
    // The real location of a path in a known document; nullopt when unknown.
    std::optional<QString> hostPathOf(const Document &document) const;
};
