// SPDX-FileCopyrightText: 2026 The Quillmoth developers
// SPDX-License-Identifier: GPL-3.0-or-later

#include "Model/DayGroup.h"
#include "TestSupport.h"

#include <QTest>

using namespace Qt::StringLiterals;

namespace {

RecentItem itemAt(const QDateTime &date, const QString &name = u"x"_s)
{
    return recentItem(u"/tmp/"_s + name, date);
}

} // namespace

class DayGroupingTest : public QObject
{
    Q_OBJECT
private Q_SLOTS:
    void sectionsLabelsAndOrder()
    {
        const QTimeZone zone("Europe/Berlin");
        const Calendar calendar(zone, QLocale(QLocale::English, QLocale::UnitedStates));
        // Wednesday 2026-12-02, 15:00 local.
        const QDateTime now(QDate(2026, 12, 2), QTime(15, 0), zone);
        const auto on = [&](int month, int day, int hour) {
            return QDateTime(QDate(2026, month, day), QTime(hour, 0), zone);
        };
        const QList<RecentItem> items
            = { itemAt(now.addSecs(-7200), "earlier-today"), itemAt(now.addSecs(-3600), "tie-1"),
                  itemAt(now.addSecs(-3600), "tie-2"), itemAt(now.addSecs(3600), "later-today"),
                  itemAt(on(12, 1, 23).addSecs(3599), "y"), itemAt(on(11, 25, 10), "week-ago"),
                  itemAt(on(12, 3, 9), "tomorrow"), itemAt(on(11, 28, 8), "saturday") };
        QVERIFY(DayGrouping::group({}, now, calendar).isEmpty());
        const QList<DayGroup> groups = DayGrouping::group(items, now, calendar);
        QCOMPARE(sectionLabels(groups),
            (QStringList { "Thursday", "Today", "Yesterday", "Saturday", "Wednesday" }));
        // Exactly seven days back carries today's weekday name but is its own section.
        QVERIFY(groups.first().id != groups.last().id);
        QCOMPARE(groups.at(1).id, on(12, 2, 0));
        QCOMPARE(itemNames({ groups.at(1) }),
            (QStringList { "later-today", "tie-1", "tie-2", "earlier-today" }));
        for (const DayGroup &g : groups)
            QVERIFY(!g.items.isEmpty());
        QCOMPARE(itemNames(groups).size(), items.size());
    }

    // Days begin at local midnight, in any time zone and on the days daylight saving makes
    // shorter or longer.
    void midnightTimeZonesAndDaylightSaving()
    {
        const QTimeZone tokyo("Asia/Tokyo");
        const QTimeZone newYork("America/New_York");
        const QDateTime now(QDate(2026, 6, 10), QTime(12, 0), tokyo);
        const QDateTime midnight(QDate(2026, 6, 10), QTime(0, 0), tokyo);
        const QList<RecentItem> items
            = { itemAt(midnight, "midnight"), itemAt(midnight.addMSecs(-1), "before") };
        const QList<DayGroup> inTokyo
            = DayGrouping::group(items, now, Calendar(tokyo, QLocale(QLocale::English)));
        QCOMPARE(sectionLabels(inTokyo), (QStringList { "Today", "Yesterday" }));
        QCOMPARE(itemNames({ inTokyo.first() }), QStringList { "midnight" });
        QCOMPARE(inTokyo.first().id, midnight);
        // Seen from New York (13 hours behind) the same moments fall on one day, which is still
        // New York's today (it is 23:00 there).
        const QList<DayGroup> inNewYork
            = DayGrouping::group(items, now, Calendar(newYork, QLocale(QLocale::English)));
        QCOMPARE(sectionLabels(inNewYork), (QStringList { "Today" }));
        QCOMPARE(inNewYork.first().id, QDateTime(QDate(2026, 6, 9), QTime(0, 0), newYork));
        QCOMPARE(inNewYork.first().items.size(), 2);

        // 2026-03-29 has 23 hours in Berlin; 2026-10-25 has 25.
        const QTimeZone berlin("Europe/Berlin");
        const Calendar calendar(berlin, QLocale(QLocale::English));
        const auto at = [&](int month, int day, int hour, int minute) {
            return QDateTime(QDate(2026, month, day), QTime(hour, minute), berlin);
        };
        const QList<DayGroup> spring = DayGrouping::group(
            { itemAt(at(3, 29, 23, 30)), itemAt(at(3, 29, 0, 30)), itemAt(at(3, 28, 23, 30)) },
            at(3, 30, 0, 30), calendar);
        QCOMPARE(sectionLabels(spring), (QStringList { "Yesterday", "Saturday" }));
        QCOMPARE(spring.first().items.size(), 2);
        QCOMPARE(sectionLabels(DayGrouping::group(
                     { itemAt(at(10, 25, 23, 50)) }, at(10, 26, 0, 10), calendar)),
            QStringList { "Yesterday" });
    }

    void weekdayNamesFollowLocale()
    {
        const QTimeZone zone("UTC");
        const QDateTime now(QDate(2026, 12, 6), QTime(12, 0), zone); // a Sunday
        const auto shown = [&](const QList<RecentItem> &items, QLocale::Language language) {
            return sectionLabels(DayGrouping::group(items, now, Calendar(zone, QLocale(language))));
        };
        QCOMPARE(shown({ itemAt(now.addDays(-3)) }, QLocale::German), QStringList { "Donnerstag" });
        // "Today" and "Yesterday" stay English in every locale.
        QCOMPARE(shown({ itemAt(now), itemAt(now.addDays(-1)) }, QLocale::German),
            (QStringList { "Today", "Yesterday" }));
    }
};

QTEST_GUILESS_MAIN(DayGroupingTest)
#include "tst_daygrouping.moc"
