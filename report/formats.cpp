#include "report/formats.h"

#include <charconv>
#include <cmath>
#include <cstdio>

void AppendInt(std::string& out, int64_t value) {
    char digits[24];
    auto result = std::to_chars(digits, digits + sizeof digits, value);
    out.append(digits, result.ptr);
}

std::string Duration(uint64_t seconds) {
    char text[48];
    unsigned long long h = seconds / 3600, m = seconds / 60 % 60;
    if (h)
        std::snprintf(text, sizeof text, "%llu h %02llu min", h, m);
    else if (m)
        std::snprintf(text, sizeof text, "%llu min", m);
    else
        std::snprintf(text, sizeof text, "%llu s", static_cast<unsigned long long>(seconds));
    return text;
}

std::string Games(size_t count) { return std::to_string(count) + (count == 1 ? " game" : " games"); }

std::string Rounded(double value) { return std::to_string(std::lround(value)); }

std::string Signed(long value) { return (value > 0 ? "+" : "") + std::to_string(value); }
