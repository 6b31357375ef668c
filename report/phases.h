// "Where in a game do I slow down?": the mean short-term APM in each phase of the recent games, from
// their timelines, each second of play weighing the same.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "history/record.h"
#include "report/report_stats.h"

constexpr uint32_t kPhaseStarts[] = {0, 300, 600, 900, 1200};  // seconds; the last phase runs to the end
constexpr size_t kPhases = sizeof kPhaseStarts / sizeof kPhaseStarts[0];

// Per phase, the short-term APM weighted by the seconds each sample stands for.
std::vector<Mean> PhaseMeans(const std::vector<std::vector<Sample>>& timelines);
// timelines: those of the recent games, plausible; an empty one is a game without.
void AppendPhases(std::string& out, const std::vector<std::vector<Sample>>& timelines);
