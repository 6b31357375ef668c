// The trend across games: each of the last (up to) 200 games' APM as a point, the 10-game moving
// average as a line and the alert limit in force at each game's end as a stepped line.
#pragma once

#include <cstddef>
#include <string>
#include <vector>

#include "history/record.h"

constexpr size_t kTrendGames = 200;

// games: plausible, oldest first, at least one.
void AppendTrendChart(std::string& out, const std::vector<GameRecord>& games);
