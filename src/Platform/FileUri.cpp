// SPDX-FileCopyrightText: 2026 The Quillmoth developers
// SPDX-License-Identifier: GPL-3.0-or-later

#include "Platform/FileUri.h"

#include <QStringDecoder>

#include <glib.h>

#include <memory>

namespace {

struct GFreeDeleter
{
    void operator()(gchar *text) const { g_free(text); }
};
using GText = std::unique_ptr<gchar, GFreeDeleter>;

int hexValue(char16_t c)
{
    if (c >= '0' && c <= '9')
        return c - '0';
    if ((c | 0x20) >= 'a' && (c | 0x20) <= 'f')
        return (c | 0x20) - 'a' + 10;
    return -1;
}

// The path bytes of "file:///..." written in ASCII, as GLib unescapes it; nullopt for
// anything else (other characters, hosts, fragments, a broken or refused escape), which GLib
// itself then reads. The stores' URIs are mostly this shape, and a large store has thousands.
std::optional<QByteArray> plainFilePath(const QString &uri)
{
    if (!uri.startsWith(QLatin1String("file:///")))
        return std::nullopt;
    // Written through a pointer: appending byte by byte costs more than the rest together.
    QByteArray path(uri.size() - 7, Qt::Uninitialized);
    char *out = path.data();
    const char16_t *in = reinterpret_cast<const char16_t *>(uri.constData());
    for (qsizetype i = 7; i < uri.size(); ++i) {
        const char16_t c = in[i];
        if (c == 0 || c >= 0x80 || c == '#')
            return std::nullopt;
        if (c != '%') {
            *out++ = char(c);
            continue;
        }
        const int high = i + 2 < uri.size() ? hexValue(in[i + 1]) : -1;
        const int low = high < 0 ? -1 : hexValue(in[i + 2]);
        const int byte = high * 16 + low;
        if (low < 0 || byte == 0 || byte == '/')
            return std::nullopt;
        *out++ = char(byte);
        i += 2;
    }
    path.truncate(out - path.constData());
    return path;
}

// The path bytes as GLib reads them from any URI; nullopt when it is not a local file.
std::optional<QByteArray> filePathWithGLib(const QString &uri)
{
    if (uri.contains(QChar(0)))
        return std::nullopt;
    const QByteArray utf8 = uri.toUtf8();
    gchar *hostName = nullptr;
    const GText path(g_filename_from_uri(utf8.constData(), &hostName, nullptr));
    const GText host(hostName);
    // A file on another machine is not the local file of the same path.
    if (!path || (host && g_ascii_strcasecmp(host.get(), "localhost") != 0))
        return std::nullopt;
    return QByteArray(path.get());
}

} // namespace

std::optional<LocalFile> localFileFromUri(const QString &uri)
{
    std::optional<QByteArray> path = plainFilePath(uri);
    if (!path)
        path = filePathWithGLib(uri);
    if (!path)
        return std::nullopt;
    LocalFile file;
    QStringDecoder decoder(QStringDecoder::Utf8, QStringDecoder::Flag::Stateless);
    file.path = decoder.decode(*path);
    if (decoder.hasError()) {
        const GText shown(g_filename_display_name(path->constData()));
        file.path = QString::fromUtf8(shown.get());
        file.nativePath = std::move(*path);
    }
    return file;
}

std::optional<QString> localPathFromUri(const QString &uri)
{
    std::optional<LocalFile> file = localFileFromUri(uri);
    if (!file)
        return std::nullopt;
    return std::move(file->path);
}

QString displayBasename(const QString &path)
{
    QString trimmed = path;
    while (trimmed.size() > 1 && trimmed.endsWith(QLatin1Char('/')))
        trimmed.chop(1);
    const qsizetype slash = trimmed.lastIndexOf(QLatin1Char('/'));
    return slash < 0 || trimmed.size() == 1 ? trimmed : trimmed.mid(slash + 1);
}
