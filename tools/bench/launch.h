// Starting the benchmark's programs beside the simulated game, in the session the caller runs in.
#pragma once

#include <windows.h>

#include <string>

#include "tools/bench/child.h"

// Progress on stderr, "bench: " and the format with one text.
void Progress(const char* format, const char* text = "");

// The quoted path of a program beside this one, then the arguments.
std::string Program(const char* name, const std::string& arguments = "");

struct Launch {
    const char* exe;
    const char* windowClass;
    const char* title;
    UINT closeMessage;
    WPARAM closeParam;
};
extern const Launch kCadro, kBaseline, kFloor;

// Starts the program with the arguments and waits for its window; null when it did not appear.
HWND StartWatched(Child& c, const Launch& l, const std::string& arguments = "");
void StopWatched(Child& c, const Launch& l);

// The simulated game playing `games` games of `seconds` each at the given rate: two thirds letter keys,
// one third clicks in the playing field, all of them actions for Cadro. The first starts `startAfter`
// seconds after launch: a game already under way when a program links is not seen. `extra` is added to
// the game's command line. Null when its window did not appear.
HWND StartSim(Child& sim, int games, int seconds, int apm, int startAfter, const std::string& extra = "");

// The game's window covers the screen's top-left corner (640 x 480), where its clicks land: other windows
// go to the right of it, so that no click presses one of their buttons.
void MoveAside(HWND window, int y);

// One step of a wait beside the game: null while both programs run and fewer than `seconds` have passed
// since `begin` (a QpcNow stamp), else why the wait ends. Brings the game back to the front when another
// window took it (the hooks report only while it is in front), counting that in refocus.
const char* WatchStep(const Child& a, const Child& b, int64_t begin, double seconds, HWND game,
                      unsigned long& refocus);
