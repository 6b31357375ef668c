// Key and click reports as they reach the main window, and the ring of recent action times.
#include <gtest/gtest.h>

#include "hook/ravik.h"
#include "measure/effective_apm.h"
#include "measure/measure.h"
#include "tests/unit/fake_os.h"

class CaptureTest : public MeterTest {
protected:
    void Key(WPARAM key) { dlg->SendMessage(WM_KEY_REPORT, key, 0); }
    void Click(int x, int y) { dlg->SendMessage(WM_CLICK_REPORT, 0, MAKELPARAM(x, y)); }
    // An action at virtual time t.
    void ActAt(uint64_t t) {
        os.clock = t;
        Key('A');
    }
};

TEST_F(CaptureTest, LettersAndDigitsCountOtherKeysDoNot) {
    for (char key : {'A', 'Z', '0', '9', 'M', '5'})
        Key(static_cast<WPARAM>(key));
    EXPECT_EQ(g_nActions, 6u);
    // Keypad digits, other function keys, space, modifiers, lower-case codes and junk are not actions.
    const WPARAM ignored[] = {VK_NUMPAD0, VK_NUMPAD9, VK_F1, VK_F5, VK_F9, VK_SPACE, VK_SHIFT, VK_CONTROL, VK_MENU,
                              'a', '@', '[', 0x141, static_cast<WPARAM>(-1)};
    for (WPARAM key : ignored)
        Key(key);
    EXPECT_EQ(g_nActions, 6u);
}

TEST_F(CaptureTest, ChatModeHidesTypedLines) {
    Key(VK_RETURN);
    Key('H');
    Key(VK_RETURN);
    EXPECT_EQ(g_nActions, 0u) << "Enter, letter, Enter: a chat line";
    Key(VK_RETURN);
    Key('H');
    Key(VK_ESCAPE);
    Key('H');
    EXPECT_EQ(g_nActions, 1u) << "Esc cancels the chat line";
    Key(VK_ESCAPE);
    EXPECT_FALSE(dlg->m_bChatMode) << "Esc never enters chat mode";
}

TEST_F(CaptureTest, HotkeysAndTheirChatModeRules) {
    dlg->m_bShowApm = 1;
    dlg->m_bSoundOn = true;
    Key(VK_F6);
    EXPECT_EQ(dlg->m_bShowApm, 0);
    Key(VK_F6);
    EXPECT_EQ(dlg->m_bShowApm, 1);

    Key(VK_F7);
    EXPECT_FALSE(dlg->m_bSoundOn);
    EXPECT_STREQ(g_szBanner, "Sound OFF.....");
    EXPECT_EQ(g_nBannerTicks, 8);
    Key(VK_F7);
    EXPECT_TRUE(dlg->m_bSoundOn);
    EXPECT_STREQ(g_szBanner, "Sound ON.......");

    Key(VK_RETURN);  // chat: F6 and F7 are ignored, F8 still stops
    g_nBannerTicks = 0;
    Key(VK_F6);
    Key(VK_F7);
    EXPECT_EQ(dlg->m_bShowApm, 1);
    EXPECT_TRUE(dlg->m_bSoundOn);
    EXPECT_EQ(g_nBannerTicks, 0);
    EXPECT_FALSE(g_bStop);
    Key(VK_F8);
    EXPECT_TRUE(g_bStop);
    EXPECT_EQ(g_nActions, 0u);
}

TEST_F(CaptureTest, TheMinimapCornerIsNotCounted) {
    struct Case {
        int x, y;
        bool counts;
    };
    const Case cases[] = {{0, 400, true},    {1, 400, false},   {144, 479, false}, {145, 479, true},
                          {100, 480, true},  {100, 319, true},  {1, 320, false},   {72, 400, false},
                          {0xFFFF, 0xFFFF, true}, {0, 0, true}};
    for (const Case& c : cases) {
        uint32_t before = g_nActions;
        Click(c.x, c.y);
        EXPECT_EQ(g_nActions - before, c.counts ? 1u : 0u) << c.x << "," << c.y;
    }
    // Chat mode does not affect clicks; junk in wParam and high lParam bits is ignored.
    Key(VK_RETURN);
    uint32_t before = g_nActions;
    dlg->SendMessage(WM_CLICK_REPORT, static_cast<WPARAM>(-1), static_cast<LPARAM>(MAKELPARAM(5, 5)));
    EXPECT_EQ(g_nActions - before, 1u);
}

