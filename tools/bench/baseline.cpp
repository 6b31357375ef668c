// The floor for Cadro's design, for the benchmark: one dialog window and a loop that only waits 250 ms on a
// handle and drains the messages, as Cadro's loops do, with no game, hook or drawing.
#include <windows.h>

#include <cstring>

namespace {

// An in-memory template, so the window is a dialog (class #32770) like Cadro's, without a resource file.
struct Template {
    DLGTEMPLATE head;
    WORD menu, windowClass;
    wchar_t title[9];
};

INT_PTR CALLBACK DialogProc(HWND hwnd, UINT message, WPARAM, LPARAM) {
    switch (message) {
    case WM_INITDIALOG:
        return TRUE;
    case WM_CLOSE:
        DestroyWindow(hwnd);
        return TRUE;
    case WM_DESTROY:
        PostQuitMessage(0);
        return TRUE;
    default:
        return FALSE;
    }
}

}  // namespace

int WINAPI WinMain(HINSTANCE instance, HINSTANCE, LPSTR, int) {
    Template dialog{};
    dialog.head.style = WS_POPUP | WS_CAPTION | WS_SYSMENU | WS_MINIMIZEBOX | WS_VISIBLE | DS_CENTER;
    dialog.head.cx = 200;
    dialog.head.cy = 120;
    std::memcpy(dialog.title, L"Baseline", sizeof dialog.title);
    HWND window = CreateDialogIndirectParamA(instance, &dialog.head, nullptr, DialogProc, 0);
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
