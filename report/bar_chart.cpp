#include "report/bar_chart.h"

#include <algorithm>
#include <cmath>

#include "report/chart.h"
#include "report/formats.h"

void AppendBarChart(std::string& out, const char* cssClass, std::string_view name, const std::vector<Bar>& bars,
                    uint64_t least, std::string_view xName) {
    double highest = 0;
    for (const Bar& bar : bars)
        highest = std::max(highest, bar.apm.Value());
    ChartFrame frame(static_cast<int32_t>(std::ceil(highest)));
    OpenChart(out, cssClass, name);
    AppendApmGrid(out, frame);
    size_t n = std::max<size_t>(bars.size(), 1);
    int slot = ChartFrame::kPlotWidth / static_cast<int>(n);
    int width = std::min(slot * 3 / 5, 90);
    for (size_t i = 0; i < bars.size(); ++i) {
        const Bar& bar = bars[i];
        int middle = ChartFrame::kLeft + slot * static_cast<int>(i) + slot / 2;
        if (bar.apm.count > 0) {
            long value = std::lround(bar.apm.Value());
            int y = frame.Y(bar.apm.Value());
            out += bar.apm.count < least ? "<rect class=\"bar few\"" : "<rect class=\"bar\"";
            AppendAttr(out, "data-apm", value);
            AppendAttr(out, "x", middle - width / 2);
            AppendAttr(out, "y", y);
            AppendAttr(out, "width", width);
            AppendAttr(out, "height", ChartFrame::kTop + ChartFrame::kPlotHeight - y);
            out += "/>";
            OpenText(out, "bar-value", middle, std::max(y - 4, ChartFrame::kTop + 10));
            AppendInt(out, value);
            out += "</text>\n";
        }
        AppendXTick(out, middle, bar.label);
    }
    AppendXName(out, xName);
    out += "</svg>\n";
}
