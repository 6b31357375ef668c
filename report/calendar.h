// Calendar days of the games' start times ("2026-12-09T04:12:33", local), for what the report groups or
// draws over calendar time: weeks, sessions and the trend's date axis.
#pragma once

#include <cstdint>
#include <string>

// Seconds from 1970-01-01 00:00:00 in the same local time; false when started is no start time.
bool StartSeconds(const std::string& started, int64_t* seconds);
// Days from 1970-01-01 of a year, month (1-12) and day; and back, as "2026-12-09".
int64_t DayNumber(int64_t year, unsigned month, unsigned day);
std::string DateText(int64_t day);
// The Monday that starts the week of day.
int64_t WeekStart(int64_t day);
// The first day of the month of day, and of the month months later.
int64_t MonthStart(int64_t day, int months = 0);

constexpr int64_t kDaySeconds = 86400;