TEST_F(CaptureTest, RingKeepsAtMostAHundredStamps) {
    for (int i = 0; i < 101; ++i)
        ActAt(1000 + i * 10);
    EXPECT_EQ(g_nRecent, 100u);
    EXPECT_EQ(g_iNewest, 0u) << "the 101st stamp wraps to index 0";
    EXPECT_EQ(g_iOldest, 1u) << "the oldest is one past the newest";
    EXPECT_EQ(g_aStamps[0], 2000u);
    EXPECT_EQ(g_nActions, 101u);
}

TEST_F(CaptureTest, WindowIsFiveSecondsInclusive) {
    ActAt(10000);
    ActAt(15000);
    EXPECT_EQ(g_nRecent, 2u) << "exactly 5000 ms old stays";
    ResetActionRing();
    ActAt(10000);
    ActAt(15001);
    EXPECT_EQ(g_nRecent, 1u);
    EXPECT_EQ(g_iNewest, 1u);
    EXPECT_EQ(g_iOldest, 1u);
}

TEST_F(CaptureTest, StaleStampsAreDroppedAcrossTheIndexWrap) {
    for (int i = 0; i < 98; ++i)
        ActAt(1000 + i);
    ActAt(3000);  // index 98
    ActAt(3001);  // index 99
    ActAt(9000);  // index 0, wrapping: everything else is more than 5 s older
    EXPECT_EQ(g_iNewest, 0u);
    EXPECT_EQ(g_iOldest, 0u);
    EXPECT_EQ(g_nRecent, 1u);
    ActAt(9500);
    EXPECT_EQ(g_nRecent, 2u);
    EXPECT_EQ(g_iOldest, 0u);
}

TEST_F(CaptureTest, TickCountWrapIsMeasuredLikeAnyOtherTime) {
    os.base = 0xFFFFF000u;  // the tick count wraps 4096 ms in
    ActAt(0);
    ActAt(4000);  // after the wrap
    ActAt(5000);
    EXPECT_EQ(g_nRecent, 3u);
    EXPECT_EQ(g_aStamps[g_iOldest], 0xFFFFF000u);
    ActAt(5001);
    EXPECT_EQ(g_nRecent, 3u) << "the stamp from before the wrap is now 5001 ms old";
    EXPECT_EQ(g_aStamps[g_iOldest], 0xFFFFF000u + 4000u);
}

TEST_F(CaptureTest, ResetEmptiesTheRingButNotTheCount) {
    ActAt(100);
    ActAt(200);
    ResetActionRing();
    EXPECT_EQ(g_nRecent, 0u);
    EXPECT_EQ(g_iNewest, UINT32_MAX);
    EXPECT_EQ(g_iOldest, UINT32_MAX);
    EXPECT_EQ(g_aStamps[0], 0u);
    EXPECT_EQ(g_nActions, 2u);
}

TEST_F(CaptureTest, EveryCountedActionIsJudgedWithTheHooksModifierAndButtonBits) {
    ResetActionRing();
    auto key = [&](WPARAM k, LPARAM mods = 0) { dlg->SendMessage(WM_KEY_REPORT, k, mods); };
    auto click = [&](WPARAM bits, int x = 300) { dlg->SendMessage(WM_CLICK_REPORT, bits, MAKELPARAM(x, 400)); };
    for (int i = 0; i < 3; ++i)
        key('1');  // the 3rd re-selects
    key('2', RAVIK_CTRL);
    key('2', RAVIK_CTRL | RAVIK_ALT);  // another command: Alt is a modifier of its own
    key('2', RAVIK_CTRL | RAVIK_ALT);  // assigned again
    click(RAVIK_RIGHT);
    click(RAVIK_RIGHT, 50);  // the minimap corner: neither counted nor judged
    click(RAVIK_RIGHT | RAVIK_SHIFT);  // a queued waypoint
    click(RAVIK_RIGHT);
    click(RAVIK_RIGHT);  // repeats the order
    click(RAVIK_LEFT);
    click(RAVIK_LEFT);
    click(0);  // a hook without the bits: a left click
    key(VK_RETURN);
    for (int i = 0; i < 8; ++i)
        key('Z');  // chat: neither counted nor judged
    key(VK_RETURN);
    EXPECT_EQ(g_nActions, 13u);
    EXPECT_EQ(g_effective.spam, 3u);
    const uint32_t kinds[kSpamKinds] = {1, 1, 1, 0};
    for (int i = 0; i < kSpamKinds; ++i)
        EXPECT_EQ(g_effective.byKind[i], kinds[i]) << i;
    EXPECT_EQ(g_effective.ring.Recent(os.TickCount() + 1000), 10 * 60);  // the effective 10 over 1 s
}
