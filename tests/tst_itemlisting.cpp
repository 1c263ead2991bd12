// SPDX-FileCopyrightText: 2026 The Quillmoth developers
// SPDX-License-Identifier: GPL-3.0-or-later

// What a row says under its name (the breadcrumb), and which rows search, kind and folder
// filters leave.
#include "Model/FileUrl.h"
#include "Model/ItemListing.h"
#include "Model/Settings.h"
#include "TestSupport.h"

#include <QTest>

using namespace Qt::StringLiterals;

class ItemListingTest : public QObject
{
    Q_OBJECT
private Q_SLOTS:
    // The home is read on every call, with or without a trailing slash. Other spellings of a
    // location are made one by fileUrl before any breadcrumb (the folder filter's test).
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
            { "the home itself", "/home/ann", "/home/ann", "home" },
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
        const auto settings = Settings::open();
        FolderFilter filter(*settings);
        const Calendar calendar(QTimeZone("UTC"), QLocale(QLocale::English));
        const QDateTime now(QDate(2026, 12, 6), QTime(12, 0), QTimeZone("UTC"));
        const QList<RecentItem> items = {
            recentItem("/home/ann/Documents/Taxes/receipt.pdf", now.addSecs(-60)),
            recentItem("/home/ann/Documents/Taxes", now.addSecs(-120), true),
            recentItem("/home/ann/Music/café.mp3", now.addSecs(-180)),
            recentItem("/home/ann/Secret/plan.txt", now.addDays(-1)),
            recentItem("/home/ann/notes\nsecond line.txt", now.addDays(-2)),
        };
        auto shown = [&](const QString &search, ItemFilter kind = ItemFilter::all) {
            return itemNames(ItemListing::groups(items, filter, search, kind, now, calendar));
        };

        // No folders chosen: every mode shows everything.
        for (FolderFilterMode mode : FolderFilterModes::allCases) {
            filter.setMode(mode);
            QCOMPARE(shown(QString()).size(), 5);
        }
        QCOMPARE(shown(u"   \t "_s).size(), 5);
        QCOMPARE(shown(u"  RECEIPT\t"_s), QStringList { "receipt.pdf" });
        // The containing folder's name is part of the breadcrumb: both the folder's children and
        // the folder itself (whose breadcrumb is "Documents") match their own texts.
        QCOMPARE(shown(u"taxes"_s), (QStringList { "receipt.pdf", "Taxes" }));
        QCOMPARE(shown(u"taxes"_s, ItemFilter::folders), QStringList { "Taxes" });
        QCOMPARE(shown(u"taxes"_s, ItemFilter::files), QStringList { "receipt.pdf" });
        // No diacritic folding, inner spaces kept, no wildcards.
        QVERIFY(shown(u"cafe"_s).isEmpty());
        QCOMPARE(shown(u"CAFÉ"_s), QStringList { "café.mp3" });
        QVERIFY(shown(u"re ceipt"_s).isEmpty());
        QVERIFY(shown(u"rec*"_s).isEmpty());
        // Line breaks are not trimmed.
        QVERIFY(shown(u"notes\n"_s).size() == 1);
        QVERIFY(shown(u"plan\n"_s).isEmpty());

        filter.setFolders({ u"/home/ann/Secret"_s });
        filter.setMode(FolderFilterMode::exclude);
        QVERIFY(shown(u"plan"_s).isEmpty());
        filter.setMode(FolderFilterMode::include);
        QCOMPARE(shown(QString()), QStringList { "plan.txt" });
        // The counts in the other two modes are the sidebar's subtitle test; "all" ignores the
        // folders.
        filter.setMode(FolderFilterMode::all);
        QCOMPARE(ItemListing::filteredItems(items, filter).size(), 5);
    }
};

QTEST_GUILESS_MAIN(ItemListingTest)
#include "tst_itemlisting.moc"
