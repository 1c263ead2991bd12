// SPDX-FileCopyrightText: 2026 The Quillmoth developers
// SPDX-License-Identifier: GPL-3.0-or-later

#include "Platform/FileAttributes.h"

#include "Platform/SystemCalls.h"

#include <QFile>
#include <QMimeDatabase>

#include <sys/stat.h>

namespace {

// Content type as far as the listing needs it. Launchers and AppImages are known by their
// names; programs by their content, which is read only for regular files with an execute bit.
// Other files get no content type: nothing downstream needs it, and guessing it for every
// entry of a large store would cost more than the rest of the reading.
std::optional<QString> contentTypeFor(const QString &path, const struct stat &info)
{
    if (S_ISDIR(info.st_mode))
        return QStringLiteral("inode/directory");
    if (!S_ISREG(info.st_mode))
        return std::nullopt;
    if (path.endsWith(QLatin1String(".desktop")))
        return QStringLiteral("application/x-desktop");
    if (path.endsWith(QLatin1String(".appimage"), Qt::CaseInsensitive))
        return QStringLiteral("application/vnd.appimage");
    if ((info.st_mode & (S_IXUSR | S_IXGRP | S_IXOTH)) == 0)
        return std::nullopt;
    static const QMimeDatabase database;
    const QString type = database.mimeTypeForFile(path, QMimeDatabase::MatchContent).name();
    // Position-independent programs are often typed as shared libraries; with an execute bit
    // (which this file has) they are programs.
    if (type == QLatin1String("application/x-sharedlib"))
        return QStringLiteral("application/x-pie-executable");
    return type;
}

} // namespace

std::optional<FileAttributes> FileAttributes::lookup(const QString &path)
{
    return lookupAt(QFile::encodeName(path), path);
}

std::optional<FileAttributes> FileAttributes::lookup(const QByteArray &nativePath)
{
    return lookupAt(nativePath, QFile::decodeName(nativePath));
}

// The path twice: as bytes for the system, as text for the name and the content type.
std::optional<FileAttributes> FileAttributes::lookupAt(
    const QByteArray &native, const QString &path)
{
    struct stat info;
    if (native.isEmpty() || SystemCalls::stat(native.constData(), &info) != 0)
        return std::nullopt;
    FileAttributes attributes;
    attributes.isDirectory = S_ISDIR(info.st_mode);
    const qsizetype slash = path.lastIndexOf(QLatin1Char('/'));
    attributes.name = slash >= 0 && slash + 1 < path.size() ? path.mid(slash + 1) : path;
    attributes.contentType = contentTypeFor(path, info);
    attributes.modificationTime
        = qint64(info.st_mtim.tv_sec) * 1000 + info.st_mtim.tv_nsec / 1000000;
    return attributes;
}

bool conformsToApplication(const QString &contentType)
{
    // Exact types only: scripts (which shared-mime-info files under executables) are documents
    // people edit, so they stay listed.
    static const char *const applicationTypes[] = { "application/x-desktop",
        "application/vnd.appimage", "application/x-executable", "application/x-pie-executable" };
    for (const char *name : applicationTypes)
        if (contentType == QLatin1String(name))
            return true;
    return false;
}
