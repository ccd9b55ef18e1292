// SPDX-License-Identifier: GPL-3.0-or-later
// The date and time sections of a format code. A cell holds a date as days since day 0 of its
// workbook's date system, the time of day as the fraction of a day. As the office suite shows
// them: a time of day is counted in whole milliseconds (a value's 15 significant digits are about
// that precise) and shows the second it has begun (23:59:59.9 is not the next day), a fraction of
// a second is rounded; elapsed time ([h]:mm) is rounded to the second; a date shown with its time
// moves to the next day only within half a second of midnight.

#include "datasource/workbook/NumberFormat.h"

#include <algorithm>
#include <array>
#include <cmath>

namespace stencilor {

namespace {

using Part = NumberFormat::Part;
using Piece = NumberFormat::Piece;

constexpr std::int64_t kSecond = 1000;
constexpr std::int64_t kMinute = 60 * kSecond;
constexpr std::int64_t kHour = 60 * kMinute;
constexpr std::int64_t kDay = 24 * kHour;

constexpr std::array<const char*, 12> kMonths{"January", "February", "March",     "April",   "May",      "June",
                                              "July",    "August",   "September", "October", "November", "December"};
constexpr std::array<const char*, 7> kWeekdays{"Sunday",   "Monday", "Tuesday", "Wednesday",
                                               "Thursday", "Friday", "Saturday"};

std::int64_t floorDiv(std::int64_t a, std::int64_t b)
{
    return a / b - (a % b != 0 && (a < 0) != (b < 0) ? 1 : 0);
}

struct CivilDate {
    std::int64_t year = 0;
    int month = 1;
    int day = 1;
};

// Days since 1970-01-01 of a date of the proleptic Gregorian calendar, and back.
std::int64_t daysFromCivil(std::int64_t year, int month, int day)
{
    year -= month <= 2;
    const std::int64_t era = floorDiv(year, 400);
    const std::int64_t yearOfEra = year - era * 400;
    const std::int64_t dayOfYear = (153 * (month + (month > 2 ? -3 : 9)) + 2) / 5 + day - 1;
    const std::int64_t dayOfEra = yearOfEra * 365 + yearOfEra / 4 - yearOfEra / 100 + dayOfYear;
    return era * 146097 + dayOfEra - 719468;
}

CivilDate civilFromDays(std::int64_t days)
{
    days += 719468;
    const std::int64_t era = floorDiv(days, 146097);
    const std::int64_t dayOfEra = days - era * 146097;
    const std::int64_t yearOfEra = (dayOfEra - dayOfEra / 1460 + dayOfEra / 36524 - dayOfEra / 146096) / 365;
    const std::int64_t dayOfYear = dayOfEra - (365 * yearOfEra + yearOfEra / 4 - yearOfEra / 100);
    const std::int64_t shifted = (5 * dayOfYear + 2) / 153;
    CivilDate date;
    date.day = static_cast<int>(dayOfYear - (153 * shifted + 2) / 5 + 1);
    date.month = static_cast<int>(shifted < 10 ? shifted + 3 : shifted - 9);
    date.year = yearOfEra + era * 400 + (date.month <= 2);
    return date;
}

// The date of day `day` of a date system, and its weekday (0 for Sunday).
CivilDate dateOfDay(std::int64_t day, DateSystem dates, int& weekday)
{
    if (dates == DateSystem::From1904) {
        weekday = static_cast<int>(day + 5 - floorDiv(day + 5, 7) * 7); // 1904-01-01 was a Friday
        return civilFromDays(daysFromCivil(1904, 1, 1) + day);
    }
    // The 1900 system counts 1900-01-01 as day 1 and has a day 60, 1900-02-29, that the calendar
    // has not; before day 1 the days run back from 1899-12-30, as the office suite counts them.
    weekday = static_cast<int>(day - 1 - floorDiv(day - 1, 7) * 7);
    if (day == 60)
        return {1900, 2, 29};
    if (day == 0)
        return {1900, 1, 0};
    if (day > 0 && day < 60)
        return civilFromDays(daysFromCivil(1899, 12, 31) + day);
    return civilFromDays(daysFromCivil(1899, 12, 30) + day);
}

// Appends `number` with at least `width` digits (zeros in front).
void appendNumber(std::int64_t number, int width, std::string& out)
{
    if (number < 0) {
        out += '-';
        number = -number;
    }
    char digits[24];
    int count = 0;
    do {
        digits[count++] = static_cast<char>('0' + number % 10);
        number /= 10;
    } while (number > 0);
    for (int pad = count; pad < width; ++pad)
        out += '0';
    while (count > 0)
        out += digits[--count];
}

int digitsAt(std::string_view text, std::size_t at, std::size_t count)
{
    if (at + count > text.size())
        return -1;
    int value = 0;
    for (std::size_t i = at; i < at + count; ++i) {
        if (text[i] < '0' || text[i] > '9')
            return -1;
        value = value * 10 + (text[i] - '0');
    }
    return value;
}

} // namespace

bool serialFromIsoDate(std::string_view text, DateSystem dates, double& serial)
{
    const int year = digitsAt(text, 0, 4);
    const int month = digitsAt(text, 5, 2);
    const int day = digitsAt(text, 8, 2);
    if (year < 0 || month < 1 || month > 12 || day < 1 || day > 31 || text[4] != '-' || text[7] != '-')
        return false;
    double fraction = 0;
    if (text.size() > 10) {
        const int hour = digitsAt(text, 11, 2);
        const int minute = digitsAt(text, 14, 2);
        const int second = digitsAt(text, 17, 2);
        if ((text[10] != 'T' && text[10] != ' ') || hour < 0 || minute < 0 || second < 0)
            return false;
        fraction = (hour * 3600.0 + minute * 60.0 + second) / 86400.0;
    }
    const std::int64_t days = daysFromCivil(year, month, day);
    std::int64_t number = 0;
    if (dates == DateSystem::From1904)
        number = days - daysFromCivil(1904, 1, 1);
    else if (days < daysFromCivil(1900, 3, 1) && days >= daysFromCivil(1900, 1, 1))
        number = days - daysFromCivil(1899, 12, 31); // before the day 1900-02-29 that was counted
    else
        number = days - daysFromCivil(1899, 12, 30);
    serial = static_cast<double>(number) + fraction;
    return true;
}

bool appendDateSection(const NumberFormat::Section& section, double value, DateSystem dates, std::string& out)
{
    bool hasDate = false;
    bool hasClock = false;
    bool elapsed = false;
    std::int64_t unit = kSecond; // the fraction of a second shown by elapsed time, in milliseconds
    for (const Piece& piece : section.pieces) {
        switch (piece.part) {
        case Part::Year:
        case Part::Month:
        case Part::Day:
            hasDate = true;
            break;
        case Part::Elapsed:
            elapsed = true;
            break;
        case Part::Hour:
        case Part::AmPm:
        case Part::Minute:
        case Part::Second:
            hasClock = true;
            break;
        case Part::SubSecond:
            unit = std::min<std::int64_t>(unit, piece.count >= 3 ? 1 : piece.count == 2 ? 10 : 100);
            break;
        default:
            break;
        }
    }
    // Up to the year 9999 for a date (about 8,000 years either way of day 0); a time alone can
    // be shown for any value whose milliseconds a 64-bit count holds.
    if (!(std::fabs(value) < (hasDate ? 3e6 : 1e11)))
        return false;
    const long double seconds = static_cast<long double>(value) * (kDay / kSecond);
    std::int64_t day = 0;
    std::int64_t time = 0; // milliseconds of the day, or of the elapsed time
    if (elapsed) {
        // Rounded to the second (or to the fraction shown); the units above show what it begun.
        time = std::llround(seconds * (kSecond / unit)) * unit;
    } else {
        const std::int64_t total = std::llround(seconds * kSecond);
        if (hasDate && hasClock) {
            day = floorDiv(floorDiv(total + kSecond / 2, kSecond) * kSecond, kDay);
            time = std::max<std::int64_t>(total - day * kDay, 0);
        } else if (hasDate) {
            day = floorDiv(total, kDay);
        } else {
            time = total - floorDiv(total, kDay) * kDay;
        }
    }

    int weekday = 0;
    const CivilDate date = dateOfDay(day, dates, weekday);
    const std::int64_t hour = time / kHour;
    const bool twelveHours =
        std::any_of(section.pieces.begin(), section.pieces.end(), [](const Piece& p) { return p.part == Part::AmPm; });
    for (const Piece& piece : section.pieces) {
        switch (piece.part) {
        case Part::Literal:
            out += piece.text;
            break;
        case Part::Year:
            if (piece.count <= 2)
                appendNumber(((date.year % 100) + 100) % 100, 2, out);
            else
                appendNumber(date.year, 4, out);
            break;
        case Part::Month:
            if (piece.count <= 2)
                appendNumber(date.month, piece.count, out);
            else if (piece.count == 3)
                out.append(kMonths[static_cast<std::size_t>(date.month - 1)], 3);
            else if (piece.count == 4)
                out += kMonths[static_cast<std::size_t>(date.month - 1)];
            else
                out += kMonths[static_cast<std::size_t>(date.month - 1)][0];
            break;
        case Part::Day:
            if (piece.count <= 2)
                appendNumber(date.day, piece.count, out);
            else if (piece.count == 3)
                out.append(kWeekdays[static_cast<std::size_t>(weekday)], 3);
            else
                out += kWeekdays[static_cast<std::size_t>(weekday)];
            break;
        case Part::Hour: {
            std::int64_t shown = hour % 24;
            if (twelveHours)
                shown = shown % 12 == 0 ? 12 : shown % 12;
            appendNumber(shown, std::min<int>(piece.count, 2), out);
            break;
        }
        case Part::Minute:
            appendNumber(time / kMinute % 60, std::min<int>(piece.count, 2), out);
            break;
        case Part::Second:
            appendNumber(time / kSecond % 60, std::min<int>(piece.count, 2), out);
            break;
        case Part::SubSecond: {
            // Rounded, but never up into the next second (the seconds show the one begun).
            const std::int64_t places = piece.count >= 3 ? 1 : piece.count == 2 ? 10 : 100;
            const std::int64_t fraction = std::min((time % kSecond + places / 2) / places, kSecond / places - 1);
            out += '.';
            appendNumber(fraction, std::min<int>(piece.count, 3), out);
            break;
        }
        case Part::AmPm: {
            const bool morning = hour % 24 < 12;
            const bool small = piece.text[0] == 'a' || piece.text[0] == 'p';
            if (piece.text.size() == 3)
                out += morning ? (small ? "a" : "A") : (small ? "p" : "P");
            else
                out += morning ? (small ? "am" : "AM") : (small ? "pm" : "PM");
            break;
        }
        case Part::Elapsed: {
            const std::int64_t per = piece.symbol == 'h' ? kHour : piece.symbol == 'm' ? kMinute : kSecond;
            appendNumber(time / per, piece.count, out);
            break;
        }
        default:
            break;
        }
    }
    return true;
}

} // namespace stencilor
