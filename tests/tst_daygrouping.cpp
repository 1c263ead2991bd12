// SPDX-FileCopyrightText: 2026 The Quillmoth developers
// SPDX-License-Identifier: GPL-3.0-or-later

#include "Model/DayGroup.h"

#include <QTest>

namespace {

RecentItem itemAt(const QDateTime &date, const QString &name)
{
    const QUrl url = QUrl::fromLocalFile(QStringLiteral("/tmp/") + name);
    return RecentItem(url, url, name, QStringLiteral("tmp"), date, false);
}

QStringList labels(const QList<DayGroup> &groups)
{
    QStringList out;
    for (const DayGroup &g : groups)
        out << g.label;
    return out;
}

} // namespace

class DayGroupingTest : public QObject
{
    Q_OBJECT
private Q_SLOTS:
    void sectionsLabelsAndOrder();
    void midnightAndTimeZones();
    void daylightSavingDays();
    void weekdayNamesFollowLocale();
};

void DayGroupingTest::sectionsLabelsAndOrder()
{
    const QTimeZone zone("Europe/Berlin");
    const Calendar calendar(zone, QLocale(QLocale::English, QLocale::UnitedStates));
    // Wednesday 2026-12-02, 15:00 local.
    const QDateTime now(QDate(2026, 12, 2), QTime(15, 0), zone);
    const QDateTime sameTime = now.addSecs(-3600);
    const QList<RecentItem> items = {
        itemAt(now.addSecs(-7200), QStringLiteral("earlier-today")),
        itemAt(sameTime, QStringLiteral("tie-1")),
        itemAt(sameTime, QStringLiteral("tie-2")),
        itemAt(now.addSecs(3600), QStringLiteral("later-today")),
        itemAt(QDateTime(QDate(2026, 12, 1), QTime(23, 59, 59), zone), QStringLiteral("yesterday")),
        itemAt(QDateTime(QDate(2026, 11, 25), QTime(10, 0), zone), QStringLiteral("week-ago")),
        itemAt(QDateTime(QDate(2026, 12, 3), QTime(9, 0), zone), QStringLiteral("tomorrow")),
        itemAt(QDateTime(QDate(2026, 11, 28), QTime(8, 0), zone), QStringLiteral("saturday")),
    };
    QVERIFY(DayGrouping::group({}, now, calendar).isEmpty());
    const QList<DayGroup> groups = DayGrouping::group(items, now, calendar);
    QCOMPARE(labels(groups),
        (QStringList { "Thursday", "Today", "Yesterday", "Saturday", "Wednesday" }));
    // Exactly seven days back carries today's weekday name but is its own section.
    QVERIFY(groups.first().id != groups.last().id);
    const DayGroup &today = groups.at(1);
    QCOMPARE(today.id, QDateTime(QDate(2026, 12, 2), QTime(0, 0), zone));
    QStringList order;
    for (const RecentItem &item : today.items)
        order << item.name();
    QCOMPARE(order, (QStringList { "later-today", "tie-1", "tie-2", "earlier-today" }));
    qsizetype total = 0;
    for (const DayGroup &g : groups) {
        QVERIFY(!g.items.isEmpty());
        total += g.items.size();
    }
    QCOMPARE(total, items.size());
}

void DayGroupingTest::midnightAndTimeZones()
{
    const QTimeZone tokyo("Asia/Tokyo");
    const QTimeZone newYork("America/New_York");
    const QDateTime now(QDate(2026, 6, 10), QTime(12, 0), tokyo);
    const QDateTime midnight(QDate(2026, 6, 10), QTime(0, 0), tokyo);
    const QList<RecentItem> items = { itemAt(midnight, QStringLiteral("midnight")),
        itemAt(midnight.addMSecs(-1), QStringLiteral("before")) };

    const QList<DayGroup> inTokyo
        = DayGrouping::group(items, now, Calendar(tokyo, QLocale(QLocale::English)));
    QCOMPARE(labels(inTokyo), (QStringList { "Today", "Yesterday" }));
    QCOMPARE(inTokyo.first().items.first().name(), QStringLiteral("midnight"));
    QCOMPARE(inTokyo.first().id, midnight);

    // Seen from New York (13 hours behind) the same moments fall on one day, which is still
    // New York's today (it is 23:00 there).
    const QList<DayGroup> inNewYork
        = DayGrouping::group(items, now, Calendar(newYork, QLocale(QLocale::English)));
    QCOMPARE(labels(inNewYork), (QStringList { "Today" }));
    QCOMPARE(inNewYork.first().id, QDateTime(QDate(2026, 6, 9), QTime(0, 0), newYork));
    QCOMPARE(inNewYork.first().items.size(), 2);
}

void DayGroupingTest::daylightSavingDays()
{
    const QTimeZone berlin("Europe/Berlin");
    const Calendar calendar(berlin, QLocale(QLocale::English));
    // 2026-03-29 has 23 hours in Berlin; 2026-10-25 has 25.
    const QDateTime afterSpring(QDate(2026, 3, 30), QTime(0, 30), berlin);
    const QList<RecentItem> spring = { itemAt(QDateTime(QDate(2026, 3, 29), QTime(23, 30), berlin),
                                           QStringLiteral("short-day-late")),
        itemAt(
            QDateTime(QDate(2026, 3, 29), QTime(0, 30), berlin), QStringLiteral("short-day-early")),
        itemAt(QDateTime(QDate(2026, 3, 28), QTime(23, 30), berlin), QStringLiteral("saturday")) };
    const QList<DayGroup> groups = DayGrouping::group(spring, afterSpring, calendar);
    QCOMPARE(labels(groups), (QStringList { "Yesterday", "Saturday" }));
    QCOMPARE(groups.first().items.size(), 2);

    const QDateTime afterAutumn(QDate(2026, 10, 26), QTime(0, 10), berlin);
    const QList<DayGroup> autumn
        = DayGrouping::group({ itemAt(QDateTime(QDate(2026, 10, 25), QTime(23, 50), berlin),
                                 QStringLiteral("long-day")) },
            afterAutumn, calendar);
    QCOMPARE(labels(autumn), (QStringList { "Yesterday" }));
}

void DayGroupingTest::weekdayNamesFollowLocale()
{
    const QTimeZone zone("UTC");
    const QDateTime now(QDate(2026, 12, 6), QTime(12, 0), zone); // a Sunday
    const QList<RecentItem> items = { itemAt(now.addDays(-3), QStringLiteral("thursday")) };
    QCOMPARE(labels(DayGrouping::group(items, now, Calendar(zone, QLocale(QLocale::German)))),
        (QStringList { "Donnerstag" }));
    QCOMPARE(labels(DayGrouping::group(items, now, Calendar(zone, QLocale(QLocale::French)))),
        (QStringList { "jeudi" }));
    // "Today" and "Yesterday" stay English in every locale.
    QCOMPARE(labels(DayGrouping::group({ itemAt(now, "a"), itemAt(now.addDays(-1), "b") }, now,
                 Calendar(zone, QLocale(QLocale::German)))),
        (QStringList { "Today", "Yesterday" }));
}

QTEST_GUILESS_MAIN(DayGroupingTest)
#include "tst_daygrouping.moc"
