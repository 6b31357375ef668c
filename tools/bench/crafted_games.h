// A made-up history: games as a player's could hold them and a timeline for each, the same on every run.
// The report's tests, its browser check and the benchmark use it.
#pragma once

#include <cstddef>
#include <vector>

#include "record/record.h"

// count games, oldest first, one an hour from 2026-01-01 00:00:00; seed varies the numbers.
std::vector<GameRecord> CraftedGames(size_t count, unsigned seed = 1);
// One sample a second over the game: the warm-up's first 80 s, then the whole-game APM settling on the
// record's, the short-term APM swinging about it and dipping below the limit now and then, and the
// record's peak at its time.
std::vector<Sample> CraftedTimeline(const GameRecord& game);

// A player's eight weeks whose answers are known: three sessions a week of five 15-minute games, 5
// minutes apart; the APM grows 8 a week, is 20 lower from a session's 4th game on, and 15 higher on
// "Lost Temple" than on "Python" (played in turn). Two short games stand alone on the last two Sundays, of
// 400 and 900 APM, the second the newest game; each has a timeline.
std::vector<GameRecord> LearningGames();
// A timeline for those: 10 % over the game's APM for the first 10 minutes, 20 % under it after them.
std::vector<Sample> LearningTimeline(const GameRecord& game);
