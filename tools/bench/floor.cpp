// The design's own floor, for the benchmark: what Cadro's design does on every pass, done the plainest
// way, and nothing else. A dialog window; the game found every 250 ms and opened as Cadro opens it; at the
// link the game marks cleared and the input hook (floor_input.cpp) started. Between games a 125 ms wait
// on the game, the start test's text reads (the player's text only until it is first seen), the start
// word only once the texts match, and a drain of the window's messages. In a game a 250 ms wait, the end
// word, F8's key state, the line or lines drawn (floor_overlay.cpp) and the drain. The marks are cleared
// where the design clears them, at each measurement's start and end.
// Usage: floor.exe [--lines N]: N lines a tick in a game, 0, 1 (the APM line, the default) or 2 (and the
// timer), as Cadro draws with its APM display off, on, or on with the timer.
#include <windows.h>

#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>

#include "link/link.h"
#include "tools/bench/floor_input.h"
#include "tools/bench/floor_overlay.h"
#include "tools/bench/small_dialog.h"

namespace {

constexpr DWORD kGameAccess = SYNCHRONIZE | PROCESS_VM_OPERATION | PROCESS_VM_READ | PROCESS_VM_WRITE;

HWND g_window;
int g_lines = 1;

// A failed read leaves the buffer zero, as the design's reads do.
void Read(HANDLE game, uint32_t address, void* buffer, uint32_t size) {
    SIZE_T got = 0;
    if (!ReadProcessMemory(game, reinterpret_cast<LPCVOID>(static_cast<uintptr_t>(address + kGameBias)), buffer,
                           size, &got))
        std::memset(buffer, 0, size);
}

uint32_t Word(HANDLE game, uint32_t address) {
    uint32_t value = 0;
    Read(game, address, &value, sizeof value);
    return value;
}

void Zero(HANDLE game, uint32_t address, SIZE_T size) {
    const uint32_t zero = 0;
    SIZE_T put = 0;
    WriteProcessMemory(game, reinterpret_cast<LPVOID>(static_cast<uintptr_t>(address + kGameBias)), &zero, size,
                       &put);
}

void ClearMarks(HANDLE game) {
    Zero(game, kSlotB, 1);
    Zero(game, kSlotC, 1);
    Zero(game, kStartWord, 4);
}

// False once the window is closed.
bool Drain() {
    MSG msg;
    while (PeekMessageA(&msg, g_window, 0, 0, PM_REMOVE)) {
        TranslateMessage(&msg);
        DispatchMessageA(&msg);
    }
    return !SmallDialogClosed();
}

// The start test's texts as last seen, for the program's life: each keeps its value while the game's is
// empty. Between games slots B and C are cleared, so the count stays short and the start word is not read.
struct Texts {
    char slotA[kSlotSize + 1] = "", slotB[kSlotSize + 1] = "", slotC[kSlotSize + 1] = "";
};
Texts g_texts;

// Reads a slot; true (and the text kept) when it is not empty.
bool Slot(HANDLE game, uint32_t address, char (&kept)[kSlotSize + 1]) {
    char text[kSlotSize + 1] = "";
    Read(game, address, text, kSlotSize);
    if (!text[0])
        return false;
    std::memcpy(kept, text, sizeof text);
    return true;
}

bool Echoes(HANDLE game, uint32_t address, const char* kept) {
    char text[kEchoSize + 1] = "";
    Read(game, address, text, kEchoSize);
    return text[0] && std::strcmp(text, kept) == 0;
}

bool Started(HANDLE game, Texts& t) {
    int count = t.slotA[0] || Slot(game, kSlotA, t.slotA);
    count += Slot(game, kSlotB, t.slotB);
    count += Slot(game, kSlotC, t.slotC);
    count += Echoes(game, kEchoB, t.slotB);
    count += Echoes(game, kEchoC, t.slotC);
    if (count != 5)
        return false;
    if (Word(game, kStartWord))
        return true;
    Sleep(500);
    return Word(game, kStartWord) != 0;
}

void DrawTick(DWORD elapsed, DWORD ticks) {
    char line[64];
    if (g_lines >= 1) {
        std::snprintf(line, sizeof line, "APM = %03lu (%03lu) ", elapsed / 1000 % 1000, ticks % 1000);
        DrawFloorLine(line, 0);
    }
    if (g_lines >= 2) {
        DWORD seconds = elapsed / 1000;
        std::snprintf(line, sizeof line, "%02lu:%02lu:%02lu", seconds / 3600, seconds / 60 % 60, seconds % 60);
        DrawFloorLine(line, 18);
    }
}

// One measurement: the wait for a game, then its ticks. False once the game process has ended.
bool Measure(HANDLE game, Texts& texts) {
    ClearMarks(game);
    DWORD alive = WAIT_TIMEOUT;
    DWORD start = 0;
    for (;;) {
        alive = WaitForSingleObject(game, 125);
        if (alive == WAIT_OBJECT_0)
            break;
        if (Started(game, texts)) {
            start = GetTickCount();
            break;
        }
        if (!Drain())
            break;
    }
    for (DWORD ticks = 0; start && !SmallDialogClosed(); ++ticks) {
        alive = WaitForSingleObject(game, 250);
        if (alive == WAIT_OBJECT_0)
            break;
        bool over = Word(game, kEndWord) != 0;
        if (GetAsyncKeyState(VK_F8) & 0x8000) {
            ClearMarks(game);
            over = true;
        }
        if (over)
            break;
        DrawTick(GetTickCount() - start, ticks);
        Drain();
    }
    ClearMarks(game);
    return alive != WAIT_OBJECT_0;
}

// Finds the game, links, and measures game after game until it closes or the window does.
void Link() {
    HWND window;
    bool waited = false;
    while (!(window = FindWindowA("SWarClass", nullptr))) {
        if (!Drain())
            return;
        waited = true;
        Sleep(250);
    }
    if (waited)
        Sleep(2000);
    DWORD pid = 0;
    GetWindowThreadProcessId(window, &pid);
    HANDLE game = OpenProcess(kGameAccess, FALSE, pid);
    if (!game)
        return;
    ClearMarks(game);
    StartFloorInput(g_window, window);
    while (!SmallDialogClosed() && Measure(game, g_texts)) {
    }
    StopFloorInput();
    CloseHandle(game);
}

}  // namespace

int WINAPI WinMain(HINSTANCE instance, HINSTANCE, LPSTR, int) {
    for (int i = 1; i + 1 < __argc; ++i)
        if (std::strcmp(__argv[i], "--lines") == 0)
            g_lines = std::atoi(__argv[i + 1]);
    // The surface first: the dialog shown after it takes the foreground, which the bench then gives back
    // to the game once, before anything is measured.
    if (!MakeFloorOverlay())
        return 1;
    g_window = MakeSmallDialog(instance, L"Floor");
    if (!g_window)
        return 1;
    while (!SmallDialogClosed()) {
        Link();
        Drain();
    }
    return 0;
}
