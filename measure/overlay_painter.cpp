#include "measure/overlay_painter.h"

#include "link/os.h"
#include "measure/overlay.h"

void OverlayPainter::Show(Os& os, const char* line, const char* timer) {
    bool same = m_line == line && m_hasTimer == (timer != nullptr) && (!timer || m_timer == timer);
    if (!same || os.OverlayBlank()) {
        os.DrawOverlay(line, 0);
        if (timer)
            os.DrawOverlay(timer, kOverlayTimerRow);
        m_line = line;
        m_hasTimer = timer != nullptr;
        m_timer = timer ? timer : "";
    }
    os.KeepOverlayOnTop();
}

void OverlayPainter::Hide(Os& os) {
    if (!os.OverlayBlank())
        os.ClearOverlay();
}
