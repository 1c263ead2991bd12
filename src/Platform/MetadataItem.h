// SPDX-FileCopyrightText: 2026 The Quillmoth developers
// SPDX-License-Identifier: GPL-3.0-or-later

#pragma once

#include "Platform/FileAttributes.h"

#include <QDateTime>
#include <QString>
#include <QUrl>
#include <QVariant>

#include <optional>

namespace MetadataAttribute {
inline const QString path = QStringLiteral("path");
inline const QString lastUsedDate = QStringLiteral("lastUsedDate");
inline const QString contentChangeDate = QStringLiteral("contentChangeDate");
inline const QString displayName = QStringLiteral("displayName");
} // namespace MetadataAttribute

// One raw result of the recently-used query. The file attributes of its location are read
// together with the store, off the main thread, so that processing a result needs no I/O.
class MetadataItem
{
public:
    std::optional<QString> path;
    std::optional<qint64> lastUsed;
    std::optional<qint64> contentChange;
    std::optional<QString> displayName;
    std::optional<FileAttributes> attributes;
    bool attributesRead = false; // true once looked up; `attributes` is then empty for a failure
    std::optional<QUrl> url; // the location's file URL, made with the look-up (costly to make)

    // A typed value (QString or QDateTime) or an invalid QVariant when absent.
    QVariant valueForAttribute(const QString &key) const;

    friend bool operator==(const MetadataItem &, const MetadataItem &) = default;
};
