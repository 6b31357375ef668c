// What the measurement puts on the overlay, tick by tick. A frame is the line at row 0 and, when the timer
// shows, the timer at its row. The surface keeps what was drawn on each row, so only the rows whose text
// changed are drawn: the player sees the same, and a tick costs only what changed. Whatever else may have
// blanked the surface meanwhile (a clear, a new surface, a repaint the system asked for), the seam says,
// and the whole frame is then drawn again.
#pragma once

#include <string>

class Os;

class OverlayPainter {
public:
    // Makes the surface show the frame, drawing the rows that differ: the line at row 0 and the timer
    // (null: none). Then keeps the surface above any window that came over it.
    void Show(Os& os, const char* line, const char* timer);
    // Clears the surface unless it is blank already.
    void Hide(Os& os);

private:
    void Put(Os& os, std::string& shown, const char* text, int rowOffset);

    // What the rows show, as last drawn; whether the surface still shows them, only the surface knows.
    std::string m_line;
    std::string m_timer;
};
