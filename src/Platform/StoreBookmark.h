// SPDX-FileCopyrightText: 2026 The Quillmoth developers
// SPDX-License-Identifier: GPL-3.0-or-later

#pragma once

#include <QList>
#include <QString>

#include <optional>

// One entry of the recently-used store as the store format defines it. Times are milliseconds
// since the epoch, UTC.
struct StoreBookmark
{
    struct Application
    {
        QString name;
        qint64 stamp = 0;
        friend bool operator==(const Application &, const Application &) = default;
    };

    QString href;
    std::optional<QString> title;
    std::optional<qint64> added;
    std::optional<qint64> modified;
    std::optional<qint64> visited;
    QList<Application> applications;

    // The newest of visited, modified and every application's stamp.
    std::optional<qint64> lastUsed() const;

    friend bool operator==(const StoreBookmark &, const StoreBookmark &) = default;
};
