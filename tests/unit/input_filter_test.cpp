// What the hook thread reports of the events its hooks see: one report per press made in the game, with the
// modifiers held; clicks inside the game's client area, in its own coordinates at any display scaling; held
// keys forgotten only when the system says they are up.
#include <gtest/gtest.h>

#include <set>

#include "hook/input_filter.h"

namespace {

// 640 x 480 at 100 %, its client area at (104, 53).
constexpr ClientArea kArea{{104, 53}, {640, 480}, {640, 480}};

class InputFilterTest : public testing::Test {
protected:
    InputFilterTest() { filter.Front(true, kArea); }
    // The system's key state: the keys in down are down.
    static auto System(std::set<BYTE> down) {
        return [down](BYTE key) { return down.count(key) > 0; };
    }
    InputFilter filter;
};

TEST_F(InputFilterTest, AKeyIsReportedOnceHoweverLongItIsHeld) {
    EXPECT_TRUE(filter.Press('A'));
    EXPECT_FALSE(filter.Press('A')) << "auto-repeat";
    EXPECT_TRUE(filter.Press('B')) << "another key while A is held";
    filter.Release('A');
    EXPECT_TRUE(filter.Press('A'));
    EXPECT_FALSE(filter.Press('B'));
    EXPECT_TRUE(filter.Press(0xFF)) << "the last code";
    EXPECT_FALSE(filter.Press(0xFF));
}

TEST_F(InputFilterTest, NothingIsReportedWhileAnotherWindowIsInFrontButKeysAreStillTracked) {
    filter.Front(false, ClientArea{});
    POINT pt{200, 200};
    EXPECT_FALSE(filter.Press('A'));
    EXPECT_FALSE(filter.Click(pt));
    EXPECT_FALSE(filter.gameInFront());
    // Pressed in the other window and still held: its repeats are no new press, in the game either.
    EXPECT_FALSE(filter.Press('A'));
    filter.Front(true, kArea);
    EXPECT_FALSE(filter.Press('A'));
}

TEST_F(InputFilterTest, HeldKeysAreForgottenOnlyWhenTheSystemSaysTheyAreUp) {
    EXPECT_TRUE(filter.Press('A'));
    EXPECT_TRUE(filter.Press('B'));
    // A's release went where no hook saw it; B is still held.
    filter.ForgetReleased(System({'B'}));
    EXPECT_TRUE(filter.Press('A'));
    EXPECT_FALSE(filter.Press('B')) << "a held key's repeat";
}

TEST_F(InputFilterTest, AKeyDownThatNoPressWasSeenOfIsAMissedPress) {
    EXPECT_TRUE(filter.Press('A'));
    EXPECT_FALSE(filter.MissedPress(System({'A', VK_LBUTTON, VK_RBUTTON, VK_SHIFT, VK_CONTROL, VK_MENU})))
        << "mouse buttons and the keys for either side never reach the keyboard hook";
    EXPECT_TRUE(filter.MissedPress(System({'A', 0xFF})));
    EXPECT_TRUE(filter.Press(0xFF)) << "not taken as held: its press may still be on its way";
}

TEST_F(InputFilterTest, ModifiersAreThoseHeldAsTheKeyWentDown) {
    EXPECT_EQ(filter.Modifiers(), 0u);
    filter.Press(VK_LCONTROL);
    filter.Press(VK_RSHIFT);
    EXPECT_EQ(filter.Modifiers(), RAVIK_CTRL | RAVIK_SHIFT);
    filter.Release(VK_LCONTROL);
    filter.Release(VK_RSHIFT);
    filter.Press(VK_MENU);  // sent by a program that names no side
    EXPECT_EQ(filter.Modifiers(), RAVIK_ALT);
}

TEST_F(InputFilterTest, ClicksInsideTheClientAreaAreMadeTheGamesClientCoordinates) {
    // A game that is not DPI aware on a monitor at 150 %: 640 x 480 of its pixels cover 960 x 720 physical
    // ones, whose corner is at (-1800, 90) on a monitor left of the primary.
    constexpr ClientArea kScaled{{-1800, 90}, {960, 720}, {640, 480}};
    struct Case {
        ClientArea area;
        POINT screen;
        bool inside;
        POINT client;
    } cases[] = {
        {kArea, {104, 53}, true, {0, 0}},
        {kArea, {104 + 639, 53 + 479}, true, {639, 479}},
        {kArea, {103, 60}, false, {}},  // on the frame
        {kArea, {104 + 640, 60}, false, {}},
        {kArea, {110, 53 + 480}, false, {}},
        {kScaled, {-1800, 90}, true, {0, 0}},
        {kScaled, {-1800 + 216, 90 + 480}, true, {144, 320}},  // the minimap's corner
        {kScaled, {-1800 + 959, 90 + 719}, true, {639, 479}},
        {kScaled, {-1800 + 960, 100}, false, {}},
        {kScaled, {-1801, 100}, false, {}},
    };
    for (const Case& c : cases) {
        filter.Moved(c.area);
        POINT pt = c.screen;
        ASSERT_EQ(filter.Click(pt), c.inside) << c.screen.x << ", " << c.screen.y;
        if (c.inside) {
            EXPECT_EQ(pt.x, c.client.x);
            EXPECT_EQ(pt.y, c.client.y);
        }
    }
}

}  // namespace
