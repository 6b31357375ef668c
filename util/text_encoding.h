// The program's text is UTF-8: the game's and the system's 8-bit texts are converted to it, and it to the
// wide form the system's file and shell calls take. A text that cannot be converted gives "".
#pragma once

#include <string>

// From the code page (0: the system's ANSI code page) to UTF-8.
std::string AnsiToUtf8(const std::string& text, unsigned codePage = 0);
std::wstring Utf8ToWide(const std::string& text);
std::string WideToUtf8(const std::wstring& text);
