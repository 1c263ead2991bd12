// SPDX-FileCopyrightText: 2026 The Quillmoth developers
// SPDX-License-Identifier: GPL-3.0-or-later

#pragma once

#include <QByteArray>
#include <QString>

// A path as text that is safe to paste into a terminal and still names the same file.
namespace ShellQuote {
// A path of printable UTF-8 comes back as it is. One holding control characters (a line feed,
// ESC), direction formatting, or bytes that are not UTF-8 comes back quoted as shells read it,
// $'...' with every such byte escaped, so that the text carries no control character.
QString pastable(const QByteArray &path);
} // namespace ShellQuote
