// SPDX-FileCopyrightText: 2026 The Quillmoth developers
// SPDX-License-Identifier: GPL-3.0-or-later

#include "Platform/FileUri.h"
#include "Platform/XbelReader.h"
#include "TestSupport.h"
#include "XbelGenerator.h"

#include <QDir>
#include <QFile>
#include <QTest>

namespace {

// A reader's result as sorted text, for comparing ours with GLib's. The stamps the readers make
// up for applications without a date ("now") differ by the moment each ran: they read "now".
QString dump(const XbelReader::Result &result)
{
    if (!result.ok)
        return QStringLiteral("not a store");
    const qint64 now = QDateTime::currentMSecsSinceEpoch();
    const auto stamp = [&](std::optional<qint64> t) {
        return !t                     ? QStringLiteral("-")
            : qAbs(now - *t) < 120000 ? QStringLiteral("now")
                                      : QString::number(*t);
    };
    QStringList lines;
    for (const StoreBookmark &b : result.bookmarks) {
        QStringList apps;
        for (const auto &app : b.applications)
            apps << app.name + QLatin1Char(' ') + stamp(app.stamp);
        apps.sort();
        lines << QStringList { b.href, b.title.value_or(QStringLiteral("<none>")), stamp(b.added),
            stamp(b.modified), stamp(b.visited), apps.join(QLatin1Char(',')) }
                     .join(QLatin1Char('|'));
    }
    lines.sort();
    return lines.join(QLatin1Char('\n'));
}

bool agree(const QByteArray &document)
{
    const QString ours = dump(XbelReader::read(document));
    const QString glib = dump(XbelReader::readWithGLib(document));
    if (ours != glib)
        qWarning("ours:\n%s\nGLib:\n%s\ndocument:\n%s", qPrintable(ours), qPrintable(glib),
            document.constData());
    return ours == glib;
}

} // namespace

class XbelReaderTest : public QObject
{
    Q_OBJECT
private Q_SLOTS:
    void glibCorpus();
    void fastPathTakesTheUsualShape();
    void oddButValidStores_data();
    void oddButValidStores();
    void agreesOnGeneratedStores();
    void agreesOnNearMisses();
    void localPaths();
};

void XbelReaderTest::glibCorpus()
{
    const QDir corpus(QStringLiteral(QUILLMOTH_CORPUS_DIR));
    if (!corpus.exists())
        QSKIP("GLib's bookmark test files are not on this machine");
    const QStringList files = corpus.entryList({ QStringLiteral("*.xbel") }, QDir::Files);
    QVERIFY(files.size() >= 45);
    for (const QString &name : files) {
        QFile file(corpus.filePath(name));
        QVERIFY(file.open(QIODevice::ReadOnly));
        const QByteArray data = file.readAll();
        const XbelReader::Result ours = XbelReader::read(data);
        QVERIFY2(ours.ok == name.startsWith(QLatin1String("valid")), qPrintable(name));
        QVERIFY2(!ours.ok || ours.bookmarks.size() == 1, qPrintable(name));
        QVERIFY2(agree(data), qPrintable(name));
    }
}

void XbelReaderTest::fastPathTakesTheUsualShape()
{
    // What GTK writes goes through the fast reader, and reads as GLib reads it.
    XbelEntry entry;
    entry.href = QStringLiteral("file:///home/u/Q%26A%20notes.txt");
    entry.added = entry.modified = QDateTime(QDate(2026, 12, 1), QTime(10, 0), Qt::UTC);
    entry.visited = QDateTime(QDate(2026, 12, 2), QTime(8, 30), Qt::UTC);
    entry.title = QStringLiteral("Q&A <notes>");
    const QDateTime used(QDate(2026, 12, 3), QTime(9, 15, 1, 999), Qt::UTC);
    entry.applications = { { QStringLiteral("gedit"), used } };
    const QByteArray doc = xbelDocument({ entry });
    const XbelReader::Result ours = XbelReader::read(doc);
    QVERIFY(ours.ok && ours.usedFastPath);
    QVERIFY(agree(doc));
    const StoreBookmark &b = ours.bookmarks.first();
    QCOMPARE(b.title, QStringLiteral("Q&A <notes>"));
    QCOMPARE(b.lastUsed(), used.toMSecsSinceEpoch());
    QCOMPARE(localPathFromUri(b.href), QStringLiteral("/home/u/Q&A notes.txt"));

    // An empty store (the history was cleared) is a good store with no entries; nothing at
    // all, or half a document, is not.
    const XbelReader::Result empty = XbelReader::read(xbelDocument({}));
    QVERIFY(empty.ok && empty.bookmarks.isEmpty());
    QVERIFY(!XbelReader::read(QByteArray()).ok);
    QVERIFY(!XbelReader::read(doc.left(doc.size() / 2)).ok);
}

