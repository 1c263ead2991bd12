// SPDX-FileCopyrightText: 2026 The Quillmoth developers
// SPDX-License-Identifier: GPL-3.0-or-later

#include "Views/ItemIcon.h"

#include "Model/RecentItem.h"

#include <QCache>
#include <QGuiApplication>
#include <QIcon>
#include <QMimeDatabase>
#include <QPixmap>

#include <algorithm>

// Outside any namespace, as the resource macro requires.
static void registerIconResources()
{
    Q_INIT_RESOURCE(resources);
}

namespace {

constexpr int iconSize = 32;
// The cache's budget in KiB: thousands of icons at any scale, never the memory of a store
// that lists a hundred thousand paths (or paths of a million characters).
constexpr int cacheBudgetKiB = 32 * 1024;

QCache<QString, QPixmap> &iconCache()
{
    static QCache<QString, QPixmap> cache(cacheBudgetKiB);
    return cache;
}

// What an entry holds, in KiB: its pixels and its key.
int costKiB(const QString &key, const QPixmap &pixmap)
{
    const qint64 bytes = qint64(pixmap.width()) * pixmap.height() * pixmap.depth() / 8
        + key.size() * qint64(sizeof(QChar));
    return int(std::min<qint64>(bytes / 1024 + 1, cacheBudgetKiB));
}

QIcon themedIcon(const QStringList &names, const QString &fallback)
{
    // Outside a full desktop the theme may be bare hicolor, which has no file-type icons, or
    // none at all, and Qt consults no fallback for a theme without a name.
    static const bool once = [] {
        registerIconResources();
        if (QIcon::fallbackThemeName().isEmpty()
            || QIcon::fallbackThemeName() == QLatin1String("hicolor"))
            QIcon::setFallbackThemeName(QStringLiteral("Adwaita"));
        if (QIcon::themeName().isEmpty())
            QIcon::setThemeName(QStringLiteral("hicolor"));
        return true;
    }();
    Q_UNUSED(once);
    for (const QString &name : names) {
        if (QIcon::hasThemeIcon(name))
            return QIcon::fromTheme(name);
    }
    return QIcon::fromTheme(fallback, QIcon(QStringLiteral(":/icons/file.svg")));
}

QPixmap render(const QIcon &icon)
{
    const qreal ratio = qApp ? qApp->devicePixelRatio() : 1.0;
    QPixmap pixmap = icon.pixmap(QSize(iconSize, iconSize), ratio);
    if (pixmap.isNull()) {
        pixmap = QPixmap(QSize(iconSize, iconSize) * ratio);
        pixmap.setDevicePixelRatio(ratio);
        pixmap.fill(Qt::transparent);
    }
    return pixmap;
}

} // namespace

QPixmap ItemIcon::icon(const RecentItem &item)
{
    // Icons drawn from another theme are stale once the desktop changes it.
    static QString cachedTheme;
    if (QIcon::themeName() != cachedTheme) {
        iconCache().clear();
        cachedTheme = QIcon::themeName();
    }
    const QString key = item.url().toLocalFile();
    if (QPixmap *cached = iconCache().object(key))
        return *cached;

    static const QMimeDatabase database;
    const QMimeType type = database.mimeTypeForFile(key, QMimeDatabase::MatchExtension);
    const bool folder = item.isFolder() || type.name() == QLatin1String("inode/directory");
    QStringList names { type.iconName(), type.genericIconName() };
    if (folder)
        names.prepend(QStringLiteral("folder"));
    const QIcon icon
        = themedIcon(names, folder ? QStringLiteral("folder") : QStringLiteral("text-x-generic"));
    const QPixmap pixmap = render(icon);
    iconCache().insert(key, new QPixmap(pixmap), costKiB(key, pixmap));
    return pixmap;
}
