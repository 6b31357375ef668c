// The program's own game history: one store, made on first use in <data folder>\<profile key>\<application
// name>. Every call is made between ticks, never inside one.
#pragma once

#include "history/store.h"

HistoryStore& ProgramHistory();
// For tests: the next use makes a new store, and the games waiting in this one are dropped.
void ForgetProgramHistory();
// Writes the games still waiting, silently: at start those an earlier program kept on disk, at exit this one's,
// keeping on disk those that cannot be written. True when rows were written that the report lacks.
bool SaveUnsavedGames(bool exiting);
