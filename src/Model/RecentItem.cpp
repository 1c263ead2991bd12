#include "Model/RecentItem.h"

#include "Model/HomeFolder.h"

#include <QDir>

RecentItem::RecentItem(QUrl id, QUrl url, QString name, QString path, QDateTime date, bool isFolder)
    : m_id(std::move(id)), m_url(std::move(url)), m_name(std::move(name)), m_path(std::move(path)),
      m_date(std::move(date)), m_isFolder(isFolder)
{
}

bool operator==(const RecentItem &a, const RecentItem &b)
{
    return a.m_id == b.m_id && a.m_url == b.m_url && a.m_name == b.m_name && a.m_path == b.m_path
        && a.m_date == b.m_date && a.m_isFolder == b.m_isFolder;
}

size_t qHash(const RecentItem &item, size_t seed)
{
    return qHashMulti(seed, item.id(), item.url(), item.name(), item.path(),
                      item.date().toMSecsSinceEpoch(), item.isFolder());
}

QStringList standardizedComponents(const QString &path)
{
    // cleanPath resolves "." and ".." and drops duplicate and trailing separators.
    const QString clean = QDir::cleanPath(path);
    QStringList parts;
    if (clean.startsWith(QLatin1Char('/')))
        parts << QStringLiteral("/");
    const QStringList names = clean.split(QLatin1Char('/'), Qt::SkipEmptyParts);
    parts.reserve(parts.size() + names.size());
    parts << names;
    return parts;
}

static QString joinLastTwo(const QStringList &parts)
{
    static const QString separator = QStringLiteral(" \u203A ");
    if (parts.size() == 1)
        return parts.first();
    return parts.at(parts.size() - 2) + separator + parts.last();
}

QString RecentItem::breadcrumb(const QUrl &url)
{
    QString filePath = url.toLocalFile();
    // The parent: the location without its last component.
    while (filePath.size() > 1 && filePath.endsWith(QLatin1Char('/')))
        filePath.chop(1);
    const qsizetype slash = filePath.lastIndexOf(QLatin1Char('/'));
    const QString parentPath = slash <= 0 ? QStringLiteral("/") : filePath.left(slash);

    const QStringList parent = standardizedComponents(parentPath);
    const QStringList home = standardizedComponents(HomeFolder::path());

    bool insideHome = parent.size() >= home.size() && !home.isEmpty();
    for (qsizetype i = 0; insideHome && i < home.size(); ++i)
        insideHome = parent.at(i) == home.at(i);

    if (insideHome) {
        QStringList rest = parent.mid(home.size());
        if (rest.size() >= 2 && rest.at(0) == QLatin1String("Library")
            && rest.at(1) == QLatin1String("CloudStorage"))
            rest = rest.mid(2);
        if (rest.isEmpty())
            return QStringLiteral("Home");
        return joinLastTwo(rest);
    }

    QStringList rest;
    for (const QString &part : parent)
        if (part != QLatin1String("/"))
            rest << part;
    if (rest.isEmpty())
        return QStringLiteral("/");
    return joinLastTwo(rest);
}
