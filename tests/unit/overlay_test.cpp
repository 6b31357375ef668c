// The overlay surface and its drawing, read back inside the process (which sees exactly what GDI drew).
#include <gtest/gtest.h>

#include <cstring>
#include <utility>

#include "measure/overlay.h"
#include "tests/unit/fake_os.h"
#include "tests/unit/overlay_surface.h"
#include "tools/bench/process_counters.h"

namespace {

struct Pixels {
    int white = 0, black = 0, seeThrough = 0, other = 0;
    int rightmostWhite = -1;
};

// Counts what the player sees of the surface in rows top..bottom.
Pixels Read(int top, int bottom) {
    Pixels result;
    Picture picture = SurfacePicture();
    for (int y = top; y < bottom; ++y) {
        for (int x = 0; x < kOverlayWidth; ++x) {
            uint32_t c = picture[y * kOverlayWidth + x];
            if (c == 0xFFFFFF) {
                ++result.white;
                result.rightmostWhite = x > result.rightmostWhite ? x : result.rightmostWhite;
            } else if (c == 0) {
                ++result.black;
            } else if (c == kSeeThrough) {
                ++result.seeThrough;
            } else {
                ++result.other;
            }
        }
    }
    return result;
}

constexpr int kHeight = kOverlayTimerRow + kOverlayRowHeight;

// Counts the surface's moves and region changes (the system sends both as a window-position change).
class PositionChanges {
public:
    PositionChanges() : m_hook(::SetWindowsHookExA(WH_CALLWNDPROC, Count, nullptr, ::GetCurrentThreadId())) {
        s_count = 0;
    }
    ~PositionChanges() { ::UnhookWindowsHookEx(m_hook); }
    PositionChanges(const PositionChanges&) = delete;
    PositionChanges& operator=(const PositionChanges&) = delete;
    int Take() { return std::exchange(s_count, 0); }

private:
    static LRESULT CALLBACK Count(int code, WPARAM wParam, LPARAM lParam) {
        const auto* sent = reinterpret_cast<const CWPSTRUCT*>(lParam);
        if (code == HC_ACTION && sent->message == WM_WINDOWPOSCHANGED && sent->hwnd == FindSurface())
            ++s_count;
        return ::CallNextHookEx(nullptr, code, wParam, lParam);
    }
    static inline int s_count = 0;
    HHOOK m_hook;
};

}  // namespace

// The game given to the overlay is the window in front, as while the player plays.
class OverlayTest : public MeterTest {
protected:
    void SetUp() override {
        MeterTest::SetUp();
        os.foreground = os.gameWindow;
        PlaceOverlayOver(os.gameWindow);
    }
    void TearDown() override {
        PlaceOverlayOver(nullptr);
        MeterTest::TearDown();
    }
};

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
    COLORREF key = 0;
    BYTE alpha = 0;
    DWORD flags = 0;
    ASSERT_TRUE(::GetLayeredWindowAttributes(surface, &key, &alpha, &flags));
    EXPECT_EQ(flags, static_cast<DWORD>(LWA_ALPHA)) << "opaque, with no colour key to scan for";
    EXPECT_EQ(alpha, 255);

    Pixels apm = Read(0, 12);
    EXPECT_GT(apm.white, 20);
    EXPECT_GT(apm.black, 20);
    Pixels timer = Read(kOverlayTimerRow, kOverlayTimerRow + 12);
    EXPECT_GT(timer.white + timer.other, 20) << "white and anti-aliased glyph pixels";
    EXPECT_GT(timer.black, 20);

    // A wide line is cut at 300 pixels, never wrapped to a second line.
    DrawOverlayText("", kOverlayTimerRow);
    std::string wide = "APM = 123 (045) TOO LOW!!! MOVE IT MOVE IT! and much more text beyond the edge";
    DrawOverlayText(wide.c_str(), 0);
    Pixels cut = Read(0, 12);
    EXPECT_GE(cut.rightmostWhite, 280);
    Pixels below = Read(16, kHeight);
    EXPECT_EQ(below.seeThrough, kOverlayWidth * (kHeight - 16)) << "no wrapped second line; the old timer is gone";
}

