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

}  // namespace

std::vector<Mean> PhaseMeans(const std::vector<std::vector<Sample>>& timelines) {
    std::vector<Mean> phases(kPhases);
    for (const std::vector<Sample>& samples : timelines) {
        for (size_t i = 0; i < samples.size(); ++i)
            phases[PhaseOf(samples[i].seconds)].Add(samples[i].recent, SecondsStoodFor(samples, i));
    }
    return phases;
}

void AppendPhases(std::string& out, const std::vector<std::vector<Sample>>& timelines) {
    size_t games = static_cast<size_t>(
        std::count_if(timelines.begin(), timelines.end(), [](const std::vector<Sample>& t) { return !t.empty(); }));
    out += "<section id=\"phases\">\n<h2>Where in a game do I slow down?</h2>\n";
    if (games == 0) {
        out += "<p class=\"none\">No timeline was kept for the recent games.</p>\n</section>\n";
        return;
    }
    std::vector<Mean> phases = PhaseMeans(timelines);
    size_t fall = LargestFall(phases, kLeastSeconds);
    out += "<p class=\"answer\" id=\"phases-answer\"";
    if (GroupsHolding(phases, kLeastSeconds) < 2) {
        out += ">Too little play yet to compare the phases of a game: the recent games are short.</p>\n";
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
    AppendBarChart(out, "phase-chart", "Mean short-term APM by phase of the game", bars, kLeastSeconds,
                   "minutes into the game");
    out += "<p class=\"legend\">The mean short-term APM in each phase of the last " + Games(games) +
           " with a timeline; a pale bar rests on less than 2 minutes of play.</p>\n";
    out += "<table class=\"phases\">\n<thead><tr><th>Phase</th><th>Games</th><th>Time</th><th>Mean short-term APM</th>"
           "</tr></thead>\n<tbody>\n";
    for (size_t p = 0; p < kPhases; ++p) {
        size_t reaching = static_cast<size_t>(std::count_if(timelines.begin(), timelines.end(), [p](const auto& t) {
            return !t.empty() && t.back().seconds >= kPhaseStarts[p];
        }));
        out += "<tr class=\"phase\"";
        AppendAttr(out, "data-from", kPhaseStarts[p]);
        out += "><td class=\"phase\">" + PhaseName(p) + "</td><td class=\"games\">" + std::to_string(reaching) +
               "</td><td class=\"time\">" + Duration(phases[p].count) + "</td><td class=\"apm\">";
        out += MeanText(phases[p]);
        out += "</td></tr>\n";
    }
    out += "</tbody>\n</table>\n</section>\n";
}
