// SPDX-FileCopyrightText: 2026 The Quillmoth developers
// SPDX-License-Identifier: GPL-3.0-or-later

#include "Model/FileUrl.h"

#include <QDir>
#include <QFile>

namespace {

// Whether a "." or ".." component starts at `i`.
bool isDotComponent(QStringView path, qsizetype i)
{
    if (i >= path.size() || path.at(i) != QLatin1Char('.'))
        return false;
    const qsizetype end = i + 1 < path.size() && path.at(i + 1) == QLatin1Char('.') ? i + 2 : i + 1;
    return end == path.size() || path.at(end) == QLatin1Char('/');
}

// Whether standardising would change nothing: no empty, "." or ".." components, no trailing
// slash. Most paths are clean, and this costs much less than cleaning them.
bool isClean(QStringView path)
{
    if (path.size() > 1 && path.endsWith(QLatin1Char('/')))
        return false;
    if (isDotComponent(path, 0))
        return false;
    // One pass over the characters: a large store's every location comes through here.
    const QChar *text = path.data();
    for (qsizetype i = 0; i + 1 < path.size(); ++i) {
        if (text[i] == QLatin1Char('/')
            && (text[i + 1] == QLatin1Char('/') || isDotComponent(path, i + 1)))
            return false;
    }
    return true;
}

} // namespace

QString standardizedPath(const QString &path)
{
    if (isClean(path))
        return path;
    QString clean = QDir::cleanPath(path);
    // cleanPath keeps ".." at the root; the root's parent is the root.
    while (clean == QLatin1String("/..") || clean.startsWith(QLatin1String("/../")))
        clean.remove(0, 3);
    return clean.isEmpty() && path.startsWith(QLatin1Char('/')) ? QStringLiteral("/") : clean;
}

QUrl fileUrl(const QString &path)
{
    const QString clean = standardizedPath(path);
    // A clean absolute path without '%' (which fromLocalFile escapes first) makes the URL
    // fromLocalFile makes, at less than half its cost: a large store makes thousands.
    if (!clean.startsWith(QLatin1Char('/')) || clean.contains(QLatin1Char('%')))
        return QUrl::fromLocalFile(clean);
    static const QString scheme = QStringLiteral("file");
    QUrl url;
    url.setScheme(scheme);
    url.setPath(clean, QUrl::TolerantMode);
    return url;
}

QUrl fileUrl(const QByteArray &nativePath)
{
    if (!nativePath.startsWith('/'))
        return fileUrl(QFile::decodeName(nativePath));
    // Latin-1 maps each byte to one character and back, and "/" and "." are single bytes in
    // UTF-8, so the text standardisation works on the bytes unchanged.
    const QByteArray clean = standardizedPath(QString::fromLatin1(nativePath)).toLatin1();
    return QUrl::fromEncoded("file://" + clean.toPercentEncoding("/"), QUrl::StrictMode);
}

QByteArray nativePath(const QUrl &url)
{
    return QByteArray::fromPercentEncoding(url.path(QUrl::FullyEncoded).toLatin1());
}
