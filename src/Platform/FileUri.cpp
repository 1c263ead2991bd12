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

} // namespace

std::optional<LocalFile> localFileFromUri(const QString &uri)
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

    LocalFile file;
    QStringDecoder decoder(QStringDecoder::Utf8, QStringDecoder::Flag::Stateless);
    file.path = decoder.decode(QByteArrayView(path.get()));
    if (decoder.hasError()) {
        const GText shown(g_filename_display_name(path.get()));
        file.path = QString::fromUtf8(shown.get());
        file.nativePath = QByteArray(path.get());
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
