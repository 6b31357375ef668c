// The history's file formats: history.csv (one row a game, RFC 4180 quoting, UTF-8) and a game's
// timeline file (one row a second). Readers skip what they cannot parse; they never fail a whole file.
#pragma once

#include <cstddef>
#include <string>
#include <vector>

#include "record/record.h"

// The header row and one game's row, each ending in CRLF.
std::string HistoryHeader();
std::string HistoryRow(const GameRecord& game);
// What a new history file starts with: the byte-order mark, then the header row.
std::string HistoryHead();
// What a history file holds: its newest rows that parse, oldest first, and how many rows were left out.
// The header and blank lines are not rows. Memory stays bounded by mostGames and the longest row read,
// whatever the file holds.
struct HistoryRows {
    std::vector<GameRecord> games;
    size_t unreadable = 0;  // torn, foreign or overlong rows, skipped
    size_t older = 0;       // rows that parse, older than the mostGames kept
};
HistoryRows ReadHistory(const std::string& text, size_t mostGames);
// Every row of a history file that parses, oldest first; the header, torn and foreign rows are skipped.
std::vector<GameRecord> ParseHistory(const std::string& text);

// The longest timeline file the program writes: 4096 samples (the recorder's most) of the longest row a
// sample makes, with the header; a real one is about a third of it.
constexpr size_t kMostTimelineBytes = 4096 * 58 + 40;
// A timeline file's whole text, and its samples back (rows that do not parse are skipped).
std::string TimelineText(const std::vector<Sample>& samples);
std::vector<Sample> ParseTimeline(const std::string& text);

// True for a game's start as the history keeps it: "2026-12-09T04:12:33".
bool IsStartTime(const std::string& text);
// The timeline file name of a game started at started ("2026-12-09T04:12:33"): "2026-12-09_04-12-33.csv",
// or with "_<copy>" before ".csv" for copy 2 and up; "" when started is not such a date and time.
std::string TimelineName(const std::string& started, int copy = 1);
// True for the names TimelineName makes.
bool IsTimelineName(const std::string& name);
