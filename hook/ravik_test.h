// What the test build of the input-hook library exports beside the hook itself: its counters, and a way
// to lose the hooks as the system does. The shipped library exports only the hook.
#pragma once

#include "hook/ravik.h"

enum { RAVIK_COST_SAMPLES = 1024 };
struct RavikStats {
    DWORD posted;      // reports posted to the target
    DWORD dropped;     // reports whose PostMessage failed (queue full, window gone); never retried
    DWORD reinstalls;  // hooks found removed behind the hook thread's back and installed again
    DWORD renewals;    // hooks replaced by fresh ones on the hook thread's timer (reinstalls among them)
    DWORD events;      // callback runs that handled an event
    DWORD costCount;   // valid entries in cost, oldest first
    DWORD cost[RAVIK_COST_SAMPLES];  // QueryPerformanceCounter ticks spent per event, the latest ones
    LONGLONG frequency;              // QueryPerformanceCounter ticks per second
};
// Counters since the library was loaded.
extern "C" RAVIK_API void RavikGetStats(RavikStats* stats);
// Removes both hooks without telling the hook thread, as the system does with a callback that ran too long.
extern "C" RAVIK_API void RavikTestDropHooks();
