// Text made safe for an HTML page, and the number formats the report writes.
// Texts come from game memory and files: any bytes. Escaping leaves no markup of theirs in the page, and
// bytes that are not UTF-8 or are control characters become U+FFFD, so the page stays valid UTF-8.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>

// Appends text escaped for an element's content or a quoted attribute, at most maxChars characters of it
// (an ellipsis marks a cut).
void AppendEscaped(std::string& out, std::string_view text, size_t maxChars = SIZE_MAX);
std::string Escaped(std::string_view text, size_t maxChars = SIZE_MAX);

void AppendInt(std::string& out, int64_t value);
// "1 game", "3 games".
std::string Games(size_t count);
// "m:ss" under an hour, else "h:mm:ss".
std::string Clock(uint32_t seconds);
// "3 h 05 min", "12 min", "45 s".
std::string Duration(uint64_t seconds);
