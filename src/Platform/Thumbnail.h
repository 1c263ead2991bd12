// SPDX-FileCopyrightText: 2026 The Quillmoth developers
// SPDX-License-Identifier: GPL-3.0-or-later

#pragma once

#include <QImage>
#include <QString>

// Thumbnails that file managers and image viewers have already made, from the shared cache of
// the freedesktop thumbnail specification ($XDG_CACHE_HOME/thumbnails). Only ever read: none is
// made here, and the file itself is never opened.
namespace Thumbnail {
// The cached thumbnail of the local file `path` last modified at `modifiedSecs` (seconds since
// the epoch), from the "normal" (128 px) or else the "large" (256 px) cache; a null image when
// there is none, or when it is stale (made for another modification time), made for another
// file, too big, or not a PNG. `cacheHome` is the thumbnails' root folder.
QImage cached(const QString &path, qint64 modifiedSecs, const QString &cacheHome);
// The root folder in use: $XDG_CACHE_HOME/thumbnails.
QString cacheHome();
// The file a thumbnail of `path` has in `size`'s folder ("normal", "large"): the MD5 of the
// file's URI, as the specification names it.
QString fileFor(const QString &path, const QString &cacheHome, const QString &size);
} // namespace Thumbnail
