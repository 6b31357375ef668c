#include "report/calendar.h"

#include <cstdio>

#include "history/csv.h"

namespace {

struct Civil {
    int64_t year;
    unsigned month, day;
};

// Proleptic Gregorian calendar, by eras of 400 years.
Civil CivilOf(int64_t days) {
    days += 719468;
    int64_t era = (days >= 0 ? days : days - 146096) / 146097;
    unsigned dayOfEra = static_cast<unsigned>(days - era * 146097);
    unsigned yearOfEra = (dayOfEra - dayOfEra / 1460 + dayOfEra / 36524 - dayOfEra / 146096) / 365;
    unsigned dayOfYear = dayOfEra - (365 * yearOfEra + yearOfEra / 4 - yearOfEra / 100);
    unsigned mp = (5 * dayOfYear + 2) / 153;
    unsigned day = dayOfYear - (153 * mp + 2) / 5 + 1;
    unsigned month = mp < 10 ? mp + 3 : mp - 9;
    return {static_cast<int64_t>(yearOfEra) + era * 400 + (month <= 2 ? 1 : 0), month, day};
}

unsigned Digits(const std::string& text, size_t at, size_t count) {
    unsigned value = 0;
    for (size_t i = at; i < at + count; ++i)
        value = value * 10 + static_cast<unsigned>(text[i] - '0');
    return value;
}

}  // namespace

int64_t DayNumber(int64_t year, unsigned month, unsigned day) {
    year -= month <= 2 ? 1 : 0;
    int64_t era = (year >= 0 ? year : year - 399) / 400;
    unsigned yearOfEra = static_cast<unsigned>(year - era * 400);
    unsigned dayOfYear = (153 * (month > 2 ? month - 3 : month + 9) + 2) / 5 + day - 1;
    unsigned dayOfEra = yearOfEra * 365 + yearOfEra / 4 - yearOfEra / 100 + dayOfYear;
    return era * 146097 + static_cast<int64_t>(dayOfEra) - 719468;
}

bool StartSeconds(const std::string& started, int64_t* seconds) {
    if (!IsStartTime(started))
        return false;
    unsigned month = Digits(started, 5, 2), day = Digits(started, 8, 2);
    unsigned hour = Digits(started, 11, 2), minute = Digits(started, 14, 2), second = Digits(started, 17, 2);
    if (month < 1 || month > 12 || day < 1 || day > 31 || hour > 23 || minute > 59 || second > 60)
        return false;
    *seconds = DayNumber(Digits(started, 0, 4), month, day) * kDaySeconds + hour * 3600 + minute * 60 + second;
    return true;
}

std::string DateText(int64_t day) {
    Civil c = CivilOf(day);
    char text[32];
    std::snprintf(text, sizeof text, "%04lld-%02u-%02u", static_cast<long long>(c.year), c.month, c.day);
    return text;
}

int64_t WeekStart(int64_t day) {
    // 1970-01-01 was a Thursday: Mondays are the days 4 past a multiple of 7.
    int64_t sinceMonday = ((day - 4) % 7 + 7) % 7;
    return day - sinceMonday;
}

int64_t MonthStart(int64_t day, int months) {
    Civil c = CivilOf(day);
    int64_t index = c.year * 12 + (c.month - 1) + months;
    int64_t year = index >= 0 ? index / 12 : (index - 11) / 12;
    return DayNumber(year, static_cast<unsigned>(index - year * 12 + 1), 1);
}
