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
    Mean eapm;  // of those that kept their effective APM
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

// The games whose start can be read, in time order; of those, the newest (in the history's order) are drawn.
struct Dated {
    std::vector<Timed> all;
    std::vector<Timed> drawn;
};

Dated DatedGames(const std::vector<GameRecord>& games) {
    Dated dated;
    dated.all.reserve(games.size());
    for (size_t i = 0; i < games.size(); ++i) {
        int64_t seconds;
        if (StartSeconds(games[i].started, &seconds))
            dated.all.push_back({i, seconds});
    }
    auto earlier = [](const Timed& a, const Timed& b) { return a.seconds < b.seconds; };
    dated.drawn.assign(dated.all.end() - static_cast<ptrdiff_t>(std::min(dated.all.size(), kTrendGames)),
                       dated.all.end());
    std::stable_sort(dated.all.begin(), dated.all.end(), earlier);
    std::stable_sort(dated.drawn.begin(), dated.drawn.end(), earlier);
    return dated;
}

std::map<int64_t, Week> Weeks(const std::vector<GameRecord>& games, const std::vector<Timed>& timed) {
    std::map<int64_t, Week> weeks;
    for (const Timed& t : timed) {
        const GameRecord& g = games[t.game];
        Week& week = weeks[WeekStart(t.seconds / kDaySeconds)];
        ++week.games;
        if (!IsShortGame(g)) {
            week.apm.Add(g.apm);
            if (g.eapm >= 0)
                week.eapm.Add(g.eapm);
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
    // The weeks under the drawn points, each the average of the whole week's games, drawn ones or not.
    auto firstWeek = weeks.lower_bound(span.from() / kDaySeconds), endWeek = weeks.lower_bound(span.to() / kDaySeconds);
    for (auto w = firstWeek; w != endWeek; ++w)
        highest = std::max(highest, static_cast<int32_t>(std::ceil(w->second.apm.Value())));
    if (highest == 0)
        highest = highestShort;
    ChartFrame frame(highest);
    std::string attributes = " data-points=\"";
    AppendInt(attributes, static_cast<int64_t>(timed.size()));
    attributes += '"';
    OpenChart(out, "progress-chart", "APM of each game by date, with the weekly average", attributes);
    AppendApmGrid(out, frame);
    std::string path;
    for (auto w = firstWeek; w != endWeek; ++w) {
        const auto& [monday, week] = *w;
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
    // Each game's effective APM under its point, where it was kept; short games have none drawn.
    for (const Timed& t : timed) {
        const GameRecord& g = games[t.game];
        if (IsShortGame(g) || g.eapm < 0)
            continue;
        out += "<circle class=\"trend-effective\"";
        AppendAttr(out, "data-game", static_cast<int64_t>(t.game + 1));
        AppendAttr(out, "data-eapm", g.eapm);
        AppendAttr(out, "cx", span.X(t.seconds));
        AppendAttr(out, "cy", frame.Y(g.eapm));
        out += " r=\"2\"/>\n";
    }
    AppendBests(out, games, timed, summary, span, frame);
    AppendDates(out, span);
    out += "</svg>\n";
}

// One answer to "am I getting faster?": the recent games' average against that of the games before them.
struct Comparison {
    const char* id;
    std::string recentName, beforeName;  // each with its preposition, the first capitalised
    Mean recent, before;

    bool Compared() const { return recent.count > 0 && before.count > 0; }
    long Change() const { return std::lround(recent.Value()) - std::lround(before.Value()); }
};

// The last four weeks up to the newest game's against the four before them.
Comparison WeeksCompared(const std::map<int64_t, Week>& weeks) {
    Comparison c{"progress-answer", "In the 4 weeks up to your newest game", "in the 4 weeks before", {}, {}};
    int64_t newest = weeks.rbegin()->first;
    for (const auto& [monday, week] : weeks) {
        if (monday > newest - 7 * kCompareWeeks)
            c.recent.Add(week.apm);
        else if (monday > newest - 14 * kCompareWeeks)
            c.before.Add(week.apm);
    }
    return c;
}

// The summary's last games against those before them.
Comparison GamesCompared(const Summary& summary) {
    Comparison c{"progress-games", "Your last games of 3 minutes or more", "the games before them", {}, {}};
    c.recent.Add(summary.last, summary.lastCount);
    c.before.Add(summary.before, summary.beforeCount);
    return c;
}

// Each answer says how many games stand behind it, so that two answers from different games can be told apart.
void AppendAnswer(std::string& out, const Comparison& c) {
    out += "<p class=\"answer\" id=\"";
    out += c.id;
    out += '"';
    AppendAttr(out, "data-games", static_cast<int64_t>(c.recent.count));
    AppendAttr(out, "data-before-games", static_cast<int64_t>(c.before.count));
    if (c.Compared())
        AppendAttr(out, "data-change", c.Change());
    out += ">" + c.recentName + ": <strong>" + Rounded(c.recent.Value()) + " APM</strong> over " +
           Games(c.recent.count) + "; ";
    if (!c.Compared()) {
        out += "nothing before to compare with.</p>\n";
        return;
    }
    long change = c.Change();
    out += c.beforeName + ": " + Rounded(c.before.Value()) + " APM over " + Games(c.before.count) + " (" +
           Signed(change) + (change > 0 ? ", faster" : change < 0 ? ", slower" : ", the same") + ").</p>\n";
}

// The weeks' answer after the games', with a word when the two disagree.
void AppendWeeksAnswer(std::string& out, const Comparison& weeks, const Comparison& games) {
    if (weeks.recent.count == 0) {
        out += "<p class=\"answer\" id=\"progress-answer\" data-games=\"0\">No game of 3 minutes or more in the 4 "
               "weeks up to your newest game.</p>\n";
        return;
    }
    AppendAnswer(out, weeks);
    if (games.Compared() && weeks.Compared() && games.Change() * weeks.Change() < 0) {
        out += "<p class=\"legend\" id=\"progress-differ\">The two answers rest on different games: the first on " +
               Games(games.recent.count + games.before.count) + ", the second on " +
               Games(weeks.recent.count + weeks.before.count) + " over 8 weeks.</p>\n";
    }
}

void AppendWeekTable(std::string& out, const std::map<int64_t, Week>& weeks) {
    out += "<table class=\"weeks\">\n<thead><tr><th>Week of</th><th>Games</th><th>Average APM</th>"
           "<th>Effective APM</th><th>Best APM</th></tr></thead>\n<tbody>\n";
    size_t rows = 0;
    for (auto w = weeks.rbegin(); w != weeks.rend() && rows < kWeekRows; ++w, ++rows) {
        std::string date = DateText(w->first);
        out += "<tr class=\"week\" data-week=\"" + date + "\"><td class=\"week\">" + date + "</td><td class=\"games\">";
        AppendInt(out, static_cast<int64_t>(w->second.games));
        out += "</td><td class=\"apm\">";
        out += MeanText(w->second.apm);
        out += "</td><td class=\"eapm\">";
        out += MeanText(w->second.eapm);
        out += "</td><td class=\"best\">";
        out += w->second.apm.count ? std::to_string(w->second.best) : kNoValue;
        out += "</td></tr>\n";
    }
    out += "</tbody>\n</table>\n";
}

}  // namespace

void AppendProgress(std::string& out, const std::vector<GameRecord>& games, const Summary& summary) {
    out += "<section id=\"progress\">\n<h2>Am I getting faster?</h2>\n";
    Comparison lastGames = GamesCompared(summary);
    if (lastGames.recent.count > 0)
        AppendAnswer(out, lastGames);
    Dated dated = DatedGames(games);
    if (dated.all.empty()) {
        out += "<p class=\"none\">The dates of these games cannot be read.</p>\n</section>\n";
        return;
    }
    std::map<int64_t, Week> weeks = Weeks(games, dated.all);
    AppendWeeksAnswer(out, WeeksCompared(weeks), lastGames);
    AppendChart(out, games, dated.drawn, weeks, summary);
    out += "<p class=\"legend\"><span class=\"dot\"></span>a game's APM<span class=\"dot short\"></span>a short game "
           "(under 3 minutes), left out of averages and bests<span class=\"dot effective\"></span>its effective APM"
           "<span class=\"key week\"></span>the week's average"
           "<span class=\"key ten\"></span>the best 10 games in a row; the ring marks the best game. The newest " +
           Games(dated.drawn.size()) + " with a date are drawn; the weeks hold every game.</p>\n";
    AppendWeekTable(out, weeks);
    out += "</section>\n";
}
