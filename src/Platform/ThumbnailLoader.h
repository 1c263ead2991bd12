// SPDX-FileCopyrightText: 2026 The Quillmoth developers
// SPDX-License-Identifier: GPL-3.0-or-later

#pragma once

#include <QHash>
#include <QImage>
#include <QObject>

#include <memory>

// Finds the shared cache's thumbnails (Thumbnail) for the rows on screen, away from the main
// thread: the look-up needs the file's modification time, and a file on a mount that does not
// answer must never hold up a paint or the program's exit. One detached worker takes the paths
// in turn; results come back on the main thread. A result older than a minute is asked for
// again (the file or its thumbnail may have changed), and stands until the new one comes.
class ThumbnailLoader : public QObject
{
    Q_OBJECT
public:
    explicit ThumbnailLoader(QObject *parent = nullptr);
    ~ThumbnailLoader() override;

    // The thumbnail known for `path`: a null image while it is first looked up, and when there
    // is none. The first call asks for it.
    QImage thumbnail(const QString &path);

Q_SIGNALS:
    // A thumbnail came, changed or went; rows that show its file paint again.
    void changed();

private:
    struct Shared;
    void take(const QString &path, const QImage &image);

    struct Known
    {
        QImage image; // null: none, or not known yet
        qint64 askedAtMs;
    };
    std::shared_ptr<Shared> m_shared;
    QHash<QString, Known> m_known;
};