TEST_F(OverlayTest, ThePlayerSeesWhatTheKeyedSurfaceShowedRowByRow) {
    const std::string wide = "Game started... and a line much wider than the overlay's three hundred pixels";
    // The rows each step leaves showing: a row drawn again shows only its new line, narrower or wider.
    const std::vector<std::pair<const char*, int>> steps = {
        {"APM = --- (000) ", 0},
        {"00:00:01", kOverlayTimerRow},
        {"APM = --- (120) TOO LOW!!! MOVE IT MOVE IT!", 0},
        {"Sound OFF.....", 0},
        {wide.c_str(), 0},
        {"00:10:00", kOverlayTimerRow},
        {"", kOverlayTimerRow},
        {"x", 0},
    };
    std::map<int, const char*> rows;
    for (const auto& step : steps) {
        SCOPED_TRACE(step.first);
        DrawOverlayText(step.first, step.second);
        rows[step.second] = step.first;
        std::vector<std::pair<const char*, int>> shown;
        for (const auto& row : rows)
            shown.emplace_back(row.second, row.first);
        EXPECT_EQ(SurfacePicture(), KeyedPicture(shown));
    }
    DrawOverlayText("", 0);
    EXPECT_TRUE(OverlaySurfaceBlank()) << "no row shows a line";
    EXPECT_EQ(SurfacePicture(), KeyedPicture({}));
}

TEST_F(OverlayTest, TheRegionIsSetAgainOnlyWhenACellChangesSize) {
    DrawOverlayText("APM = 120 (100) ", 0);
    DrawOverlayText("00:00:01", kOverlayTimerRow);
    HWND surface = FindSurface();
    HDC dc = ::GetDC(surface);
    RECT a = OverlayCell(dc, "APM = 121 (100) ", 0), b = OverlayCell(dc, "APM = 120 (100) ", 0);
    ASSERT_TRUE(::EqualRect(&a, &b)) << "digits are as wide as each other";
    ::ReleaseDC(surface, dc);

    PositionChanges changes;
    DrawOverlayText("APM = 121 (100) ", 0);
    DrawOverlayText("00:00:02", kOverlayTimerRow);
    EXPECT_EQ(changes.Take(), 0) << "same widths";
    DrawOverlayText("APM = 121 (100) TOO LOW!!! MOVE IT MOVE IT!", 0);
    EXPECT_EQ(changes.Take(), 1) << "a wider line";
    DrawOverlayText("", kOverlayTimerRow);
    EXPECT_EQ(changes.Take(), 1) << "the timer gone";
    ClearOverlaySurface();
    EXPECT_EQ(changes.Take(), 1) << "cleared";
}

TEST_F(OverlayTest, ClearLeavesNothingToSee) {
    DrawOverlayText("Game started...", 0);
    EXPECT_EQ(Read(16, kHeight).seeThrough, kOverlayWidth * (kHeight - 16)) << "below the first row the game shows through";
    ClearOverlaySurface();
    EXPECT_TRUE(OverlaySurfaceBlank());
    EXPECT_EQ(Read(0, kHeight).seeThrough, kOverlayWidth * kHeight);
}

