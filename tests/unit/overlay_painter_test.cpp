// The frames the measurement puts on the overlay, read back from the real surface: the surface shows the
// last frame, only the rows that changed are drawn, and a shown frame is kept above a top-most game.
#include <gtest/gtest.h>

#include <algorithm>
#include <functional>
#include <map>
#include <set>
#include <vector>

#include "link/os.h"
#include "measure/overlay.h"
#include "measure/overlay_painter.h"
#include "tests/unit/overlay_surface.h"

namespace {

struct Frame {
    const char* line;
    const char* timer;
};

const Frame kBlank{nullptr, nullptr};
const Frame kA{"APM = 120 (100) ", nullptr};
const Frame kA1{"APM = 120 (100) ", "00:00:01"};
const Frame kA2{"APM = 120 (100) ", "00:00:02"};
const Frame kB{"APM = 240 (200) ", nullptr};
const Frame kOldTimer{"00:00:02", nullptr};  // the old timer's text as a line

// What the surface looks like showing only the frame.
Picture Alone(const Frame& frame) {
    ClearOverlaySurface();
    if (frame.line) {
        DrawOverlayText(frame.line, 0);
        if (frame.timer)
            DrawOverlayText(frame.timer, kOverlayTimerRow);
    }
    return SurfacePicture();
}

const int kRows[] = {0, kOverlayTimerRow};

// The pixel in the row where any line there paints.
size_t MarkAt(int row) { return static_cast<size_t>(row + 1) * kOverlayWidth; }

// Puts a pixel of its own, a colour for each step and row, where a line in a row that shows one paints: a
// step that draws nothing there leaves it.
void Mark(int step) {
    HWND surface = FindSurface();
    HDC dc = ::GetDC(surface);
    for (int row : kRows)
        ::SetPixel(dc, 0, row + 1, RGB(1 + row, 2, step));
    ::ReleaseDC(surface, dc);
}

::testing::AssertionResult Same(const Picture& actual, const Picture& expected) {
    if (actual.size() != expected.size())
        return ::testing::AssertionFailure() << actual.size() << " pixels, not " << expected.size();
    size_t differ = 0;
    for (size_t i = 0; i < actual.size(); ++i)
        differ += actual[i] != expected[i];
    if (differ)
        return ::testing::AssertionFailure() << differ << " pixels differ";
    return ::testing::AssertionSuccess();
}

struct Step {
    const char* what;
    std::function<void(OverlayPainter&)> act;
    const Frame* shows;      // the frame the surface shows after the step
    std::vector<int> drawn;  // the rows drawn
    bool onTop;              // the surface ends above the game that came over it before the step
};

class OverlayPainterTest : public ::testing::Test {
protected:
    void SetUp() override {
        m_previous = SetOs(&os);
        os.foreground = os.gameWindow;  // the game given to the overlay is in front
        os.PlaceOverlayOver(os.gameWindow);
    }
    void TearDown() override {
        os.PlaceOverlayOver(nullptr);
        DestroyOverlaySurface();
        SetOs(m_previous);
    }
    void Show(OverlayPainter& p, const Frame& frame) { p.Show(os, frame.line, frame.timer); }

    SurfaceOs os;

private:
    Os* m_previous = nullptr;
};

}  // namespace

TEST_F(OverlayPainterTest, TheSurfaceShowsTheLastFrameDrawingOnlyRowsThatChangedAndAboveTheGameUnlessHidden) {
    const Step steps[] = {
        {"first frame", [&](auto& p) { Show(p, kA); }, &kA, {0}, true},
        {"the same again", [&](auto& p) { Show(p, kA); }, &kA, {}, true},
        {"a timer comes", [&](auto& p) { Show(p, kA1); }, &kA1, {kOverlayTimerRow}, true},
        {"the same with its timer", [&](auto& p) { Show(p, kA1); }, &kA1, {}, true},
        {"only the timer changed", [&](auto& p) { Show(p, kA2); }, &kA2, {kOverlayTimerRow}, true},
        {"the timer goes", [&](auto& p) { Show(p, kA); }, &kA, {kOverlayTimerRow}, true},
        {"a new line", [&](auto& p) { Show(p, kB); }, &kB, {0}, true},
        {"hidden", [&](auto& p) { p.Hide(os); }, &kBlank, {}, false},
        {"hidden again", [&](auto& p) { p.Hide(os); }, &kBlank, {}, false},
        {"shown after hiding", [&](auto& p) { Show(p, kB); }, &kB, {0}, true},
        {"cleared by someone else", [&](auto& p) { ClearOverlaySurface(); Show(p, kB); }, &kB, {0}, true},
        {"the surface made anew", [&](auto& p) { DestroyOverlaySurface(); Show(p, kB); }, &kB, {0}, true},
        {"asked to paint again", [&](auto& p) { ::InvalidateRect(FindSurface(), nullptr, FALSE); Show(p, kB); },
         &kB, {0}, true},
        {"a new display mode", [&](auto& p) { ::SendMessageA(FindSurface(), WM_DISPLAYCHANGE, 32, 0); Show(p, kB); },
         &kB, {0}, true},
        {"a timer again", [&](auto& p) { Show(p, kA1); }, &kA1, {0, kOverlayTimerRow}, true},
        {"a line equal to the old timer", [&](auto& p) { Show(p, kOldTimer); }, &kOldTimer, {0, kOverlayTimerRow},
         true},
    };
    std::map<const Frame*, Picture> looks;  // blank last, on the surface the frames made
    for (const Frame* frame : {&kA, &kA1, &kA2, &kB, &kOldTimer, &kBlank})
        looks[frame] = Alone(*frame);
    std::set<Picture> different;
    for (const auto& look : looks)
        different.insert(look.second);
    ASSERT_EQ(different.size(), looks.size()) << "every frame looks different";
    DestroyOverlaySurface();

    OverlayPainter painter;
    TopMostWindow game;
    int number = 0;
    for (const Step& step : steps) {
        SCOPED_TRACE(step.what);
        ++number;
        Picture before;
        if (FindSurface()) {
            Picture unmarked = SurfacePicture();
            Mark(number);
            before = SurfacePicture();
            ASSERT_TRUE(unmarked == looks[&kBlank] || !Same(before, unmarked)) << "the mark shows";
        }
        // A row not drawn keeps its mark where it still shows.
        Picture expected = looks[step.shows];
        for (int row : kRows) {
            bool drawn = std::find(step.drawn.begin(), step.drawn.end(), row) != step.drawn.end();
            if (!drawn && !before.empty() && expected[MarkAt(row)] != kSeeThrough)
                expected[MarkAt(row)] = before[MarkAt(row)];
        }
        game.Raise();
        ASSERT_FALSE(FindSurface() && Above(FindSurface(), game.hwnd())) << "the game came over the surface";
        os.Advance(kOverlayRaiseGap);
        step.act(painter);
        EXPECT_TRUE(Same(SurfacePicture(), expected));
        EXPECT_EQ(Above(FindSurface(), game.hwnd()), step.onTop) << "above the game";
    }
}
