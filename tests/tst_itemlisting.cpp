// SPDX-FileCopyrightText: 2026 The Quillmoth developers
// SPDX-License-Identifier: GPL-3.0-or-later

// What a row says under its name (the breadcrumb), and which rows search, kind and folder
// filters leave.
#include "Model/FileUrl.h"
#include "Model/ItemListing.h"
#include "Model/Settings.h"
#include "TestSupport.h"

#include <QTest>

namespace {

RecentItem item(const QString &path, const QString &name, bool folder, const QDateTime &date)
{
    const QUrl url = QUrl::fromLocalFile(path);
    return RecentItem(url, url, name, RecentItem::breadcrumb(url), date, folder);
}

QStringList names(const QList<DayGroup> &groups)
{
    QStringList out;
    for (const DayGroup &g : groups)
        for (const RecentItem &i : g.items)
            out << i.name();
    return out;
}

} // namespace

class ItemListingTest : public QObject
{
    Q_OBJECT
private Q_SLOTS:
    // The home is read on every call, with or without a trailing slash.
    void breadcrumbs_data()
    {
        QTest::addColumn<QString>("home");
        QTest::addColumn<QString>("location");
        QTest::addColumn<QString>("expected");
        const char *rows[][4] = {
            { "home", "/home/ann", "/home/ann/notes.txt", "Home" },
            { "documents", "/home/ann", "/home/ann/Documents/report.pdf", "Documents" },
            { "deep", "/home/ann", "/home/ann/Documents/Work/2024/report.pdf", "Work › 2024" },
            { "Library is ordinary", "/home/ann",
                "/home/ann/Library/CloudStorage/Provider-ann/plan.key",
                "CloudStorage › Provider-ann" },
            { "home-like prefix", "/home/ann", "/home/annabel/a.txt", "home › annabel" },
            { "volume", "/home/ann", "/media/ann/Disk/Photos/a.jpg", "Disk › Photos" },
            { "root", "/home/ann", "/a.txt", "/" },
            { "dot dot", "/home/ann", "/home/ann/Documents/../notes.txt", "Home" },
            { "above the root", "/home/ann", "/../home/ann/notes.txt", "Home" },
            { "slash runs", "/home/ann", "//home//ann/Documents/a.txt", "Documents" },
            { "the home itself", "/home/ann", "/home/ann", "home" },
            { "trailing slash folder", "/home/ann", "/home/ann/Documents/Work/", "Documents" },
            { "spaces and unicode", "/home/ann", "/home/ann/Mes documents/été 2024/a b.txt",
                "Mes documents › été 2024" },
            { "home with a slash", "/home/bo/", "/home/bo/Documents/a.txt", "Documents" },
            { "another home", "/home/someone", "/home/bo/Documents/a.txt", "bo › Documents" },
        };
        for (const auto &row : rows)
            QTest::newRow(row[0]) << QString::fromUtf8(row[1]) << QString::fromUtf8(row[2])
                                  << QString::fromUtf8(row[3]);
    }
    void breadcrumbs()
    {
        QFETCH(QString, home);
        QFETCH(QString, location);
        QFETCH(QString, expected);
        qputenv("HOME", home.toUtf8());
        QCOMPARE(RecentItem::breadcrumb(fileUrl(location)), expected);
    }

    void searchKindAndFolderFilter()
    {
        TempHome home;
        qputenv("HOME", "/home/ann");
        FolderFilter filter(Settings::open());
        const Calendar calendar(QTimeZone("UTC"), QLocale(QLocale::English));
        const QDateTime now(QDate(2026, 12, 6), QTime(12, 0), QTimeZone("UTC"));
        const QList<RecentItem> items = {
            item("/home/ann/Documents/Taxes/receipt.pdf", "receipt", false, now.addSecs(-60)),
            item("/home/ann/Documents/Taxes", "Taxes", true, now.addSecs(-120)),
            item("/home/ann/Music/café.mp3", "café", false, now.addSecs(-180)),
            item("/home/ann/Secret/plan.txt", "plan", false, now.addDays(-1)),
            item("/home/ann/notes\nsecond line.txt", "notes\nsecond line", false, now.addDays(-2)),
        };
        auto shown = [&](const QString &search, ItemFilter kind) {
            return names(ItemListing::groups(items, filter, search, kind, now, calendar));
        };

        // No folders chosen: every mode shows everything.
        for (FolderFilterMode mode : FolderFilterModes::allCases) {
            filter.setMode(mode);
            QCOMPARE(shown(QString(), ItemFilter::all).size(), 5);
        }
        QCOMPARE(shown(QStringLiteral("   \t "), ItemFilter::all).size(), 5);
        QCOMPARE(shown(QStringLiteral("  RECEIPT\t"), ItemFilter::all), QStringList { "receipt" });
        // The containing folder's name is part of the breadcrumb: both the folder's children and
        // the folder itself (whose breadcrumb is "Documents") match their own texts.
        QCOMPARE(
            shown(QStringLiteral("taxes"), ItemFilter::all), (QStringList { "receipt", "Taxes" }));
        QCOMPARE(shown(QStringLiteral("taxes"), ItemFilter::folders), QStringList { "Taxes" });
        QCOMPARE(shown(QStringLiteral("taxes"), ItemFilter::files), QStringList { "receipt" });
        // No diacritic folding, inner spaces kept, no wildcards.
        QVERIFY(shown(QStringLiteral("cafe"), ItemFilter::all).isEmpty());
        QCOMPARE(shown(QStringLiteral("CAFÉ"), ItemFilter::all), QStringList { "café" });
        QVERIFY(shown(QStringLiteral("re ceipt"), ItemFilter::all).isEmpty());
        QVERIFY(shown(QStringLiteral("rec*"), ItemFilter::all).isEmpty());
        // Line breaks are not trimmed.
        QVERIFY(shown(QStringLiteral("notes\n"), ItemFilter::all).size() == 1);
        QVERIFY(shown(QStringLiteral("plan\n"), ItemFilter::all).isEmpty());

        filter.setFolders({ QStringLiteral("/home/ann/Secret") });
        filter.setMode(FolderFilterMode::exclude);
        QCOMPARE(ItemListing::filteredItems(items, filter).size(), 4);
        QVERIFY(shown(QStringLiteral("plan"), ItemFilter::all).isEmpty());
        filter.setMode(FolderFilterMode::include);
        QCOMPARE(shown(QString(), ItemFilter::all), QStringList { "plan" });
        QCOMPARE(ItemListing::filteredItems(items, filter).size(), 1);
        filter.setMode(FolderFilterMode::all);
        QCOMPARE(ItemListing::filteredItems(items, filter).size(), 5);
        // Nothing left after filtering gives no sections.
        filter.setMode(FolderFilterMode::include);
        QVERIFY(ItemListing::groups(items, filter, QString(), ItemFilter::folders, now, calendar)
                    .isEmpty());
        QVERIFY(
            ItemListing::groups({}, filter, QString(), ItemFilter::all, now, calendar).isEmpty());
    }
};

QTEST_GUILESS_MAIN(ItemListingTest)
#include "tst_itemlisting.moc"
