// The real overlay surface as tests see it from inside the process, which reads back exactly what GDI drew.
#pragma once

#include <windows.h>

#include <cstdint>
#include <vector>

HWND FindSurface();
// The surface's pixels (0x00RRGGBB), row by row; empty when there is no surface.
std::vector<uint32_t> SurfacePicture();
// True when hwnd comes before other in the z-order (above it).
bool Above(HWND hwnd, HWND other);

// A top-most window over the surface's corner, as a full-screen game that raises itself.
class TopMostWindow {
public:
    TopMostWindow();
    ~TopMostWindow();
    TopMostWindow(const TopMostWindow&) = delete;
    TopMostWindow& operator=(const TopMostWindow&) = delete;
    void Raise();
    HWND hwnd() const { return m_hwnd; }

private:
    HWND m_hwnd;
};
