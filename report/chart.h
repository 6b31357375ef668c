// The frame every chart shares: an SVG of fixed size with a plot area, the APM axis with its grid and
// name, and labels along the other axis. Coordinates are whole pixels, which keeps the page small.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>

struct ChartFrame {
    static constexpr int kWidth = 800, kHeight = 220;
    static constexpr int kLeft = 56, kRight = 12, kTop = 24, kBottom = 34;
    static constexpr int kPlotWidth = kWidth - kLeft - kRight;
    static constexpr int kPlotHeight = kHeight - kTop - kBottom;

    explicit ChartFrame(int32_t highest);  // the APM axis reaches a round value at or above highest
    int32_t top = 0;   // the APM at the top of the plot
    int32_t step = 0;  // between grid lines

    int Y(double apm) const;
    static int X(double fraction);  // 0 at the plot's left edge, 1 at its right
};

// 1, 2 or 5 times a power of ten, so that range takes about `lines` steps.
int32_t RoundStep(int64_t range, int lines);

// <svg class=...> with the size, and its accessible name (escaped).
void OpenChart(std::string& out, const char* cssClass, std::string_view name, std::string_view attributes = {});
void AppendLine(std::string& out, const char* cssClass, int x1, int y1, int x2, int y2);
// The APM grid lines with their labels, and the axis's name.
void AppendApmGrid(std::string& out, const ChartFrame& frame);
// A tick under the plot at x with its label, and the axis's name at the right end.
void AppendXTick(std::string& out, int x, std::string_view label);
void AppendXName(std::string& out, std::string_view name);
// <text class=...> at x, y, left open for its content; anchored at its end rather than as its class says.
void OpenText(std::string& out, const char* cssClass, int x, int y, bool anchorEnd = false);
// ` name="value"`, and "x,y " for a polyline's points.
void AppendAttr(std::string& out, const char* name, int64_t value);
void AppendPoint(std::string& out, int x, int y);
