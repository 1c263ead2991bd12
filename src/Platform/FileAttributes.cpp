#include "Platform/FileAttributes.h"

#include <QFile>
#include <QMimeDatabase>

#include <sys/stat.h>

namespace {

// Content type as far as the listing needs it: names decide for launchers and AppImages;
// programs are recognised by content, only for regular files with an execute bit.
QString contentTypeFor(const QString &path, const struct stat &info)
{
    static const QMimeDatabase database;
    if (S_ISDIR(info.st_mode))
        return QStringLiteral("inode/directory");
    if (!S_ISREG(info.st_mode))
        return QStringLiteral("application/octet-stream");
    const bool executable = (info.st_mode & (S_IXUSR | S_IXGRP | S_IXOTH)) != 0;
    const QMimeType byName = database.mimeTypeForFile(path, QMimeDatabase::MatchExtension);
    if (!executable || byName.inherits(QStringLiteral("application/x-desktop"))
        || byName.inherits(QStringLiteral("application/vnd.appimage")))
        return byName.name();
    const QMimeType byContent = database.mimeTypeForFile(path, QMimeDatabase::MatchContent);
    const QString type = byContent.name();
    // A shared library counts as a program only with its execute bit, which it has here.
    if (type == QLatin1String("application/x-sharedlib"))
        return QStringLiteral("application/x-pie-executable");
    return type;
}

} // namespace

std::optional<FileAttributes> FileAttributes::lookup(const QString &path)
{
    const QByteArray native = QFile::encodeName(path);
    struct stat info;
    if (native.isEmpty() || ::stat(native.constData(), &info) != 0)
        return std::nullopt;
    FileAttributes attributes;
    attributes.isDirectory = S_ISDIR(info.st_mode);
    const qsizetype slash = path.lastIndexOf(QLatin1Char('/'));
    attributes.name = slash >= 0 && slash + 1 < path.size() ? path.mid(slash + 1) : path;
    attributes.contentType = contentTypeFor(path, info);
    attributes.modificationTime = qint64(info.st_mtim.tv_sec) * 1000 + info.st_mtim.tv_nsec / 1000000;
    return attributes;
}

bool conformsToApplication(const QString &contentType)
{
    // Exact types only: scripts (which shared-mime-info files under executables) are documents
    // people edit, so they stay listed.
    static const char *const applicationTypes[] = {
        "application/x-desktop", "application/vnd.appimage", "application/x-executable",
        "application/x-pie-executable"};
    for (const char *name : applicationTypes)
        if (contentType == QLatin1String(name))
            return true;
    return false;
}
