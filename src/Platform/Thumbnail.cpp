// SPDX-FileCopyrightText: 2026 The Quillmoth developers
// SPDX-License-Identifier: GPL-3.0-or-later

#include "Platform/Thumbnail.h"

#include <QCryptographicHash>
#include <QFile>
#include <QFileInfo>
#include <QHash>
#include <QStandardPaths>

#include <glib.h>
#include <zlib.h>

#include <optional>

namespace {

// Thumbnails are a few kilobytes; anything far bigger is not one (or is hostile).
constexpr qint64 maxFileBytes = 4 * 1024 * 1024;
constexpr int maxSide = 1024;
// A URI or a time, never more.
constexpr qsizetype maxTextBytes = 64 * 1024;

// The URI as GLib writes it (g_filename_to_uri), which is what the cache is keyed by: file
// managers and GTK's thumbnailers all name files that way.
QByteArray uriOf(const QString &path)
{
    gchar *uri = g_filename_to_uri(QFile::encodeName(path).constData(), nullptr, nullptr);
    if (!uri)
        return {};
    QByteArray out(uri);
    g_free(uri);
    return out;
}

quint32 bigEndian(const char *p)
{
    const auto *u = reinterpret_cast<const uchar *>(p);
    return (quint32(u[0]) << 24) | (quint32(u[1]) << 16) | (quint32(u[2]) << 8) | u[3];
}

// The PNG's width and height and its uncompressed text chunks ("Thumb::URI", "Thumb::MTime"),
// read from the chunks before the image data; nothing when it is not a PNG. Qt's reader cannot
// give these keys: it takes "::" for its own separator.
struct PngHeader
{
    QSize size;
    QHash<QByteArray, QByteArray> text;
};

// A text chunk: keyword, NUL, then the text; in zTXt a compression method byte (0, zlib) and
// the compressed text. Qt writes long values compressed; GLib's writers do not.
void addText(PngHeader &header, const QByteArray &body, bool compressed)
{
    const qsizetype nul = body.indexOf('\0');
    if (nul <= 0)
        return;
    QByteArray text = body.mid(nul + 1);
    if (compressed) {
        if (text.isEmpty() || text.at(0) != 0)
            return;
        QByteArray out(maxTextBytes, Qt::Uninitialized);
        uLongf length = uLongf(out.size());
        const auto *in = reinterpret_cast<const Bytef *>(text.constData() + 1);
        if (uncompress(reinterpret_cast<Bytef *>(out.data()), &length, in, uLong(text.size() - 1))
            != Z_OK)
            return;
        out.truncate(qsizetype(length));
        text = out;
    }
    header.text.insert(body.left(nul), text);
}

std::optional<PngHeader> readHeader(const QByteArray &data)
{
    static const QByteArray signature("\x89PNG\r\n\x1a\n", 8);
    if (!data.startsWith(signature))
        return std::nullopt;
    PngHeader header;
    qsizetype at = signature.size();
    while (at + 8 <= data.size()) {
        const quint32 length = bigEndian(data.constData() + at);
        const QByteArray type = data.mid(at + 4, 4);
        if (length > quint32(data.size() - at - 12))
            return std::nullopt;
        const QByteArray body = data.mid(at + 8, length);
        if (type == "IHDR" && body.size() >= 8)
            header.size
                = QSize(int(bigEndian(body.constData())), int(bigEndian(body.constData() + 4)));
        else if (type == "tEXt" || type == "zTXt")
            addText(header, body, type == "zTXt");
        else if (type == "IDAT" || type == "IEND")
            break;
        at += 12 + qsizetype(length);
    }
    if (header.size.isEmpty())
        return std::nullopt;
    return header;
}

QImage readValid(const QString &file, const QByteArray &uri, qint64 modifiedSecs)
{
    QFile f(file);
    if (!QFileInfo(file).isFile() || f.size() > maxFileBytes || !f.open(QIODevice::ReadOnly))
        return {};
    const QByteArray data = f.read(maxFileBytes);
    const std::optional<PngHeader> header = readHeader(data);
    if (!header || header->size.width() > maxSide || header->size.height() > maxSide)
        return {};
    if (header->text.value("Thumb::URI") != uri)
        return {};
    bool ok = false;
    const qint64 mtime = header->text.value("Thumb::MTime").toLongLong(&ok);
    if (!ok || mtime != modifiedSecs)
        return {};
    return QImage::fromData(data, "PNG");
}

QString fileForUri(const QByteArray &uri, const QString &cacheHome, const QString &size)
{
    const QByteArray md5 = QCryptographicHash::hash(uri, QCryptographicHash::Md5).toHex();
    return cacheHome + QLatin1Char('/') + size + QLatin1Char('/') + QString::fromLatin1(md5)
        + QStringLiteral(".png");
}

} // namespace

QString Thumbnail::cacheHome()
{
    return QStandardPaths::writableLocation(QStandardPaths::GenericCacheLocation)
        + QStringLiteral("/thumbnails");
}

QString Thumbnail::fileFor(const QString &path, const QString &cacheHome, const QString &size)
{
    return fileForUri(uriOf(path), cacheHome, size);
}

QImage Thumbnail::cached(const QString &path, qint64 modifiedSecs, const QString &cacheHome)
{
    const QByteArray uri = uriOf(path);
    if (uri.isEmpty())
        return {};
    for (const QString &size : { QStringLiteral("normal"), QStringLiteral("large") }) {
        QImage image = readValid(fileForUri(uri, cacheHome, size), uri, modifiedSecs);
        if (!image.isNull())
            return image;
    }
    return {};
}
