// The overlay surface and its drawing, read back inside the process (which sees exactly what GDI drew).
#include <gtest/gtest.h>

#include <cstring>

#include "measure/overlay.h"
#include "tests/unit/fake_os.h"
#include "tests/unit/overlay_surface.h"
#include "tools/bench/process_counters.h"

namespace {

struct Pixels {
    int white = 0, black = 0, key = 0, other = 0;
    int rightmostWhite = -1;
};

// Counts the surface's pixels in rows top..bottom.
Pixels Read(HWND surface, int top, int bottom) {
    Pixels result;
    HDC dc = ::GetDC(surface);
    for (int y = top; y < bottom; ++y) {
        for (int x = 0; x < kOverlayWidth; ++x) {
            COLORREF c = ::GetPixel(dc, x, y);
            if (c == RGB(255, 255, 255)) {
                ++result.white;
                result.rightmostWhite = x > result.rightmostWhite ? x : result.rightmostWhite;
            } else if (c == RGB(0, 0, 0)) {
                ++result.black;
            } else if (c == RGB(255, 0, 255)) {
                ++result.key;
            } else {
                ++result.other;
            }
        }
    }
    ::ReleaseDC(surface, dc);
    return result;
}

}  // namespace

using OverlayTest = MeterTest;

TEST_F(OverlayTest, FontIsTheStockFontMadeTwelvePixelArial) {
    LOGFONTA stock{};
    ::GetObjectA(::GetStockObject(ANSI_VAR_FONT), sizeof stock, &stock);
    LOGFONTA made{};
    ASSERT_NE(dlg->m_pFontSmall, nullptr);
    ::GetObjectA(dlg->m_pFontSmall->GetSafeHandle(), sizeof made, &made);
    EXPECT_EQ(made.lfHeight, 12);
    EXPECT_EQ(made.lfWidth, 0);
    EXPECT_STREQ(made.lfFaceName, "Arial");
    EXPECT_EQ(made.lfQuality, stock.lfQuality | ANTIALIASED_QUALITY);
    EXPECT_EQ(made.lfWeight, stock.lfWeight);
    EXPECT_EQ(made.lfCharSet, stock.lfCharSet);
    EXPECT_EQ(made.lfPitchAndFamily, stock.lfPitchAndFamily);
}

TEST_F(OverlayTest, LinesAreWhiteOnBlackInTheirRowsAndClippedAt300) {
    DrawOverlayText("APM = 123 (045) ", 0);
    DrawOverlayText("00:01:02", kOverlayTimerRow);
    HWND surface = FindSurface();
    ASSERT_NE(surface, nullptr);
    LONG_PTR ex = ::GetWindowLongPtrA(surface, GWL_EXSTYLE);
    const LONG_PTR wanted = WS_EX_LAYERED | WS_EX_TRANSPARENT | WS_EX_TOPMOST | WS_EX_TOOLWINDOW | WS_EX_NOACTIVATE;
    EXPECT_EQ(ex & wanted, wanted) << "click-through, top-most, no taskbar button, never activated";
    EXPECT_NE(::GetForegroundWindow(), surface);

    Pixels apm = Read(surface, 0, 12);
    EXPECT_GT(apm.white, 20);
    EXPECT_GT(apm.black, 20);
    Pixels timer = Read(surface, kOverlayTimerRow, kOverlayTimerRow + 12);
    EXPECT_GT(timer.white + timer.other, 20) << "white and anti-aliased glyph pixels";
    EXPECT_GT(timer.black, 20);

    // The next frame starts at row 0: a wide line is cut at 300 pixels, never wrapped to a second line.
    std::string wide = "APM = 123 (045) TOO LOW!!! MOVE IT MOVE IT! and much more text beyond the edge";
    DrawOverlayText(wide.c_str(), 0);
    Pixels cut = Read(surface, 0, 12);
    EXPECT_GE(cut.rightmostWhite, 280);
    EXPECT_EQ(Read(surface, 12, 42).white, 0) << "no wrapped second line; the old timer is gone";
}

TEST_F(OverlayTest, ClearLeavesOnlyTheKeyColour) {
    DrawOverlayText("Game started...", 0);
    EXPECT_EQ(Read(FindSurface(), kOverlayRowHeight, kOverlayTimerRow + kOverlayRowHeight).key,
              kOverlayWidth * (kOverlayTimerRow)) << "below the first row the game shows through";
    ClearOverlaySurface();
    Pixels all = Read(FindSurface(), 0, kOverlayTimerRow + kOverlayRowHeight);
    EXPECT_EQ(all.white + all.black + all.other, 0);
}

