// SPDX-FileCopyrightText: 2026 The Quillmoth developers
// SPDX-License-Identifier: GPL-3.0-or-later

#include "Views/PlainText.h"

namespace {

bool isBreakOrControl(QChar c)
{
    return c.category() == QChar::Other_Control || c == QChar::LineSeparator
        || c == QChar::ParagraphSeparator;
}

// LRE, RLE, PDF, LRO, RLO and LRI, RLI, FSI, PDI: each reaches past its own character.
bool isDirectionFormatting(QChar c)
{
    return (c.unicode() >= 0x202A && c.unicode() <= 0x202E)
        || (c.unicode() >= 0x2066 && c.unicode() <= 0x2069);
}

} // namespace

QString PlainText::oneLine(const QString &text)
{
    QString line;
    line.reserve(text.size());
    for (const QChar c : text) {
        if (isDirectionFormatting(c))
            continue;
        line += isBreakOrControl(c) ? QChar(QLatin1Char(' ')) : c;
    }
    return line;
}

QString PlainText::toolTip(const QString &text)
{
    return QStringLiteral("<p style=\"white-space:pre\">%1</p>").arg(oneLine(text).toHtmlEscaped());
}
