// What the test build of the input-hook library exports beside the hook itself: its counters and what its
// thread has learned, a way to lose the hooks as the system does, and requests to its thread. The shipped
// library exports only the hook.
#pragma once

#include "hook/ravik.h"

enum { RAVIK_COST_SAMPLES = 1024 };
struct RavikStats {
    DWORD posted;       // reports posted to the target
    DWORD dropped;      // reports whose PostMessage failed (queue full, window gone); never retried
    DWORD reinstalls;   // times the hook thread put in fresh hooks: input had passed them unseen, or asked to
    DWORD gameInFront;  // 1 while the hook thread knows the game's window to be in front
    LONG originX;       // the game's client origin on the screen, as the hook thread knows it
    LONG originY;
    DWORD checking;     // 1 while the check runs every 3 s: from input until a pass finds none came
    DWORD events;     // callback runs that handled an event
    DWORD costCount;  // valid entries in cost, oldest first
    DWORD cost[RAVIK_COST_SAMPLES];  // QueryPerformanceCounter ticks spent per event, the latest ones
    LONGLONG frequency;              // QueryPerformanceCounter ticks per second
};
// Counters since the library was loaded.
extern "C" RAVIK_API void RavikGetStats(RavikStats* stats);
// Removes both hooks without telling the hook thread, as the system does with a callback that ran too long.
extern "C" RAVIK_API void RavikTestDropHooks();
// The same for one hook alone: the keyboard's (true) or the mouse's.
extern "C" RAVIK_API void RavikTestDropOneHook(BOOL keyboard);
// Asks the hook thread to put in fresh hooks now; returns at once. The reinstall count shows when it has.
extern "C" RAVIK_API BOOL RavikTestReinstall();
// Asks the hook thread to stop listening for changes of the foreground, as on a system that tells of none;
// done is set when it has.
extern "C" RAVIK_API BOOL RavikTestDeafToFront(HANDLE done);
// Asks the hook thread to wait until release is set (30 s at most), as a thread stuck elsewhere would.
extern "C" RAVIK_API BOOL RavikTestStall(HANDLE release);
