// SPDX-FileCopyrightText: 2026 The Quillmoth developers
// SPDX-License-Identifier: GPL-3.0-or-later

#include "Platform/FileUri.h"

#include <QStringDecoder>

namespace {

int hexValue(QChar c)
{
    const char16_t u = c.unicode();
    if (u >= '0' && u <= '9')
        return u - '0';
    if (u >= 'a' && u <= 'f')
        return u - 'a' + 10;
    if (u >= 'A' && u <= 'F')
        return u - 'A' + 10;
    return -1;
}

} // namespace

std::optional<QString> localPathFromUri(const QString &uri)
{
    if (!uri.startsWith(QLatin1String("file://"), Qt::CaseInsensitive))
        return std::nullopt;
    const QByteArray utf8 = uri.toUtf8();
    QByteArrayView rest = QByteArrayView(utf8).sliced(7);
    const qsizetype slash = rest.indexOf('/');
    if (slash < 0)
        return std::nullopt;
    const QByteArrayView host = rest.first(slash);
    if (!host.isEmpty() && host.compare("localhost", Qt::CaseInsensitive) != 0)
        return std::nullopt;
    rest = rest.sliced(slash);
    if (rest.contains('#'))
        return std::nullopt;

    QByteArray bytes;
    bytes.reserve(rest.size());
    for (qsizetype i = 0; i < rest.size(); ++i) {
        const qsizetype percent = rest.indexOf('%', i);
        if (percent < 0) {
            bytes.append(rest.sliced(i));
            break;
        }
        bytes.append(rest.sliced(i, percent - i));
        i = percent;
        if (i + 2 >= rest.size())
            return std::nullopt;
        const int high = hexValue(QLatin1Char(rest.at(i + 1)));
        const int low = hexValue(QLatin1Char(rest.at(i + 2)));
        if (high < 0 || low < 0)
            return std::nullopt;
        const char byte = char(high * 16 + low);
        if (byte == '\0' || byte == '/')
            return std::nullopt;
        bytes.append(byte);
        i += 2;
    }
    QStringDecoder decoder(QStringDecoder::Utf8, QStringDecoder::Flag::Stateless);
    const QString path = decoder.decode(bytes);
    if (decoder.hasError())
        return std::nullopt;
    return path;
}

QString displayBasename(const QString &path)
{
    QString trimmed = path;
    while (trimmed.size() > 1 && trimmed.endsWith(QLatin1Char('/')))
        trimmed.chop(1);
    const qsizetype slash = trimmed.lastIndexOf(QLatin1Char('/'));
    return slash < 0 || trimmed.size() == 1 ? trimmed : trimmed.mid(slash + 1);
}
