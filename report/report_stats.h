// The figures at the top of the report and the trend's moving average, over plausible games, oldest first.
#pragma once

#include <cstddef>
#include <cstdint>
#include <vector>

#include "history/record.h"

constexpr size_t kAverageGames = 10;

struct Summary {
    size_t games = 0;
    uint64_t seconds = 0;     // time played
    double last = 0;          // average APM of the last (up to) 10 games
    size_t lastCount = 0;
    double before = 0;        // of the (up to) 10 before those
    size_t beforeCount = 0;
    size_t best = SIZE_MAX;   // index of the game with the highest APM, the first to reach it
};

Summary Summarise(const std::vector<GameRecord>& games);

// The average APM of the (up to) 10 games ending at each game from first on.
std::vector<double> MovingAverage(const std::vector<GameRecord>& games, size_t first);
