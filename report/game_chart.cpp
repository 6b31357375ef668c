// A day of samples would be tens of thousands of points: the samples are gathered into one column a pixel,
// holding the column's mean short-term APM and its last whole-game APM, so a chart's size is bounded by
// its width whatever the game's length. A column is shaded when most of its time was below the limit, so
// the shaded width is the time below, not the moments the line dipped.
#include "report/game_chart.h"

#include <algorithm>
#include <cmath>

#include "report/chart.h"
#include "report/formats.h"
#include "report/plausible.h"
#include "util/local_time.h"

namespace {

constexpr int kColumns = ChartFrame::kPlotWidth + 1;
constexpr int kAlertSpacing = 8;     // pixels

struct Column {
    uint32_t seconds = 0;  // the span of game time its samples stand for
    uint32_t below = 0;    // of that, after the warm-up and under the limit
    double recentSum = 0;  // weighted by seconds
    double effectiveSum = 0;
    uint32_t effectiveSeconds = 0;  // of samples that kept the effective APM
    int32_t apm = -1;      // the last whole-game APM; -1 during the warm-up
    uint32_t alerts = 0;
    uint32_t firstAlert = 0;  // seconds into the game
    bool has() const { return seconds > 0; }
    int32_t recent() const { return static_cast<int32_t>(std::lround(recentSum / seconds)); }
    int32_t effective() const { return static_cast<int32_t>(std::lround(effectiveSum / effectiveSeconds)); }
};

int ColumnOf(uint32_t seconds, uint32_t span) {
    return static_cast<int>(static_cast<uint64_t>(std::min(seconds, span)) * ChartFrame::kPlotWidth / span);
}

std::vector<Column> Columns(const std::vector<Sample>& samples, uint32_t span, int32_t limit) {
    std::vector<Column> columns(kColumns);
    for (size_t i = 0; i < samples.size(); ++i) {
        const Sample& s = samples[i];
        uint32_t weight = SecondsStoodFor(samples, i);
        Column& column = columns[ColumnOf(s.seconds, span)];
        column.seconds += weight;
        column.recentSum += static_cast<double>(s.recent) * weight;
        if (s.effective >= 0) {
            column.effectiveSum += static_cast<double>(s.effective) * weight;
            column.effectiveSeconds += weight;
        }
        column.apm = s.apm;
        if (s.apm >= 0 && limit > 0 && s.recent < limit)
            column.below += weight;
        if (s.alerts > 0 && column.alerts == 0)
            column.firstAlert = s.seconds;
        column.alerts += s.alerts;
    }
    return columns;
}

void AppendShading(std::string& out, const std::vector<Column>& columns) {
    bool below = false;
    int from = 0;
    for (int c = 0; c <= kColumns; ++c) {
        bool now = below;  // a column without samples keeps its neighbour's state
        if (c == kColumns)
            now = false;
        else if (columns[c].has())
            now = columns[c].below * 2 > columns[c].seconds;
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
    // The effective line first, so that the APM's is drawn over it; timelines kept before it have none.
    std::string effective;
    for (int c = 0; c < kColumns; ++c) {
        if (columns[c].effectiveSeconds > 0)
            AppendPoint(effective, ChartFrame::kLeft + c, frame.Y(columns[c].effective()));
    }
    if (!effective.empty())
        out += "<polyline class=\"effective\" points=\"" + effective + "\"/>\n";
    out += "<polyline class=\"recent\" points=\"";
    for (int c = 0; c < kColumns; ++c) {
        if (columns[c].has())
            AppendPoint(out, ChartFrame::kLeft + c, frame.Y(columns[c].recent()));
    }
    out += "\"/>\n";
    std::string whole;
    bool pen = false;
    for (int c = 0; c < kColumns; ++c) {
        if (!columns[c].has())
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

// A small triangle over the plot where alerts sounded, pointing down at the time. Marks are as wide as
// their spacing: alerts closer than that share the first one's mark.
void AppendAlerts(std::string& out, std::vector<Column>& columns) {
    for (int c = 0; c < kColumns; ++c) {
        if (columns[c].alerts == 0)
            continue;
        for (int next = c + 1; next < std::min(c + kAlertSpacing, kColumns); ++next) {
            columns[c].alerts += columns[next].alerts;
            columns[next].alerts = 0;
        }
        int x = ChartFrame::kLeft + c;
        out += "<path class=\"alert\"";
        AppendAttr(out, "data-seconds", columns[c].firstAlert);
        int top = ChartFrame::kTop - 1;
        out += " d=\"M";
        AppendPoint(out, x, top);
        out += 'L';
        AppendPoint(out, x - 4, top - 7);
        out += 'L';
        AppendPoint(out, x + 4, top - 7);
        out += "Z\"><title>";
        AppendInt(out, columns[c].alerts);
        out += columns[c].alerts == 1 ? " alert at " : " alerts from ";
        out += ClockText(columns[c].firstAlert);
        out += "</title></path>\n";
    }
}

void AppendPeak(std::string& out, const GameRecord& game, uint32_t span, const ChartFrame& frame) {
    if (game.peakApm <= 0)
        return;
    int x = ChartFrame::kLeft + ColumnOf(game.peakSeconds, span);
    int y = frame.Y(game.peakApm);
    bool right = x > ChartFrame::kLeft + ChartFrame::kPlotWidth / 2;
    out += "<circle class=\"peak\"";
    AppendAttr(out, "cx", x);
    AppendAttr(out, "cy", y);
    out += " r=\"4\"/>";
    OpenText(out, "peak-label", x + (right ? -8 : 8), std::max(y + 4, ChartFrame::kTop + 10), right);
    AppendInt(out, game.peakApm);
    out += " at " + ClockText(game.peakSeconds) + "</text>\n";
}

void AppendTimes(std::string& out, uint32_t span) {
    uint32_t step = 240;
    for (uint32_t minutes : {1u, 2u, 5u, 10u, 15u, 30u, 60u, 120u}) {
        if (span <= minutes * 60 * 7) {
            step = minutes;
            break;
        }
    }
    for (uint32_t m = 0; m * 60 <= span; m += step)
        AppendXTick(out, ChartFrame::kLeft + ColumnOf(m * 60, span), ClockText(m * 60));
    AppendXName(out, "time into the game");
}

}  // namespace

void AppendGameChart(std::string& out, const GameRecord& game, size_t number, const std::vector<Sample>& samples) {
    uint32_t span = std::max({game.lengthSeconds, samples.back().seconds, 1u});
    std::vector<Column> columns = Columns(samples, span, game.limit);
    int32_t highest = std::max(game.peakApm, game.limit);
    for (const Column& c : columns) {
        if (c.has())
            highest = std::max({highest, c.recent(), c.apm});
    }
    ChartFrame frame(highest);

    std::string attributes = " data-game=\"";
    AppendInt(attributes, static_cast<int64_t>(number));
    attributes += "\" data-samples=\"";
    AppendInt(attributes, static_cast<int64_t>(samples.size()));
    attributes += '"';
    OpenChart(out, "game-chart", "APM over game " + std::to_string(number), attributes);
    AppendShading(out, columns);
    AppendApmGrid(out, frame);
    if (game.limit > 0) {
        int y = frame.Y(game.limit);
        AppendLine(out, "limit", ChartFrame::kLeft, y, ChartFrame::kLeft + ChartFrame::kPlotWidth, y);
        out += '\n';
    }
    AppendLines(out, columns, frame);
    AppendAlerts(out, columns);
    AppendPeak(out, game, span, frame);
    AppendTimes(out, span);
    out += "</svg>\n";
}
