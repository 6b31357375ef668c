// The benchmark's plain baseline: one dialog window and a loop that only waits 250 ms on a handle and
// drains the messages, as Cadro's loops do, with no game, hook or drawing (floor.cpp adds those).
#include <windows.h>

#include "tools/bench/small_dialog.h"

int WINAPI WinMain(HINSTANCE instance, HINSTANCE, LPSTR, int) {
    HWND window = MakeSmallDialog(instance, L"Baseline");
    if (!window)
        return 1;
    // Never signalled: every pass is a full 250 ms wait, like Cadro's wait on the game process.
    HANDLE never = CreateEventA(nullptr, TRUE, FALSE, nullptr);
    for (;;) {
        WaitForSingleObject(never, 250);
        MSG msg;
        while (PeekMessageA(&msg, nullptr, 0, 0, PM_REMOVE)) {
            if (msg.message == WM_QUIT) {
                CloseHandle(never);
                return 0;
            }
            if (!IsDialogMessageA(window, &msg)) {
                TranslateMessage(&msg);
                DispatchMessageA(&msg);
            }
        }
    }
}
