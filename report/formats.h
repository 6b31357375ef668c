// The numbers, counts and times as the report writes them.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>

void AppendInt(std::string& out, int64_t value);
// "1 game", "3 games".
std::string Games(size_t count);
// "m:ss" under an hour, else "h:mm:ss".
std::string Clock(uint32_t seconds);
// "3 h 05 min", "12 min", "45 s".
std::string Duration(uint64_t seconds);