TEST_F(OverlayTest, DrawingLeavesTheDeviceContextAsItWas) {
    // A DC whose state differs from every value the drawing sets: each must come back.
    HDC screen = ::GetDC(nullptr);
    HDC dc = ::CreateCompatibleDC(screen);
    HBITMAP picture = ::CreateCompatibleBitmap(screen, kOverlayWidth, kOverlayRowHeight);
    ::ReleaseDC(nullptr, screen);
    HGDIOBJ oldPicture = ::SelectObject(dc, picture);
    RECT all = {0, 0, kOverlayWidth, kOverlayRowHeight};
    ::FillRect(dc, &all, static_cast<HBRUSH>(::GetStockObject(GRAY_BRUSH)));
    HFONT own = ::CreateFontA(20, 0, 0, 0, FW_BOLD, 0, 0, 0, ANSI_CHARSET, 0, 0, 0, 0, "Courier New");
    HGDIOBJ systemFont = ::SelectObject(dc, own);
    ::SetBkMode(dc, TRANSPARENT);
    ::SetTextColor(dc, RGB(10, 20, 30));
    ::SetBkColor(dc, RGB(40, 50, 60));

    DrawOverlayLine(dc, "APM = 001 (002) ", 0);

    EXPECT_EQ(::GetBkMode(dc), TRANSPARENT);
    EXPECT_EQ(::GetTextColor(dc), RGB(10, 20, 30));
    EXPECT_EQ(::GetBkColor(dc), RGB(40, 50, 60));
    EXPECT_EQ(::GetCurrentObject(dc, OBJ_FONT), static_cast<HGDIOBJ>(own));
    // And it did draw, white on an opaque black, though the DC said transparent in other colours.
    int white = 0, black = 0;
    for (int x = 0; x < kOverlayWidth; ++x)
        for (int y = 0; y < kOverlayRowHeight; ++y) {
            COLORREF c = ::GetPixel(dc, x, y);
            white += c == RGB(255, 255, 255);
            black += c == RGB(0, 0, 0);
        }
    EXPECT_GT(white, 20);
    EXPECT_GT(black, 20);

    ::SelectObject(dc, systemFont);
    ::DeleteObject(own);
    ::SelectObject(dc, oldPicture);
    ::DeleteObject(picture);
    ::DeleteDC(dc);
}

TEST_F(OverlayTest, TenThousandDrawsLeakNoObjects) {
    DrawOverlayText("warm up", 0);
    HANDLE self = ::GetCurrentProcess();
    DWORD pid = ::GetCurrentProcessId();
    unsigned long gdi = GdiObjects(self), user = UserObjects(self, pid);
    ASSERT_GT(gdi, 0u) << "the font and the surface's objects are counted";
    ASSERT_GT(user, 0u) << "the main window and the surface are counted";
    for (int i = 0; i < 5000; ++i) {
        DrawOverlayText("APM = 250 (300) ", 0);
        DrawOverlayText("00:10:00", kOverlayTimerRow);
    }
    ClearOverlaySurface();
    EXPECT_EQ(GdiObjects(self), gdi);
    EXPECT_EQ(UserObjects(self, pid), user);
}

TEST_F(OverlayTest, RaisingPutsTheSurfaceBackAboveATopMostWindowWithoutActivatingIt) {
    DrawOverlayText("APM = 001 (002) ", 0);
    HWND surface = FindSurface();
    TopMostWindow game;
    HWND foreground = ::GetForegroundWindow();
    HWND active = ::GetActiveWindow();
    ASSERT_TRUE(Above(game.hwnd(), surface)) << "the game came over the surface";
    RaiseOverlaySurface();
    EXPECT_TRUE(Above(surface, game.hwnd()));
    EXPECT_EQ(::GetWindow(surface, GW_HWNDPREV), nullptr) << "at the very top";
    game.Raise();  // again, while it is in front already
    ASSERT_TRUE(Above(game.hwnd(), surface));
    RaiseOverlaySurface();
    EXPECT_TRUE(Above(surface, game.hwnd()));
    EXPECT_EQ(::GetForegroundWindow(), foreground);
    EXPECT_EQ(::GetActiveWindow(), active);
    EXPECT_NE(::GetActiveWindow(), surface);

    // A blank surface has nothing to show above the game and stays where it is.
    ClearOverlaySurface();
    game.Raise();
    RaiseOverlaySurface();
    EXPECT_TRUE(Above(game.hwnd(), surface));
}

TEST_F(OverlayTest, SurfaceGoesWithTheMainWindowAfterItsClear) {
    DrawOverlayText("APM = 001 (002) ", 0);
    HWND other = ::CreateWindowExA(0, "STATIC", "other", WS_POPUP, 0, 0, 10, 10, nullptr, nullptr, nullptr, nullptr);
    ::DestroyWindow(other);
    EXPECT_NE(FindSurface(), nullptr) << "only the main window's end takes it away";

    bool surfaceAtClear = false;
    os.onClear = [&] { surfaceAtClear = FindSurface() != nullptr; };
    ::DestroyWindow(dlg->m_hWnd);
    EXPECT_TRUE(surfaceAtClear) << "cleared first";
    EXPECT_EQ(FindSurface(), nullptr);
    EXPECT_TRUE(OverlaySurfaceBlank());

    // A later draw makes a new surface, blank but for its line.
    DrawOverlayText("Game started...", 0);
    HWND again = FindSurface();
    ASSERT_NE(again, nullptr);
    EXPECT_FALSE(OverlaySurfaceBlank());
    EXPECT_EQ(Read(again, kOverlayRowHeight, kOverlayTimerRow + kOverlayRowHeight).key,
              kOverlayWidth * kOverlayTimerRow);
    DestroyOverlaySurface();
    EXPECT_EQ(FindSurface(), nullptr);
}
