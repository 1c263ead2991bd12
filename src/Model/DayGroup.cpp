// SPDX-FileCopyrightText: 2026 The Quillmoth developers
// SPDX-License-Identifier: GPL-3.0-or-later

#include "Model/DayGroup.h"

#include <QHash>

#include <algorithm>

namespace {

QString label(const QDateTime &dayStart, const QDateTime &today, const Calendar &calendar)
{
    const std::optional<qint64> difference = calendar.daysBetween(dayStart, today);
    if (!difference || *difference == 0)
        return QStringLiteral("Today");
    if (*difference == 1)
        return QStringLiteral("Yesterday");
    return calendar.weekdayName(dayStart);
}

} // namespace

QList<DayGroup> DayGrouping::group(
    const QList<RecentItem> &items, const QDateTime &now, const Calendar &calendar)
{
    return group(QList<RecentItem>(items), now, calendar);
}

QList<DayGroup> DayGrouping::group(
    QList<RecentItem> &&items, const QDateTime &now, const Calendar &calendar)
{
    const QDateTime today = calendar.startOfDay(now);

    // Buckets keyed by day start in milliseconds, in first-seen order. Time-zone conversions are
    // costly and neighbouring items mostly share a day, so the last day's bounds are reused.
    QHash<qint64, qsizetype> indexByDay;
    QList<DayGroup> groups;
    qint64 dayBegin = 0, dayEnd = 0;
    QDateTime dayStart;
    for (RecentItem &item : items) {
        const qint64 at = item.date().toMSecsSinceEpoch();
        if (at < dayBegin || at >= dayEnd || !dayStart.isValid()) {
            dayStart = calendar.startOfDay(item.date());
            const QDate day = dayStart.toTimeZone(calendar.timeZone()).date();
            dayBegin = dayStart.toMSecsSinceEpoch();
            dayEnd = day.addDays(1).startOfDay(calendar.timeZone()).toMSecsSinceEpoch();
        }
        const qint64 key = dayBegin;
        auto found = indexByDay.constFind(key);
        if (found == indexByDay.constEnd()) {
            found = indexByDay.insert(key, groups.size());
            groups.append(DayGroup { dayStart, label(dayStart, today, calendar), {} });
        }
        groups[*found].items.append(std::move(item));
    }

    const auto later = [](const RecentItem &a, const RecentItem &b) { return a.date() > b.date(); };
    for (DayGroup &group : groups)
        if (!std::is_sorted(group.items.cbegin(), group.items.cend(), later))
            std::stable_sort(group.items.begin(), group.items.end(), later);
    std::stable_sort(groups.begin(), groups.end(),
        [](const DayGroup &a, const DayGroup &b) { return a.id > b.id; });
    return groups;
}
