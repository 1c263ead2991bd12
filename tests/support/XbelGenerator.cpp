// SPDX-FileCopyrightText: 2026 The Quillmoth developers
// SPDX-License-Identifier: GPL-3.0-or-later

#include "XbelGenerator.h"

#include <QString>
#include <QStringList>

namespace {

bool plainOnly = false;

QString pick(QRandomGenerator &r, const QStringList &options)
{
    return options.at(int(r.bounded(options.size())));
}

QString timestamp(QRandomGenerator &r)
{
    const int year = 2020 + int(r.bounded(8));
    QString t = QStringLiteral("%1-%2-%3T%4:%5:%6")
                    .arg(year)
                    .arg(1 + r.bounded(12), 2, 10, QLatin1Char('0'))
                    .arg(1 + r.bounded(28), 2, 10, QLatin1Char('0'))
                    .arg(r.bounded(24), 2, 10, QLatin1Char('0'))
                    .arg(r.bounded(60), 2, 10, QLatin1Char('0'))
                    .arg(r.bounded(60), 2, 10, QLatin1Char('0'));
    switch (plainOnly ? 7 * r.bounded(2) : r.bounded(8)) {
    case 0:
        t += QStringLiteral("Z");
        break;
    case 1:
        t += QStringLiteral(".%1Z").arg(r.bounded(1000), 3, 10, QLatin1Char('0'));
        break;
    case 2:
        t += QStringLiteral("+02:00");
        break;
    case 3:
        t += QStringLiteral(".5-0330");
        break;
    case 4:
        t += QStringLiteral(".%1").arg(r.bounded(1000000), 6, 10, QLatin1Char('0'));
        break;
    default:
        t += QStringLiteral(".%1Z").arg(r.bounded(1000000), 6, 10, QLatin1Char('0'));
    }
    return t;
}

QString text(QRandomGenerator &r)
{
    if (plainOnly)
        return pick(r,
            { "report", "Q&amp;A notes", "&lt;draft&gt;", "caf\u00e9", "  spaced  ",
                "&quot;q&quot; &apos;x&apos;", "emoji \U0001F600", "" });
    return pick(r,
        { "report", "Q&amp;A notes", "&lt;draft&gt;", "caf\u00e9 \u2014 menu", "  spaced  ",
            "<![CDATA[raw & <text>]]>", "a<!-- note -->b", "&quot;quoted&quot; &apos;x&apos;",
            "\u05e9\u05dc\u05d5\u05dd", "&#x263A; smile", "tab\there", "emoji \U0001F600", "" });
}

QString href(QRandomGenerator &r, int i)
{
    return pick(r,
        { QStringLiteral("file:///home/u/Documents/file-%1.txt").arg(i),
            QStringLiteral("file:///home/u/My%20Files/%C3%A9t%C3%A9-%1.pdf").arg(i),
            QStringLiteral("file://localhost/tmp/x%1").arg(i),
            QStringLiteral("https://example.org/%1").arg(i),
            QStringLiteral("file:///home/u/a&amp;b-%1").arg(i),
            QStringLiteral("sftp://host/home/u/%1").arg(i),
            QStringLiteral("file:///home/u/%FF%FE-%1").arg(i),
            QStringLiteral("file:///home/u/quote&quot;%1").arg(i) });
}

QString attribute(QRandomGenerator &r, const QString &name, const QString &value)
{
    const QString quote
        = !plainOnly && r.bounded(5) == 0 ? QStringLiteral("'") : QStringLiteral("\"");
    const QString space = pick(r, { " ", " ", " ", "\n      ", "\t" });
    return space + name + QStringLiteral("=") + quote + value + quote;
}

} // namespace

