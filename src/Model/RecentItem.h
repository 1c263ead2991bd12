// SPDX-FileCopyrightText: 2026 The Quillmoth developers
// SPDX-License-Identifier: GPL-3.0-or-later

#pragma once

#include <QDateTime>
#include <QHashFunctions>
#include <QString>
#include <QUrl>

#include <memory>

// One recently used file or folder, ready for display. Immutable: rebuilt, never edited.
class RecentItem
{
public:
    RecentItem(QUrl id, QUrl url, QString name, QString path, QDateTime date, bool isFolder);

    const QUrl &id() const { return d->id; }
    const QUrl &url() const { return d->url; }
    const QString &name() const { return d->name; }
    // The parent-folder breadcrumb shown under the name, not the file-system path.
    const QString &path() const { return d->path; }
    const QDateTime &date() const { return d->date; }
    bool isFolder() const { return d->isFolder; }
    // The name and the breadcrumb lower-cased once, as search matches them.
    const QString &foldedName() const { return d->foldedName; }
    const QString &foldedPath() const { return d->foldedPath; }

    // Short parent-folder trail for a location: "Home", "/" or one or two folder names.
    static QString breadcrumb(const QUrl &url);
    // The same for a local path, for callers that hold the path already.
    static QString breadcrumbForPath(const QString &filePath);

    friend bool operator==(const RecentItem &a, const RecentItem &b);
    friend bool operator!=(const RecentItem &a, const RecentItem &b) { return !(a == b); }

private:
    // The values, shared between copies: the list copies items on every keystroke, and one
    // reference count is cheaper than six.
    struct Data
    {
        QUrl id;
        QUrl url;
        QString name;
        QString path;
        QDateTime date;
        bool isFolder;
        QString foldedName;
        QString foldedPath;
    };
    std::shared_ptr<const Data> d;
};

size_t qHash(const RecentItem &item, size_t seed = 0);

// Path components of a standardised absolute path: "/" first, then each name.
QStringList standardizedComponents(const QString &path);
