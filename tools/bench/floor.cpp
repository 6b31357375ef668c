// The design's own floor, for the benchmark: the calls Cadro's design cannot do without on each pass, and
// nothing else. A dialog window; a low-level keyboard and mouse hook on a thread of its own that posts one
// message per press to that window; the game process opened as Cadro opens it; between games a 125 ms
// wait on it, the reads of the start test and a drain of the messages; in a game a 250 ms wait, the read
// of the end word, the F8 test and the drain. The start and end words it reads tell it which of the two
// it is in; it never writes into the game.
#include <windows.h>

#include <cstdint>
#include <cstring>

#include "tools/bench/small_dialog.h"

namespace {

constexpr uint32_t kBias = 0x200000;
// The places the start and end tests read, as the game holds them (the bias is added on reading). Slot A
// is read once and kept, so a pass reads the other four texts and the start word.
constexpr uint32_t kTexts[][2] = {{0x453315, 32}, {0x4532cc, 32}, {0x45e3e9, 48}, {0x45e3a0, 48}};
constexpr uint32_t kStartWord = 0x49013c;
constexpr uint32_t kEndWord = 0x443c50;

HWND g_window;

LRESULT CALLBACK KeyHook(int code, WPARAM wParam, LPARAM lParam) {
    if (code == HC_ACTION && (wParam == WM_KEYDOWN || wParam == WM_SYSKEYDOWN))
        PostMessageA(g_window, kSmallDialogReport, reinterpret_cast<KBDLLHOOKSTRUCT*>(lParam)->vkCode, 0);
    return CallNextHookEx(nullptr, code, wParam, lParam);
}

LRESULT CALLBACK MouseHook(int code, WPARAM wParam, LPARAM lParam) {
    if (code == HC_ACTION && (wParam == WM_LBUTTONDOWN || wParam == WM_RBUTTONDOWN))
        PostMessageA(g_window, kSmallDialogReport, 0, 0);
    return CallNextHookEx(nullptr, code, wParam, lParam);
}

DWORD WINAPI HookThread(LPVOID) {
    HINSTANCE self = GetModuleHandleA(nullptr);
    HHOOK keys = SetWindowsHookExA(WH_KEYBOARD_LL, KeyHook, self, 0);
    HHOOK mouse = SetWindowsHookExA(WH_MOUSE_LL, MouseHook, self, 0);
    MSG msg;
    while (GetMessageA(&msg, nullptr, 0, 0) > 0) {
    }
    UnhookWindowsHookEx(keys);
    UnhookWindowsHookEx(mouse);
    return 0;
}

bool Read(HANDLE game, uint32_t address, void* buffer, uint32_t size) {
    SIZE_T got = 0;
    return ReadProcessMemory(game, reinterpret_cast<LPCVOID>(static_cast<uintptr_t>(address + kBias)), buffer, size,
                             &got) && got == size;
}

uint32_t Word(HANDLE game, uint32_t address) {
    uint32_t value = 0;
    return Read(game, address, &value, sizeof value) ? value : 0;
}

// False once the program is to end.
bool Drain() {
    MSG msg;
    while (PeekMessageA(&msg, g_window, 0, 0, PM_REMOVE)) {
        TranslateMessage(&msg);
        DispatchMessageA(&msg);
    }
    return IsWindow(g_window);
}

HANDLE OpenGame() {
    HWND game = FindWindowA("SWarClass", nullptr);
    DWORD pid = 0;
    if (!game || !GetWindowThreadProcessId(game, &pid))
        return nullptr;
    return OpenProcess(SYNCHRONIZE | PROCESS_VM_OPERATION | PROCESS_VM_READ | PROCESS_VM_WRITE, FALSE, pid);
}

}  // namespace

int WINAPI WinMain(HINSTANCE instance, HINSTANCE, LPSTR, int) {
    g_window = MakeSmallDialog(instance, L"Floor");
    if (!g_window)
        return 1;
    DWORD hookThreadId = 0;
    HANDLE hookThread = CreateThread(nullptr, 0, HookThread, nullptr, 0, &hookThreadId);
    HANDLE game = nullptr;
    bool inGame = false;
    while (Drain()) {
        if (!game) {  // searching, as Cadro does
            Sleep(250);
            game = OpenGame();
            inGame = false;
            continue;
        }
        if (WaitForSingleObject(game, inGame ? 250 : 125) == WAIT_OBJECT_0) {
            CloseHandle(game);
            game = nullptr;
            continue;
        }
        if (inGame) {
            inGame = Word(game, kEndWord) == 0;
            GetAsyncKeyState(VK_F8);
        } else {
            char text[48];
            for (const auto& place : kTexts)
                Read(game, place[0], text, place[1]);
            inGame = Word(game, kStartWord) != 0;
        }
    }
    PostThreadMessageA(hookThreadId, WM_QUIT, 0, 0);
    WaitForSingleObject(hookThread, 2000);
    CloseHandle(hookThread);
    if (game)
        CloseHandle(game);
    return 0;
}
