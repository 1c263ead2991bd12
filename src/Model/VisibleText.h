// SPDX-FileCopyrightText: 2026 The Quillmoth developers
// SPDX-License-Identifier: GPL-3.0-or-later

#pragma once

#include <QString>

// Names and paths as they are shown: every character that would act instead of appear (control
// characters, line breaks, direction marks, embeddings, overrides and isolates) becomes a
// visible mark, so a name can neither break a row nor turn text around; and a huge name is cut
// to a length that any row can draw at once.
namespace VisibleText {
// The most characters kept from each end of a longer text: more than the widest panel shows.
inline constexpr qsizetype keptAtEachEnd = 512;

bool isHidden(QChar c);
// `text` with each hidden character as a mark ("␊" for a line feed, "[U+202E]" for a
// right-to-left override), and the middle of a huge text left out ("…").
QString shown(const QString &text);
} // namespace VisibleText
