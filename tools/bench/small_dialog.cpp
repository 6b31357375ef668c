#include "tools/bench/small_dialog.h"

#include <cwchar>

namespace {

bool g_closed = false;

struct Template {
    DLGTEMPLATE head;
    WORD menu, windowClass;
    wchar_t title[16];
};

INT_PTR CALLBACK DialogProc(HWND hwnd, UINT message, WPARAM, LPARAM) {
    switch (message) {
    case WM_INITDIALOG:
        return TRUE;
    case kSmallDialogReport:
        return TRUE;
    case WM_CLOSE:
        DestroyWindow(hwnd);
        return TRUE;
    case WM_DESTROY:
        g_closed = true;
        PostQuitMessage(0);
        return TRUE;
    default:
        return FALSE;
    }
}

}  // namespace

HWND MakeSmallDialog(HINSTANCE instance, const wchar_t* title) {
    Template dialog{};
    dialog.head.style = WS_POPUP | WS_CAPTION | WS_SYSMENU | WS_MINIMIZEBOX | WS_VISIBLE | DS_CENTER;
    dialog.head.cx = 200;
    dialog.head.cy = 120;
    std::wcsncpy(dialog.title, title, 15);
    return CreateDialogIndirectParamA(instance, &dialog.head, nullptr, DialogProc, 0);
}

bool SmallDialogClosed() { return g_closed; }
