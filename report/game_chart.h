// One game's chart: its short-term APM and, after the warm-up, its whole-game APM over time in minutes,
// the alert limit as a line with the stretches below it shaded, and the game's highest point marked.
#pragma once

#include <cstddef>
#include <string>
#include <vector>

#include "history/record.h"

// samples as PlausibleSamples leaves them, at least one; number is the game's place in the history.
void AppendGameChart(std::string& out, const GameRecord& game, size_t number, const std::vector<Sample>& samples);
