// SPDX-FileCopyrightText: 2026 The Quillmoth developers
// SPDX-License-Identifier: GPL-3.0-or-later

#include "Model/QtIniValue.h"

#include <QStringList>

#include <algorithm>

namespace {

bool isBlank(QChar c)
{
    return c == QLatin1Char(' ') || c == QLatin1Char('\t');
}

int digitValue(QChar c, int base)
{
    const char16_t u = c.unicode();
    int value = base;
    if (u >= '0' && u <= '9')
        value = u - '0';
    else if (u >= 'a' && u <= 'f')
        value = u - 'a' + 10;
    else if (u >= 'A' && u <= 'F')
        value = u - 'A' + 10;
    return value < base ? value : -1;
}

// One escape after a backslash at `i`, appended to `out`; returns the index after it.
qsizetype unescapeAt(QStringView raw, qsizetype i, QString &out)
{
    static const char named[] = "a\ab\bf\fn\nr\rt\tv\v\"\"?\?''\\\\";
    const QChar c = raw.at(i);
    for (const char *p = named; *p; p += 2)
        if (c == QLatin1Char(p[0])) {
            out += QLatin1Char(p[1]);
            return i + 1;
        }
    const bool hex = c == QLatin1Char('x');
    const int base = hex ? 16 : 8;
    // Up to four hex digits (one UTF-16 unit) or three octal ones.
    const qsizetype first = hex ? i + 1 : i;
    const qsizetype last = std::min(raw.size(), first + (hex ? 4 : 3));
    char16_t value = 0;
    qsizetype end = first;
    for (int digit; end < last && (digit = digitValue(raw.at(end), base)) >= 0; ++end)
        value = char16_t(value * base + digit);
    if (end == first)
        return i + 1; // an unknown escape drops the character, as Qt does
    out += QChar(value);
    return end;
}

struct Entries
{
    QStringList list;
    bool isList = false;
};

Entries split(QStringView raw)
{
    Entries entries;
    QString current;
    qsizetype keep = 0; // text up to here stays even if blank: escaped or quoted
    bool inQuotes = false;
    bool wasQuoted = false;
    qsizetype i = 0;
    auto skipBlanks = [&] {
        while (i < raw.size() && isBlank(raw.at(i)))
            ++i;
    };
    auto finish = [&] {
        while (!wasQuoted && current.size() > keep && isBlank(current.back()))
            current.chop(1);
        entries.list << current;
        current.clear();
        keep = 0;
        wasQuoted = false;
    };
    skipBlanks();
    while (i < raw.size()) {
        const QChar c = raw.at(i++);
        if (c == QLatin1Char('\\')) {
            if (i < raw.size())
                i = unescapeAt(raw, i, current);
            keep = current.size();
        } else if (c == QLatin1Char('"')) {
            inQuotes = !inQuotes;
            wasQuoted = true;
            if (!inQuotes)
                skipBlanks();
        } else if (!inQuotes && c == QLatin1Char(';')) {
            break;
        } else if (!inQuotes && c == QLatin1Char(',')) {
            finish();
            entries.isList = true;
            skipBlanks();
        } else {
            current += c;
        }
    }
    finish();
    return entries;
}

// Qt's "@" forms: "@@" escapes a leading "@"; "@Invalid()" is no value; the rest is binary.
std::optional<QVariant> fromText(const QString &text)
{
    if (!text.startsWith(QLatin1Char('@')))
        return QVariant(text);
    if (text.startsWith(QLatin1String("@@")))
        return QVariant(text.mid(1));
    if (text == QLatin1String("@Invalid()"))
        return QVariant();
    if (text.endsWith(QLatin1Char(')')))
        return std::nullopt;
    return QVariant(text);
}

} // namespace

std::optional<QVariant> QtIniValue::read(QStringView raw)
{
    const Entries entries = split(raw);
    if (!entries.isList)
        return fromText(entries.list.constFirst());
    QStringList list;
    for (const QString &entry : entries.list) {
        const std::optional<QVariant> value = fromText(entry);
        if (!value || value->typeId() != QMetaType::QString)
            return std::nullopt;
        list << value->toString();
    }
    return QVariant(list);
}

QString QtIniValue::written(const QString &text)
{
    QString out = text.startsWith(QLatin1Char('@')) ? QStringLiteral("@") : QString();
    bool needsQuotes = !text.isEmpty() && (isBlank(text.front()) || isBlank(text.back()));
    for (QChar c : text) {
        needsQuotes = needsQuotes || c == QLatin1Char(',') || c == QLatin1Char(';');
        if (c == QLatin1Char('\\') || c == QLatin1Char('"'))
            out += QLatin1Char('\\');
        if (c == QLatin1Char('\n'))
            out += QLatin1String("\\n");
        else if (c.unicode() < 0x20)
            out += QStringLiteral("\\x%1").arg(c.unicode(), 4, 16, QLatin1Char('0'));
        else
            out += c;
    }
    return needsQuotes ? QLatin1Char('"') + out + QLatin1Char('"') : out;
}
