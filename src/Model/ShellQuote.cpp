// SPDX-FileCopyrightText: 2026 The Quillmoth developers
// SPDX-License-Identifier: GPL-3.0-or-later

#include "Model/ShellQuote.h"

#include "Model/VisibleText.h"

#include <QStringDecoder>

namespace {

// The named escapes of $'...'; any other byte that must not appear raw is written \xHH.
char namedEscape(char byte)
{
    switch (byte) {
    case '\a':
        return 'a';
    case '\b':
        return 'b';
    case '\t':
        return 't';
    case '\n':
        return 'n';
    case '\v':
        return 'v';
    case '\f':
        return 'f';
    case '\r':
        return 'r';
    case '\x1b':
        return 'e';
    case '\\':
        return '\\';
    case '\'':
        return '\'';
    default:
        return 0;
    }
}

void appendEscaped(QString &out, const QByteArray &bytes)
{
    for (const char byte : bytes) {
        if (const char name = namedEscape(byte))
            out += QStringLiteral("\\%1").arg(QLatin1Char(name));
        else
            out += QStringLiteral("\\x%1").arg(uchar(byte), 2, 16, QLatin1Char('0'));
    }
}

} // namespace

QString ShellQuote::pastable(const QByteArray &path)
{
    QStringDecoder decoder(QStringDecoder::Utf8);
    const QString text = decoder(path);
    bool plain = !decoder.hasError();
    for (qsizetype i = 0; plain && i < text.size(); ++i)
        plain = !VisibleText::isHidden(text.at(i));
    if (plain)
        return text;
    // Byte by byte: valid characters that are harmless stay as they are, the rest is escaped.
    QString out = QStringLiteral("$'");
    QStringDecoder one(QStringDecoder::Utf8);
    for (qsizetype i = 0; i < path.size();) {
        const uchar lead = uchar(path.at(i));
        const qsizetype length = lead < 0x80 ? 1 : lead >= 0xF0 ? 4 : lead >= 0xE0 ? 3 : 2;
        const QByteArray unit = path.mid(i, length);
        const QString decoded = one.decode(unit);
        const bool valid = !one.hasError() && !decoded.isEmpty() && unit.size() == length;
        one.resetState();
        if (valid && lead >= 0x20 && lead != '\\' && lead != '\'' && lead != 0x7F
            && (decoded.size() != 1 || !VisibleText::isHidden(decoded.at(0)))) {
            out += decoded;
            i += length;
        } else {
            appendEscaped(out, valid ? unit : path.mid(i, 1));
            i += valid ? length : 1;
        }
    }
    return out + QLatin1Char('\'');
}
