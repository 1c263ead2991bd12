// SPDX-FileCopyrightText: 2026 The Quillmoth developers
// SPDX-License-Identifier: GPL-3.0-or-later

#pragma once

#include <QString>

#include <optional>

// The attributes of one location that decide whether it is listed, read in one look-up.
struct FileAttributes
{
    bool isDirectory = false;
    bool isPackage = false; // this platform shows no bundles as single files
    std::optional<QString> name; // present when the location exists
    std::optional<QString> contentType;
    qint64 modificationTime = 0; // milliseconds since the epoch

    friend bool operator==(const FileAttributes &, const FileAttributes &) = default;

    // Stats the path (following symbolic links); nullopt when the location cannot be looked up.
    // Never opens anything but regular executable files, so FIFOs and devices cannot block it.
    static std::optional<FileAttributes> lookup(const QString &path);
    // The same for a path's own bytes (names that are not UTF-8).
    static std::optional<FileAttributes> lookup(const QByteArray &nativePath);

private:
    static std::optional<FileAttributes> lookupAt(const QByteArray &native, const QString &path);
};

// Desktop launchers, AppImages and executable programs: never listed.
bool conformsToApplication(const QString &contentType);
