// SPDX-FileCopyrightText: 2026 The Quillmoth developers
// SPDX-License-Identifier: GPL-3.0-or-later

#include "Platform/FileManagerIdentity.h"

#include <QFileInfo>

#include <gio/gdesktopappinfo.h>
#include <gio/gio.h>

#include <memory>

namespace {

struct Unref
{
    void operator()(gpointer object) const { g_object_unref(object); }
};
using DesktopInfo = std::unique_ptr<GDesktopAppInfo, Unref>;

QString desktopIdOf(GAppInfo *info)
{
    QString id = QString::fromUtf8(g_app_info_get_id(info));
    if (id.endsWith(QLatin1String(".desktop")))
        id.chop(8);
    return id;
}

// The program a desktop entry runs, as the file that the kernel would execute.
QString resolvedExecutable(GAppInfo *info)
{
    const char *program = g_app_info_get_executable(info);
    if (!program || !*program)
        return {};
    gchar *found = g_find_program_in_path(program);
    const QString path = found ? QString::fromUtf8(found) : QString();
    g_free(found);
    return path.isEmpty() ? QString() : QFileInfo(path).canonicalFilePath();
}

bool isFileManager(GDesktopAppInfo *info, const QString &desktopId, const QString &wmClass)
{
    const QStringList categories = QString::fromUtf8(g_desktop_app_info_get_categories(info))
                                       .split(QLatin1Char(';'), Qt::SkipEmptyParts);
    const QStringList &known = FileManagerIdentity::wellKnown();
    return categories.contains(QLatin1String("FileManager")) || known.contains(desktopId)
        || (!wmClass.isEmpty() && known.contains(wmClass));
}

// The name a user calls the file manager by: entries often repeat their generic name in it
// ("Thunar File Manager", "File Manager PCManFM"), which reads badly after "Reveal in".
QString shortName(GDesktopAppInfo *info)
{
    const QString name = QString::fromUtf8(g_app_info_get_name(G_APP_INFO(info))).simplified();
    const QString generic
        = QString::fromUtf8(g_desktop_app_info_get_generic_name(info)).simplified();
    if (generic.isEmpty())
        return name;
    const qsizetype at = name.indexOf(generic, 0, Qt::CaseInsensitive);
    const bool wholeWords = at >= 0 && (at == 0 || name.at(at - 1) == QLatin1Char(' '))
        && (at + generic.size() == name.size() || name.at(at + generic.size()) == QLatin1Char(' '));
    const QString rest
        = wholeWords ? QString(name).remove(at, generic.size()).simplified() : QString();
    return rest.isEmpty() ? name : rest;
}

std::optional<FileManager> describe(GDesktopAppInfo *info)
{
    GAppInfo *app = G_APP_INFO(info);
    const QString id = desktopIdOf(app);
    const QString wmClass = QString::fromUtf8(g_desktop_app_info_get_startup_wm_class(info));
    if (id.isEmpty() || !isFileManager(info, id, wmClass))
        return std::nullopt;
    FileManager manager;
    manager.desktopId = id;
    manager.name = shortName(info);
    manager.identifiers << id;
    if (!wmClass.isEmpty() && wmClass != id)
        manager.identifiers << wmClass;
    manager.executable = resolvedExecutable(app);
    return manager;
}

// The default handler of folders, when it is a file manager. Asked afresh each time: GLib
// keeps the desktop entries cached and watched, so a new default is seen without a restart.
std::optional<FileManager> defaultFileManager()
{
    GAppInfo *info = g_app_info_get_default_for_type("inode/directory", FALSE);
    if (!info)
        return std::nullopt;
    std::optional<FileManager> manager;
    if (G_IS_DESKTOP_APP_INFO(info))
        manager = describe(G_DESKTOP_APP_INFO(info));
    g_object_unref(info);
    return manager;
}

// The well-known file managers, the current desktop's own first.
QStringList candidatesForDesktop()
{
    static const QList<std::pair<QString, QStringList>> owners {
        { QStringLiteral("GNOME"),
            { QStringLiteral("org.gnome.Nautilus"), QStringLiteral("nautilus") } },
        { QStringLiteral("KDE"), { QStringLiteral("org.kde.dolphin"), QStringLiteral("dolphin") } },
        { QStringLiteral("XFCE"), { QStringLiteral("thunar") } },
        { QStringLiteral("X-Cinnamon"), { QStringLiteral("nemo") } },
        { QStringLiteral("MATE"), { QStringLiteral("caja") } },
        { QStringLiteral("LXDE"), { QStringLiteral("pcmanfm") } },
        { QStringLiteral("LXQt"), { QStringLiteral("pcmanfm-qt") } },
    };
    QStringList order;
    const QStringList desktops
        = qEnvironmentVariable("XDG_CURRENT_DESKTOP").split(QLatin1Char(':'), Qt::SkipEmptyParts);
    for (const QString &desktop : desktops)
        for (const auto &[name, ids] : owners)
            if (desktop == name)
                order << ids;
    order << FileManagerIdentity::wellKnown();
    order.removeDuplicates();
    return order;
}

} // namespace

const QStringList &FileManagerIdentity::wellKnown()
{
    static const QStringList names {
        QStringLiteral("org.gnome.Nautilus"),
        QStringLiteral("nautilus"),
        QStringLiteral("org.kde.dolphin"),
        QStringLiteral("dolphin"),
        QStringLiteral("thunar"),
        QStringLiteral("Thunar"),
        QStringLiteral("nemo"),
        QStringLiteral("Nemo"),
        QStringLiteral("caja"),
        QStringLiteral("Caja"),
        QStringLiteral("pcmanfm"),
        QStringLiteral("Pcmanfm"),
        QStringLiteral("pcmanfm-qt"),
    };
    return names;
}

QStringList FileManagerIdentity::identifiers()
{
    if (const std::optional<FileManager> manager = defaultFileManager())
        return manager->identifiers;
    return wellKnown();
}

std::optional<FileManager> FileManagerIdentity::fromDesktopId(const QString &desktopId)
{
    const QByteArray file = (desktopId + QStringLiteral(".desktop")).toUtf8();
    const DesktopInfo info(g_desktop_app_info_new(file.constData()));
    if (!info)
        return std::nullopt;
    return describe(info.get());
}

std::optional<FileManager> FileManagerIdentity::current()
{
    if (std::optional<FileManager> manager = defaultFileManager())
        return manager;
    for (const QString &id : candidatesForDesktop())
        if (std::optional<FileManager> manager = fromDesktopId(id))
            return manager;
    return std::nullopt;
}

bool FileManagerIdentity::matches(const QStringList &windowIds, const QStringList &fileManagerIds)
{
    for (const QString &id : windowIds)
        if (fileManagerIds.contains(id, Qt::CaseSensitive))
            return true;
    return false;
}

bool FileManagerIdentity::openFolder(const FileManager &fileManager, const QUrl &folder)
{
    const QByteArray file = (fileManager.desktopId + QStringLiteral(".desktop")).toUtf8();
    const DesktopInfo info(g_desktop_app_info_new(file.constData()));
    if (!info)
        return false;
    const QByteArray uri = folder.toEncoded();
    GList *uris = g_list_append(nullptr, const_cast<char *>(uri.constData()));
    const gboolean launched
        = g_app_info_launch_uris(G_APP_INFO(info.get()), uris, nullptr, nullptr);
    g_list_free(uris);
    return launched;
}