void XbelReaderTest::oddButValidStores_data()
{
    QTest::addColumn<QByteArray>("document");
    const QByteArray head
        = "<xbel version=\"1.0\" "
          "xmlns:bookmark=\"http://www.freedesktop.org/standards/desktop-bookmarks\" "
          "xmlns:mime=\"http://www.freedesktop.org/standards/shared-mime-info\">";
    const QByteArray info
        = "<info><metadata owner=\"http://freedesktop.org\"><bookmark:applications>"
          "<bookmark:application name=\"a\" exec=\"a\" modified=\"2026-12-01T10:00:00Z\"/>"
          "</bookmark:applications></metadata></info>";
    QTest::newRow("comment") << head + "<!-- c --><bookmark href=\"file:///a\">" + info
            + "</bookmark></xbel>";
    QTest::newRow("cdata title") << head
            + "<bookmark href=\"file:///a\"><title><![CDATA[x & <y>]]></title></bookmark></xbel>";
    QTest::newRow("char refs") << head
            + "<bookmark href=\"file:///&#97;\"><title>&#x263A;&#65;</title></bookmark></xbel>";
    QTest::newRow("single quotes")
        << head + "<bookmark href='file:///a' visited='2026-12-01T10:00:00Z'/></xbel>";
    QTest::newRow("fraction 3 digits")
        << head + "<bookmark href=\"file:///a\" visited=\"2026-12-01T10:00:00.5Z\"/></xbel>";
    QTest::newRow("time zone offset")
        << head + "<bookmark href=\"file:///a\" visited=\"2026-12-01T10:00:00+05:30\"/></xbel>";
    QTest::newRow("no zone") << head
            + "<bookmark href=\"file:///a\" modified=\"2026-12-01T10:00:00\"/></xbel>";
    QTest::newRow("namespaces on metadata") << QByteArray(
        "<xbel version=\"1.0\"><bookmark href=\"file:///a\"><info><metadata "
        "owner=\"http://freedesktop.org\" "
        "xmlns:bm=\"http://www.freedesktop.org/standards/desktop-bookmarks\"><bm:applications>"
        "<bm:application name=\"a\" exec=\"a\" "
        "modified=\"2026-12-01T10:00:00Z\"/></bm:applications>"
        "</metadata></info></bookmark></xbel>");
    QTest::newRow("default namespace") << QByteArray(
        "<xbel version=\"1.0\"><bookmark href=\"file:///a\"><info><metadata "
        "owner=\"http://freedesktop.org\" "
        "xmlns=\"http://www.freedesktop.org/standards/desktop-bookmarks\"><applications>"
        "<application name=\"a\" exec=\"a\" timestamp=\"1700000000\"/></applications>"
        "</metadata></info></bookmark></xbel>");
    QTest::newRow("no attributes but href")
        << head + "<bookmark href=\"file:///a\"></bookmark></xbel>";
    QTest::newRow("foreign metadata owner") << head
            + "<bookmark href=\"file:///a\"><info><metadata "
              "owner=\"http://other\"></metadata></info></bookmark></xbel>";
    QTest::newRow("wrong version") << QByteArray("<xbel version=\"2.0\"></xbel>");
    QTest::newRow("bom") << QByteArray("\xef\xbb\xbf") + head + "</xbel>";
    QTest::newRow("spaces around equals") << head + "<bookmark href = \"file:///a\"/></xbel>";
    QTest::newRow("duplicate entry")
        << head + "<bookmark href=\"file:///a\"/><bookmark href=\"file:///a\"/></xbel>";
    QTest::newRow("repeated application") << head
            + "<bookmark href=\"file:///a\"><info><metadata "
              "owner=\"http://freedesktop.org\"><bookmark:applications>"
              "<bookmark:application name=\"a\" exec=\"a\" modified=\"2026-12-05T10:00:00Z\"/>"
              "<bookmark:application name=\"a\" exec=\"a\" modified=\"2026-12-01T10:00:00Z\"/>"
              "</bookmark:applications></metadata></info></bookmark></xbel>";
    // Found by fuzzing: a short href with an entity lost its text.
    QTest::newRow("short href with entity")
        << head + "<bookmark href=\"file://o&apos;\"/><bookmark href=\"a&amp;\"/></xbel>";
    QTest::newRow("invalid date") << head
            + "<bookmark href=\"file:///a\" visited=\"yesterday\"/></xbel>";
    QTest::newRow("february 30") << head
            + "<bookmark href=\"file:///a\" visited=\"2026-02-30T10:00:00Z\"/></xbel>";
    QTest::newRow("latin-1 bytes") << head + "<bookmark href=\"file:///caf\xe9\"/></xbel>";
    QTest::newRow("control character")
        << head + "<bookmark href=\"file:///a\"><title>a\x01</title></bookmark></xbel>";
    QTest::newRow("unknown element in bookmark")
        << head + "<bookmark href=\"file:///a\"><tag/></bookmark></xbel>";
    QTest::newRow("unknown attribute on application") << head
            + "<bookmark href=\"file:///a\"><info><metadata "
              "owner=\"http://freedesktop.org\"><bookmark:applications>"
              "<bookmark:application name=\"a\" exec=\"a\" "
              "extra=\"1\"/></bookmark:applications></metadata></info></bookmark></xbel>";
    QTest::newRow("text after root") << head + "</xbel>trailing";
    QTest::newRow("newline in attribute") << head + "<bookmark href=\"file:///a\nb\"/></xbel>";
}

