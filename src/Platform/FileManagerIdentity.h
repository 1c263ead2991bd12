// SPDX-FileCopyrightText: 2026 The Quillmoth developers
// SPDX-License-Identifier: GPL-3.0-or-later

#pragma once

#include <QStringList>
#include <QUrl>

#include <optional>

// One file manager as its desktop entry describes it.
struct FileManager
{
    QString desktopId; // without ".desktop"
    QString name; // the entry's Name, in the user's language, without its generic name
    QStringList identifiers; // the desktop id, then StartupWMClass when it has one
    QString executable; // absolute, symbolic links resolved; empty when not installed
};

// Who the desktop's file manager is: the default handler of "inode/directory" when its desktop
// entry is a file manager (Categories holds FileManager, or it is a well-known one); otherwise
// any of the well-known file managers. Names compare exactly, letter case included.
namespace FileManagerIdentity {
// The names a window of the file manager is known by: the default handler's when it is a file
// manager, else every well-known name.
QStringList identifiers();
// The one file manager to show things in: the default handler when it is a file manager, else
// the installed well-known one that belongs to the current desktop, else the first installed.
std::optional<FileManager> current();
// The installed desktop entry `desktopId` (without ".desktop") when it is a file manager.
std::optional<FileManager> fromDesktopId(const QString &desktopId);
// The well-known file managers' desktop ids and window classes.
const QStringList &wellKnown();
// Whether any of `windowIds` is one of `fileManagerIds`.
bool matches(const QStringList &windowIds, const QStringList &fileManagerIds);
// Opens `folder` in `fileManager` through its desktop entry; false when it cannot be started.
bool openFolder(const FileManager &fileManager, const QUrl &folder);
} // namespace FileManagerIdentity