QByteArray randomXbel(QRandomGenerator &r, int entries, bool plain)
{
    plainOnly = plain;
    const bool unusualNamespaces = !plain && r.bounded(6) == 0;
    QString doc;
    if (r.bounded(4) != 0)
        doc += QStringLiteral("<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n");
    if (!plain && r.bounded(8) == 0)
        doc += QStringLiteral("<!-- written by a test -->\n");
    doc += QStringLiteral("<xbel") + attribute(r, "version", "1.0");
    if (!unusualNamespaces) {
        doc += attribute(
            r, "xmlns:bookmark", "http://www.freedesktop.org/standards/desktop-bookmarks");
        doc += attribute(r, "xmlns:mime", "http://www.freedesktop.org/standards/shared-mime-info");
    }
    doc += QStringLiteral(">\n");
    if (r.bounded(4) == 0)
        doc += QStringLiteral("  <title>") + text(r) + QStringLiteral("</title>\n");
    for (int i = 0; i < entries; ++i) {
        const int index
            = !plain && r.bounded(20) == 0 && i > 0 ? i - 1 : i; // sometimes a duplicate
        doc += QStringLiteral("  <bookmark") + attribute(r, "href", href(r, index));
        QStringList attrs = { "added", "modified", "visited" };
        for (const QString &a : attrs)
            if (r.bounded(5) != 0)
                doc += attribute(r, a, timestamp(r));
        doc += QStringLiteral(">\n");
        if (r.bounded(2) == 0)
            doc += QStringLiteral("    <title>") + text(r) + QStringLiteral("</title>\n");
        if (r.bounded(6) == 0)
            doc += QStringLiteral("    <desc>") + text(r) + QStringLiteral("</desc>\n");
        if (r.bounded(8) != 0) {
            doc += QStringLiteral("    <info>\n      <metadata");
            if (unusualNamespaces) {
                doc += attribute(
                    r, "xmlns:bookmark", "http://www.freedesktop.org/standards/desktop-bookmarks");
                doc += attribute(
                    r, "xmlns:mime", "http://www.freedesktop.org/standards/shared-mime-info");
            }
            doc += attribute(r, "owner", "http://freedesktop.org") + QStringLiteral(">\n");
            if (r.bounded(3) != 0)
                doc += QStringLiteral("        <mime:mime-type type=\"text/plain\"/>\n");
            if (r.bounded(4) == 0)
                doc += QStringLiteral("        <bookmark:groups><bookmark:group>") + text(r)
                    + QStringLiteral("</bookmark:group></bookmark:groups>\n");
            if (r.bounded(10) == 0)
                doc += QStringLiteral("        <bookmark:private/>\n");
            if (r.bounded(6) != 0) {
                doc += QStringLiteral("        <bookmark:applications>\n");
                const int apps = 1 + int(r.bounded(3));
                for (int a = 0; a < apps; ++a) {
                    doc += QStringLiteral("          <bookmark:application")
                        + attribute(r, "name", pick(r, { "gedit", "evince", "Firefox", "gedit" }))
                        + attribute(r, "exec", "&apos;app %u&apos;");
                    switch (r.bounded(4)) {
                    case 0:
                        doc += attribute(
                            r, "timestamp", QString::number(1600000000 + r.bounded(100000000)));
                        break;
                    case 1:
                        break; // no date at all: the reader uses "now"
                    default:
                        doc += attribute(r, "modified", timestamp(r));
                    }
                    if (r.bounded(2) == 0)
                        doc += attribute(r, "count", QString::number(r.bounded(9)));
                    doc += QStringLiteral("/>\n");
                }
                doc += QStringLiteral("        </bookmark:applications>\n");
            }
            doc += QStringLiteral("      </metadata>\n    </info>\n");
        }
        doc += QStringLiteral("  </bookmark>\n");
    }
    doc += QStringLiteral("</xbel>\n");
    return doc.toUtf8();
}

QByteArray mutated(QRandomGenerator &r, QByteArray document)
{
    if (document.isEmpty())
        return document;
    const qsizetype at = qsizetype(r.bounded(quint32(document.size())));
    switch (r.bounded(4)) {
    case 0:
        document[at] = char(r.bounded(256));
        break;
    case 1:
        document.truncate(at);
        break;
    case 2:
        document.remove(at, 1 + qsizetype(r.bounded(8)));
        break;
    default:
        document.insert(
            at, pick(r, { "<", ">", "&", "\"", "<x>", "</bookmark>", "\xc3" }).toUtf8());
    }
    return document;
}
