// SPDX-FileCopyrightText: 2026 The Quillmoth developers
// SPDX-License-Identifier: GPL-3.0-or-later

#pragma once

#include <QColor>
#include <QPixmap>
#include <QString>

// Our SVG glyphs, rendered at the device pixel ratio and tinted: crisp at 1x and 2x.
namespace Glyph {
QPixmap render(const QString &name, const QColor &colour, int size, qreal devicePixelRatio);
// The icons live in the program's static library, whose resources must be registered once.
void ensureResources();
} // namespace Glyph
