// How a game ended, and its names in the one table of them: as history.csv keeps it, and as the report shows it.
#pragma once

#include <string>

enum class GameEnd { kGameOver, kStopKey, kGameClosed, kQuit };

// "game over", "F8", "game closed", "quit"; "" for a value of no known kind.
const char* EndName(GameEnd end);
// The end that name stands for in history.csv; false for a name of none.
bool EndFromName(const std::string& name, GameEnd* end);
// "game over", "F8", "game closed", "Cadro closed"; "?" for a value of no known kind.
const char* EndText(GameEnd end);
