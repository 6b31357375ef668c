// The report's table and the texts of a game it shares with the charts' captions.
#pragma once

#include <cstddef>
#include <string>
#include <vector>

#include "record/record.h"

// "2026-12-09 04:12:33" from the record's "2026-12-09T04:12:33"; anything else escaped, cut and isolated.
std::string StartedText(const GameRecord& game);
// The texts captured for the game, each named ("Map: Lost Temple"), escaped, cut, isolated and joined.
std::string SlotsText(const GameRecord& game);

// Rows of the last (up to) count games, newest first; games are plausible, oldest first.
void AppendGameTable(std::string& out, const std::vector<GameRecord>& games, size_t count);
