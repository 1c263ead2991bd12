// SPDX-FileCopyrightText: 2026 The Quillmoth developers
// SPDX-License-Identifier: GPL-3.0-or-later

#include "Model/Calendar.h"

Calendar::Calendar(const QTimeZone &timeZone, const QLocale &locale)
    : m_timeZone(timeZone)
    , m_locale(locale)
{
}

Calendar Calendar::current()
{
    return Calendar(QTimeZone::systemTimeZone(), QLocale());
}

QDateTime Calendar::startOfDay(const QDateTime &moment) const
{
    return moment.toTimeZone(m_timeZone).date().startOfDay(m_timeZone);
}

std::optional<qint64> Calendar::daysBetween(const QDateTime &from, const QDateTime &to) const
{
    if (!from.isValid() || !to.isValid())
        return std::nullopt;
    const QDate a = from.toTimeZone(m_timeZone).date();
    const QDate b = to.toTimeZone(m_timeZone).date();
    if (!a.isValid() || !b.isValid())
        return std::nullopt;
    return a.daysTo(b);
}

std::optional<QDateTime> Calendar::addingDays(const QDateTime &moment, int days) const
{
    if (!moment.isValid())
        return std::nullopt;
    const QDateTime shifted = moment.toTimeZone(m_timeZone).addDays(days);
    if (!shifted.isValid())
        return std::nullopt;
    return shifted;
}

QString Calendar::weekdayName(const QDateTime &moment) const
{
    const QDate day = moment.toTimeZone(m_timeZone).date();
    return m_locale.dayName(day.dayOfWeek(), QLocale::LongFormat);
}
