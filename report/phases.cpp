#include "report/phases.h"

#include <algorithm>

#include "report/bar_chart.h"
#include "report/chart.h"
#include "report/formats.h"
#include "report/plausible.h"

namespace {

constexpr uint64_t kLeastSeconds = 120;  // of play in a phase before it is compared

size_t PhaseOf(uint32_t seconds) {
    size_t phase = 0;
    while (phase + 1 < kPhases && seconds >= kPhaseStarts[phase + 1])
        ++phase;
    return phase;
}

std::string PhaseName(size_t phase) {
    std::string from = std::to_string(kPhaseStarts[phase] / 60);
    if (phase + 1 == kPhases)
        return from + " min and later";
    return from + "\xE2\x80\x93" + std::to_string(kPhaseStarts[phase + 1] / 60) + " min";
}

// The timelines that count: those of the games that are not short.
std::vector<const std::vector<Sample>*> Counted(const std::vector<GameRecord>& games,
                                                const std::vector<std::vector<Sample>>& timelines) {
    std::vector<const std::vector<Sample>*> counted;
    for (size_t k = 0; k < timelines.size() && k < games.size(); ++k) {
        if (!timelines[k].empty() && !IsShortGame(games[games.size() - 1 - k]))
            counted.push_back(&timelines[k]);
    }
    return counted;
}

std::vector<Mean> Means(const std::vector<const std::vector<Sample>*>& counted) {
    std::vector<Mean> phases(kPhases);
    for (const std::vector<Sample>* samples : counted) {
        std::vector<Mean> game(kPhases);
        for (size_t i = 0; i < samples->size(); ++i) {
            const Sample& s = (*samples)[i];
            if (s.seconds >= kWarmUpSeconds)
                game[PhaseOf(s.seconds)].Add(s.recent, SecondsStoodFor(*samples, i));
        }
        for (size_t p = 0; p < kPhases; ++p)
            phases[p].Add(CorrectedApm(game[p].Value()), game[p].count);
    }
    return phases;
}

}  // namespace

std::vector<Mean> PhaseMeans(const std::vector<GameRecord>& games, const std::vector<std::vector<Sample>>& timelines) {
    return Means(Counted(games, timelines));
}

void AppendPhases(std::string& out, const std::vector<GameRecord>& games,
                  const std::vector<std::vector<Sample>>& timelines) {
    std::vector<const std::vector<Sample>*> counted = Counted(games, timelines);
    out += "<section id=\"phases\">\n<h2>Where in a game do I slow down?</h2>\n";
    if (counted.empty()) {
        bool any = std::any_of(timelines.begin(), timelines.end(), [](const auto& t) { return !t.empty(); });
        out += any ? "<p class=\"none\">The recent games with a timeline are short games, which are left out.</p>\n"
                     "</section>\n"
                   : "<p class=\"none\">No timeline was kept for the recent games.</p>\n</section>\n";
        return;
    }
    std::vector<Mean> phases = Means(counted);
    size_t fall = LargestFall(phases, kLeastSeconds);
    out += "<p class=\"answer\" id=\"phases-answer\"";
    if (GroupsHolding(phases, kLeastSeconds) < 2) {
        out += ">Too little play yet to compare the phases of a game.</p>\n";
    } else if (fall == SIZE_MAX) {
        out += ">Your APM holds through the game: no phase is 5 % slower than the one before.</p>\n";
    } else {
        AppendAttr(out, "data-from", kPhaseStarts[fall + 1]);
        out += ">Your APM falls most after " + std::to_string(kPhaseStarts[fall + 1] / 60) + " minutes: from <strong>" +
               MeanText(phases[fall]) + "</strong> (" + PhaseName(fall) + ") to <strong>" +
               MeanText(phases[fall + 1]) + "</strong> (" + PhaseName(fall + 1) + ").</p>\n";
    }
    std::vector<Bar> bars;
    for (size_t p = 0; p < kPhases; ++p)
        bars.push_back({PhaseName(p), phases[p]});
    AppendBarChart(out, "phase-chart", "APM by phase of the game, after the warm-up", bars, kLeastSeconds,
                   "minutes into the game");
    out += "<p class=\"legend\" data-games=\"" + std::to_string(counted.size()) + "\">The APM in each phase of the " +
           Games(counted.size()) + " of 3 minutes or more with a timeline among the last " +
           std::to_string(timelines.size()) + ": the phase's actions per minute after the warm-up, with the "
           "whole-game correction, as a game's APM. Short games are left out; a pale bar rests on less than 2 "
           "minutes of play.</p>\n";
    out += "<table class=\"phases\">\n<thead><tr><th>Phase</th><th>Games</th><th>Time</th><th>APM</th>"
           "</tr></thead>\n<tbody>\n";
    for (size_t p = 0; p < kPhases; ++p) {
        uint32_t from = std::max(kPhaseStarts[p], kWarmUpSeconds);
        size_t reaching = static_cast<size_t>(std::count_if(
            counted.begin(), counted.end(), [from](const std::vector<Sample>* t) { return t->back().seconds >= from; }));
        out += "<tr class=\"phase\"";
        AppendAttr(out, "data-from", kPhaseStarts[p]);
        out += "><td class=\"phase\">" + PhaseName(p) + "</td><td class=\"games\">" + std::to_string(reaching) +
               "</td><td class=\"time\">" + Duration(phases[p].count) + "</td><td class=\"apm\">";
        out += MeanText(phases[p]);
        out += "</td></tr>\n";
    }
    out += "</tbody>\n</table>\n</section>\n";
}
