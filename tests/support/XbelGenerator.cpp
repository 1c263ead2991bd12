// SPDX-FileCopyrightText: 2026 The Quillmoth developers
// SPDX-License-Identifier: GPL-3.0-or-later

#include "XbelGenerator.h"

#include <QString>
#include <QStringList>

using namespace Qt::StringLiterals;

namespace {

const QString bookmarkNs = u"http://www.freedesktop.org/standards/desktop-bookmarks"_s;
const QString mimeNs = u"http://www.freedesktop.org/standards/shared-mime-info"_s;

struct Generator
{
    QRandomGenerator &r;
    bool plain;

    bool oneIn(int n) { return r.bounded(n) == 0; }
    QString pick(const QStringList &options) { return options.at(int(r.bounded(options.size()))); }
    QString number(int bound, int width)
    {
        return u"%1"_s.arg(r.bounded(bound), width, 10, QLatin1Char('0'));
    }

    QString timestamp()
    {
        const QString t = u"%1-%2-%3T%4:%5:%6"_s.arg(2020 + r.bounded(8))
                              .arg(number(12, 2).toInt() + 1, 2, 10, QLatin1Char('0'))
                              .arg(number(28, 2).toInt() + 1, 2, 10, QLatin1Char('0'))
                              .arg(number(24, 2), number(60, 2), number(60, 2));
        if (plain)
            return t + pick({ u"Z"_s, "." + number(1000000, 6) + "Z" });
        return t
            + pick({ u"Z"_s, "." + number(1000, 3) + "Z", "+02:00", ".5-0330",
                "." + number(1000000, 6), "." + number(1000000, 6) + "Z" });
    }

    QString text()
    {
        QStringList options = { "report", "Q&amp;A notes", "&lt;draft&gt;", "caf\u00e9",
            "  spaced  ", "&quot;q&quot; &apos;x&apos;", "emoji \U0001F600", "" };
        if (!plain)
            options << "<![CDATA[raw & <text>]]>"
                    << "a<!-- note -->b"
                    << "\u05e9\u05dc\u05d5\u05dd"
                    << "&#x263A; smile"
                    << "tab\there";
        return pick(options);
    }

    QString href(int i)
    {
        return pick(
            { "file:///home/u/Documents/file-%1.txt",
                "file:///home/u/My%20Files/%C3%A9t%C3%A9-%1.pdf", "file://localhost/tmp/x%1",
                "https://example.org/%1", "file:///home/u/a&amp;b-%1", "sftp://host/home/u/%1",
                "file:///home/u/%FF%FE-%1", "file:///home/u/quote&quot;%1" })
            .arg(i);
    }

    QString attribute(const QString &name, const QString &value)
    {
        const QString quote = !plain && oneIn(5) ? u"'"_s : u"\""_s;
        return pick({ " ", " ", " ", "\n      ", "\t" }) + name + "=" + quote + value + quote;
    }

    QString namespaces()
    {
        return attribute("xmlns:bookmark", bookmarkNs) + attribute("xmlns:mime", mimeNs);
    }

    QString application()
    {
        QString app = "<bookmark:application"
            + attribute("name", pick({ "gedit", "evince", "Firefox", "gedit" }))
            + attribute("exec", "&apos;app %u&apos;");
        if (const int dated = int(r.bounded(4)); dated == 0)
            app += attribute("timestamp", QString::number(1600000000 + r.bounded(100000000)));
        else if (dated > 1) // else no date at all: the reader uses "now"
            app += attribute("modified", timestamp());
        if (oneIn(2))
            app += attribute("count", QString::number(r.bounded(9)));
        return app + "/>";
    }

    QString metadata(bool unusualNamespaces)
    {
        QString m = "<info><metadata" + (unusualNamespaces ? namespaces() : QString())
            + attribute("owner", "http://freedesktop.org") + ">\n";
        if (!oneIn(3))
            m += "<mime:mime-type type=\"text/plain\"/>\n";
        if (oneIn(4))
            m += "<bookmark:groups><bookmark:group>" + text()
                + "</bookmark:group></bookmark:groups>\n";
        if (oneIn(10))
            m += "<bookmark:private/>\n";
        if (!oneIn(6)) {
            m += "<bookmark:applications>\n";
            for (int a = 0, apps = 1 + int(r.bounded(3)); a < apps; ++a)
                m += application() + "\n";
            m += "</bookmark:applications>\n";
        }
        return m + "</metadata></info>\n";
    }

    QString bookmark(int i, bool unusualNamespaces)
    {
        // Sometimes a duplicate of the entry before.
        QString b = "<bookmark" + attribute("href", href(!plain && i > 0 && oneIn(20) ? i - 1 : i));
        for (const char *date : { "added", "modified", "visited" })
            if (!oneIn(5))
                b += attribute(QLatin1String(date), timestamp());
        b += ">\n";
        if (oneIn(2))
            b += "<title>" + text() + "</title>\n";
        if (oneIn(6))
            b += "<desc>" + text() + "</desc>\n";
        if (!oneIn(8))
            b += metadata(unusualNamespaces);
        return b + "</bookmark>\n";
    }
};

} // namespace

QByteArray randomXbel(QRandomGenerator &r, int entries, bool plain)
{
    Generator g { r, plain };
    const bool unusualNamespaces = !plain && g.oneIn(6);
    QString doc;
    if (!g.oneIn(4))
        doc += u"<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n"_s;
    if (!plain && g.oneIn(8))
        doc += u"<!-- written by a test -->\n"_s;
    doc += "<xbel" + g.attribute("version", "1.0")
        + (unusualNamespaces ? QString() : g.namespaces()) + ">\n";
    if (g.oneIn(4))
        doc += "<title>" + g.text() + "</title>\n";
    for (int i = 0; i < entries; ++i)
        doc += g.bookmark(i, unusualNamespaces);
    return (doc + u"</xbel>\n"_s).toUtf8();
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
        document.insert(at,
            Generator { r, false }
                .pick({ "<", ">", "&", "\"", "<x>", "</bookmark>", "\xc3" })
                .toUtf8());
    }
    return document;
}
