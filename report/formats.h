// The numbers, counts and times as the report writes them. Times into a game are written as the log
// writes them, "00:06:40" (ClockText).
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>

void AppendInt(std::string& out, int64_t value);
// "1 game", "3 games".
std::string Games(size_t count);
// "3 h 05 min", "12 min", "45 s".
std::string Duration(uint64_t seconds);
// The nearest whole number, "187".
std::string Rounded(double value);
// Where there is no figure to show.
constexpr char kNoValue[] = "\xE2\x80\x94";
// "+5", "-3", "0".
std::string Signed(long value);