TEST_F(OverlayTest, ARepaintOrADisplayChangeBlanksTheSurfaceButItsOwnChangesDoNot) {
    DrawOverlayText("APM = 120 (100) ", 0);
    DrawOverlayText("00:00:01", kOverlayTimerRow);
    HWND surface = FindSurface();
    // Its own changes: new cells, a raise over a game, the game given.
    TopMostWindow game;
    DrawOverlayText("APM = 120 (100) TOO LOW!!! MOVE IT MOVE IT!", 0);
    DrawOverlayText("", kOverlayTimerRow);
    ASSERT_TRUE(RaiseOverlaySurface(0));
    PlaceOverlayOver(game.hwnd());
    EXPECT_FALSE(OverlaySurfaceBlank());
    Picture shown = SurfacePicture();

    ::InvalidateRect(surface, nullptr, FALSE);
    EXPECT_TRUE(OverlaySurfaceBlank()) << "asked to paint again";
    EXPECT_EQ(Read(0, kHeight).seeThrough, kOverlayWidth * kHeight) << "nothing left over to clear";
    DrawOverlayText("APM = 120 (100) TOO LOW!!! MOVE IT MOVE IT!", 0);
    EXPECT_EQ(SurfacePicture(), shown);

    ::SendMessageA(surface, WM_DISPLAYCHANGE, 32, MAKELPARAM(1024, 768));
    EXPECT_TRUE(OverlaySurfaceBlank()) << "a new display mode";
    EXPECT_EQ(Read(0, kHeight).seeThrough, kOverlayWidth * kHeight);
}

TEST_F(OverlayTest, DrawingLeavesTheDeviceContextAsItWas) {
    // A DC whose state differs from every value the drawing sets: each must come back.
    Canvas canvas(kOverlayWidth, kOverlayRowHeight, RGB(128, 128, 128));
    HDC dc = canvas.dc();
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
}

TEST_F(OverlayTest, TenThousandDrawsLeakNoObjects) {
    DrawOverlayText("warm up", 0);
    HANDLE self = ::GetCurrentProcess();
    DWORD pid = ::GetCurrentProcessId();
    unsigned long gdi = GdiObjects(self), user = UserObjects(self, pid);
    ASSERT_GT(gdi, 0u) << "the font and the surface's objects are counted";
    ASSERT_GT(user, 0u) << "the main window and the surface are counted";
    for (int i = 0; i < 5000; ++i) {  // a new region for each line
        DrawOverlayText(i % 2 ? "APM = 250 (300) " : "Game started...", 0);
        DrawOverlayText(i % 2 ? "00:10:00" : "", kOverlayTimerRow);
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
    EXPECT_TRUE(RaiseOverlaySurface(0));
    EXPECT_TRUE(Above(surface, game.hwnd()));
    EXPECT_EQ(::GetWindow(surface, GW_HWNDPREV), nullptr) << "at the very top";
    EXPECT_FALSE(RaiseOverlaySurface(kOverlayRaiseGap)) << "nothing above";
    game.Raise();
    ASSERT_TRUE(Above(game.hwnd(), surface));
    EXPECT_TRUE(RaiseOverlaySurface(kOverlayRaiseGap + 1)) << "the check that found nothing held nothing back";
    EXPECT_TRUE(Above(surface, game.hwnd()));
    EXPECT_EQ(::GetForegroundWindow(), foreground);
    EXPECT_EQ(::GetActiveWindow(), active);
    EXPECT_NE(::GetActiveWindow(), surface);

    // Another program in front (the player alt-tabbed away): its top-most windows keep the top.
    os.foreground = dlg->m_hWnd;
    game.Raise();
    EXPECT_FALSE(RaiseOverlaySurface(kOverlayRaiseGap * 3));
    EXPECT_TRUE(Above(game.hwnd(), surface));
    os.foreground = os.gameWindow;
    EXPECT_TRUE(RaiseOverlaySurface(kOverlayRaiseGap * 3)) << "the game in front again";

    // A blank surface has nothing to show above the game and stays where it is.
    ClearOverlaySurface();
    game.Raise();
    EXPECT_FALSE(RaiseOverlaySurface(kOverlayRaiseGap * 4));
    EXPECT_TRUE(Above(game.hwnd(), surface));
}

TEST_F(OverlayTest, OnlyAVisibleWindowOverTheLinesIsRaisedAbove) {
    DrawOverlayText("APM = 001 (002) ", 0);
    HWND surface = FindSurface();
    HDC dc = ::GetDC(surface);
    RECT cell = OverlayCell(dc, "APM = 001 (002) ", 0);
    ::ReleaseDC(surface, dc);
    ASSERT_LT(cell.right, kOverlayWidth - 20);
    ASSERT_LT(cell.bottom, kOverlayTimerRow);
    const struct {
        const char* what;
        RECT where;
        bool visible;
        bool raised;
    } cases[] = {
        {"hidden over the line", {0, 0, 400, 100}, false, false},
        {"right of the line, over the surface", {cell.right, 0, 400, 100}, true, false},
        {"below the line, over the timer's row", {0, cell.bottom, 400, 100}, true, false},
        {"over the line's last pixel", {cell.right - 1, cell.bottom - 1, 400, 100}, true, true},
    };
    uint32_t now = 0;
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        TopMostWindow other(c.where, c.visible);
        ASSERT_TRUE(Above(other.hwnd(), surface));
        now += kOverlayRaiseGap;
        EXPECT_EQ(RaiseOverlaySurface(now), c.raised);
        EXPECT_EQ(Above(surface, other.hwnd()), c.raised);
    }
}

