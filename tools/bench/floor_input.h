// The floor's input hook: what the design's hook library must do and no more. Low-level keyboard and
// mouse hooks on a thread of their own post one report per key press and per click to the target window,
// only while the game's window is in front; a click carries its position in the game's client area.
#pragma once

#include <windows.h>

// Starts the hook thread; false when the hooks could not be installed.
bool StartFloorInput(HWND target, HWND game);
void StopFloorInput();
