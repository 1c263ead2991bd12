// SPDX-FileCopyrightText: 2026 The Quillmoth developers
// SPDX-License-Identifier: GPL-3.0-or-later

// Thumbnails from the shared cache: found under the name other programs give them, and trusted
// only when made for this very file as it is now.
#include "Platform/Thumbnail.h"
#include "TestSupport.h"

#include <QDir>
#include <QImage>
#include <QTest>

using namespace Qt::StringLiterals;

class ThumbnailTest : public QObject
{
    Q_OBJECT
private Q_SLOTS:
    void nameFollowsTheUri()
    {
        // The MD5 of "file:///home/ann/Pictures/caf%C3%A9%20%231.png", GLib's form of the URI.
        QCOMPARE(Thumbnail::fileFor(u"/home/ann/Pictures/café #1.png"_s, u"/c"_s, u"normal"_s),
            u"/c/normal/33d58dcfd9e0d7db10c8dc8649d5fea0.png"_s);
    }

    void onlyValidThumbnailsAreShown_data()
    {
        QTest::addColumn<QString>("size");
        QTest::addColumn<QByteArray>("uriOffset"); // appended to the real URI
        QTest::addColumn<qint64>("mtimeOffset");
        QTest::addColumn<QSize>("pixels");
        QTest::addColumn<bool>("isPng");
        QTest::addColumn<bool>("shown");
        QTest::newRow("normal") << u"normal"_s << QByteArray() << 0ll << QSize(128, 96) << true
                                << true;
        QTest::newRow("large only")
            << u"large"_s << QByteArray() << 0ll << QSize(256, 256) << true << true;
        QTest::newRow("stale") << u"normal"_s << QByteArray() << -60ll << QSize(128, 96) << true
                               << false;
        QTest::newRow("another file's")
            << u"normal"_s << QByteArray("x") << 0ll << QSize(128, 96) << true << false;
        QTest::newRow("huge") << u"normal"_s << QByteArray() << 0ll << QSize(4000, 10) << true
                              << false;
        QTest::newRow("not a PNG")
            << u"normal"_s << QByteArray() << 0ll << QSize(128, 96) << false << false;
        QTest::newRow("x-large is not read")
            << u"x-large"_s << QByteArray() << 0ll << QSize(512, 512) << true << false;
    }
    void onlyValidThumbnailsAreShown()
    {
        QFETCH(QString, size);
        QFETCH(QByteArray, uriOffset);
        QFETCH(qint64, mtimeOffset);
        QFETCH(QSize, pixels);
        QFETCH(bool, isPng);
        QFETCH(bool, shown);
        TempHome home;
        const QString photo = home.touch(u"Pictures/Ferien 2026/strand.jpg"_s);
        const qint64 mtime = QFileInfo(photo).lastModified().toSecsSinceEpoch();
        const QString cache = home.path() + u"/.cache/thumbnails"_s;
        const QString file = Thumbnail::fileFor(photo, cache, size);
        QVERIFY(QDir().mkpath(QFileInfo(file).path()));
        QImage image(pixels, QImage::Format_ARGB32);
        image.fill(Qt::red);
        image.setText(
            u"Thumb::URI"_s, QString::fromUtf8(QUrl::fromLocalFile(photo).toEncoded() + uriOffset));
        image.setText(u"Thumb::MTime"_s, QString::number(mtime + mtimeOffset));
        QVERIFY(image.save(file, isPng ? "PNG" : "JPG"));
        const QImage found = Thumbnail::cached(photo, mtime, cache);
        QCOMPARE(!found.isNull(), shown);
        if (shown)
            QCOMPARE(found.size(), pixels);
    }
};

QTEST_GUILESS_MAIN(ThumbnailTest)
#include "tst_thumbnail.moc"
