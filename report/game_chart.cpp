// A day of samples would be tens of thousands of points: the samples are gathered into one column a
// pixel, holding the column's highest short-term APM and its last whole-game APM, so a chart's size
// is bounded by its width whatever the game's length. The shading follows the drawn line: a column is
// below the limit when its highest short-term APM is.
#include "report/game_chart.h"

#include <algorithm>

#include "report/chart.h"
#include "report/formats.h"

namespace {

constexpr int kColumns = ChartFrame::kPlotWidth + 1;

struct Column {
    bool has = false;
    int32_t recent = 0;
    int32_t apm = -1;  // -1 during the warm-up
};

int ColumnOf(uint32_t seconds, uint32_t span) {
    return static_cast<int>(static_cast<uint64_t>(std::min(seconds, span)) * ChartFrame::kPlotWidth / span);
}

void AppendShading(std::string& out, const std::vector<Column>& columns, int32_t limit) {
    if (limit <= 0)
        return;
    bool below = false;
    int from = 0;
    for (int c = 0; c <= kColumns; ++c) {
        bool now = below;
        if (c == kColumns)
            now = false;
        else if (columns[c].has)
            now = columns[c].apm >= 0 && columns[c].recent < limit;
        if (now && !below)
            from = c;
        if (!now && below) {
            out += "<rect class=\"below\"";
            AppendAttr(out, "x", ChartFrame::kLeft + from);
            AppendAttr(out, "y", ChartFrame::kTop);
            AppendAttr(out, "width", std::max(c - from, 1));
            AppendAttr(out, "height", ChartFrame::kPlotHeight);
            out += "/>\n";
        }
        below = now;
    }
}

void AppendLines(std::string& out, const std::vector<Column>& columns, const ChartFrame& frame) {
    out += "<polyline class=\"recent\" points=\"";
    for (int c = 0; c < kColumns; ++c) {
        if (columns[c].has)
            AppendPoint(out, ChartFrame::kLeft + c, frame.Y(columns[c].recent));
    }
    out += "\"/>\n";
    std::string whole;
    bool pen = false;
    for (int c = 0; c < kColumns; ++c) {
        if (!columns[c].has)
            continue;
        if (columns[c].apm < 0) {
            pen = false;
            continue;
        }
        whole += pen ? 'L' : 'M';
        AppendInt(whole, ChartFrame::kLeft + c);
        whole += ' ';
        AppendInt(whole, frame.Y(columns[c].apm));
        pen = true;
    }
    if (!whole.empty())
        out += "<path class=\"whole\" d=\"" + whole + "\"/>\n";
}

void AppendPeak(std::string& out, const GameRecord& game, uint32_t span, const ChartFrame& frame) {
    if (game.peakApm <= 0)
        return;
    int x = ChartFrame::kLeft + ColumnOf(game.peakSeconds, span);
    int y = frame.Y(game.peakApm);
    out += "<circle class=\"peak\"";
    AppendAttr(out, "cx", x);
    AppendAttr(out, "cy", y);
    out += " r=\"4\"/><text class=\"peak-label\"";
    AppendAttr(out, "x", x + (x > ChartFrame::kLeft + ChartFrame::kPlotWidth / 2 ? -8 : 8));
    AppendAttr(out, "y", std::max(y + 4, ChartFrame::kTop + 10));
    out += x > ChartFrame::kLeft + ChartFrame::kPlotWidth / 2 ? " text-anchor=\"end\">" : ">";
    AppendInt(out, game.peakApm);
    out += " at " + Clock(game.peakSeconds) + "</text>\n";
}

void AppendMinutes(std::string& out, uint32_t span) {
    uint32_t step = 120;
    for (uint32_t minutes : {1u, 2u, 5u, 10u, 15u, 30u, 60u}) {
        if (span <= minutes * 60 * 8) {
            step = minutes;
            break;
        }
    }
    for (uint32_t m = 0; m * 60 <= span; m += step)
        AppendXTick(out, ChartFrame::kLeft + ColumnOf(m * 60, span), m);
    AppendXName(out, "minutes");
}

}  // namespace

void AppendGameChart(std::string& out, const GameRecord& game, size_t number, const std::vector<Sample>& samples) {
    uint32_t span = std::max({game.lengthSeconds, samples.back().seconds, 1u});
    std::vector<Column> columns(kColumns);
    int32_t highest = std::max(game.peakApm, game.limit);
    for (const Sample& s : samples) {
        Column& column = columns[ColumnOf(s.seconds, span)];
        column.recent = column.has ? std::max(column.recent, s.recent) : s.recent;
        column.apm = s.apm;
        column.has = true;
        highest = std::max({highest, s.recent, s.apm});
    }
    ChartFrame frame(highest);

    std::string attributes = " data-game=\"";
    AppendInt(attributes, static_cast<int64_t>(number));
    attributes += "\" data-samples=\"";
    AppendInt(attributes, static_cast<int64_t>(samples.size()));
    attributes += '"';
    OpenChart(out, "game-chart", "APM over game " + std::to_string(number), attributes);
    AppendShading(out, columns, game.limit);
    AppendApmGrid(out, frame);
    if (game.limit > 0) {
        int y = frame.Y(game.limit);
        AppendLine(out, "limit", ChartFrame::kLeft, y, ChartFrame::kLeft + ChartFrame::kPlotWidth, y);
        out += '\n';
    }
    AppendLines(out, columns, frame);
    AppendPeak(out, game, span, frame);
    AppendMinutes(out, span);
    out += "</svg>\n";
}
