#include "measure/overlay.h"

#include <cstring>

#include "app/meter_dlg.h"

namespace {

constexpr COLORREF kKeyColour = RGB(255, 0, 255);
constexpr int kSurfaceHeight = kOverlayTimerRow + kOverlayRowHeight;
constexpr char kSurfaceClass[] = "CadroOverlay";

HWND g_surface = nullptr;
bool g_surfaceBlank = true;

void FillKey(HWND surface) {
    HDC dc = ::GetDC(surface);
    RECT all = {0, 0, kOverlayWidth, kSurfaceHeight};
    HBRUSH key = ::CreateSolidBrush(kKeyColour);
    ::FillRect(dc, &all, key);
    ::DeleteObject(key);
    ::ReleaseDC(surface, dc);
}

LRESULT CALLBACK SurfaceProc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam) {
    switch (message) {
    case WM_ERASEBKGND:
        return 1;  // the surface keeps its lines between frames; an erase would wipe them
    case WM_PAINT: {
        PAINTSTRUCT paint;
        ::BeginPaint(hwnd, &paint);
        ::EndPaint(hwnd, &paint);
        return 0;
    }
    case WM_MOUSEACTIVATE:
        return MA_NOACTIVATE;
    default:
        return ::DefWindowProcA(hwnd, message, wParam, lParam);
    }
}

HWND Surface() {
    if (g_surface && ::IsWindow(g_surface))
        return g_surface;
    HINSTANCE instance = ::GetModuleHandleA(nullptr);
    WNDCLASSA wc{};
    wc.lpfnWndProc = SurfaceProc;
    wc.hInstance = instance;
    wc.lpszClassName = kSurfaceClass;
    ::RegisterClassA(&wc);  // fails harmlessly once registered
    g_surface = ::CreateWindowExA(WS_EX_LAYERED | WS_EX_TRANSPARENT | WS_EX_TOPMOST | WS_EX_TOOLWINDOW |
                                      WS_EX_NOACTIVATE,
                                  kSurfaceClass, "", WS_POPUP, 0, 0, kOverlayWidth, kSurfaceHeight, nullptr,
                                  nullptr, instance, nullptr);
    if (!g_surface)
        return nullptr;
    ::SetLayeredWindowAttributes(g_surface, kKeyColour, 0, LWA_COLORKEY);
    // Filled once shown: Wine gives the window its pixels only then, and drops what was drawn before.
    ::ShowWindow(g_surface, SW_SHOWNOACTIVATE);
    FillKey(g_surface);
    g_surfaceBlank = true;
    return g_surface;
}

}  // namespace

std::unique_ptr<CFont> CreateOverlayFont() {
    LOGFONTA description;
    std::memset(&description, 0, sizeof description);
    ::GetObjectA(::GetStockObject(ANSI_VAR_FONT), sizeof description, &description);
    description.lfQuality |= ANTIALIASED_QUALITY;
    description.lfHeight = 12;
    description.lfWidth = 0;
    std::strcpy(description.lfFaceName, "Arial");
    auto font = std::make_unique<CFont>();
    font->CreateFontIndirect(&description);
    return font;
}

void DrawOverlayText(const char* text, int rowOffset) {
    char line[256];
    std::strncpy(line, text ? text : "", sizeof line - 1);
    line[sizeof line - 1] = '\0';

    HWND surface = Surface();
    if (!surface)
        return;
    if (rowOffset == 0 && !g_surfaceBlank)
        FillKey(surface);  // a new frame: the previous lines may have been longer
    g_surfaceBlank = false;

    HDC dc = ::GetDC(surface);
    DrawOverlayLine(dc, line, rowOffset);
    ::ReleaseDC(surface, dc);
}

void DrawOverlayLine(HDC dc, const char* text, int rowOffset) {
    RECT rect = {0, rowOffset, kOverlayWidth, rowOffset + kOverlayRowHeight};
    CFont* font = g_pMainDlg ? g_pMainDlg->m_pFontSmall.get() : nullptr;
    HGDIOBJ oldFont = font && font->GetSafeHandle() ? ::SelectObject(dc, font->GetSafeHandle()) : nullptr;
    int oldMode = ::SetBkMode(dc, OPAQUE);
    COLORREF oldText = ::SetTextColor(dc, RGB(255, 255, 255));
    COLORREF oldBack = ::SetBkColor(dc, RGB(0, 0, 0));
    ::DrawTextA(dc, text, -1, &rect, DT_SINGLELINE);
    ::SetBkColor(dc, oldBack);
    ::SetBkMode(dc, oldMode);
    ::SetTextColor(dc, oldText);
    if (oldFont)
        ::SelectObject(dc, oldFont);
}

void ClearOverlaySurface() {
    if (!g_surface || g_surfaceBlank)
        return;
    FillKey(g_surface);
    g_surfaceBlank = true;
}

bool OverlaySurfaceBlank() { return g_surfaceBlank || !g_surface || !::IsWindow(g_surface); }

void RaiseOverlaySurface() {
    if (OverlaySurfaceBlank())
        return;
    // The usual tick finds nothing above and costs one question to the window manager.
    if (!::GetWindow(g_surface, GW_HWNDPREV))
        return;
    ::SetWindowPos(g_surface, HWND_TOPMOST, 0, 0, 0, 0,
                   SWP_NOMOVE | SWP_NOSIZE | SWP_NOACTIVATE | SWP_NOOWNERZORDER | SWP_NOSENDCHANGING);
}

void DestroyOverlaySurface() {
    if (g_surface)
        ::DestroyWindow(g_surface);
    g_surface = nullptr;
    g_surfaceBlank = true;
}
