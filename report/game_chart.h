// One game's chart: its short-term APM and, after the warm-up, its whole-game APM over the time into the
// game, the alert limit as a line with the time spent below it shaded, the alerts marked over the plot and
// the game's highest APM marked.
#pragma once

#include <cstddef>
#include <string>
#include <vector>

#include "record/record.h"

// samples as PlausibleSamples leaves them, at least one; number is the game's place in the history.
void AppendGameChart(std::string& out, const GameRecord& game, size_t number, const std::vector<Sample>& samples);
