// The figures the report draws its answers from, over plausible games, oldest first. A short game's APM
// rests on a few seconds of play, so short games are counted and shown but kept out of bests and averages.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

#include "record/record.h"

constexpr size_t kAverageGames = 10;
constexpr uint32_t kShortGameSeconds = 180;
constexpr uint32_t kWarmUpSeconds = 80;  // at a game's start, not counted in its APM

inline bool IsShortGame(const GameRecord& game) { return game.lengthSeconds < kShortGameSeconds; }

struct Summary {
    size_t games = 0;
    size_t shortGames = 0;
    uint64_t seconds = 0;     // time played
    double last = 0;          // average APM of the last (up to) 10 games that are not short
    size_t lastCount = 0;
    double before = 0;        // of the (up to) 10 such games before those
    size_t beforeCount = 0;
    size_t best = SIZE_MAX;   // the game with the highest APM, the first to reach it; not a short one
    double bestTen = 0;       // the highest average of 10 such games in a row
    size_t bestTenFirst = SIZE_MAX, bestTenLast = SIZE_MAX;  // the first and last game of those 10
};

Summary Summarise(const std::vector<GameRecord>& games);

// A mean built up one value at a time.
struct Mean {
    uint64_t count = 0;
    double sum = 0;
    void Add(double value, uint64_t weight = 1) {
        count += weight;
        sum += value * static_cast<double>(weight);
    }
    void Add(const Mean& other) {
        count += other.count;
        sum += other.sum;
    }
    double Value() const { return count ? sum / static_cast<double>(count) : 0; }
};

// A rate of actions per minute with the correction the whole-game APM has (record/apm_correction.h), unrounded,
// so that figures made from timelines compare with games' APM.
double CorrectedApm(double raw);

// The mean rounded, or the sign for none when nothing was added.
std::string MeanText(const Mean& mean);
// How many groups hold at least least.
size_t GroupsHolding(const std::vector<Mean>& groups, uint64_t least);
// Of neighbouring groups that both hold at least least, the pair where the mean falls most: the index of
// the first of them, or SIZE_MAX when no mean falls by 5 % or more.
size_t LargestFall(const std::vector<Mean>& groups, uint64_t least);
