#include "measure/overlay.h"

#include <cstring>
#include <map>
#include <optional>

#include "app/meter_dlg.h"
#include "link/os.h"

namespace {

constexpr int kSurfaceHeight = kOverlayTimerRow + kOverlayRowHeight;
constexpr char kSurfaceClass[] = "CadroOverlay";

HWND g_surface = nullptr;
HDC g_dc = nullptr;  // the surface's own (CS_OWNDC), kept for its life
bool g_surfaceBlank = true;
std::map<int, RECT> g_cells;  // by row offset, in the surface's coordinates; empty for a row showing nothing
POINT g_origin{};
HWND g_game = nullptr;
HMONITOR g_monitor = nullptr;  // the game's, when the surface was last placed
RECT g_gameRect{};             // the game's window when its monitor was last asked for on a tick
std::optional<uint32_t> g_lastRaise;

HGDIOBJ SelectOverlayFont(HDC dc) {
    CFont* font = g_pMainDlg ? g_pMainDlg->m_pFontSmall.get() : nullptr;
    return font && font->GetSafeHandle() ? ::SelectObject(dc, font->GetSafeHandle()) : nullptr;
}

bool Showing() {
    for (const auto& row : g_cells) {
        if (!::IsRectEmpty(&row.second))
            return true;
    }
    return false;
}

// The window region is the cells: nothing else of the surface shows.
void SetRegion() {
    HRGN region = ::CreateRectRgn(0, 0, 0, 0);
    for (const auto& row : g_cells) {
        HRGN cell = ::CreateRectRgnIndirect(&row.second);
        ::CombineRgn(region, region, cell, RGN_OR);
        ::DeleteObject(cell);
    }
    if (!::SetWindowRgn(g_surface, region, FALSE))
        ::DeleteObject(region);  // the system owns it only when the call succeeds
}

void MakeBlank() {
    g_cells.clear();
    SetRegion();
    g_surfaceBlank = true;
}

// The top left of the game's monitor, which it notes.
POINT GameOrigin() {
    Os& os = TheOs();
    g_monitor = os.WindowMonitor(g_game);
    return os.MonitorOrigin(g_monitor);
}

void Place() {
    POINT origin = GameOrigin();
    if (origin.x == g_origin.x && origin.y == g_origin.y)
        return;
    g_origin = origin;
    ::SetWindowPos(g_surface, nullptr, origin.x, origin.y, 0, 0, SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);
}

LRESULT CALLBACK SurfaceProc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam) {
    switch (message) {
    case WM_ERASEBKGND:
        return 1;  // the surface keeps its lines between frames; an erase would wipe them
    case WM_PAINT: {
        // Whatever the system asks to be painted again is drawn by the caller's next frame.
        PAINTSTRUCT paint;
        ::BeginPaint(hwnd, &paint);
        ::EndPaint(hwnd, &paint);
        MakeBlank();
        return 0;
    }
    case WM_DISPLAYCHANGE:
        MakeBlank();  // and the next frame finds the game's monitor where it now is
        break;
    case WM_MOUSEACTIVATE:
        return MA_NOACTIVATE;
    default:
        break;
    }
    return ::DefWindowProcA(hwnd, message, wParam, lParam);
}

HWND Surface() {
    if (g_surface && ::IsWindow(g_surface))
        return g_surface;
    HINSTANCE instance = ::GetModuleHandleA(nullptr);
    WNDCLASSA wc{};
    wc.style = CS_OWNDC;
    wc.lpfnWndProc = SurfaceProc;
    wc.hInstance = instance;
    wc.lpszClassName = kSurfaceClass;
    ::RegisterClassA(&wc);  // fails harmlessly once registered
    g_cells.clear();
    g_surfaceBlank = true;
    g_lastRaise.reset();
    g_origin = GameOrigin();
    g_surface = ::CreateWindowExA(WS_EX_LAYERED | WS_EX_TRANSPARENT | WS_EX_TOPMOST | WS_EX_TOOLWINDOW |
                                      WS_EX_NOACTIVATE,
                                  kSurfaceClass, "", WS_POPUP, g_origin.x, g_origin.y, kOverlayWidth,
                                  kSurfaceHeight, nullptr, nullptr, instance, nullptr);
    if (!g_surface)
        return nullptr;
    ::SetLayeredWindowAttributes(g_surface, 0, 255, LWA_ALPHA);
    SetRegion();  // nothing shows until a line is drawn
    ::ShowWindow(g_surface, SW_SHOWNOACTIVATE);
    ::ValidateRect(g_surface, nullptr);  // there is nothing to paint yet
    g_dc = ::GetDC(g_surface);
    return g_surface;
}

