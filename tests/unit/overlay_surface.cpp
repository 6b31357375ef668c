#include "tests/unit/overlay_surface.h"

#include "measure/overlay.h"

HWND FindSurface() { return ::FindWindowA("CadroOverlay", nullptr); }

std::vector<uint32_t> SurfacePicture() {
    HWND surface = FindSurface();
    if (!surface)
        return {};
    constexpr int kHeight = kOverlayTimerRow + kOverlayRowHeight;
    BITMAPINFO info{};
    info.bmiHeader.biSize = sizeof info.bmiHeader;
    info.bmiHeader.biWidth = kOverlayWidth;
    info.bmiHeader.biHeight = -kHeight;  // top row first
    info.bmiHeader.biPlanes = 1;
    info.bmiHeader.biBitCount = 32;
    info.bmiHeader.biCompression = BI_RGB;
    HDC dc = ::GetDC(surface);
    HDC copy = ::CreateCompatibleDC(dc);
    void* bits = nullptr;
    HBITMAP picture = ::CreateDIBSection(copy, &info, DIB_RGB_COLORS, &bits, nullptr, 0);
    HGDIOBJ old = ::SelectObject(copy, picture);
    ::BitBlt(copy, 0, 0, kOverlayWidth, kHeight, dc, 0, 0, SRCCOPY);
    ::GdiFlush();
    const auto* first = static_cast<const uint32_t*>(bits);
    std::vector<uint32_t> pixels(first, first + kOverlayWidth * kHeight);
    ::SelectObject(copy, old);
    ::DeleteObject(picture);
    ::DeleteDC(copy);
    ::ReleaseDC(surface, dc);
    return pixels;
}

bool Above(HWND hwnd, HWND other) {
    for (HWND w = ::GetWindow(other, GW_HWNDPREV); w; w = ::GetWindow(w, GW_HWNDPREV)) {
        if (w == hwnd)
            return true;
    }
    return false;
}

TopMostWindow::TopMostWindow()
    : m_hwnd(::CreateWindowExA(WS_EX_TOPMOST | WS_EX_TOOLWINDOW, "STATIC", "game", WS_POPUP, 0, 0, 400, 100, nullptr,
                               nullptr, nullptr, nullptr)) {
    Raise();
}

TopMostWindow::~TopMostWindow() { ::DestroyWindow(m_hwnd); }

void TopMostWindow::Raise() {
    ::SetWindowPos(m_hwnd, HWND_TOPMOST, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE | SWP_SHOWWINDOW);
}
