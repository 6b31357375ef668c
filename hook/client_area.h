// Where the game's client area lies, and how a point on the screen maps into it. The low-level mouse hook
// gives positions in the monitor's physical pixels; a game that is not DPI aware works in logical ones that
// the system stretches onto the screen (1.5 of them per pixel at 150 %). No system calls, so the arithmetic
// can be tested with any scaling.
#pragma once

#include <windows.h>

struct ClientArea {
    POINT origin{0, 0};   // top left, in physical pixels on the screen
    SIZE physical{0, 0};  // its size on the screen
    SIZE logical{0, 0};   // its size as the game's window sees it

    // A point on the screen, made the game's client coordinates; false when outside the client area.
    bool Map(POINT& pt) const {
        return Axis(pt.x, origin.x, physical.cx, logical.cx) && Axis(pt.y, origin.y, physical.cy, logical.cy);
    }

private:
    static bool Axis(LONG& v, LONG start, LONG screen, LONG game) {
        LONG offset = v - start;
        if (offset < 0 || offset >= screen)
            return false;
        v = static_cast<LONG>(static_cast<long long>(offset) * game / screen);
        return true;
    }
};
