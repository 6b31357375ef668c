#include "util/local_time.h"

#include <windows.h>

#include <cstdio>

LocalTime LocalNow() {
    SYSTEMTIME now;
    ::GetLocalTime(&now);
    return {now.wYear, now.wMonth, now.wDay, now.wHour, now.wMinute, now.wSecond};
}

std::string IsoDateTime(const LocalTime& time) {
    char text[48];
    std::snprintf(text, sizeof text, "%04u-%02u-%02uT%02u:%02u:%02u", time.year, time.month, time.day, time.hour,
                  time.minute, time.second);
    return text;
}

std::string DateAndMinute(const LocalTime& time) {
    char text[48];
    std::snprintf(text, sizeof text, "%04u-%02u-%02u %02u:%02u", time.year, time.month, time.day, time.hour,
                  time.minute);
    return text;
}

std::string TimeOfDay(const LocalTime& time) { return ClockText(time.hour * 3600 + time.minute * 60 + time.second); }

std::string ClockText(uint32_t seconds) {
    char text[32];
    std::snprintf(text, sizeof text, "%02u:%02u:%02u", static_cast<unsigned>(seconds / 3600),
                  static_cast<unsigned>(seconds / 60 % 60), static_cast<unsigned>(seconds % 60));
    return text;
}
