// What the hook thread reports of the events its hooks see: one report per press made in the game, clicks
// at their client position, and held keys forgotten when the foreground changes or the hooks come back.
#include <gtest/gtest.h>

#include "hook/input_filter.h"

namespace {

constexpr POINT kOrigin{104, 53};

class InputFilterTest : public testing::Test {
protected:
    InputFilterTest() { filter.Front(true, kOrigin); }
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
    filter.Front(false, POINT{0, 0});
    POINT pt{200, 200};
    EXPECT_FALSE(filter.Press('A'));
    EXPECT_FALSE(filter.Click(pt));
    EXPECT_FALSE(filter.gameInFront());
    // Pressed in the other window and still held: its repeats are no new press.
    EXPECT_FALSE(filter.Press('A'));
}

TEST_F(InputFilterTest, HeldKeysAreForgottenWhenTheForegroundChangesOrTheHooksAreReinstalled) {
    // The release went where no hook sees it: the key's next press is new.
    EXPECT_TRUE(filter.Press('A'));
    filter.Front(false, POINT{0, 0});
    filter.Front(true, kOrigin);
    EXPECT_TRUE(filter.Press('A'));
    filter.Front(true, kOrigin);  // the game's window again, as after a focus change within it
    EXPECT_TRUE(filter.Press('A'));
    filter.Forget();
    EXPECT_TRUE(filter.Press('A'));
    // Held in the other window when the game came to the front: its next repeat counts in the game.
    filter.Front(false, POINT{0, 0});
    EXPECT_FALSE(filter.Press('Q'));
    filter.Front(true, kOrigin);
    EXPECT_TRUE(filter.Press('Q'));
}

TEST_F(InputFilterTest, ClicksAreMadeClientRelativeToTheOriginLastLearned) {
    struct Case {
        POINT origin, screen, client;
    } cases[] = {
        {kOrigin, {104, 53}, {0, 0}},
        {kOrigin, {104 + 639, 53 + 479}, {639, 479}},
        {kOrigin, {100, 50}, {-4, -3}},  // on the frame: left as it is, the report's 16 bits wrap it
        {{-1920, 0}, {-1900, 10}, {20, 10}},  // a monitor left of the primary
    };
    for (const Case& c : cases) {
        filter.Moved(c.origin);
        POINT pt = c.screen;
        EXPECT_TRUE(filter.Click(pt));
        EXPECT_EQ(pt.x, c.client.x);
        EXPECT_EQ(pt.y, c.client.y);
    }
    filter.Front(true, POINT{7, 9});
    POINT pt{17, 29};
    EXPECT_TRUE(filter.Click(pt));
    EXPECT_EQ(pt.x, 10);
    EXPECT_EQ(pt.y, 20);
    EXPECT_EQ(filter.origin().x, 7);
    EXPECT_EQ(filter.origin().y, 9);
}

}  // namespace
