// "Which maps or game types?": the games and average APM for each text captured when a game was
// recognised. The game keeps its player's name, the map and the game type in those places, so the
// columns are named by what a player sees in them.
#pragma once

#include <string>
#include <vector>

#include "record/record.h"

struct TextColumn {
    const char* name;     // "Map"
    const char* cssClass; // "map"
    std::string GameRecord::*text;
};
extern const TextColumn kTextColumns[3];

constexpr size_t kTextRows = 12;  // of each column, those played most

// games: plausible, oldest first.
void AppendByText(std::string& out, const std::vector<GameRecord>& games);
