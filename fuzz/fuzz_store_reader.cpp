// SPDX-FileCopyrightText: 2026 The Quillmoth developers
// SPDX-License-Identifier: GPL-3.0-or-later

// Whole store files: the reader must never crash, and must accept, reject and read exactly as
// GBookmarkFile does.
#include "Platform/XbelReader.h"

#include <QDateTime>
#include <QHash>

#include <cstdio>
#include <cstdlib>

namespace {

bool sameStamp(std::optional<qint64> a, std::optional<qint64> b, qint64 now)
{
    if (!a || !b)
        return a == b;
    const bool aNow = qAbs(now - *a) < 120000, bNow = qAbs(now - *b) < 120000;
    return aNow || bNow ? aNow && bNow : *a == *b;
}

[[noreturn]] void disagree(const char *what)
{
    fprintf(stderr, "reader and GBookmarkFile disagree: %s\n", what);
    abort();
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    const QByteArray bytes(reinterpret_cast<const char *>(data), qsizetype(size));
    const XbelReader::Result ours = XbelReader::read(bytes);
    if (!ours.usedFastPath)
        return 0; // the reference read it itself
    const XbelReader::Result glib = XbelReader::readWithGLib(bytes);
    if (!glib.ok)
        disagree("fast reader accepted what GBookmarkFile rejects");
    if (ours.bookmarks.size() != glib.bookmarks.size())
        disagree("entry count");
    QHash<QString, qsizetype> index;
    for (qsizetype i = 0; i < glib.bookmarks.size(); ++i)
        index.insert(glib.bookmarks[i].href, i);
    const qint64 now = QDateTime::currentMSecsSinceEpoch();
    for (const StoreBookmark &b : ours.bookmarks) {
        const auto found = index.constFind(b.href);
        if (found == index.constEnd())
            disagree("href");
        const StoreBookmark &g = glib.bookmarks[*found];
        if (b.title != g.title)
            disagree("title");
        if (!sameStamp(b.added, g.added, now) || !sameStamp(b.modified, g.modified, now)
            || !sameStamp(b.visited, g.visited, now))
            disagree("dates");
        if (b.applications.size() != g.applications.size())
            disagree("application count");
        for (const auto &app : b.applications) {
            bool matched = false;
            for (const auto &other : g.applications)
                matched
                    = matched || (other.name == app.name && sameStamp(other.stamp, app.stamp, now));
            if (!matched)
                disagree("application");
        }
    }
    return 0;
}
