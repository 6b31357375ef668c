#include <cstring>

#include "app/meter_dlg.h"
#include "link/link.h"
#include "link/os.h"

namespace {

// A text probe: the NUL-terminated text within the bytes read, never longer than the probe.
CString ReadProbeText(HANDLE process, uint32_t heldAddress, uint32_t size) {
    char buffer[kEchoSize];
    ReadGame(process, heldAddress, buffer, size);
    return CString(buffer, static_cast<int>(strnlen(buffer, size)));
}

// Reads a slot; a non-empty text is captured into member and counts.
int CaptureSlot(HANDLE process, uint32_t heldAddress, CString& member) {
    CString text = ReadProbeText(process, heldAddress, kSlotSize);
    if (text.IsEmpty())
        return 0;
    member = text;
    return 1;
}

int EchoMatches(HANDLE process, uint32_t heldAddress, const CString& slot) {
    CString echo = ReadProbeText(process, heldAddress, kEchoSize);
    return !echo.IsEmpty() && echo == slot ? 1 : 0;
}

}  // namespace

bool CMeterDlg::IsGameStarted(HANDLE process) {
    // Slot A is captured once and counts for the rest of the program's life.
    int count = m_strSlotA.IsEmpty() ? CaptureSlot(process, kSlotA, m_strSlotA) : 1;
    count += CaptureSlot(process, kSlotB, m_strSlotB);
    count += CaptureSlot(process, kSlotC, m_strSlotC);
    count += EchoMatches(process, kEchoB, m_strSlotB);
    count += EchoMatches(process, kEchoC, m_strSlotC);
    if (count != 5)
        return false;
    uint32_t startWord = 0;
    ReadGame(process, kStartWord, &startWord, sizeof startWord);
    if (startWord)
        return true;
    // The game writes the start word a moment after the texts: look once more.
    TheOs().Sleep(500);
    startWord = 0;
    ReadGame(process, kStartWord, &startWord, sizeof startWord);
    return startWord != 0;
}
