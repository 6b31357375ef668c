// The frames the measurement draws on the overlay: a frame the surface already shows is not drawn again.
#include <gtest/gtest.h>

#include <functional>

#include "measure/overlay_painter.h"
#include "tests/unit/fake_os.h"

namespace {

struct Step {
    const char* what;
    std::function<void(OverlayPainter&, FakeOs&)> act;
    std::vector<Drawn> drawn;  // what the step draws, in order ("" at row -1: a clear)
};

void Show(OverlayPainter& p, FakeOs& os, const char* line, const char* timer = nullptr) { p.Show(os, line, timer); }

}  // namespace

TEST(OverlayPainter, DrawsAFrameOnlyWhenItDiffersFromWhatTheSurfaceShows) {
    const Step steps[] = {
        {"first frame", [](auto& p, auto& os) { Show(p, os, "A"); }, {{0, "A", 0}}},
        {"the same again", [](auto& p, auto& os) { Show(p, os, "A"); }, {}},
        {"a timer comes", [](auto& p, auto& os) { Show(p, os, "A", "00:00:01"); }, {{0, "A", 0}, {0, "00:00:01", 18}}},
        {"the same with its timer", [](auto& p, auto& os) { Show(p, os, "A", "00:00:01"); }, {}},
        {"only the timer changed", [](auto& p, auto& os) { Show(p, os, "A", "00:00:02"); },
         {{0, "A", 0}, {0, "00:00:02", 18}}},
        {"the timer goes", [](auto& p, auto& os) { Show(p, os, "A"); }, {{0, "A", 0}}},
        {"a new line", [](auto& p, auto& os) { Show(p, os, "B"); }, {{0, "B", 0}}},
        {"hidden", [](auto& p, auto& os) { p.Hide(os); }, {{0, "", -1}}},
        {"hidden again", [](auto& p, auto& os) { p.Hide(os); }, {}},
        {"shown after hiding", [](auto& p, auto& os) { Show(p, os, "B"); }, {{0, "B", 0}}},
        {"cleared by someone else", [](auto& p, auto& os) { os.ClearOverlay(); os.drawn.clear(); Show(p, os, "B"); },
         {{0, "B", 0}}},
        {"the surface made anew", [](auto& p, auto& os) { os.overlayBlank = true; Show(p, os, "B"); }, {{0, "B", 0}}},
        {"a line equal to the old timer", [](auto& p, auto& os) { Show(p, os, "00:00:02"); }, {{0, "00:00:02", 0}}},
    };
    FakeOs os;
    OverlayPainter painter;
    for (const Step& step : steps) {
        os.drawn.clear();
        step.act(painter, os);
        EXPECT_EQ(os.drawn, step.drawn) << step.what;
    }
}

TEST(OverlayPainter, EveryShownFrameKeepsTheSurfaceOnTopAndHidingDoesNot) {
    FakeOs os;
    OverlayPainter painter;
    painter.Show(os, "A", nullptr);
    painter.Show(os, "A", nullptr);
    painter.Hide(os);
    painter.Hide(os);
    painter.Show(os, "A", "00:00:01");
    EXPECT_EQ(os.raised.size(), 3u);
    EXPECT_FALSE(os.overlayBlank);
}
