#include "report/sessions.h"

#include <algorithm>

#include "report/bar_chart.h"
#include "report/chart.h"
#include "report/calendar.h"
#include "report/formats.h"

namespace {

constexpr uint64_t kLeastGames = 3;  // in a place before it is compared

struct Timed {
    int64_t start, end;  // local seconds
    const GameRecord* game;
};

std::string Ordinal(size_t n) {
    static const char* const kSuffix[] = {"th", "st", "nd", "rd"};
    return std::to_string(n) + kSuffix[n % 10 < 4 && n / 10 % 10 != 1 ? n % 10 : 0];
}

std::string PlaceName(size_t place) { return place + 1 == kPlaces ? Ordinal(kPlaces) + " on" : Ordinal(place + 1); }

}  // namespace

Sessions RecentSessions(const std::vector<GameRecord>& games) {
    std::vector<Timed> timed;
    timed.reserve(games.size());
    for (const GameRecord& g : games) {
        int64_t start;
        if (StartSeconds(g.started, &start))
            timed.push_back({start, start + g.lengthSeconds, &g});
    }
    std::stable_sort(timed.begin(), timed.end(), [](const Timed& a, const Timed& b) { return a.start < b.start; });
    // Each session's first game, the newest sessions only.
    std::vector<size_t> firsts;
    for (size_t i = 0; i < timed.size(); ++i) {
        if (i == 0 || timed[i].start - timed[i - 1].end >= kSessionGap)
            firsts.push_back(i);
    }
    Sessions s;
    size_t from = firsts.size() - std::min(firsts.size(), kRecentSessions);
    s.count = firsts.size() - from;
    for (size_t k = from; k < firsts.size(); ++k) {
        size_t end = k + 1 < firsts.size() ? firsts[k + 1] : timed.size();
        s.longest = std::max(s.longest, end - firsts[k]);
        for (size_t i = firsts[k]; i < end; ++i) {
            if (!IsShortGame(*timed[i].game))
                s.places[std::min(i - firsts[k], kPlaces - 1)].Add(timed[i].game->apm);
        }
    }
    return s;
}

void AppendSessions(std::string& out, const std::vector<GameRecord>& games) {
    Sessions s = RecentSessions(games);
    out += "<section id=\"sessions\">\n<h2>Do I tire over a session?</h2>\n";
    if (s.longest < 2) {
        out += "<p class=\"none\">No session of 2 or more games yet: games with less than 30 minutes between them "
               "make a session.</p>\n</section>\n";
        return;
    }
    size_t fall = LargestFall(s.places, kLeastGames);
    out += "<p class=\"answer\" id=\"sessions-answer\"";
    if (GroupsHolding(s.places, kLeastGames) < 2) {
        out += ">Too few sessions of several games of 3 minutes or more yet to compare their games.</p>\n";
    } else if (fall == SIZE_MAX) {
        out += ">Your APM holds over a session: no game of a session is 5 % slower than the one before.</p>\n";
    } else {
        AppendAttr(out, "data-after", static_cast<int64_t>(fall + 1));
        out += ">Your APM falls most after the " + Ordinal(fall + 1) + " game of a session: from <strong>" +
               MeanText(s.places[fall]) + "</strong> in the " + PlaceName(fall) +
               " game to <strong>" + MeanText(s.places[fall + 1]) + "</strong> in the " +
               PlaceName(fall + 1) + ".</p>\n";
    }
    std::vector<Bar> bars;
    for (size_t p = 0; p < kPlaces; ++p)
        bars.push_back({PlaceName(p), s.places[p]});
    AppendBarChart(out, "session-chart", "Average APM by the game's place in its session", bars, kLeastGames,
                   "game of the session");
    out += "<p class=\"legend\">The average APM of the 1st, 2nd, ... game of the last " + std::to_string(s.count) +
           (s.count == 1 ? " session" : " sessions") + " (the longest: " + Games(s.longest) +
           "); a pause of 30 minutes or more starts a new session. Short games are left out; a pale bar rests on "
           "fewer than 3 games.</p>\n";
    out += "<table class=\"places\">\n<thead><tr><th>Game of the session</th><th>Games</th><th>Average APM</th></tr>"
           "</thead>\n<tbody>\n";
    for (size_t p = 0; p < kPlaces; ++p) {
        out += "<tr class=\"place\"";
        AppendAttr(out, "data-place", static_cast<int64_t>(p + 1));
        out += "><td class=\"place\">" + PlaceName(p) + "</td><td class=\"games\">" +
               std::to_string(s.places[p].count) + "</td><td class=\"apm\">";
        out += MeanText(s.places[p]);
        out += "</td></tr>\n";
    }
    out += "</tbody>\n</table>\n</section>\n";
}
