// "Am I getting faster?": the last 10 games against the 10 before and the last four weeks against the four
// before, each with the games behind it; each game's APM over calendar time with the average of each week
// and the bests marked, and the weeks as a table. The weeks hold every game; only the points drawn are capped.
#pragma once

#include <cstddef>
#include <string>
#include <vector>

#include "record/record.h"
#include "report/report_stats.h"

constexpr size_t kTrendGames = 1000;  // the newest, drawn as points
constexpr size_t kWeekRows = 26;
constexpr int kCompareWeeks = 4;

// games: plausible, oldest first, at least one; summary: theirs.
void AppendProgress(std::string& out, const std::vector<GameRecord>& games, const Summary& summary);
