// SPDX-FileCopyrightText: 2026 The Quillmoth developers
// SPDX-License-Identifier: GPL-3.0-or-later

#include "Model/VisibleText.h"

namespace {

// Control Pictures: U+2400 plus the code of a C0 control, U+2421 for DEL.
constexpr char16_t controlPictures = 0x2400;
constexpr char16_t deletePicture = 0x2421;

void appendMark(QString &out, QChar c)
{
    if (c.unicode() < 0x20)
        out += QChar(char16_t(controlPictures + c.unicode()));
    else if (c.unicode() == 0x7F)
        out += QChar(deletePicture);
    else
        out += QStringLiteral("[U+%1]").arg(c.unicode(), 4, 16, QLatin1Char('0')).toUpper();
}

// The head and tail of a huge text, never splitting a surrogate pair.
QStringView headOf(const QString &text)
{
    qsizetype end = VisibleText::keptAtEachEnd;
    if (text.at(end - 1).isHighSurrogate())
        --end;
    return QStringView(text).first(end);
}

QStringView tailOf(const QString &text)
{
    qsizetype start = text.size() - VisibleText::keptAtEachEnd;
    if (text.at(start).isLowSurrogate())
        ++start;
    return QStringView(text).sliced(start);
}

void appendShown(QString &out, QStringView text)
{
    for (const QChar c : text) {
        if (VisibleText::isHidden(c))
            appendMark(out, c);
        else
            out += c;
    }
}

} // namespace

bool VisibleText::isHidden(QChar c)
{
    const char16_t u = c.unicode();
    return u < 0x20 || (u >= 0x7F && u <= 0x9F) // C0, DEL, C1
        || u == 0x061C || u == 0x200E || u == 0x200F // ALM, LRM, RLM
        || (u >= 0x202A && u <= 0x202E) // LRE, RLE, PDF, LRO, RLO
        || (u >= 0x2066 && u <= 0x2069) // LRI, RLI, FSI, PDI
        || u == 0x2028 || u == 0x2029; // line and paragraph separators
}

QString VisibleText::shown(const QString &text)
{
    QString out;
    if (text.size() <= 2 * keptAtEachEnd) {
        out.reserve(text.size());
        appendShown(out, text);
        return out;
    }
    appendShown(out, headOf(text));
    out += QChar(0x2026);
    appendShown(out, tailOf(text));
    return out;
}
