// Local time, read from one clock, and the forms the program writes times in.
#pragma once

#include <cstdint>
#include <string>

struct LocalTime {
    unsigned year = 0, month = 0, day = 0;
    unsigned hour = 0, minute = 0, second = 0;
};

// Now, in the user's time zone.
LocalTime LocalNow();

// "2026-12-09T04:12:33": when a game started, as the history keeps it.
std::string IsoDateTime(const LocalTime& time);
// "2026-12-09 04:12": when the report was written.
std::string DateAndMinute(const LocalTime& time);
// "04:12:33": the event log's stamp.
std::string TimeOfDay(const LocalTime& time);
// "00:01:20", hours, minutes and seconds of two digits at least: the timer's and the summary's time into a
// game, and the time of day.
std::string ClockText(uint32_t seconds);
