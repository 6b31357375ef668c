#include "report/trend_chart.h"

#include <algorithm>

#include "report/chart.h"
#include "report/formats.h"
#include "report/report_stats.h"

namespace {

// The middle of the i-th of n equal slots across the plot.
int SlotX(size_t i, size_t n) { return ChartFrame::X((static_cast<double>(i) + 0.5) / static_cast<double>(n)); }

void AppendLimit(std::string& out, const std::vector<GameRecord>& games, size_t first, const ChartFrame& frame) {
    size_t n = games.size() - first;
    bool any = std::any_of(games.begin() + static_cast<std::ptrdiff_t>(first), games.end(),
                           [](const GameRecord& g) { return g.limit > 0; });
    if (!any)
        return;
    out += "<polyline class=\"trend-limit\" points=\"";
    for (size_t i = 0; i < n; ++i) {
        int y = frame.Y(games[first + i].limit);
        AppendPoint(out, ChartFrame::X(static_cast<double>(i) / static_cast<double>(n)), y);
        AppendPoint(out, ChartFrame::X(static_cast<double>(i + 1) / static_cast<double>(n)), y);
    }
    out += "\"/>\n";
}

void AppendGameNumbers(std::string& out, size_t first, size_t n) {
    size_t step = static_cast<size_t>(RoundStep(static_cast<int64_t>(n), 8));
    for (size_t number = (first / step + 1) * step; number <= first + n; number += step)
        AppendXTick(out, SlotX(number - 1 - first, n), static_cast<int64_t>(number));
    AppendXName(out, "game");
}

}  // namespace

void AppendTrendChart(std::string& out, const std::vector<GameRecord>& games) {
    size_t first = games.size() - std::min(games.size(), kTrendGames);
    size_t n = games.size() - first;
    std::vector<double> average = MovingAverage(games, first);
    int32_t highest = 0;
    for (size_t i = first; i < games.size(); ++i)
        highest = std::max({highest, games[i].apm, games[i].limit});
    ChartFrame frame(highest);

    std::string attributes = " data-points=\"";
    AppendInt(attributes, static_cast<int64_t>(n));
    attributes += '"';
    OpenChart(out, "trend-chart", "APM of the last " + Games(n), attributes);
    AppendApmGrid(out, frame);
    AppendLimit(out, games, first, frame);
    out += "<polyline class=\"trend-average\" points=\"";
    for (size_t i = 0; i < n; ++i)
        AppendPoint(out, SlotX(i, n), frame.Y(average[i]));
    out += "\"/>\n";
    const char* radius = n > 100 ? "2" : "3";
    for (size_t i = 0; i < n; ++i) {
        const GameRecord& g = games[first + i];
        out += "<circle class=\"trend-point\"";
        AppendAttr(out, "data-game", static_cast<int64_t>(first + i + 1));
        AppendAttr(out, "data-apm", g.apm);
        AppendAttr(out, "cx", SlotX(i, n));
        AppendAttr(out, "cy", frame.Y(g.apm));
        out += " r=\"";
        out += radius;
        out += "\"><title>Game ";
        AppendInt(out, static_cast<int64_t>(first + i + 1));
        out += ": ";
        AppendInt(out, g.apm);
        out += " APM</title></circle>\n";
    }
    AppendGameNumbers(out, first, n);
    out += "</svg>\n";
}
