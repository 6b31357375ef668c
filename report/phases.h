// "Where in a game do I slow down?": the APM of each phase of the recent games, from their timelines, by the
// page's one rule: short games left out, the warm-up not counted, the whole-game correction applied.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "record/record.h"
#include "report/report_stats.h"

constexpr uint32_t kPhaseStarts[] = {0, 300, 600, 900, 1200};  // seconds; the last phase runs to the end
constexpr size_t kPhases = sizeof kPhaseStarts / sizeof kPhaseStarts[0];

// games: plausible, oldest first; timelines: plausible, those of the newest games, newest first (an empty
// one is a game without).
//
// Per phase, the APM of the games that are not short: each game's short-term APM over the phase after the
// warm-up, weighted by the seconds each sample stands for (the phase's actions per minute), corrected as its
// whole-game APM is; every second of play weighs the same.
std::vector<Mean> PhaseMeans(const std::vector<GameRecord>& games, const std::vector<std::vector<Sample>>& timelines);
void AppendPhases(std::string& out, const std::vector<GameRecord>& games,
                  const std::vector<std::vector<Sample>>& timelines);
