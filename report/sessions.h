// "Do I tire over a session?": games grouped into sessions (a pause of 30 minutes or more between one
// game's end and the next one's start begins a new one), and the APM by a game's place in its session
// over the recent sessions.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

#include "record/record.h"
#include "report/report_stats.h"

constexpr int64_t kSessionGap = 30 * 60;  // seconds
constexpr size_t kRecentSessions = 30;
constexpr size_t kPlaces = 6;  // the 1st to 5th game, and the 6th and later together

struct Sessions {
    size_t count = 0;    // sessions among the recent ones
    size_t longest = 0;  // games in the longest of them
    std::vector<Mean> places = std::vector<Mean>(kPlaces);  // APM of the games that are not short
};

// games: plausible, oldest first; games whose start cannot be read are left out.
Sessions RecentSessions(const std::vector<GameRecord>& games);
void AppendSessions(std::string& out, const std::vector<GameRecord>& games);
