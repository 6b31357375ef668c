// Where the measurement hands each finished game. The application installs the sink that keeps it; with
// none installed a finished game is dropped.
#pragma once

#include <vector>

#include "record/record.h"

// A finished game as it is handed over: a new figure of the game goes into its record or beside it here.
struct FinishedGame {
    GameRecord record;
    std::vector<Sample> samples;
};

class GameSink {
public:
    virtual ~GameSink() = default;
    // Once a game, between two ticks, after its summary lines are logged.
    virtual void Keep(FinishedGame game) = 0;
};

// Installs sink (null: none); returns the previous one.
GameSink* SetGameSink(GameSink* sink);