TEST_F(OverlayTest, RaisesAreAtLeastTheGapApartAcrossTheClocksWrap) {
    DrawOverlayText("APM = 001 (002) ", 0);
    HWND surface = FindSurface();
    TopMostWindow game;
    const uint32_t start = 0xFFFFFF00;
    ASSERT_TRUE(RaiseOverlaySurface(start));
    for (uint32_t after : {1u, 250u, kOverlayRaiseGap - 1}) {
        game.Raise();
        EXPECT_FALSE(RaiseOverlaySurface(start + after)) << after;
        EXPECT_TRUE(Above(game.hwnd(), surface)) << after;
    }
    EXPECT_TRUE(RaiseOverlaySurface(start + kOverlayRaiseGap)) << "past the wrap";
    EXPECT_TRUE(Above(surface, game.hwnd()));
    game.Raise();
    EXPECT_FALSE(RaiseOverlaySurface(start + kOverlayRaiseGap + 1)) << "timed from the last raise";
}

TEST_F(OverlayTest, TheOverlayFollowsTheGameToAnotherMonitorWithinATick) {
    SurfaceOs system;  // the real surface; the fake's monitors and clock
    const HMONITOR primary = system.gameMonitor, right = reinterpret_cast<HMONITOR>(2);
    system.monitorOrigins[right] = {1920, -200};
    system.foreground = system.gameWindow;
    system.StartGame(1000);
    const RECT there = {1920, -200, 2560, 280}, back = system.gameRect;
    auto moveTo = [&](RECT rect, HMONITOR monitor) {
        system.gameRect = rect;
        system.gameMonitor = monitor;
    };
    system.At(30000, [=] { moveTo(there, right); });
    system.At(60000, [=] { moveTo(back, primary); });  // dragged back, or restored there
    system.processEndsAt = 90000;
    std::map<uint64_t, POINT> seen;
    for (uint64_t at : {29999, 30300, 59999, 60300}) {
        system.At(at, [&seen, at] {
            RECT where{};
            ::GetWindowRect(FindSurface(), &where);
            seen[at] = {where.left, where.top};
        });
    }
    SetOs(&system);
    RunGameLink(dlg->m_hWnd);
    SetOs(&os);
    ASSERT_EQ(seen.size(), 4u);
    EXPECT_EQ(seen[29999].x, 0);
    EXPECT_EQ(seen[30300].x, 1920) << "on the game's new monitor";
    EXPECT_EQ(seen[30300].y, -200);
    EXPECT_EQ(seen[59999].x, 1920);
    EXPECT_EQ(seen[60300].x, 0) << "and back";
    EXPECT_EQ(seen[60300].y, 0);
    EXPECT_LT(system.monitorsAsked, 20) << "asked when the game moved, not on each of 350 ticks";
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
    EXPECT_EQ(Read(16, kHeight).seeThrough, kOverlayWidth * (kHeight - 16));
    DestroyOverlaySurface();
    EXPECT_EQ(FindSurface(), nullptr);
}
