// The one clock of local time and the forms times are written in.
#include <gtest/gtest.h>

#include <ctime>
#include <tuple>

#include "util/local_time.h"

namespace {

LocalTime At(unsigned year, unsigned month, unsigned day, unsigned hour, unsigned minute, unsigned second) {
    LocalTime t;
    t.year = year;
    t.month = month;
    t.day = day;
    t.hour = hour;
    t.minute = minute;
    t.second = second;
    return t;
}

auto Fields(const LocalTime& t) { return std::make_tuple(t.year, t.month, t.day, t.hour, t.minute, t.second); }

LocalTime FromLibrary(std::time_t when) {
    const std::tm* local = std::localtime(&when);
    return At(local->tm_year + 1900, local->tm_mon + 1, local->tm_mday, local->tm_hour, local->tm_min,
              local->tm_sec);
}

}  // namespace

TEST(LocalTime, TheStartTimeIsWrittenInIsoForm) {
    EXPECT_EQ(IsoDateTime(At(2026, 1, 2, 3, 4, 5)), "2026-01-02T03:04:05");
    EXPECT_EQ(IsoDateTime(At(999, 1, 2, 23, 59, 59)), "0999-01-02T23:59:59");
}

TEST(LocalTime, TheReportsTimeGoesToTheMinuteAndTheLogsToTheSecond) {
    EXPECT_EQ(DateAndMinute(At(2026, 12, 9, 4, 12, 33)), "2026-12-09 04:12");
    EXPECT_EQ(DateAndMinute(At(999, 1, 2, 23, 59, 59)), "0999-01-02 23:59");
    EXPECT_EQ(TimeOfDay(At(2026, 12, 9, 4, 12, 33)), "04:12:33");
    EXPECT_EQ(TimeOfDay(At(2026, 12, 9, 0, 0, 0)), "00:00:00");
    EXPECT_EQ(TimeOfDay(At(2026, 12, 9, 23, 59, 59)), "23:59:59");
}

TEST(LocalTime, ClockTextHasTwoDigitsAtLeastInEachPlace) {
    const struct {
        uint32_t seconds;
        const char* text;
    } cases[] = {
        {0, "00:00:00"},
        {80, "00:01:20"},
        {3599, "00:59:59"},
        {3600, "01:00:00"},
        {360000, "100:00:00"},
        {UINT32_MAX / 1000, "1193:02:47"},  // the longest a tick count can tell
    };
    for (const auto& c : cases)
        EXPECT_EQ(ClockText(c.seconds), c.text) << c.seconds;
}

TEST(LocalTime, NowIsTheTimeTheLibraryTellsInTheSameZone) {
    std::time_t before = std::time(nullptr);
    LocalTime now = LocalNow();
    std::time_t after = std::time(nullptr);
    EXPECT_LE(Fields(FromLibrary(before)), Fields(now));
    EXPECT_LE(Fields(now), Fields(FromLibrary(after)));
}
