// SPDX-FileCopyrightText: 2026 The Quillmoth developers
// SPDX-License-Identifier: GPL-3.0-or-later

#pragma once

#include <QStringList>

// Who the desktop's file manager is: the default handler of "inode/directory" (its desktop id
// without ".desktop", and its StartupWMClass when it has one); without a default handler, the
// well-known file managers. Names compare exactly, letter case included.
namespace FileManagerIdentity {
// The names a window of the file manager is known by.
QStringList identifiers();
// The well-known file managers, for desktops that name no default.
const QStringList &wellKnown();
// Whether any of `windowIds` is one of `fileManagerIds`.
bool matches(const QStringList &windowIds, const QStringList &fileManagerIds);
} // namespace FileManagerIdentity
