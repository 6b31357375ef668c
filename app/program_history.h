// The program's own game history: one store, made on first use in <data folder>\<profile key>\<application
// name>. Every call is made between ticks, never inside one.
#pragma once

#include "history/store.h"

HistoryStore& ProgramHistory();
// For tests: the next use makes a new store, and the games waiting in this one are dropped.
void ForgetProgramHistory();
// At exit: writes the games still waiting, silently; true when rows were written that the report lacks.
bool SaveUnsavedGames();
