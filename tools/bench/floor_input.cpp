#include "tools/bench/floor_input.h"

#include <atomic>

#include "tools/bench/small_dialog.h"

namespace {

std::atomic<HWND> g_target{nullptr};
std::atomic<HWND> g_game{nullptr};
HANDLE g_thread = nullptr;
DWORD g_threadId = 0;
bool g_down[256];  // the hook thread's: a held key's auto-repeat is not a new press

LRESULT CALLBACK KeyHook(int code, WPARAM wParam, LPARAM lParam) {
    if (code == HC_ACTION) {
        BYTE key = static_cast<BYTE>(reinterpret_cast<const KBDLLHOOKSTRUCT*>(lParam)->vkCode);
        if (wParam == WM_KEYDOWN || wParam == WM_SYSKEYDOWN) {
            if (!g_down[key] && GetForegroundWindow() == g_game.load(std::memory_order_relaxed))
                PostMessageA(g_target.load(std::memory_order_relaxed), kSmallDialogReport, key, 0);
            g_down[key] = true;
        } else {
            g_down[key] = false;
        }
    }
    return CallNextHookEx(nullptr, code, wParam, lParam);
}

LRESULT CALLBACK MouseHook(int code, WPARAM wParam, LPARAM lParam) {
    if (code == HC_ACTION && (wParam == WM_LBUTTONDOWN || wParam == WM_RBUTTONDOWN)) {
        HWND game = g_game.load(std::memory_order_relaxed);
        if (GetForegroundWindow() == game) {
            POINT pt = reinterpret_cast<const MSLLHOOKSTRUCT*>(lParam)->pt;
            ScreenToClient(game, &pt);
            PostMessageA(g_target.load(std::memory_order_relaxed), kSmallDialogReport, 0,
                         MAKELPARAM(static_cast<WORD>(pt.x), static_cast<WORD>(pt.y)));
        }
    }
    return CallNextHookEx(nullptr, code, wParam, lParam);
}

struct Start {
    HANDLE ready;
    bool ok;
};

DWORD WINAPI HookThread(LPVOID param) {
    auto* start = static_cast<Start*>(param);
    MSG msg;
    PeekMessageA(&msg, nullptr, 0, 0, PM_NOREMOVE);  // the queue, before anyone posts WM_QUIT to it
    HINSTANCE self = GetModuleHandleA(nullptr);
    HHOOK keys = SetWindowsHookExA(WH_KEYBOARD_LL, KeyHook, self, 0);
    HHOOK mouse = SetWindowsHookExA(WH_MOUSE_LL, MouseHook, self, 0);
    bool ok = keys && mouse;
    start->ok = ok;
    SetEvent(start->ready);  // start is gone after this
    while (ok && GetMessageA(&msg, nullptr, 0, 0) > 0) {
    }
    if (keys)
        UnhookWindowsHookEx(keys);
    if (mouse)
        UnhookWindowsHookEx(mouse);
    return 0;
}

}  // namespace

bool StartFloorInput(HWND target, HWND game) {
    g_target = target;
    g_game = game;
    for (bool& down : g_down)
        down = false;
    Start start{CreateEventA(nullptr, TRUE, FALSE, nullptr), false};
    g_thread = start.ready ? CreateThread(nullptr, 0, HookThread, &start, 0, &g_threadId) : nullptr;
    if (g_thread)
        WaitForSingleObject(start.ready, INFINITE);
    if (start.ready)
        CloseHandle(start.ready);
    if (g_thread && !start.ok)
        StopFloorInput();
    return g_thread != nullptr;
}

void StopFloorInput() {
    if (!g_thread)
        return;
    PostThreadMessageA(g_threadId, WM_QUIT, 0, 0);
    WaitForSingleObject(g_thread, 5000);
    CloseHandle(g_thread);
    g_thread = nullptr;
}
