// SPDX-FileCopyrightText: 2026 The Quillmoth developers
// SPDX-License-Identifier: GPL-3.0-or-later

#include "Platform/FileManagerIdentity.h"

#include <gio/gio.h>

namespace {

// GDesktopAppInfo's own header lives outside gio-2.0's include path; its "filename" property
// gives the same answer without it.
QString startupWmClass(GAppInfo *info)
{
    if (!g_object_class_find_property(G_OBJECT_GET_CLASS(info), "filename"))
        return {};
    gchar *filename = nullptr;
    g_object_get(info, "filename", &filename, nullptr);
    if (!filename)
        return {};
    QString result;
    GKeyFile *file = g_key_file_new();
    if (g_key_file_load_from_file(file, filename, G_KEY_FILE_NONE, nullptr)) {
        gchar *value = g_key_file_get_string(
            file, G_KEY_FILE_DESKTOP_GROUP, G_KEY_FILE_DESKTOP_KEY_STARTUP_WM_CLASS, nullptr);
        if (value)
            result = QString::fromUtf8(value).trimmed();
        g_free(value);
    }
    g_key_file_free(file);
    g_free(filename);
    return result;
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
    // Asked afresh each time: GLib keeps the desktop files cached and watches them, so a change
    // of the default file manager is seen without a restart.
    GAppInfo *info = g_app_info_get_default_for_type("inode/directory", FALSE);
    if (!info)
        return wellKnown();
    QStringList ids;
    if (const char *id = g_app_info_get_id(info)) {
        QString name = QString::fromUtf8(id);
        if (name.endsWith(QLatin1String(".desktop")))
            name.chop(8);
        if (!name.isEmpty())
            ids << name;
    }
    const QString wmClass = startupWmClass(info);
    if (!wmClass.isEmpty() && !ids.contains(wmClass))
        ids << wmClass;
    g_object_unref(info);
    return ids.isEmpty() ? wellKnown() : ids;
}

bool FileManagerIdentity::matches(const QStringList &windowIds, const QStringList &fileManagerIds)
{
    for (const QString &id : windowIds)
        if (fileManagerIds.contains(id, Qt::CaseSensitive))
            return true;
    return false;
}
