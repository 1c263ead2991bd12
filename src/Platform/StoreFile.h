// SPDX-FileCopyrightText: 2026 The Quillmoth developers
// SPDX-License-Identifier: GPL-3.0-or-later

#pragma once

#include <QByteArray>
#include <QString>

// Reads the store's bytes, and only when the store is a regular file of a sane size: a FIFO
// would block the reader, a link to /dev/zero would read until memory runs out.
namespace StoreFile {

enum class Status { ok, missing, unreadable, notRegular, tooLarge };

struct Contents
{
    Status status = Status::missing;
    QByteArray bytes;
};

// Well above the largest stores seen (100,000 entries with long titles stay under 100 MiB).
inline constexpr qint64 maxBytes = qint64(512) * 1024 * 1024;

// `reuse`, when given, is a buffer no one else holds: a large store then lands in memory that
// is already mapped, not in fresh pages the system must clear first.
Contents read(const QString &path, QByteArray reuse = {});

} // namespace StoreFile