// True when a visible window above the surface covers part of a cell.
bool Covered() {
    for (HWND w = ::GetWindow(g_surface, GW_HWNDPREV); w; w = ::GetWindow(w, GW_HWNDPREV)) {
        RECT window;
        if (!::IsWindowVisible(w) || !::GetWindowRect(w, &window))
            continue;
        for (const auto& row : g_cells) {
            RECT cell = row.second, both;
            ::OffsetRect(&cell, g_origin.x, g_origin.y);
            if (::IntersectRect(&both, &cell, &window))
                return true;
        }
    }
    return false;
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
    if (g_surfaceBlank)
        Place();
    RECT cell = OverlayCell(g_dc, line, rowOffset);
    RECT& shown = g_cells[rowOffset];
    // Before the drawing: the surface's DC is clipped to the region, and a wider cell must take it whole.
    if (!::EqualRect(&cell, &shown)) {
        shown = cell;
        SetRegion();
    }
    if (!::IsRectEmpty(&cell))
        DrawOverlayLine(g_dc, line, rowOffset);
    g_surfaceBlank = !Showing();
}

void DrawOverlayLine(HDC dc, const char* text, int rowOffset) {
    RECT rect = {0, rowOffset, kOverlayWidth, rowOffset + kOverlayRowHeight};
    HGDIOBJ oldFont = SelectOverlayFont(dc);
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

RECT OverlayCell(HDC dc, const char* text, int rowOffset) {
    const RECT row = {0, rowOffset, kOverlayWidth, rowOffset + kOverlayRowHeight};
    RECT measured = row;
    HGDIOBJ oldFont = SelectOverlayFont(dc);
    ::DrawTextA(dc, text, -1, &measured, DT_SINGLELINE | DT_CALCRECT);
    if (oldFont)
        ::SelectObject(dc, oldFont);
    RECT cell;
    if (!::IntersectRect(&cell, &measured, &row))
        ::SetRectEmpty(&cell);
    return cell;
}

void ClearOverlaySurface() {
    if (!g_surface || g_surfaceBlank)
        return;
    MakeBlank();
}

bool OverlaySurfaceBlank() {
    if (!g_surface || !::IsWindow(g_surface))
        return true;
    if (::GetUpdateRect(g_surface, nullptr, FALSE))
        ::UpdateWindow(g_surface);
    return g_surfaceBlank;
}

bool RaiseOverlaySurface(uint32_t now) {
    if (!g_surface || g_surfaceBlank)
        return false;
    if (g_lastRaise && now - *g_lastRaise < kOverlayRaiseGap)
        return false;
    // The usual tick finds nothing above and costs one question to the window manager.
    if (!Covered())
        return false;
    // While the player is in another program, that program's top-most windows keep the top.
    if (!g_game || TheOs().ForegroundWindow() != g_game)
        return false;
    ::SetWindowPos(g_surface, HWND_TOPMOST, 0, 0, 0, 0,
                   SWP_NOMOVE | SWP_NOSIZE | SWP_NOACTIVATE | SWP_NOOWNERZORDER | SWP_NOSENDCHANGING);
    g_lastRaise = now;
    return true;
}

bool KeepOverlayWithGame(uint32_t now) {
    if (!g_surface || g_surfaceBlank)
        return false;
    // The monitor is an expensive question under Wine; a window that has not moved is on the same one.
    Os& os = TheOs();
    RECT game;
    if (os.WindowRect(g_game, &game) && !::EqualRect(&game, &g_gameRect)) {
        g_gameRect = game;
        if (os.WindowMonitor(g_game) != g_monitor)
            Place();
    }
    return RaiseOverlaySurface(now);
}

void PlaceOverlayOver(HWND game) {
    g_game = game;
    g_gameRect = {};
    if (g_surface && ::IsWindow(g_surface))
        Place();
}

void DestroyOverlaySurface() {
    if (g_surface) {
        if (g_dc)
            ::ReleaseDC(g_surface, g_dc);
        ::DestroyWindow(g_surface);
    }
    g_surface = nullptr;
    g_dc = nullptr;
    g_cells.clear();
    g_surfaceBlank = true;
}
