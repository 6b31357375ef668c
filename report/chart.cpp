#include "report/chart.h"

#include <algorithm>
#include <cmath>

#include "report/escape.h"
#include "report/formats.h"

ChartFrame::ChartFrame(int32_t highest) {
    highest = std::max<int32_t>(highest, 10);
    step = RoundStep(highest, 4);
    top = (highest + step - 1) / step * step;
}

int ChartFrame::Y(double apm) const {
    double clamped = std::clamp(apm, 0.0, static_cast<double>(top));
    return kTop + kPlotHeight - static_cast<int>(std::lround(clamped * kPlotHeight / top));
}

int ChartFrame::X(double fraction) {
    return kLeft + static_cast<int>(std::lround(std::clamp(fraction, 0.0, 1.0) * kPlotWidth));
}

int32_t RoundStep(int64_t range, int lines) {
    int64_t step = 1;
    for (;;) {
        for (int64_t m : {1, 2, 5}) {
            if (range <= step * m * lines)
                return static_cast<int32_t>(step * m);
        }
        step *= 10;
    }
}

void AppendAttr(std::string& out, const char* name, int64_t value) {
    out += ' ';
    out += name;
    out += "=\"";
    AppendInt(out, value);
    out += '"';
}

void OpenChart(std::string& out, const char* cssClass, std::string_view name, std::string_view attributes) {
    out += "<svg class=\"";
    out += cssClass;
    out += "\" viewBox=\"0 0 ";
    AppendInt(out, ChartFrame::kWidth);
    out += ' ';
    AppendInt(out, ChartFrame::kHeight);
    out += "\" role=\"img\" aria-label=\"";
    AppendEscaped(out, name);
    out += '"';
    out += attributes;
    out += ">\n";
}

void AppendLine(std::string& out, const char* cssClass, int x1, int y1, int x2, int y2) {
    out += "<line class=\"";
    out += cssClass;
    out += '"';
    AppendAttr(out, "x1", x1);
    AppendAttr(out, "y1", y1);
    AppendAttr(out, "x2", x2);
    AppendAttr(out, "y2", y2);
    out += "/>";
}

void OpenText(std::string& out, const char* cssClass, int x, int y, bool anchorEnd) {
    out += "<text class=\"";
    out += cssClass;
    out += anchorEnd ? " end\"" : "\"";
    AppendAttr(out, "x", x);
    AppendAttr(out, "y", y);
    out += '>';
}

void AppendApmGrid(std::string& out, const ChartFrame& frame) {
    for (int32_t apm = 0; apm <= frame.top; apm += frame.step) {
        int y = frame.Y(apm);
        AppendLine(out, "grid", ChartFrame::kLeft, y, ChartFrame::kLeft + ChartFrame::kPlotWidth, y);
        OpenText(out, "ylabel", ChartFrame::kLeft - 6, y + 4);
        AppendInt(out, apm);
        out += "</text>\n";
    }
    OpenText(out, "ylabel yname", ChartFrame::kLeft - 6, 12);
    out += "APM</text>\n";
}

void AppendXTick(std::string& out, int x, std::string_view label) {
    int bottom = ChartFrame::kTop + ChartFrame::kPlotHeight;
    AppendLine(out, "tick", x, bottom, x, bottom + 4);
    // A label at the right edge would be cut in half.
    OpenText(out, "xlabel", x, bottom + 16, x + static_cast<int>(label.size()) * 3 > ChartFrame::kWidth);
    out += label;
    out += "</text>\n";
}

void AppendXName(std::string& out, std::string_view name) {
    OpenText(out, "xname", ChartFrame::kLeft + ChartFrame::kPlotWidth, ChartFrame::kHeight - 3);
    out += name;
    out += "</text>\n";
}

void AppendPoint(std::string& out, int x, int y) {
    AppendInt(out, x);
    out += ',';
    AppendInt(out, y);
    out += ' ';
}
