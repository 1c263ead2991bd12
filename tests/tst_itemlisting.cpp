// SPDX-FileCopyrightText: 2026 The Quillmoth developers
// SPDX-License-Identifier: GPL-3.0-or-later

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
    void searchKindAndFolderFilter();
};

void ItemListingTest::searchKindAndFolderFilter()
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

    QCOMPARE(shown(QString(), ItemFilter::all).size(), 5);
    QCOMPARE(shown(QStringLiteral("   \t "), ItemFilter::all).size(), 5);
    QCOMPARE(shown(QStringLiteral("  RECEIPT\t"), ItemFilter::all), QStringList { "receipt" });
    // The containing folder's name is part of the breadcrumb: both the folder's children and
    // the folder itself (whose breadcrumb is "Documents") match their own texts.
    QCOMPARE(shown(QStringLiteral("taxes"), ItemFilter::all), (QStringList { "receipt", "Taxes" }));
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
    // Nothing left after filtering gives no sections.
    QVERIFY(ItemListing::groups(items, filter, QString(), ItemFilter::folders, now, calendar)
                .isEmpty());
    QVERIFY(ItemListing::groups({}, filter, QString(), ItemFilter::all, now, calendar).isEmpty());
}

QTEST_GUILESS_MAIN(ItemListingTest)
#include "tst_itemlisting.moc"
