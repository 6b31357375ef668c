#include <cstring>

#include "app/meter_dlg.h"
#include "link/link.h"
#include "link/os.h"

namespace {

// A text probe read into a buffer of the stack: the NUL-terminated text within the bytes read, never
// longer than the probe. Between games this runs twice a second, so nothing here takes the heap.
using ProbeText = char[kEchoSize + 1];

const char* ReadProbeText(HANDLE process, uint32_t heldAddress, uint32_t size, ProbeText& text) {
    ReadGame(process, heldAddress, text, size);
    text[size] = '\0';
    return text;
}

// Reads a slot; a non-empty text is captured into member and counts. The member is assigned only when
// the text differs, so an unchanged slot costs no allocation.
int CaptureSlot(HANDLE process, uint32_t heldAddress, CString& member) {
    ProbeText buffer;
    const char* text = ReadProbeText(process, heldAddress, kSlotSize, buffer);
    if (!text[0])
        return 0;
    if (member != text)
        member = text;
    return 1;
}

int EchoMatches(HANDLE process, uint32_t heldAddress, const CString& slot) {
    ProbeText buffer;
    const char* echo = ReadProbeText(process, heldAddress, kEchoSize, buffer);
    return echo[0] && slot == echo ? 1 : 0;
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
