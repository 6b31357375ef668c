#include "tools/bench/floor_overlay.h"

#include <windows.h>

#include <cstring>

namespace {

constexpr int kWidth = 300;
constexpr int kRowHeight = 24;
constexpr int kHeight = 18 + kRowHeight;  // the timer's row and its height

HWND g_surface = nullptr;
HFONT g_font = nullptr;

HFONT MakeFont() {
    LOGFONTA description;
    std::memset(&description, 0, sizeof description);
    GetObjectA(GetStockObject(ANSI_VAR_FONT), sizeof description, &description);
    description.lfQuality |= ANTIALIASED_QUALITY;
    description.lfHeight = 12;
    description.lfWidth = 0;
    std::strcpy(description.lfFaceName, "Arial");
    return CreateFontIndirectA(&description);
}

}  // namespace

bool MakeFloorOverlay() {
    HINSTANCE instance = GetModuleHandleA(nullptr);
    WNDCLASSA wc{};
    wc.lpfnWndProc = DefWindowProcA;  // no background brush: nothing is erased
    wc.hInstance = instance;
    wc.lpszClassName = "FloorOverlay";
    RegisterClassA(&wc);
    g_surface = CreateWindowExA(WS_EX_LAYERED | WS_EX_TRANSPARENT | WS_EX_TOPMOST | WS_EX_TOOLWINDOW |
                                    WS_EX_NOACTIVATE,
                                wc.lpszClassName, "", WS_POPUP, 0, 0, kWidth, kHeight, nullptr, nullptr, instance,
                                nullptr);
    if (!g_surface)
        return false;
    // Opaque: layered only so that clicks pass through it, with no colour key for the system to apply.
    SetLayeredWindowAttributes(g_surface, 0, 255, LWA_ALPHA);
    ShowWindow(g_surface, SW_SHOWNOACTIVATE);
    // Filled once shown (Wine gives the window its pixels only then), black as the lines' background.
    HDC dc = GetDC(g_surface);
    RECT all = {0, 0, kWidth, kHeight};
    FillRect(dc, &all, static_cast<HBRUSH>(GetStockObject(BLACK_BRUSH)));
    ReleaseDC(g_surface, dc);
    g_font = MakeFont();
    return true;
}

void DrawFloorLine(const char* text, int rowOffset) {
    HDC dc = GetDC(g_surface);
    RECT rect = {0, rowOffset, kWidth, rowOffset + kRowHeight};
    HGDIOBJ oldFont = g_font ? SelectObject(dc, g_font) : nullptr;
    int oldMode = SetBkMode(dc, OPAQUE);
    COLORREF oldText = SetTextColor(dc, RGB(255, 255, 255));
    COLORREF oldBack = SetBkColor(dc, RGB(0, 0, 0));
    DrawTextA(dc, text, -1, &rect, DT_SINGLELINE);
    SetBkColor(dc, oldBack);
    SetBkMode(dc, oldMode);
    SetTextColor(dc, oldText);
    if (oldFont)
        SelectObject(dc, oldFont);
    ReleaseDC(g_surface, dc);
}
