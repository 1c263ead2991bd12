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

QList<DayGroup> DayGrouping::group(const QList<RecentItem> &items, const QDateTime &now,
                                   const Calendar &calendar)
{
    const QDateTime today = calendar.startOfDay(now);

    // Buckets keyed by day start in milliseconds, in first-seen order.
    QHash<qint64, qsizetype> indexByDay;
    QList<DayGroup> groups;
    for (const RecentItem &item : items) {
        const QDateTime dayStart = calendar.startOfDay(item.date());
        const qint64 key = dayStart.toMSecsSinceEpoch();
        auto found = indexByDay.constFind(key);
        if (found == indexByDay.constEnd()) {
            found = indexByDay.insert(key, groups.size());
            groups.append(DayGroup{dayStart, label(dayStart, today, calendar), {}});
        }
        groups[*found].items.append(item);
    }

    for (DayGroup &group : groups)
        std::stable_sort(group.items.begin(), group.items.end(),
                         [](const RecentItem &a, const RecentItem &b) { return a.date() > b.date(); });
    std::stable_sort(groups.begin(), groups.end(),
                     [](const DayGroup &a, const DayGroup &b) { return a.id > b.id; });
    return groups;
}
