// "How much of my APM is spam?": the effective APM beside the APM, the share of actions that were spam
// and which kind the player makes most, over the recent games and by week, with the share of play below
// the limit. Games kept before the effective APM was, and short games, are left out of every figure.
#pragma once

#include <cstddef>
#include <string>
#include <vector>

#include "record/record.h"

constexpr size_t kSpamGames = 20;  // the recent games the answer is given over
constexpr size_t kSpamWeeks = 12;  // the newest weeks in its table

// Spam as a share of a game's actions, "12 %"; the sign for none when the game kept no effective APM.
std::string SpamShareText(const GameRecord& game);
// games: plausible, oldest first.
void AppendSpamAnswer(std::string& out, const std::vector<GameRecord>& games);
