// SPDX-FileCopyrightText: 2026 The Quillmoth developers
// SPDX-License-Identifier: GPL-3.0-or-later

#pragma once

#include <QString>

#include <optional>

// The local path of a file:// URI as GLib reads it (local host only), or nullopt for other
// schemes, remote hosts, fragments, escaped separators or NULs, and paths that are not UTF-8.
std::optional<QString> localPathFromUri(const QString &uri);

// The file's name as the file manager shows it, extension included.
QString displayBasename(const QString &path);
