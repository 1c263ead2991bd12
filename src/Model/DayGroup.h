// SPDX-FileCopyrightText: 2026 The Quillmoth developers
// SPDX-License-Identifier: GPL-3.0-or-later

#pragma once

#include "Model/Calendar.h"
#include "Model/RecentItem.h"

#include <QList>

// One day section of the list: identified by the start of its day.
struct DayGroup
{
    QDateTime id;
    QString label;
    QList<RecentItem> items;

    friend bool operator==(const DayGroup &, const DayGroup &) = default;
};

namespace DayGrouping {
// Splits items into day sections, latest day first; items in a day newest first, ties kept in
// order.
QList<DayGroup> group(
    const QList<RecentItem> &items, const QDateTime &now, const Calendar &calendar);
QList<DayGroup> group(QList<RecentItem> &&items, const QDateTime &now, const Calendar &calendar);
} // namespace DayGrouping
