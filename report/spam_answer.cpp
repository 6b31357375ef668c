#include "report/spam_answer.h"

#include <map>

#include "report/calendar.h"
#include "report/formats.h"
#include "report/report_stats.h"

namespace {

constexpr uint32_t kWarmUpSeconds = 80;
const char* const kKindNames[] = {"re-selects of a group", "repeated orders", "repeated group assignments",
                                  "overflowing queues"};

// The games the figures are made of: long enough to count, with the effective APM kept.
bool Counts(const GameRecord& g) { return !IsShortGame(g) && g.eapm >= 0; }

struct Totals {
    size_t games = 0;
    Mean apm, eapm;
    uint64_t actions = 0, spam = 0;
    uint64_t kinds[4] = {};
    uint64_t played = 0, below = 0;  // seconds after the warm-up, and of them below the limit
    void Add(const GameRecord& g) {
        ++games;
        apm.Add(g.apm);
        eapm.Add(g.eapm);
        actions += g.actions;
        spam += g.spam;
        for (int k = 0; k < 4; ++k)
            kinds[k] += g.spamByKind[k];
        if (g.limit > 0 && g.lengthSeconds > kWarmUpSeconds) {
            played += g.lengthSeconds - kWarmUpSeconds;
            below += g.secondsBelow;
        }
    }
};

std::string Share(uint64_t part, uint64_t whole) {
    if (whole == 0)
        return kNoValue;
    return Rounded(100.0 * static_cast<double>(part) / static_cast<double>(whole)) + " %";
}

void AppendCell(std::string& out, const char* cssClass, const std::string& text) {
    out += std::string("<td class=\"") + cssClass + "\">" + text + "</td>";
}

}  // namespace

std::string SpamShareText(const GameRecord& game) {
    return game.eapm < 0 ? std::string(kNoValue) : Share(game.spam, game.actions);
}

void AppendSpamAnswer(std::string& out, const std::vector<GameRecord>& games) {
    out += "<section id=\"spam\">\n<h2>How much of my APM is spam?</h2>\n";
    Totals recent;
    std::map<int64_t, Totals> weeks;
    for (size_t i = games.size(); i-- > 0;) {
        const GameRecord& g = games[i];
        if (!Counts(g))
            continue;
        if (recent.games < kSpamGames)
            recent.Add(g);
        int64_t start;
        if (StartSeconds(g.started, &start))
            weeks[WeekStart(start / kDaySeconds)].Add(g);
    }
    if (recent.games == 0) {
        out += "<p class=\"answer none\">No game of 3 minutes or more with its spam counted yet.</p>\n</section>\n";
        return;
    }
    int most = 0;
    for (int k = 1; k < 4; ++k)
        most = recent.kinds[k] > recent.kinds[most] ? k : most;
    out += "<p class=\"answer\">In the last " + Games(recent.games) + ", <strong class=\"spam-share\">" +
           Share(recent.spam, recent.actions) + "</strong> of the actions were spam: an effective APM of <span "
           "class=\"eapm\">" + MeanText(recent.eapm) + "</span> against an APM of <span class=\"apm\">" +
           MeanText(recent.apm) + "</span>.";
    if (recent.spam > 0)
        out += std::string(" Most of it: <span class=\"most\">") + kKindNames[most] + "</span>.";
    out += "</p>\n<div class=\"tables\">\n<table class=\"spam-kinds\">\n<thead><tr><th>Spam</th><th>Actions</th>"
           "<th>Share</th></tr></thead>\n<tbody>\n";
    for (int k = 0; k < 4; ++k) {
        out += "<tr>";
        AppendCell(out, "text", kKindNames[k]);
        AppendCell(out, "actions", std::to_string(recent.kinds[k]));
        AppendCell(out, "games", Share(recent.kinds[k], recent.actions));
        out += "</tr>\n";
    }
    out += "</tbody>\n</table>\n<table class=\"spam-weeks\">\n<thead><tr><th>Week of</th><th>Games</th><th>APM</th>"
           "<th>Effective APM</th><th>Spam</th><th>Below the limit</th></tr></thead>\n<tbody>\n";
    size_t shown = 0;
    for (auto week = weeks.rbegin(); week != weeks.rend() && shown < kSpamWeeks; ++week, ++shown) {
        const Totals& t = week->second;
        out += "<tr class=\"week\">";
        AppendCell(out, "started", DateText(week->first));
        AppendCell(out, "games", std::to_string(t.games));
        AppendCell(out, "apm", MeanText(t.apm));
        AppendCell(out, "eapm", MeanText(t.eapm));
        AppendCell(out, "spam", Share(t.spam, t.actions));
        AppendCell(out, "below", Share(t.below, t.played));
        out += "</tr>\n";
    }
    out += "</tbody>\n</table>\n</div>\n<p class=\"legend\">Over games of 3 minutes or more that kept their spam. "
           "Below the limit: the share of play after the warm-up under the alert limit, in games with one.</p>\n"
           "</section>\n";
}
