// What the measurement puts on the overlay, tick by tick. A frame is the row-0 line and, when the timer
// shows, the timer at its row. The surface keeps what was drawn on it, so a frame it already shows is not
// drawn again: the player sees the same, and the tick costs no drawing. Whatever else may have blanked
// the surface meanwhile (a clear, a new surface), the seam says, and the frame is then drawn again.
#pragma once

#include <string>

class Os;

class OverlayPainter {
public:
    // Draws the frame unless the surface shows it: the line at row 0 (a new frame), then the timer (null:
    // none). Then keeps the surface above any top-most window that came over it.
    void Show(Os& os, const char* line, const char* timer);
    // Clears the surface unless it is blank already.
    void Hide(Os& os);

private:
    // The frame last drawn; whether the surface still shows anything, only the surface knows.
    std::string m_line;
    bool m_hasTimer = false;
    std::string m_timer;
};
