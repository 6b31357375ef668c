// The input-hook library's interface.
// While installed it posts to the target window one 0x8E8 (wParam = virtual-key code) per key press and
// one 0x8E9 (lParam = client x | y << 16) per button press, only while the game window is in front.
#pragma once

#include <windows.h>

#ifdef RAVIK_BUILD
#define RAVIK_API __declspec(dllexport)
#else
#define RAVIK_API __declspec(dllimport)
#endif

class RAVIK_API nvHookWin {
public:
    // install = true: hook for target (again is harmless); false: unhook and end the hook thread.
    static DWORD SetMyHook(bool install, HWND target);
};

// For tests and measurements: counters since the library was loaded.
enum { RAVIK_COST_SAMPLES = 1024 };
struct RavikStats {
    DWORD posted;      // reports posted to the target
    DWORD dropped;     // reports whose PostMessage failed (queue full, window gone); never retried
    DWORD reinstalls;  // hooks found removed behind the hook thread's back and installed again
    DWORD events;      // callback runs that handled an event
    DWORD costCount;   // valid entries in cost, oldest first
    DWORD cost[RAVIK_COST_SAMPLES];  // QueryPerformanceCounter ticks spent per event, the latest ones
    LONGLONG frequency;              // QueryPerformanceCounter ticks per second
};
extern "C" RAVIK_API void RavikGetStats(RavikStats* stats);
// Removes both hooks without telling the hook thread, as the system does with a callback that ran too long.
extern "C" RAVIK_API void RavikTestDropHooks();
