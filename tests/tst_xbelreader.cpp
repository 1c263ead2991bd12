// SPDX-FileCopyrightText: 2026 The Quillmoth developers
// SPDX-License-Identifier: GPL-3.0-or-later

#include "Platform/FileUri.h"
#include "Platform/Utf8Check.h"
#include "Platform/XbelBookmarkCache.h"
#include "Platform/XbelReader.h"
#include "TestSupport.h"
#include "XbelGenerator.h"

#include <QDir>
#include <QRandomGenerator>
#include <QTest>

#include <glib.h>

using namespace Qt::StringLiterals;

namespace {

// A reader's result as sorted text, for comparing ours with GLib's. The stamps the readers make
// up for applications without a date ("now") differ by the moment each ran: they read "now".
QString dump(const XbelReader::Result &result)
{
    if (!result.ok)
        return u"not a store"_s;
    const qint64 now = QDateTime::currentMSecsSinceEpoch();
    const auto stamp = [&](std::optional<qint64> t) {
        return !t ? u"-"_s : qAbs(now - *t) < 120000 ? u"now"_s : QString::number(*t);
    };
    QStringList lines;
    for (const StoreBookmark &b : result.bookmarks) {
        QStringList apps;
        for (const auto &app : b.applications)
            apps << app.name + QLatin1Char(' ') + stamp(app.stamp);
        apps.sort();
        lines << QStringList { b.href, b.title.value_or(u"<none>"_s), stamp(b.added),
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
    void glibCorpus()
    {
        const QDir corpus(QStringLiteral(QUILLMOTH_CORPUS_DIR));
        if (!corpus.exists())
            QSKIP("GLib's bookmark test files are not on this machine");
        const QStringList files = corpus.entryList({ u"*.xbel"_s }, QDir::Files);
        QVERIFY(files.size() >= 45);
        for (const QString &name : files) {
            const QByteArray data = readFile(corpus.filePath(name));
            const XbelReader::Result ours = XbelReader::read(data);
            QVERIFY2(ours.ok == name.startsWith(QLatin1String("valid")), qPrintable(name));
            QVERIFY2(!ours.ok || ours.bookmarks.size() == 1, qPrintable(name));
            QVERIFY2(agree(data), qPrintable(name));
        }
    }

    void fastPathTakesTheUsualShape()
    {
        // What GTK writes goes through the fast reader, and reads as GLib reads it.
        XbelEntry entry;
        entry.href = u"file:///home/u/Q%26A%20notes.txt"_s;
        entry.added = entry.modified = QDateTime(QDate(2026, 12, 1), QTime(10, 0), Qt::UTC);
        entry.visited = QDateTime(QDate(2026, 12, 2), QTime(8, 30), Qt::UTC);
        entry.title = u"Q&A <notes>"_s;
        const QDateTime used(QDate(2026, 12, 3), QTime(9, 15, 1, 999), Qt::UTC);
        entry.applications = { { u"gedit"_s, used } };
        const QByteArray doc = xbelDocument({ entry });
        const XbelReader::Result ours = XbelReader::read(doc);
        QVERIFY(ours.ok && ours.usedFastPath);
        QVERIFY(agree(doc));
        // Agreeing with GLib covers the title and the dates; the last use is the latest of them.
        QCOMPARE(ours.bookmarks.first().lastUsed(), used.toMSecsSinceEpoch());
        // An empty store (a good one, the history cleared) and nothing at all or half a document
        // (no store) are the live store's test, which tells them apart through this reader.
    }

    // Shapes the generated stores below do not make.
    void oddButValidStores_data()
    {
        QTest::addColumn<QByteArray>("document");
        const QByteArray head
            = "<xbel version=\"1.0\" "
              "xmlns:bookmark=\"http://www.freedesktop.org/standards/desktop-bookmarks\">";
        const QList<QPair<const char *, QByteArray>> rows {
            { "default namespace",
                "<xbel version=\"1.0\"><bookmark href=\"file:///a\"><info><metadata "
                "owner=\"http://freedesktop.org\" "
                "xmlns=\"http://www.freedesktop.org/standards/desktop-bookmarks\"><applications>"
                "<application name=\"a\" exec=\"a\" timestamp=\"1700000000\"/></applications>"
                "</metadata></info></bookmark></xbel>" },
            { "foreign metadata owner",
                head
                    + "<bookmark href=\"file:///a\"><info><metadata owner=\"http://other\">"
                      "</metadata></info></bookmark></xbel>" },
            { "unknown attribute on application",
                head
                    + "<bookmark href=\"file:///a\"><info><metadata "
                      "owner=\"http://freedesktop.org\">"
                      "<bookmark:applications><bookmark:application name=\"a\" exec=\"a\" "
                      "extra=\"1\"/></bookmark:applications></metadata></info></bookmark></xbel>" },
            { "wrong version", "<xbel version=\"2.0\"></xbel>" },
            { "bom", "\xef\xbb\xbf" + head + "</xbel>" },
            { "spaces around equals", head + "<bookmark href = \"file:///a\"/></xbel>" },
            // Found by fuzzing: a short href with an entity lost its text.
            { "short href with entity",
                head + "<bookmark href=\"file://o&apos;\"/><bookmark href=\"a&amp;\"/></xbel>" },
            { "invalid date",
                head + "<bookmark href=\"file:///a\" visited=\"yesterday\"/></xbel>" },
            { "february 30",
                head + "<bookmark href=\"file:///a\" visited=\"2026-02-30T10:00:00Z\"/></xbel>" },
            { "latin-1 bytes", head + "<bookmark href=\"file:///caf\xe9\"/></xbel>" },
            { "control character",
                head + "<bookmark href=\"file:///a\"><title>a\x01</title></bookmark></xbel>" },
            { "unknown element", head + "<bookmark href=\"file:///a\"><tag/></bookmark></xbel>" },
            { "text after root", head + "</xbel>trailing" },
            { "newline in attribute", head + "<bookmark href=\"file:///a\nb\"/></xbel>" },
        };
        for (const auto &[name, document] : rows)
            QTest::newRow(name) << document;
    }
    void oddButValidStores()
    {
        QFETCH(QByteArray, document);
        QVERIFY(agree(document));
    }

    void agreesOnGeneratedStores()
    {
        QRandomGenerator random(20261206);
        int fast = 0;
        for (int round = 0; round < 2000; ++round) {
            const QByteArray doc = randomXbel(random, 1 + int(random.bounded(6)), round % 2 == 0);
            fast += XbelReader::read(doc).usedFastPath;
            QVERIFY(agree(doc));
        }
        QVERIFY(fast > 500); // the generator must exercise the fast reader too
        // Near misses: a few small mutations each. Read after the document they came from,
        // a cached read must see every changed byte.
        XbelBookmarkCache cache;
        const qint64 now = QDateTime::currentMSecsSinceEpoch();
        for (int round = 0; round < 3000; ++round) {
            QByteArray doc = randomXbel(random, 2 + int(random.bounded(4)), true);
            XbelReader::readFast(doc, now, {}, &cache);
            for (int m = 0; m < 1 + int(random.bounded(3)); ++m)
                doc = mutated(random, doc);
            QVERIFY(agree(doc));
            QVERIFY(XbelReader::readFast(doc, now, {}, &cache) == XbelReader::readFast(doc, now));
        }
    }

    // A large store reordered, with entries changed, added and removed: bookmarks found again
    // by their bytes read as a fresh read reads them.
    void cachedReadOfAReorderedStore()
    {
        QRandomGenerator random(14);
        const QDateTime now = QDateTime::currentDateTimeUtc();
        QList<XbelEntry> entries;
        for (int i = 0; i < 1500; ++i)
            entries << usedAt(u"/home/u/f%1.txt"_s.arg(i), now.addSecs(-random.bounded(86400 * 9)));
        XbelBookmarkCache cache;
        const std::optional<qint64> minimum = now.addDays(-7).toMSecsSinceEpoch();
        for (int round = 0; round < 12; ++round) {
            std::shuffle(entries.begin(), entries.end(), random);
            entries[random.bounded(entries.size())].visited = now;
            entries.removeAt(random.bounded(entries.size()));
            entries << usedAt(u"/home/u/new%1.txt"_s.arg(round), now);
            const QByteArray doc = xbelDocument(entries);
            const auto cached = XbelReader::readFast(doc, now.toMSecsSinceEpoch(), minimum, &cache);
            QVERIFY(
                cached && cached == XbelReader::readFast(doc, now.toMSecsSinceEpoch(), minimum));
        }
        QCOMPARE(cache.size(), entries.size());
        // A new entry naming a location that an unchanged one names: both readers refuse it.
        entries << entries.first();
        const QByteArray doc = xbelDocument(entries);
        QVERIFY(!XbelReader::readFast(doc, now.toMSecsSinceEpoch(), minimum, &cache));
        QVERIFY(!XbelReader::readFast(doc, now.toMSecsSinceEpoch(), minimum));
    }

    // The byte checks read sixteen bytes at a time, some past the value when memory allows:
    // every length, every position of a refused byte, with and without room after the value.
    void byteChecksAtEveryLength()
    {
        const auto reference = [](const QByteArray &value, bool attribute) {
            for (const char c : value) {
                const auto u = static_cast<unsigned char>(c);
                const bool control = u < 0x20 && (attribute || (u != '\t' && u != '\n'));
                if (control || u == 0x7f || (attribute ? c == '<' : (c == '>' || c == '\r')))
                    return false;
            }
            return QString::fromUtf8(value).toUtf8() == value; // the text is UTF-8
        };
        for (int length = 0; length <= 40; ++length) {
            for (int at = -1; at < length; ++at) {
                for (const char refused : { '\x01', '\t', '<', '>', '\r', '\x7f', '\xff' }) {
                    QByteArray value(length, 'a');
                    if (at >= 0)
                        value[at] = refused;
                    // The value at the start of a buffer with and without room behind it.
                    for (const QByteArray &buffer : { value, value + QByteArray(20, '<') }) {
                        const char *b = buffer.constData();
                        const char *e = b + length;
                        const char *readable = b + buffer.size();
                        QCOMPARE(Utf8Check::isAllowedAttributeValue(b, e, readable),
                            reference(value, true));
                        QCOMPARE(Utf8Check::isAllowedText(b, e, readable), reference(value, false));
                    }
                }
            }
        }
    }

    // As GLib reads them: no authority (Java's "file:/x"), extra slashes kept for the caller to
    // standardise (bytes that are not UTF-8, shown readably but kept, are the store's case).
    void localPaths()
    {
        for (const auto &[uri, path] : QList<QPair<const char *, const char *>> {
                 { "file:///home/u/a%20b.txt", "/home/u/a b.txt" }, { "FILE:///x", "/x" },
                 { "file://localhost/x", "/x" }, { "file:///%C3%A9t%C3%A9", "/été" },
                 { "file:///line%0Abreak", "/line\nbreak" },
                 { "file:///already/été", "/already/été" }, { "file:/tmp/x", "/tmp/x" },
                 { "file:////t/a.txt", "//t/a.txt" } })
            QCOMPARE(localPathFromUri(QString::fromUtf8(uri)), QString::fromUtf8(path));
        for (const char *rejected :
            { "https://example.org/a", "trash:///a", "recent:///x", "sftp://h/x",
                "file://otherhost/x", "file:///a%2Fb", "file:///a%00b", "file:///a%zz",
                "file:///a%4", "file:///a#frag", "file:", "file://", "file:tmp/x", "/plain/path" })
            QVERIFY2(!localPathFromUri(QString::fromUtf8(rejected)), rejected);
        // Random URIs of the shapes stores hold, near misses included: read as GLib reads them.
        QRandomGenerator random(7);
        const QList<QByteArray> pieces { "a", "Z", "/", "%", "%2", "%20", "%2F", "%2f", "%00",
            "%C3%A9", "%e9", "%G1", "#", " ", "\xc3\xa9", "~", "file:", "?" };
        for (int round = 0; round < 4000; ++round) {
            QByteArray uri = round % 3 ? "file:///" : "file://";
            for (int i = int(random.bounded(8)); i >= 0; --i)
                uri += pieces[random.bounded(pieces.size())];
            const std::optional<LocalFile> ours = localFileFromUri(QString::fromUtf8(uri));
            gchar *host = nullptr;
            gchar *theirs = g_filename_from_uri(uri.constData(), &host, nullptr);
            const bool local = theirs && (!host || qstrcmp(host, "localhost") == 0);
            QVERIFY2(ours.has_value() == local, uri.constData());
            if (local)
                QCOMPARE(ours->nativePath.isEmpty() ? ours->path.toUtf8() : ours->nativePath,
                    QByteArray(theirs));
            g_free(theirs);
            g_free(host);
        }
        for (const auto &[path, name] :
            QList<QPair<const char *, const char *>> { { "/home/u/report.pdf", "report.pdf" },
                { "/home/u/folder/", "folder" }, { "/", "/" } })
            QCOMPARE(displayBasename(QString::fromUtf8(path)), QString::fromUtf8(name));
    }
};

QTEST_GUILESS_MAIN(XbelReaderTest)
#include "tst_xbelreader.moc"
