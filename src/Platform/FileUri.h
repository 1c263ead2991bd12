// SPDX-FileCopyrightText: 2026 The Quillmoth developers
// SPDX-License-Identifier: GPL-3.0-or-later

#pragma once

#include <QByteArray>
#include <QString>

#include <optional>

// The local file a file URI names.
struct LocalFile
{
    // The path as text. Bytes that are not UTF-8 read as GLib shows them (U+FFFD each), so a
    // file with such a name is listed under a readable name.
    QString path;
    // The path's own bytes when they are not UTF-8 (the text above cannot give them back);
    // empty otherwise.
    QByteArray nativePath;
};

// The local file of a URI as GLib reads it (g_filename_from_uri): "file:/x" and "file:///x"
// alike, any bytes in the path. Nothing for other schemes, hosts other than the local one,
// fragments, escaped separators or NULs, and broken escapes.
std::optional<LocalFile> localFileFromUri(const QString &uri);
// Its path as text only.
std::optional<QString> localPathFromUri(const QString &uri);

// The file's name as the file manager shows it, extension included.
QString displayBasename(const QString &path);
