// SPDX-FileCopyrightText: 2026 The Quillmoth developers
// SPDX-License-Identifier: GPL-3.0-or-later

#include "Platform/StoreTimestamp.h"

namespace {

constexpr size_t secondsLength = 20; // "YYYY-MM-DDTHH:MM:SSZ"
constexpr size_t microsecondsLength = 27; // "YYYY-MM-DDTHH:MM:SS.uuuuuuZ"
// Twelve digits of seconds reach past the year 33000, and cannot overflow once in milliseconds.
constexpr size_t maxUnixDigits = 12;

// Days from 1970-01-01 to a date of the proleptic Gregorian calendar.
qint64 daysFromCivil(int y, unsigned m, unsigned d)
{
    y -= m <= 2;
    const qint64 era = (y >= 0 ? y : y - 399) / 400;
    const unsigned yoe = unsigned(y - era * 400);
    const unsigned doy = (153 * (m + (m > 2 ? -3 : 9)) + 2) / 5 + d - 1;
    const unsigned doe = yoe * 365 + yoe / 4 - yoe / 100 + doy;
    return era * 146097 + qint64(doe) - 719468;
}

// The decimal number in text[at, at + count); a character there that is not a digit sets
// `bad`. Branch-free: the store reader parses four of these times per entry.
inline int digits(const char *text, size_t at, size_t count, unsigned &bad)
{
    unsigned value = 0; // wraps harmlessly on a bad character; the value is then not used
    for (size_t i = at; i < at + count; ++i) {
        // One comparison: anything below '0' wraps around to a large value.
        const unsigned digit = unsigned(static_cast<unsigned char>(text[i])) - '0';
        bad |= unsigned(digit > 9);
        value = value * 10 + digit;
    }
    return int(value);
}

bool hasSeparators(std::string_view text)
{
    if (text.size() != secondsLength && text.size() != microsecondsLength)
        return false;
    return text[4] == '-' && text[7] == '-' && text[10] == 'T' && text[13] == ':' && text[16] == ':'
        && text.back() == 'Z' && (text.size() == secondsLength || text[19] == '.');
}

bool isValidDate(int year, int month, int day)
{
    static constexpr int monthDays[] = { 31, 29, 31, 30, 31, 30, 31, 31, 30, 31, 30, 31 };
    if (year < 1 || month < 1 || month > 12 || day < 1 || day > monthDays[month - 1])
        return false;
    // Only the 29th of February asks whether the year is a leap year.
    return month != 2 || day != 29 || (year % 4 == 0 && year % 100 != 0) || year % 400 == 0;
}

} // namespace

std::optional<qint64> StoreTimestamp::parseIso8601(std::string_view text)
{
    if (!hasSeparators(text))
        return std::nullopt;
    const char *s = text.data();
    unsigned bad = 0;
    const int year = digits(s, 0, 4, bad), month = digits(s, 5, 2, bad), day = digits(s, 8, 2, bad);
    const int hour = digits(s, 11, 2, bad), minute = digits(s, 14, 2, bad);
    const int second = digits(s, 17, 2, bad);
    const int micro = text.size() == microsecondsLength ? digits(s, 20, 6, bad) : 0;
    if (bad)
        return std::nullopt;
    if (!isValidDate(year, month, day) || hour > 23 || minute > 59 || second > 59)
        return std::nullopt;
    const qint64 days = daysFromCivil(year, unsigned(month), unsigned(day));
    return ((days * 24 + hour) * 60 + minute) * 60000 + qint64(second) * 1000 + micro / 1000;
}

std::optional<qint64> StoreTimestamp::parseUnixSeconds(std::string_view text)
{
    if (text.empty() || text.size() > maxUnixDigits)
        return std::nullopt;
    qint64 value = 0;
    for (char c : text) {
        if (c < '0' || c > '9')
            return std::nullopt;
        value = value * 10 + (c - '0');
    }
    return value * 1000;
}
