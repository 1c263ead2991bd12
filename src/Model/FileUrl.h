// SPDX-FileCopyrightText: 2026 The Quillmoth developers
// SPDX-License-Identifier: GPL-3.0-or-later

#pragma once

#include <QByteArray>
#include <QString>
#include <QUrl>

// A path with "." and ".." resolved, runs of slashes made one and no trailing slash but for "/".
// ".." above the root stays at the root, as the file system resolves it. Lexical: a symbolic
// link followed by ".." is not looked up.
QString standardizedPath(const QString &path);

// The standardised file URL of a local path: the one identity of a location, whichever way a
// writer spelled it ("//t/a.txt", "/t/a.txt", "/t/dir/").
QUrl fileUrl(const QString &path);
// The same for an absolute path's own bytes, for names that are not UTF-8: the bytes stay
// percent-encoded in the URL, so that opening or revealing it reaches the file.
QUrl fileUrl(const QByteArray &nativePath);
// The bytes of a file URL's path, as the file system knows them.
QByteArray nativePath(const QUrl &url);
