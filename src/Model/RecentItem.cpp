// SPDX-FileCopyrightText: 2026 The Quillmoth developers
// SPDX-License-Identifier: GPL-3.0-or-later

#include "Model/RecentItem.h"

#include "Model/FileUrl.h"
#include "Model/HomeFolder.h"

#include <QVarLengthArray>

namespace {

// Text that lower-cases to itself (most names) shares its characters instead of a copy.
QString folded(const QString &text)
{
    QString lower = text.toLower();
    return lower == text ? text : lower;
}

} // namespace

RecentItem::RecentItem(QUrl id, QUrl url, QString name, QString path, QDateTime date, bool isFolder)
    : d(std::make_shared<const Data>(Data { std::move(id), std::move(url), name, path,
        std::move(date), isFolder, folded(name), folded(path) }))
{
}

bool operator==(const RecentItem &a, const RecentItem &b)
{
    if (a.d == b.d)
        return true;
    return a.d->id == b.d->id && a.d->url == b.d->url && a.d->name == b.d->name
        && a.d->path == b.d->path && a.d->date == b.d->date && a.d->isFolder == b.d->isFolder;
}

size_t qHash(const RecentItem &item, size_t seed)
{
    return qHashMulti(seed, item.id(), item.url(), item.name(), item.path(),
        item.date().toMSecsSinceEpoch(), item.isFolder());
}

namespace {

using Components = QVarLengthArray<QStringView, 24>;

// Views into `clean` (which must outlive them): "/" first for an absolute path, then each name.
Components components(const QString &clean)
{
    Components parts;
    if (clean.startsWith(QLatin1Char('/')))
        parts.append(QStringView(clean).first(1));
    for (QStringView name : QStringView(clean).tokenize(QLatin1Char('/'), Qt::SkipEmptyParts))
        parts.append(name);
    return parts;
}

QString joinLastTwo(const QStringView *begin, const QStringView *end)
{
    static const QString separator = QStringLiteral(" \u203A ");
    if (end - begin == 1)
        return begin->toString();
    return end[-2].toString() + separator + end[-1].toString();
}

} // namespace

QStringList standardizedComponents(const QString &path)
{
    const QString clean = standardizedPath(path);
    QStringList parts;
    for (QStringView part : components(clean))
        parts << part.toString();
    return parts;
}

QString RecentItem::breadcrumb(const QUrl &url)
{
    return breadcrumbForPath(url.toLocalFile());
}

QString RecentItem::breadcrumbForPath(const QString &location)
{
    // The parent: the standardised location without its last component.
    const QString filePath = standardizedPath(location);
    const qsizetype slash = filePath.lastIndexOf(QLatin1Char('/'));
    const QString parentPath = slash <= 0 ? QStringLiteral("/") : filePath.left(slash);
    const QString homePath = standardizedPath(HomeFolder::path());
    const Components parent = components(parentPath);
    const Components home = components(homePath);

    bool insideHome = !home.isEmpty() && parent.size() >= home.size();
    for (qsizetype i = 0; insideHome && i < home.size(); ++i)
        insideHome = parent.at(i) == home.at(i);

    if (insideHome) {
        const QStringView *begin = parent.cbegin() + home.size();
        const QStringView *end = parent.cend();
        if (begin == end)
            return QStringLiteral("Home");
        return joinLastTwo(begin, end);
    }

    Components rest;
    for (QStringView part : parent)
        if (part != QLatin1String("/"))
            rest.append(part);
    if (rest.isEmpty())
        return QStringLiteral("/");
    return joinLastTwo(rest.cbegin(), rest.cend());
}
