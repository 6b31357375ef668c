// The program's game history, as the measurement and the window use it. Every call is made between
// ticks, never inside one: the files are written after the summary lines are logged.
#pragma once

#include <cstdint>

#include "history/store.h"
#include "measure/game_recorder.h"

// How the game that just stopped ticking ended; alive is the result of the loop's last wait.
GameEnd HowGameEnded(uint32_t alive);
// Writes the game the recorder finished (if any) after those still waiting; when that fails, logs one
// line saying why, and the games wait for the next save.
void SaveFinishedGame(GameRecorder& recorder);
// At exit: writes the games still waiting, silently.
void SaveUnsavedGames();
// The program's store, made on first use in <data folder>\<profile key>\<application name>.
HistoryStore& ProgramHistory();
// For tests: the next use makes a new store, and the games waiting in this one are dropped.
void ForgetProgramHistory();