void XbelReaderTest::oddButValidStores()
{
    QFETCH(QByteArray, document);
    QVERIFY(agree(document));
}

void XbelReaderTest::agreesOnGeneratedStores()
{
    QRandomGenerator random(20261206);
    int fast = 0;
    for (int round = 0; round < 2000; ++round) {
        const QByteArray doc = randomXbel(random, 1 + int(random.bounded(6)), round % 2 == 0);
        fast += XbelReader::read(doc).usedFastPath;
        QVERIFY(agree(doc));
    }
    QVERIFY(fast > 500); // the generator must exercise the fast reader too
}

void XbelReaderTest::agreesOnNearMisses()
{
    QRandomGenerator random(777);
    for (int round = 0; round < 3000; ++round) {
        QByteArray doc = randomXbel(random, 2);
        for (int m = 0; m < 1 + int(random.bounded(3)); ++m)
            doc = mutated(random, doc);
        QVERIFY(agree(doc));
    }
}

void XbelReaderTest::localPaths()
{
    QCOMPARE(localPathFromUri(QStringLiteral("file:///home/u/a%20b.txt")),
        QStringLiteral("/home/u/a b.txt"));
    QCOMPARE(localPathFromUri(QStringLiteral("FILE:///x")), QStringLiteral("/x"));
    QCOMPARE(localPathFromUri(QStringLiteral("file://localhost/x")), QStringLiteral("/x"));
    QCOMPARE(localPathFromUri(QStringLiteral("file:///%C3%A9t%C3%A9")), QStringLiteral("/été"));
    QCOMPARE(
        localPathFromUri(QStringLiteral("file:///line%0Abreak")), QStringLiteral("/line\nbreak"));
    QCOMPARE(
        localPathFromUri(QStringLiteral("file:///already/été")), QStringLiteral("/already/été"));
    // As GLib reads them: no authority (Java's "file:/x"), extra slashes kept for the caller to
    // standardise, and bytes that are not UTF-8 shown readably but kept.
    QCOMPARE(localPathFromUri(QStringLiteral("file:/tmp/x")), QStringLiteral("/tmp/x"));
    QCOMPARE(localPathFromUri(QStringLiteral("file:////t/a.txt")), QStringLiteral("//t/a.txt"));
    const std::optional<LocalFile> latin1 = localFileFromUri(QStringLiteral("file:///t/caf%E9"));
    QCOMPARE(latin1->path, QStringLiteral("/t/caf\uFFFD"));
    QCOMPARE(latin1->nativePath, QByteArray("/t/caf\xe9"));
    QVERIFY(localFileFromUri(QStringLiteral("file:///t/caf%C3%A9"))->nativePath.isEmpty());
    for (const char *rejected : { "https://example.org/a", "trash:///a", "recent:///x",
             "sftp://h/x", "file://otherhost/x", "file:///a%2Fb", "file:///a%00b", "file:///a%zz",
             "file:///a%4", "file:///a#frag", "file:", "file://", "file:tmp/x", "/plain/path" })
        QVERIFY2(!localPathFromUri(QString::fromUtf8(rejected)), rejected);
    QCOMPARE(displayBasename(QStringLiteral("/home/u/report.pdf")), QStringLiteral("report.pdf"));
    QCOMPARE(displayBasename(QStringLiteral("/home/u/folder/")), QStringLiteral("folder"));
    QCOMPARE(displayBasename(QStringLiteral("/")), QStringLiteral("/"));
}

QTEST_GUILESS_MAIN(XbelReaderTest)
#include "tst_xbelreader.moc"
