// SPDX-FileCopyrightText: 2026 The Quillmoth developers
// SPDX-License-Identifier: GPL-3.0-or-later

#include "Platform/FileUri.h"
#include "Platform/XbelReader.h"
#include "XbelGenerator.h"

#include <QDir>
#include <QFile>
#include <QTest>

namespace {

// Stamps the readers make up for applications without a date ("now") differ by the moment
// each reader ran; everything else must be equal.
bool sameStamp(std::optional<qint64> oa, std::optional<qint64> ob)
{
    if (!oa || !ob)
        return oa == ob;
    const qint64 a = *oa, b = *ob;
    const qint64 now = QDateTime::currentMSecsSinceEpoch();
    const bool aNow = qAbs(now - a) < 120000, bNow = qAbs(now - b) < 120000;
    return aNow || bNow ? aNow && bNow : a == b;
}

QString describe(const StoreBookmark &b)
{
    QString out = b.href + QStringLiteral(" title=") + b.title.value_or(QStringLiteral("<none>"));
    out += QStringLiteral(" a=%1 m=%2 v=%3")
               .arg(b.added.value_or(-1))
               .arg(b.modified.value_or(-1))
               .arg(b.visited.value_or(-1));
    for (const auto &app : b.applications)
        out += QStringLiteral(" [%1 %2]").arg(app.name).arg(app.stamp);
    return out;
}

// Same entries (in any order), same titles, dates and applications.
QString disagreement(const XbelReader::Result &ours, const XbelReader::Result &glib)
{
    if (ours.ok != glib.ok)
        return QStringLiteral("ours ok=%1, GLib ok=%2 (%3)")
            .arg(ours.ok)
            .arg(glib.ok)
            .arg(glib.error);
    if (!ours.ok)
        return {};
    if (ours.bookmarks.size() != glib.bookmarks.size())
        return QStringLiteral("%1 entries against %2")
            .arg(ours.bookmarks.size())
            .arg(glib.bookmarks.size());
    QHash<QString, StoreBookmark> byHref;
    for (const StoreBookmark &b : glib.bookmarks)
        byHref.insert(b.href, b);
    for (const StoreBookmark &b : ours.bookmarks) {
        const auto found = byHref.constFind(b.href);
        if (found == byHref.constEnd())
            return QStringLiteral("GLib has no ") + b.href;
        const StoreBookmark &g = *found;
        bool same = b.title == g.title && sameStamp(b.added, g.added)
            && sameStamp(b.modified, g.modified) && sameStamp(b.visited, g.visited)
            && b.applications.size() == g.applications.size();
        for (const auto &app : b.applications) {
            bool matched = false;
            for (const auto &other : g.applications)
                matched = matched || (other.name == app.name && sameStamp(other.stamp, app.stamp));
            same = same && matched;
        }
        if (!same)
            return QStringLiteral("ours: ") + describe(b) + QStringLiteral("\nGLib: ")
                + describe(g);
    }
    return {};
}

QByteArray readAll(const QString &path)
{
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        qFatal("cannot read %s", qPrintable(path));
    return file.readAll();
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
    const QStringList files
        = corpus.entryList({ QStringLiteral("*.xbel") }, QDir::Files, QDir::Name);
    QVERIFY(files.size() >= 45);
    for (const QString &name : files) {
        const QByteArray data = readAll(corpus.filePath(name));
        const XbelReader::Result ours = XbelReader::read(data);
        const XbelReader::Result glib = XbelReader::readWithGLib(data);
        QVERIFY2(ours.ok == name.startsWith(QLatin1String("valid")), qPrintable(name));
        QVERIFY2(disagreement(ours, glib).isEmpty(),
            qPrintable(name + QLatin1Char(' ') + disagreement(ours, glib)));
        if (ours.ok)
            QCOMPARE(ours.bookmarks.size(), 1);
    }
}

void XbelReaderTest::fastPathTakesTheUsualShape()
{
    // What GTK writes goes through the fast reader, and reads as GLib reads it.
    const QByteArray doc
        = "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n"
          "<xbel version=\"1.0\"\n"
          "      xmlns:bookmark=\"http://www.freedesktop.org/standards/desktop-bookmarks\"\n"
          "      xmlns:mime=\"http://www.freedesktop.org/standards/shared-mime-info\"\n>\n"
          "  <bookmark href=\"file:///home/u/Q%26A%20notes.txt\" "
          "added=\"2026-12-01T10:00:00.123456Z\" "
          "modified=\"2026-12-01T10:00:00.123456Z\" visited=\"2026-12-02T08:30:00Z\">\n"
          "    <title>Q&amp;A &lt;notes&gt;</title>\n"
          "    <info>\n      <metadata owner=\"http://freedesktop.org\">\n"
          "        <mime:mime-type type=\"text/plain\"/>\n"
          "        <bookmark:applications>\n"
          "          <bookmark:application name=\"gedit\" exec=\"&apos;gedit %u&apos;\" "
          "modified=\"2026-12-03T09:15:01.999999Z\" count=\"2\"/>\n"
          "          <bookmark:application name=\"old\" exec=\"old %u\" timestamp=\"1764500000\" "
          "count=\"1\"/>\n"
          "        </bookmark:applications>\n"
          "      </metadata>\n    </info>\n  </bookmark>\n</xbel>";
    const XbelReader::Result ours = XbelReader::read(doc);
    QVERIFY(ours.ok);
    QVERIFY(ours.usedFastPath);
    QCOMPARE(disagreement(ours, XbelReader::readWithGLib(doc)), QString());
    const StoreBookmark &b = ours.bookmarks.first();
    QCOMPARE(b.title, QStringLiteral("Q&A <notes>"));
    QCOMPARE(b.lastUsed(),
        QDateTime(QDate(2026, 12, 3), QTime(9, 15, 1, 999), Qt::UTC).toMSecsSinceEpoch());
    QCOMPARE(localPathFromUri(b.href), QStringLiteral("/home/u/Q&A notes.txt"));

    // An empty store (the history was cleared) is a good store with no entries.
    const QByteArray cleared
        = "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n<xbel version=\"1.0\"\n"
          "      xmlns:bookmark=\"http://www.freedesktop.org/standards/desktop-bookmarks\"\n"
          "      xmlns:mime=\"http://www.freedesktop.org/standards/shared-mime-info\"\n></xbel>";
    const XbelReader::Result empty = XbelReader::read(cleared);
    QVERIFY(empty.ok);
    QVERIFY(empty.bookmarks.isEmpty());
    // Nothing at all, or half a document, is not.
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
    const XbelReader::Result ours = XbelReader::read(document);
    const XbelReader::Result glib = XbelReader::readWithGLib(document);
    QCOMPARE(disagreement(ours, glib), QString());
}

void XbelReaderTest::agreesOnGeneratedStores()
{
    QRandomGenerator random(20261206);
    int fast = 0;
    for (int round = 0; round < 2000; ++round) {
        const QByteArray doc = randomXbel(random, 1 + int(random.bounded(6)), round % 2 == 0);
        const XbelReader::Result ours = XbelReader::read(doc);
        fast += ours.usedFastPath;
        const QString why = disagreement(ours, XbelReader::readWithGLib(doc));
        QVERIFY2(why.isEmpty(), qPrintable(why + QStringLiteral("\n") + QString::fromUtf8(doc)));
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
        const QString why = disagreement(XbelReader::read(doc), XbelReader::readWithGLib(doc));
        QVERIFY2(why.isEmpty(), qPrintable(why + QStringLiteral("\n") + QString::fromUtf8(doc)));
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
