// SPDX-FileCopyrightText: 2026 The Quillmoth developers
// SPDX-License-Identifier: GPL-3.0-or-later

#pragma once

// Realistic recently-used stores for benchmarks: a private HOME with real files for the entries
// inside the seven-day window, and a store as GTK writes it.
#include <QDateTime>
#include <QDir>
#include <QFile>
#include <QRandomGenerator>
#include <QSaveFile>
#include <QString>
#include <QTemporaryDir>
#include <QUrl>

#include <memory>

struct StoreFixture
{
    std::unique_ptr<QTemporaryDir> dir;
    QString home;
    QString storePath;
    QByteArray document;
    int inWindow = 0;

    // `entries` bookmarks; `windowShare` of them used within the last seven days (real files),
    // the rest older (their files need not exist).
    static StoreFixture make(int entries, double windowShare = 0.25, bool setEnvironment = true)
    {
        StoreFixture f;
        f.dir = std::make_unique<QTemporaryDir>();
        f.home = f.dir->path();
        const QString data = f.home + QStringLiteral("/.local/share");
        QDir().mkpath(data);
        f.storePath = data + QStringLiteral("/recently-used.xbel");
        if (setEnvironment) {
            qputenv("HOME", QFile::encodeName(f.home));
            qputenv("XDG_DATA_HOME", QFile::encodeName(data));
            qputenv("XDG_CONFIG_HOME", QFile::encodeName(f.home + QStringLiteral("/.config")));
        }
        static const char *const folders[]
            = { "Documents", "Documents/Work/2026", "Downloads", "Pictures/Holiday",
                  "Projects/quill/src", "Music/Albums", "Desktop", "Documents/Taxes" };
        static const char *const extensions[]
            = { "pdf", "txt", "odt", "png", "jpg", "cpp", "md", "xlsx" };
        for (const char *folder : folders)
            QDir().mkpath(f.home + QLatin1Char('/') + QLatin1String(folder));
        QRandomGenerator random(42);
        const QDateTime now = QDateTime::currentDateTimeUtc();
        QByteArray &doc = f.document;
        doc.reserve(entries * 700);
        doc += "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n<xbel version=\"1.0\"\n"
               "      xmlns:bookmark=\"http://www.freedesktop.org/standards/desktop-bookmarks\"\n"
               "      xmlns:mime=\"http://www.freedesktop.org/standards/shared-mime-info\"\n>";
        for (int i = 0; i < entries; ++i) {
            const bool recent = random.generateDouble() < windowShare;
            const qint64 ageSeconds = recent ? qint64(random.bounded(7 * 86400 - 3600))
                                             : qint64(8 * 86400 + random.bounded(365 * 86400));
            const QDateTime when = now.addSecs(-ageSeconds);
            const QString path = f.home + QLatin1Char('/') + QLatin1String(folders[i % 8])
                + QStringLiteral("/file %1 report.").arg(i) + QLatin1String(extensions[i % 7]);
            if (recent) {
                QFile file(path);
                if (file.open(QIODevice::WriteOnly))
                    file.write("x");
                ++f.inWindow;
            }
            const QByteArray stamp
                = when.toString(QStringLiteral("yyyy-MM-ddTHH:mm:ss.zzz000Z")).toUtf8();
            const QByteArray added
                = when.addDays(-3).toString(QStringLiteral("yyyy-MM-ddTHH:mm:ss.zzz000Z")).toUtf8();
            doc += "\n  <bookmark href=\"" + QUrl::fromLocalFile(path).toEncoded() + "\" added=\""
                + added + "\" modified=\"" + stamp + "\" visited=\"" + stamp
                + "\">\n"
                  "    <info>\n      <metadata owner=\"http://freedesktop.org\">\n"
                  "        <mime:mime-type type=\"application/pdf\"/>\n"
                  "        <bookmark:applications>\n"
                  "          <bookmark:application name=\"org.gnome.TextEditor\" "
                  "exec=\"&apos;gnome-text-editor %u&apos;\" modified=\""
                + stamp + "\" count=\"" + QByteArray::number(1 + i % 5)
                + "\"/>\n"
                  "        </bookmark:applications>\n      </metadata>\n    </info>\n  </bookmark>";
        }
        doc += "\n</xbel>";
        QSaveFile file(f.storePath);
        if (file.open(QIODevice::WriteOnly)) {
            file.write(doc);
            file.commit();
        }
        return f;
    }
};
