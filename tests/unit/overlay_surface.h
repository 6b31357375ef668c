// The real overlay surface as tests see it from inside the process, which reads back exactly what GDI drew.
#pragma once

#include <windows.h>

#include <cstdint>
#include <utility>
#include <vector>

#include "measure/overlay.h"
#include "tests/unit/fake_os.h"

using Picture = std::vector<uint32_t>;
// A pixel the player does not see: outside the surface's window region, or the key colour of a keyed one.
constexpr uint32_t kSeeThrough = 0xFF000000;

HWND FindSurface();
// The surface's pixels (0x00RRGGBB) as the player sees them, row by row; empty when there is no surface.
Picture SurfacePicture();
// What a surface that shows all of itself but a key colour showed for these lines (text, row offset):
// each drawn in turn into a picture filled with the key.
Picture KeyedPicture(const std::vector<std::pair<const char*, int>>& lines);
// A picture in memory to draw into, filled with one colour at first.
class Canvas {
public:
    Canvas(int width, int height, COLORREF fill);
    ~Canvas();
    Canvas(const Canvas&) = delete;
    Canvas& operator=(const Canvas&) = delete;
    HDC dc() const { return m_dc; }

private:
    HDC m_dc;
    HBITMAP m_bitmap;
    HGDIOBJ m_old;
};

// True when hwnd comes before other in the z-order (above it).
bool Above(HWND hwnd, HWND other);

// A top-most window, by default visible over the surface's corner as a full-screen game that raises itself.
class TopMostWindow {
public:
    explicit TopMostWindow(RECT where = {0, 0, 400, 100}, bool visible = true);
    ~TopMostWindow();
    TopMostWindow(const TopMostWindow&) = delete;
    TopMostWindow& operator=(const TopMostWindow&) = delete;
    void Raise();
    HWND hwnd() const { return m_hwnd; }

private:
    HWND m_hwnd;
    bool m_visible;
};

// The fake system with the real surface behind its overlay calls, its raises timed by the fake's clock.
class SurfaceOs : public FakeOs {
public:
    void DrawOverlay(const char* text, int rowOffset) override { DrawOverlayText(text, rowOffset); }
    void ClearOverlay() override { ClearOverlaySurface(); }
    bool OverlayBlank() override { return OverlaySurfaceBlank(); }
    void KeepOverlayOnTop() override { KeepOverlayWithGame(TickCount()); }
    void PlaceOverlayOver(HWND game) override { ::PlaceOverlayOver(game); }
};
