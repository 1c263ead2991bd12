// SPDX-FileCopyrightText: 2026 The Quillmoth developers
// SPDX-License-Identifier: GPL-3.0-or-later

#pragma once

#include <QDateTime>
#include <QLocale>
#include <QTimeZone>

#include <optional>

// The user's calendar for day arithmetic: a time zone and a locale for weekday names.
// Passed explicitly so grouping can be exercised in any zone and language.
class Calendar
{
public:
    Calendar(const QTimeZone &timeZone, const QLocale &locale);
    static Calendar current();

    const QTimeZone &timeZone() const { return m_timeZone; }
    const QLocale &locale() const { return m_locale; }

    QDateTime startOfDay(const QDateTime &moment) const;
    // Whole calendar days from one moment's day to another's; positive when `to` is later.
    std::optional<qint64> daysBetween(const QDateTime &from, const QDateTime &to) const;
    // The same wall-clock time `days` calendar days away (day arithmetic, DST-aware).
    std::optional<QDateTime> addingDays(const QDateTime &moment, int days) const;
    QString weekdayName(const QDateTime &moment) const;

private:
    QTimeZone m_timeZone;
    QLocale m_locale;
};
