// A made-up history: games as a player's could hold them and a timeline for each, the same on every run.
// The report's tests, its browser check and the benchmark use it.
#pragma once

#include <cstddef>
#include <vector>

#include "history/record.h"

// count games, oldest first, one an hour from 2026-01-01 00:00:00; seed varies the numbers.
std::vector<GameRecord> CraftedGames(size_t count, unsigned seed = 1);
// One sample a second over the game: the warm-up's first 80 s, then the whole-game APM settling on the
// record's, the short-term APM swinging about it and dipping below the limit now and then, and the
// record's peak at its time.
std::vector<Sample> CraftedTimeline(const GameRecord& game);
