// The input-hook library's interface.
// While installed it posts to the target window one 0x8E8 (wParam = virtual-key code, lParam = modifiers)
// per key press and one 0x8E9 (lParam = client x | y << 16, wParam = button | modifiers) per left or right
// button press in the game's client area, only while the game window is in front. Positions are the game's
// own client coordinates at any display scaling.
#pragma once

#include <windows.h>

#ifdef RAVIK_BUILD
#define RAVIK_API __declspec(dllexport)
#else
#define RAVIK_API __declspec(dllimport)
#endif

// The bits of the parameter a report had left unused: the modifiers held down when the key or button went
// down (a modifier's own press does not count itself), and for a click its button. No other bit is set.
constexpr UINT RAVIK_CTRL = 0x01;
constexpr UINT RAVIK_SHIFT = 0x02;
constexpr UINT RAVIK_ALT = 0x04;
constexpr UINT RAVIK_LEFT = 0x10;
constexpr UINT RAVIK_RIGHT = 0x20;

class RAVIK_API nvHookWin {
public:
    // install = true: hook for target (again is harmless); false: unhook and end the hook thread. Returns 0
    // when it could not hook, or when the hook thread had not ended 2 s after it was asked to.
    static DWORD SetMyHook(bool install, HWND target);
};
