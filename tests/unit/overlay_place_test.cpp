// Where the overlay goes among the monitors, from their rectangles and the game window's.
#include <gtest/gtest.h>

#include <vector>

#include "measure/overlay_place.h"

namespace {

const MonitorArea kPrimary{{0, 0, 1920, 1080}, true};
const MonitorArea kRight{{1920, -200, 3200, 824}, false};
const MonitorArea kLeft{{-1280, 0, 0, 1024}, false};
const RECT kMinimised = {-32000, -32000, -31840, -31972};

}  // namespace

TEST(OverlayPlace, TheTopLeftOfTheMonitorWithMostOfTheGameElseThePrimary) {
    const struct {
        const char* what;
        std::vector<MonitorArea> monitors;
        bool known;
        RECT game;
        POINT origin;
    } cases[] = {
        {"one monitor, the game on it", {kPrimary}, true, {0, 0, 1920, 1080}, {0, 0}},
        {"one monitor, the game unknown", {kPrimary}, false, {}, {0, 0}},
        {"full screen on the right", {kPrimary, kRight}, true, {1920, -200, 3200, 824}, {1920, -200}},
        {"a window on the left, at negative coordinates", {kLeft, kPrimary}, true, {-900, 100, -100, 700}, {-1280, 0}},
        {"mostly on the right", {kPrimary, kRight}, true, {1800, 0, 2400, 600}, {1920, -200}},
        {"mostly on the primary", {kRight, kPrimary}, true, {1300, 0, 2000, 600}, {0, 0}},
        {"half and half: the first listed", {kRight, kPrimary}, true, {1820, 0, 2020, 100}, {1920, -200}},
        {"unknown: the primary, wherever listed", {kLeft, kRight, kPrimary}, false, {}, {0, 0}},
        {"minimised, off every monitor", {kRight, kPrimary}, true, kMinimised, {0, 0}},
        {"an empty window on the right", {kPrimary, kRight}, true, {2000, 0, 2000, 0}, {0, 0}},
        {"no monitor at all", {}, true, {0, 0, 640, 480}, {0, 0}},
        {"no primary among them", {kRight}, false, {}, {0, 0}},
    };
    for (const auto& c : cases) {
        POINT origin = OverlayOrigin(c.known ? &c.game : nullptr, c.monitors);
        EXPECT_EQ(origin.x, c.origin.x) << c.what;
        EXPECT_EQ(origin.y, c.origin.y) << c.what;
    }
}
