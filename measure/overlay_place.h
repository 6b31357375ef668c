// Where the overlay goes: the top left of the monitor the game is played on. Kept apart from the surface
// as plain arithmetic on rectangles, since the machines the tests run on have one screen.
#pragma once

#include <windows.h>

#include <vector>

struct MonitorArea {
    RECT rect;  // in virtual-screen coordinates
    bool primary;
};

// The top left of the monitor that holds the largest part of the game's window (the first such monitor
// on a tie), or of the primary monitor when the window is unknown (null) or on none of them; (0, 0) when
// there is no monitor at all.
POINT OverlayOrigin(const RECT* game, const std::vector<MonitorArea>& monitors);
