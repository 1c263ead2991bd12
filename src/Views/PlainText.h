// SPDX-FileCopyrightText: 2026 The Quillmoth developers
// SPDX-License-Identifier: GPL-3.0-or-later

#pragma once

#include <QString>

// Text that comes from the user's files (names, paths) made safe to show: never markup, always
// one line, unable to reorder the text drawn around it.
namespace PlainText {
// Line breaks, control characters and direction formatting shown as visible marks, and a huge
// text cut in the middle (VisibleText::shown), so a name can neither break a row nor turn the
// text after it around, and any row draws at once.
QString oneLine(const QString &text);
// A tooltip that shows `text` literally, on one line: escaped, and marked as rich text so the
// escapes are read back (a tooltip guesses its format from its content).
QString toolTip(const QString &text);
} // namespace PlainText
