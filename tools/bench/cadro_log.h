// Cadro's event log read from outside, new lines only. Each read is a message sent to Cadro's window,
// answered at its next pump (up to 250 ms away), so the count is asked first and lines only when it grew.
#pragma once

#include <windows.h>

#include <string>
#include <vector>

class CadroLog {
public:
    explicit CadroLog(HWND main) : main_(main) {}
    // Reads the lines added since the last call; false when the window is gone.
    bool Poll();
    // Lines that contain text.
    int Count(const char* text) const;
    // The last line that contains text, or "".
    std::string Last(const char* text) const;
    const std::vector<std::string>& lines() const { return lines_; }

private:
    HWND main_;
    std::vector<std::string> lines_;
};
