// SPDX-FileCopyrightText: 2026 The Quillmoth developers
// SPDX-License-Identifier: GPL-3.0-or-later

#include "Platform/XbelReader.h"

#include <glib.h>

namespace {

std::optional<qint64> toMSecs(GDateTime *time)
{
    if (!time)
        return std::nullopt;
    return g_date_time_to_unix(time) * 1000 + g_date_time_get_microsecond(time) / 1000;
}

// One entry of a loaded store.
StoreBookmark bookmarkAt(GBookmarkFile *file, const char *uri)
{
    StoreBookmark bookmark;
    bookmark.href = QString::fromUtf8(uri);
    if (gchar *title = g_bookmark_file_get_title(file, uri, nullptr)) {
        bookmark.title = QString::fromUtf8(title);
        g_free(title);
    }
    bookmark.added = toMSecs(g_bookmark_file_get_added_date_time(file, uri, nullptr));
    bookmark.modified = toMSecs(g_bookmark_file_get_modified_date_time(file, uri, nullptr));
    bookmark.visited = toMSecs(g_bookmark_file_get_visited_date_time(file, uri, nullptr));

    gsize appCount = 0;
    gchar **apps = g_bookmark_file_get_applications(file, uri, &appCount, nullptr);
    for (gsize a = 0; apps && a < appCount; ++a) {
        GDateTime *stamp = nullptr;
        if (g_bookmark_file_get_application_info(
                file, uri, apps[a], nullptr, nullptr, &stamp, nullptr)) {
            bookmark.applications.append(
                { QString::fromUtf8(apps[a]), toMSecs(stamp).value_or(0) });
        }
    }
    g_strfreev(apps);
    return bookmark;
}

} // namespace

XbelReader::Result XbelReader::readWithGLib(const QByteArray &data)
{
    Result result;
    GBookmarkFile *file = g_bookmark_file_new();
    GError *error = nullptr;
    if (!g_bookmark_file_load_from_data(file, data.constData(), gsize(data.size()), &error)) {
        result.error = QString::fromUtf8(error ? error->message : "unreadable store");
        g_clear_error(&error);
        g_bookmark_file_free(file);
        return result;
    }

    gsize count = 0;
    gchar **uris = g_bookmark_file_get_uris(file, &count);
    result.bookmarks.reserve(qsizetype(count));
    for (gsize i = 0; i < count; ++i)
        result.bookmarks.append(bookmarkAt(file, uris[i]));
    g_strfreev(uris);
    g_bookmark_file_free(file);
    result.ok = true;
    return result;
}
