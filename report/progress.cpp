#include "report/progress.h"

#include <algorithm>
#include <cmath>
#include <map>

#include "report/calendar.h"
#include "report/chart.h"
#include "report/formats.h"

namespace {

struct Timed {
    size_t game;      // index in the history
    int64_t seconds;  // its start, local
};

struct Week {
    Mean apm;  // of the games that are not short
    size_t games = 0;
    int32_t best = 0;
};

class Span {
public:
    Span(int64_t from, int64_t to) : from_(from), to_(std::max(to, from + 1)) {}
    int X(int64_t seconds) const {
        return ChartFrame::X(static_cast<double>(seconds - from_) / static_cast<double>(to_ - from_));
    }
    int64_t from() const { return from_; }
    int64_t to() const { return to_; }

private:
    int64_t from_, to_;
};

// The newest games whose start can be read, in time order.
std::vector<Timed> TimedGames(const std::vector<GameRecord>& games) {
    std::vector<Timed> timed;
    for (size_t i = games.size(); i-- > 0 && timed.size() < kTrendGames;) {
        int64_t seconds;
        if (StartSeconds(games[i].started, &seconds))
            timed.push_back({i, seconds});
    }
    std::reverse(timed.begin(), timed.end());
    std::stable_sort(timed.begin(), timed.end(), [](const Timed& a, const Timed& b) { return a.seconds < b.seconds; });
    return timed;
}

std::map<int64_t, Week> Weeks(const std::vector<GameRecord>& games, const std::vector<Timed>& timed) {
    std::map<int64_t, Week> weeks;
    for (const Timed& t : timed) {
        const GameRecord& g = games[t.game];
        Week& week = weeks[WeekStart(t.seconds / kDaySeconds)];
        ++week.games;
        if (!IsShortGame(g)) {
            week.apm.Add(g.apm);
            week.best = std::max(week.best, g.apm);
        }
    }
    return weeks;
}

// Ticks on Mondays for a span of up to ten weeks, else on the first of the months, at most about eight.
void AppendDates(std::string& out, const Span& span) {
    int64_t firstDay = span.from() / kDaySeconds, lastDay = span.to() / kDaySeconds;
    int64_t days = lastDay - firstDay;
    if (days <= 70) {
        int64_t step = days <= 42 ? 7 : 14;
        for (int64_t day = WeekStart(firstDay); day <= lastDay; day += step)
            AppendXTick(out, span.X(day * kDaySeconds), DateText(day));
    } else {
        // A history's dates can be anything, centuries apart: the step grows with the span.
        int64_t months = days / 30 / 7 + 1;
        for (int m : {60, 24, 12, 6, 3, 2, 1}) {
            if (days / 30 / m <= 7)
                months = m;
        }
        for (int64_t day = MonthStart(firstDay, 1); day <= lastDay; day = MonthStart(day, static_cast<int>(months)))
            AppendXTick(out, span.X(day * kDaySeconds), DateText(day));
    }
    AppendXName(out, "date");
}

void AppendBests(std::string& out, const std::vector<GameRecord>& games, const std::vector<Timed>& timed,
                 const Summary& summary, const Span& span, const ChartFrame& frame) {
    auto at = [&timed](size_t game) {
        auto found = std::find_if(timed.begin(), timed.end(), [game](const Timed& t) { return t.game == game; });
        return found == timed.end() ? nullptr : &*found;
    };
    if (const Timed* best = summary.best == SIZE_MAX ? nullptr : at(summary.best)) {
        int x = span.X(best->seconds), y = frame.Y(games[best->game].apm);
        out += "<circle class=\"best-game\"";
        AppendAttr(out, "cx", x);
        AppendAttr(out, "cy", y);
        out += " r=\"7\"/>";
        OpenText(out, "best-label", x, std::max(y - 10, ChartFrame::kTop + 10),
                 x > ChartFrame::kLeft + ChartFrame::kPlotWidth / 2);
        out += "best game</text>\n";
    }
    const Timed* first = summary.bestTenFirst == SIZE_MAX ? nullptr : at(summary.bestTenFirst);
    const Timed* last = summary.bestTenLast == SIZE_MAX ? nullptr : at(summary.bestTenLast);
    if (first && last) {
        int x = span.X(first->seconds), y = frame.Y(summary.bestTen);
        AppendLine(out, "best-ten", x, y, std::max(span.X(last->seconds), x + 2), y);
        OpenText(out, "best-label", x, std::min(y + 14, ChartFrame::kTop + ChartFrame::kPlotHeight - 2),
                 x > ChartFrame::kLeft + ChartFrame::kPlotWidth / 2);
        out += "best 10 in a row</text>\n";
    }
}

void AppendChart(std::string& out, const std::vector<GameRecord>& games, const std::vector<Timed>& timed,
                 const std::map<int64_t, Week>& weeks, const Summary& summary) {
    Span span(WeekStart(timed.front().seconds / kDaySeconds) * kDaySeconds,
              (WeekStart(timed.back().seconds / kDaySeconds) + 7) * kDaySeconds);
    // A short game's APM can be anything; it is drawn at the top rather than squeezing the others.
    int32_t highest = 0, highestShort = 0;
    for (const Timed& t : timed) {
        const GameRecord& g = games[t.game];
        int32_t& top = IsShortGame(g) ? highestShort : highest;
        top = std::max(top, g.apm);
    }
    if (highest == 0)
        highest = highestShort;
    ChartFrame frame(highest);
    std::string attributes = " data-points=\"";
    AppendInt(attributes, static_cast<int64_t>(timed.size()));
    attributes += '"';
    OpenChart(out, "progress-chart", "APM of each game by date, with the weekly average", attributes);
    AppendApmGrid(out, frame);
    std::string path;
    for (const auto& [monday, week] : weeks) {
        if (week.apm.count == 0)
            continue;
        int y = frame.Y(week.apm.Value());
        path += 'M';
        AppendPoint(path, span.X(monday * kDaySeconds), y);
        path += 'L';
        AppendPoint(path, span.X((monday + 7) * kDaySeconds), y);
    }
    if (!path.empty())
        out += "<path class=\"week-average\" d=\"" + path + "\"/>\n";
    const char* radius = timed.size() > 200 ? "2" : "3";
    for (const Timed& t : timed) {
        const GameRecord& g = games[t.game];
        out += IsShortGame(g) ? "<circle class=\"trend-short\"" : "<circle class=\"trend-point\"";
        AppendAttr(out, "data-game", static_cast<int64_t>(t.game + 1));
        AppendAttr(out, "data-apm", g.apm);
        AppendAttr(out, "cx", span.X(t.seconds));
        AppendAttr(out, "cy", frame.Y(g.apm));
        out += " r=\"";
        out += radius;
        out += "\"><title>";
        out += DateText(t.seconds / kDaySeconds);
        out += ": ";
        AppendInt(out, g.apm);
        out += IsShortGame(g) ? " APM, a short game</title></circle>\n" : " APM</title></circle>\n";
    }
    AppendBests(out, games, timed, summary, span, frame);
    AppendDates(out, span);
    out += "</svg>\n";
}

// The last four weeks up to the newest game's against the four before them.
void AppendAnswer(std::string& out, const std::map<int64_t, Week>& weeks) {
    int64_t newest = weeks.rbegin()->first;
    Mean recent, before;
    for (const auto& [monday, week] : weeks) {
        if (monday > newest - 7 * kCompareWeeks)
            recent.Add(week.apm);
        else if (monday > newest - 14 * kCompareWeeks)
            before.Add(week.apm);
    }
    out += "<p class=\"answer\" id=\"progress-answer\"";
    if (recent.count == 0) {
        out += ">No game of 3 minutes or more in the 4 weeks up to your newest game.</p>\n";
        return;
    }
    long now = std::lround(recent.Value());
    if (before.count == 0) {
        out += ">In the 4 weeks up to your newest game: <strong>" + std::to_string(now) + " APM</strong> over " +
               Games(recent.count) + "; no games in the 4 weeks before to compare with.</p>\n";
        return;
    }
    long then = std::lround(before.Value());
    AppendAttr(out, "data-change", now - then);
    out += ">In the 4 weeks up to your newest game: <strong>" + std::to_string(now) + " APM</strong> over " +
           Games(recent.count) + "; in the 4 weeks before: " + std::to_string(then) + " APM over " + Games(before.count) + " (" +
           Signed(now - then) + (now > then ? ", faster" : now < then ? ", slower" : ", the same") + ").</p>\n";
}

void AppendWeekTable(std::string& out, const std::map<int64_t, Week>& weeks) {
    out += "<table class=\"weeks\">\n<thead><tr><th>Week of</th><th>Games</th><th>Average APM</th>"
           "<th>Best APM</th></tr></thead>\n<tbody>\n";
    size_t rows = 0;
    for (auto w = weeks.rbegin(); w != weeks.rend() && rows < kWeekRows; ++w, ++rows) {
        std::string date = DateText(w->first);
        out += "<tr class=\"week\" data-week=\"" + date + "\"><td class=\"week\">" + date + "</td><td class=\"games\">";
        AppendInt(out, static_cast<int64_t>(w->second.games));
        out += "</td><td class=\"apm\">";
        out += MeanText(w->second.apm);
        out += "</td><td class=\"best\">";
        out += w->second.apm.count ? std::to_string(w->second.best) : kNoValue;
        out += "</td></tr>\n";
    }
    out += "</tbody>\n</table>\n";
}

}  // namespace

void AppendProgress(std::string& out, const std::vector<GameRecord>& games, const Summary& summary) {
    out += "<section id=\"progress\">\n<h2>Am I getting faster?</h2>\n";
    std::vector<Timed> timed = TimedGames(games);
    if (timed.empty()) {
        out += "<p class=\"none\">The dates of these games cannot be read.</p>\n</section>\n";
        return;
    }
    std::map<int64_t, Week> weeks = Weeks(games, timed);
    AppendAnswer(out, weeks);
    AppendChart(out, games, timed, weeks, summary);
    out += "<p class=\"legend\"><span class=\"dot\"></span>a game's APM<span class=\"dot short\"></span>a short game "
           "(under 3 minutes), left out of averages and bests<span class=\"key week\"></span>the week's average"
           "<span class=\"key ten\"></span>the best 10 games in a row; the ring marks the best game. The newest " +
           Games(timed.size()) + " with a date.</p>\n";
    AppendWeekTable(out, weeks);
    out += "</section>\n";
}
