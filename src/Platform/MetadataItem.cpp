// SPDX-FileCopyrightText: 2026 The Quillmoth developers
// SPDX-License-Identifier: GPL-3.0-or-later

#include "Platform/MetadataItem.h"

QVariant MetadataItem::valueForAttribute(const QString &key) const
{
    auto date = [](std::optional<qint64> ms) {
        return ms ? QVariant(QDateTime::fromMSecsSinceEpoch(*ms, Qt::UTC)) : QVariant();
    };
    if (key == MetadataAttribute::path)
        return path ? QVariant(*path) : QVariant();
    if (key == MetadataAttribute::lastUsedDate)
        return date(lastUsed);
    if (key == MetadataAttribute::contentChangeDate)
        return date(contentChange);
    if (key == MetadataAttribute::displayName)
        return displayName ? QVariant(*displayName) : QVariant();
    return {};
}
