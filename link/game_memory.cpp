#include <cstring>

#include "app/meter_dlg.h"
#include "link/link.h"
#include "link/os.h"

void ReadGame(HANDLE process, uint32_t heldAddress, void* buffer, uint32_t size) {
    if (!TheOs().ReadMemory(process, heldAddress + kGameBias, buffer, size))
        std::memset(buffer, 0, size);
}

void WriteGame(HANDLE process, uint32_t heldAddress, const void* buffer, uint32_t size) {
    TheOs().WriteMemory(process, heldAddress + kGameBias, buffer, size);
}

void ClearGameMarks(HANDLE process) {
    const uint8_t zeroByte = 0;
    const uint32_t zeroWord = 0;
    WriteGame(process, kSlotB, &zeroByte, 1);
    WriteGame(process, kSlotC, &zeroByte, 1);
    WriteGame(process, kStartWord, &zeroWord, sizeof zeroWord);
}

bool IsGameOver(HANDLE process) {
    uint32_t endWord = 0;
    ReadGame(process, kEndWord, &endWord, sizeof endWord);
    if (TheOs().KeyDown(VK_F8)) {
        g_bStop = true;
        ClearGameMarks(process);
    }
    if (!g_bStop && endWord == 0)
        return false;
    LogLine("Game finished");
    return true;
}
