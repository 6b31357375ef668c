#include "measure/overlay_painter.h"

#include "link/os.h"
#include "measure/overlay.h"

void OverlayPainter::Show(Os& os, const char* line, const char* timer) {
    if (os.OverlayBlank()) {
        m_line.clear();
        m_timer.clear();
    }
    Put(os, m_line, line, 0);
    Put(os, m_timer, timer ? timer : "", kOverlayTimerRow);
    os.KeepOverlayOnTop();
}

void OverlayPainter::Hide(Os& os) {
    if (!os.OverlayBlank())
        os.ClearOverlay();
}

void OverlayPainter::Put(Os& os, std::string& shown, const char* text, int rowOffset) {
    if (shown == text)
        return;
    os.DrawOverlay(text, rowOffset);
    shown = text;
}
