#include "tests/unit/overlay_surface.h"

namespace {

constexpr int kHeight = kOverlayTimerRow + kOverlayRowHeight;
constexpr COLORREF kKey = RGB(255, 0, 255);

// Copies the surface-sized top left of dc into a 32-bpp picture, then hands its pixels to look.
template <class Look>
Picture Read(HDC dc, Look look) {
    BITMAPINFO info{};
    info.bmiHeader.biSize = sizeof info.bmiHeader;
    info.bmiHeader.biWidth = kOverlayWidth;
    info.bmiHeader.biHeight = -kHeight;  // top row first
    info.bmiHeader.biPlanes = 1;
    info.bmiHeader.biBitCount = 32;
    info.bmiHeader.biCompression = BI_RGB;
    HDC copy = ::CreateCompatibleDC(dc);
    void* bits = nullptr;
    HBITMAP picture = ::CreateDIBSection(copy, &info, DIB_RGB_COLORS, &bits, nullptr, 0);
    HGDIOBJ old = ::SelectObject(copy, picture);
    ::BitBlt(copy, 0, 0, kOverlayWidth, kHeight, dc, 0, 0, SRCCOPY);
    ::GdiFlush();
    const auto* first = static_cast<const uint32_t*>(bits);
    Picture pixels(first, first + kOverlayWidth * kHeight);
    for (int y = 0; y < kHeight; ++y)
        for (int x = 0; x < kOverlayWidth; ++x)
            look(pixels[y * kOverlayWidth + x], x, y);
    ::SelectObject(copy, old);
    ::DeleteObject(picture);
    ::DeleteDC(copy);
    return pixels;
}

}  // namespace

HWND FindSurface() { return ::FindWindowA("CadroOverlay", nullptr); }

Picture SurfacePicture() {
    HWND surface = FindSurface();
    if (!surface)
        return {};
    HRGN region = ::CreateRectRgn(0, 0, 0, 0);
    bool whole = ::GetWindowRgn(surface, region) == ERROR;  // no region: all of it shows
    HDC dc = ::GetDC(surface);
    Picture pixels = Read(dc, [&](uint32_t& pixel, int x, int y) {
        if (!whole && !::PtInRegion(region, x, y))
            pixel = kSeeThrough;
    });
    ::ReleaseDC(surface, dc);
    ::DeleteObject(region);
    return pixels;
}

Picture KeyedPicture(const std::vector<std::pair<const char*, int>>& lines) {
    Canvas canvas(kOverlayWidth, kHeight, kKey);
    for (const auto& line : lines)
        DrawOverlayLine(canvas.dc(), line.first, line.second);
    return Read(canvas.dc(), [](uint32_t& pixel, int, int) {
        if (pixel == 0xFF00FF)
            pixel = kSeeThrough;
    });
}

Canvas::Canvas(int width, int height, COLORREF fill) {
    HDC screen = ::GetDC(nullptr);
    m_dc = ::CreateCompatibleDC(screen);
    m_bitmap = ::CreateCompatibleBitmap(screen, width, height);
    ::ReleaseDC(nullptr, screen);
    m_old = ::SelectObject(m_dc, m_bitmap);
    RECT all = {0, 0, width, height};
    HBRUSH brush = ::CreateSolidBrush(fill);
    ::FillRect(m_dc, &all, brush);
    ::DeleteObject(brush);
}

Canvas::~Canvas() {
    ::SelectObject(m_dc, m_old);
    ::DeleteObject(m_bitmap);
    ::DeleteDC(m_dc);
}

bool Above(HWND hwnd, HWND other) {
    for (HWND w = ::GetWindow(other, GW_HWNDPREV); w; w = ::GetWindow(w, GW_HWNDPREV)) {
        if (w == hwnd)
            return true;
    }
    return false;
}

TopMostWindow::TopMostWindow(RECT where, bool visible)
    : m_hwnd(::CreateWindowExA(WS_EX_TOPMOST | WS_EX_TOOLWINDOW, "STATIC", "game", WS_POPUP, where.left, where.top,
                               where.right - where.left, where.bottom - where.top, nullptr, nullptr, nullptr,
                               nullptr)),
      m_visible(visible) {
    Raise();
}

TopMostWindow::~TopMostWindow() { ::DestroyWindow(m_hwnd); }

void TopMostWindow::Raise() {
    ::SetWindowPos(m_hwnd, HWND_TOPMOST, 0, 0, 0, 0,
                   SWP_NOMOVE | SWP_NOSIZE | SWP_NOACTIVATE | (m_visible ? SWP_SHOWWINDOW : 0));
}
