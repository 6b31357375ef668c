// Whole games in virtual time: what is drawn each tick, what is logged and which sounds play.
#include <gtest/gtest.h>

#include <algorithm>
#include <map>

#include "app/program_path.h"
#include "link/link.h"
#include "measure/measure.h"
#include "tests/unit/fake_os.h"

namespace {

constexpr uint64_t kStart = 1000;  // the game is recognised on the wait that ends here
constexpr uint64_t Sec(uint64_t s) { return s * 1000; }

}  // namespace

class MeasureTest : public MeterTest {
protected:
    void SetUp() override {
        MeterTest::SetUp();
        dlg->m_bShowApm = 1;
        dlg->m_bShowAlert = 0;
        dlg->m_bShowTimer = 0;
        dlg->m_nApmLimit = 0;
        dlg->m_nBeepEvery = 2;
        dlg->m_strSound = "C:\\alert.wav";
        dlg->UpdateData(FALSE);  // the loop takes the settings from the controls
        os.StartGame(kStart);
    }

    bool Play() { return dlg->MeasureGame(process); }

    // What was drawn at row 0 by the tick at elapsed ms into the game ("?" if none).
    std::string LineAt(uint64_t elapsed, int row = 0) const {
        for (const Drawn& d : os.drawn) {
            if (d.at == kStart + elapsed && d.row == row)
                return d.text;
        }
        return "?";
    }
    // What the surface shows at that row once the tick at elapsed ms has drawn: a line at row 0 starts a
    // new frame, a clear leaves nothing ("").
    std::string ShownAt(uint64_t elapsed, int row = 0) const { return ShownAtTime(kStart + elapsed, row); }
    bool TickedAt(uint64_t elapsed) const { return TickedAtTime(kStart + elapsed); }
    std::vector<std::string> Summary() {
        std::vector<std::string> log = Log();
        auto it = std::find(log.begin(), log.end(), "Game finished");
        return it == log.end() ? std::vector<std::string>{} : std::vector<std::string>(it + 1, log.end());
    }
    void SetSettings(int limit, int beepEvery, int showAlert) {
        dlg->m_nApmLimit = limit;
        dlg->m_nBeepEvery = beepEvery;
        dlg->m_bShowAlert = showAlert;
        dlg->UpdateData(FALSE);
    }
};

TEST_F(MeasureTest, ATypicalGameIsLoggedFromStartToSummary) {
    os.KeysEvery(kStart, kStart + Sec(200), 200);  // 300 APM
    os.EndGame(kStart + Sec(200));
    EXPECT_TRUE(Play()) << "the game process is still running";
    std::vector<std::string> log = Log();
    ASSERT_EQ(log.size(), 5u);
    EXPECT_EQ(log[0], "Game started");
    EXPECT_EQ(log[1], "Press F8 to stop apm measurement");
    EXPECT_EQ(log[2], "Game finished");
    // Counting starts with the key dispatched at the 80 s tick: 601 keys in 120 s, 300 APM, less 8 %.
    EXPECT_EQ(log[3], "APM = 276 (601 actions)");
    EXPECT_EQ(log[4].rfind("Highest APM = ", 0), 0u);
    EXPECT_EQ(os.PeekWord(kStartWord), 0u) << "the marks are cleared at the end";
    EXPECT_EQ(os.drawn.back().row, -1) << "the overlay is taken away at the end";
}

TEST_F(MeasureTest, WarmUpShowsDashesAndDiscardsActions) {
    os.KeysEvery(kStart, kStart + Sec(100), 500);
    os.EndGame(kStart + Sec(100));
    Play();
    for (int tick = 1; tick <= 8; ++tick)
        EXPECT_EQ(ShownAt(tick * 250), "Game started...") << "tick " << tick;
    EXPECT_EQ(ShownAt(2250).substr(0, 10), "APM = --- ") << "the banner shows for exactly 8 ticks";
    EXPECT_EQ(ShownAt(Sec(79) + 750).substr(0, 10), "APM = --- ");
    // At exactly 80 s the previous (still zero) whole-game value is shown, and nothing is discarded.
    EXPECT_EQ(ShownAt(Sec(80)).substr(0, 10), "APM = 000 ");
    EXPECT_NE(ShownAt(Sec(80) + 250).substr(0, 10), "APM = 000 ");
    EXPECT_EQ(ShownAt(Sec(90)).back(), ' ') << "the APM line keeps its trailing blank";
}

TEST_F(MeasureTest, WholeGameRateIsCorrectedAndShortTermFallsWhileIdle) {
    // 50 actions at 90 s, then nothing: at 140 s the whole-game rate is 50 per minute.
    for (int i = 0; i < 50; ++i)
        os.Key(kStart + Sec(90) - 100, 'A');
    os.EndGame(kStart + Sec(150));
    Play();
    // Short-term: 50 stamps whose oldest is 49.75 s old (stale stamps go only when a new action comes).
    EXPECT_EQ(ShownAt(Sec(140)), "APM = 048 (060) ");
    EXPECT_EQ(ShownAt(Sec(91)), "APM = 251 (999) ") << "raw 272 less 8 %; 50 actions in 1 s: clamped at 999";
}

TEST(ApmArithmetic, CorrectionBands) {
    const std::pair<int, int> bands[] = {{0, 0},     {10, 10},   {49, 49},   {50, 48},   {99, 96},  {100, 94},
                                         {149, 141}, {150, 138}, {250, 230}, {999, 920}, {-5, -5}};
    for (auto [raw, shown] : bands)
        EXPECT_EQ(CorrectApm(raw), shown) << raw;
}

TEST(ApmArithmetic, LongGamesDoNotWrapTheProduct) {
    EXPECT_EQ(RawApm(600, 120000), 300);
    EXPECT_EQ(RawApm(71582, 60000), 71582) << "the last count whose product fits 32 bits";
    EXPECT_EQ(RawApm(100000, 20000000), 300) << "a 32-bit product would give 85";
    EXPECT_EQ(RawApm(0xFFFFFFFFu, 1), INT32_MAX);
}

TEST_F(MeasureTest, ShortTermRateFromTheRing) {
    ResetActionRing();
    for (int i = 0; i < 30; ++i) {
        os.clock = 7000 + i * 100;
        CountAction();
    }
    EXPECT_EQ(RecentApm(10000), 600) << "30 stamps, the oldest 3000 ms old";
    ResetActionRing();
    for (int i = 0; i < 100; ++i) {
        os.clock = 6000 + i * 10;
        CountAction();
    }
    EXPECT_EQ(RecentApm(10000), 999) << "1500 shown as 999";
    EXPECT_EQ(RecentApm(6000 + 99 * 10 - 990), 0) << "no time since the oldest stamp";
    ResetActionRing();
    EXPECT_EQ(RecentApm(10000), 0);
}

TEST_F(MeasureTest, LowApmWarnsAndBeepsOnAFixedCycle) {
    SetSettings(50, 2, 1);
    os.EndGame(kStart + Sec(85));
    Play();
    // Low from the first tick after 80 s: the first sound on the 9th low tick, then every 9 ticks.
    EXPECT_EQ(LineAt(Sec(80) + 250), "APM = 000 (000) TOO LOW!!! MOVE IT MOVE IT!");
    EXPECT_EQ(LineAt(Sec(80)), "APM = 000 (000) ") << "not low before 80 s have passed";
    ASSERT_EQ(os.soundTimes.size(), 2u);
    EXPECT_EQ(os.soundTimes[0], kStart + Sec(80) + 9 * 250);
    EXPECT_EQ(os.soundTimes[1], kStart + Sec(80) + 18 * 250);
    EXPECT_EQ(os.sounds[0], "C:\\alert.wav");
}

TEST_F(MeasureTest, AlertSettingsThatSilenceIt) {
    struct Case {
        int limit, beepEvery, showAlert;
        bool toggleSoundOff;
        size_t sounds;
        bool warning;
    };
    const Case cases[] = {
        {0, 2, 1, false, 0, false},   // limit 0: never low
        {50, 0, 1, false, 0, true},   // no beeps, the warning still shows
        {50, -3, 0, false, 0, false}, // negative interval: no sound
        {50, 2, 0, true, 0, false},   // F7 turned the sound off
        {50, 1, 0, false, 3, false},  // every 5th of 19 low ticks
        {50, 0x7FFFFFFF, 1, false, 0, true},  // a huge interval never comes round, and does not wrap
    };
    for (const Case& c : cases) {
        os = FakeOs();
        os.StartGame(kStart);
        os.EndGame(kStart + Sec(85));
        if (c.toggleSoundOff)
            os.Key(kStart + Sec(10), VK_F7);
        ::SendMessageA(dlg->m_list.m_hWnd, LB_RESETCONTENT, 0, 0);
        SetSettings(c.limit, c.beepEvery, c.showAlert);
        Play();
        EXPECT_EQ(os.sounds.size(), c.sounds) << c.limit << "/" << c.beepEvery;
        EXPECT_EQ(ShownAt(Sec(84)).find("TOO LOW") != std::string::npos, c.warning) << c.limit << "/" << c.beepEvery;
    }
}

TEST_F(MeasureTest, CountdownPausesWhileTheRateIsFine) {
    SetSettings(50, 1, 0);
    // Low for 3 ticks after 80 s, fine for a while (a burst of actions), then low again.
    for (int i = 0; i < 20; ++i)
        os.Key(kStart + Sec(80) + 800, 'Q');
    os.EndGame(kStart + Sec(107));
    Play();
    // Four low ticks up to 81 s; the 20 stamps keep the rate at 50 or more until 105 s; the countdown
    // then resumes where it stood, so the sound comes on the first low tick after the pause.
    ASSERT_EQ(os.soundTimes.size(), 2u);
    EXPECT_EQ(os.soundTimes[0], kStart + Sec(105) + 250);
    EXPECT_EQ(os.soundTimes[1], kStart + Sec(106) + 500) << "then the full cycle of 5 ticks";
}

TEST_F(MeasureTest, TheBackSoundPlaysOnceWhenTheRateClimbsBackAfterAnAlertOnlyWhenChosen) {
    for (int chosen : {1, 0}) {
        os = FakeOs();
        os.StartGame(kStart);
        for (int i = 0; i < 20; ++i)
            os.Key(kStart + Sec(82) + 100, static_cast<WPARAM>('A' + i));
        os.EndGame(kStart + Sec(90));
        SetSettings(50, 1, 0);
        dlg->m_bBackSound = chosen;
        Play();
        // The alert on the 5th low tick; back above at the first tick after the pass that took the burst in,
        // and it stays above.
        std::vector<std::string> expected = {"C:\\alert.wav"};
        if (chosen)
            expected.emplace_back(ProgramSound("back.wav"));
        EXPECT_EQ(os.sounds, expected) << chosen;
        ASSERT_EQ(os.soundTimes.size(), expected.size());
        EXPECT_EQ(os.soundTimes[0], kStart + Sec(81) + 250);
        if (chosen) {
            EXPECT_EQ(os.soundTimes[1], kStart + Sec(82) + 500);
        }
    }
    EXPECT_NE(ProgramSound("back.wav").Find("\\apmsounds\\back.wav"), -1);
}

TEST_F(MeasureTest, SoundComesBackOnForEveryGame) {
    SetSettings(50, 1, 0);
    os.Key(kStart + 100, VK_F7);
    os.EndGame(kStart + Sec(85));
    Play();
    EXPECT_TRUE(os.sounds.empty());
    EXPECT_FALSE(dlg->m_bSoundOn);

    uint64_t next = os.clock + 1000;
    os.At(next - 500, [&] { os.PokeWord(kEndWord, 0); });
    os.StartGame(next);
    os.EndGame(next + Sec(85));
    Play();
    EXPECT_FALSE(os.sounds.empty());
}

TEST_F(MeasureTest, F6HidesTheApmLineAndTimerButNotBanners) {
    dlg->m_bShowTimer = 1;
    dlg->UpdateData(FALSE);
    os.Key(kStart + Sec(10) + 100, VK_F6);
    os.Key(kStart + Sec(20) + 100, VK_F7);
    os.Key(kStart + Sec(30) + 100, VK_F6);
    os.EndGame(kStart + Sec(40));
    Play();
    EXPECT_EQ(ShownAt(Sec(10)).substr(0, 5), "APM =");
    EXPECT_EQ(LineAt(Sec(10), 18), "00:00:10");
    EXPECT_EQ(LineAt(Sec(10) + 500, -1), "") << "nothing to show: the surface is cleared";
    EXPECT_EQ(ShownAt(Sec(15)), "");
    EXPECT_EQ(ShownAt(Sec(15), 18), "");
    EXPECT_EQ(LineAt(Sec(15), -1), "?") << "a blank surface is not cleared again";
    EXPECT_EQ(LineAt(Sec(15), 18), "?");
    EXPECT_EQ(LineAt(Sec(20) + 500), "Sound OFF.....") << "banners show with the APM hidden";
    EXPECT_EQ(LineAt(Sec(20) + 500, 18), "?");
    EXPECT_EQ(LineAt(Sec(30) + 500).substr(0, 5), "APM =") << "shown again, all of it";
    EXPECT_EQ(LineAt(Sec(30) + 500, 18), "00:00:30");
    EXPECT_EQ(ShownAt(Sec(35)).substr(0, 5), "APM =");
    EXPECT_EQ(LineAt(Sec(35), 18), "00:00:35");
}

TEST_F(MeasureTest, TimerRowFormatsHoursMinutesSeconds) {
    dlg->m_bShowTimer = 1;
    dlg->UpdateData(FALSE);
    os.EndGame(kStart + Sec(3725));
    Play();
    EXPECT_EQ(ShownAt(Sec(3723) + 750, 18), "01:02:03");
    EXPECT_EQ(ShownAt(Sec(59) + 750, 18), "00:00:59");
    // Drawn after the APM line of the same tick.
    auto it = std::find_if(os.drawn.begin(), os.drawn.end(), [](const Drawn& d) { return d.row == 18; });
    ASSERT_NE(it, os.drawn.begin());
    EXPECT_EQ((it - 1)->row, 0);
}

TEST_F(MeasureTest, OnlyTheRowsThatChangeAreDrawn) {
    dlg->m_bShowTimer = 1;
    dlg->UpdateData(FALSE);
    os.At(kStart + Sec(10) + 100, [this] { dlg->m_bShowTimer = 0; });
    os.EndGame(kStart + Sec(20));
    Play();
    // Warm-up without input: the line stays the same, the timer changes once a second, and each change
    // draws the timer's row alone.
    std::vector<Drawn> drawn;
    for (const Drawn& d : os.drawn) {
        if (d.at > kStart + Sec(3) && d.at <= kStart + Sec(5))
            drawn.push_back(d);
    }
    const std::vector<Drawn> rows = {{0, "00:00:04", 18}, {0, "00:00:05", 18}};
    EXPECT_EQ(drawn, rows);
    ASSERT_EQ(drawn.size(), 2u);
    EXPECT_EQ(drawn[0].at, kStart + Sec(4));
    EXPECT_EQ(drawn[1].at, kStart + Sec(5));
    // The timer turned off: the next tick takes the timer's row away and leaves the line, then draws
    // nothing more until the game ends.
    EXPECT_EQ(LineAt(Sec(10) + 250), "?");
    EXPECT_EQ(LineAt(Sec(10) + 250, 18), "");
    EXPECT_EQ(ShownAt(Sec(10) + 250), "APM = --- (000) ");
    EXPECT_EQ(ShownAt(Sec(10) + 250, 18), "");
    EXPECT_TRUE(std::none_of(os.drawn.begin(), os.drawn.end(), [](const Drawn& d) {
        return d.at > kStart + Sec(10) + 250 && d.row >= 0;
    }));
    // Every tick keeps the overlay on top, drawn or not.
    EXPECT_EQ(std::count_if(os.raised.begin(), os.raised.end(),
                            [](uint64_t at) { return at > kStart + Sec(3) && at <= kStart + Sec(19); }),
              64);
}

TEST_F(MeasureTest, ASurfaceBlankedBetweenTicksIsDrawnAgain) {
    os.At(kStart + Sec(5) + 100, [this] { os.ClearOverlay(); });   // cleared by someone else
    os.At(kStart + Sec(8) + 100, [this] { os.overlayBlank = true; });  // the surface made anew
    os.EndGame(kStart + Sec(10));
    Play();
    std::vector<uint64_t> times;
    for (const Drawn& d : os.drawn) {
        if (d.row == 0 && d.at > kStart + Sec(2))
            times.push_back(d.at - kStart);
    }
    EXPECT_EQ(times, (std::vector<uint64_t>{2250, Sec(5) + 250, Sec(8) + 250}));
    EXPECT_EQ(ShownAt(Sec(8) + 250), "APM = --- (000) ");
}

TEST_F(MeasureTest, SummaryGivesTheTimeOfThePeak) {
    os.KeysEvery(kStart, kStart + Sec(3800), 1000);  // a steady 60 APM
    for (int i = 0; i < 20; ++i)
        os.Key(kStart + Sec(3722) + 800, 'B');       // a burst counted at 1:02:03
    os.EndGame(kStart + Sec(3800));
    Play();
    std::vector<std::string> summary = Summary();
    ASSERT_EQ(summary.size(), 2u);
    // The next tick sees 6 steady stamps and the burst, the oldest 5250 ms old: 26 per 5.25 s.
    EXPECT_EQ(summary[1], "Highest APM = 297 at 01:02:03:");
}

TEST_F(MeasureTest, NoPeakRecordedLogsZeroTime) {
    // Enough actions at 81 s for a shown rate above 10, the game over before 85 s.
    for (int i = 0; i < 30; ++i)
        os.Key(kStart + Sec(80) + 600, 'C');
    os.EndGame(kStart + Sec(84));
    Play();
    std::vector<std::string> summary = Summary();
    ASSERT_EQ(summary.size(), 2u);
    EXPECT_EQ(summary[1], "Highest APM = 0 at 00:00:00:");
}

TEST_F(MeasureTest, SummaryOfAHugeCountDoesNotWrap) {
    os.At(kStart + Sec(80) + 100, [] { g_nActions = 100000; });
    os.EndGame(kStart + Sec(80) + 2000000);
    Play();
    std::vector<std::string> summary = Summary();
    ASSERT_EQ(summary.size(), 2u);
    // 3000 per minute less 8 %; a 32-bit product would have given 784.
    EXPECT_EQ(summary[0], "APM = 2760 (100000 actions)");
}

TEST_F(MeasureTest, ShortGamesLogNoSummary) {
    os.KeysEvery(kStart, kStart + Sec(79), 100);
    os.EndGame(kStart + Sec(79));
    Play();
    EXPECT_EQ(Log().back(), "Game finished");
}

TEST_F(MeasureTest, F8EndsTheGameAtTheNextTick) {
    // The ticks before F8 show the APM, or once F6 took it away only keep the overlay hidden: either way
    // none runs after it.
    for (bool hidden : {false, true}) {
        SCOPED_TRACE(hidden ? "APM taken away by F6" : "APM shown");
        os = FakeOs();
        os.StartGame(kStart);
        if (hidden)
            os.Key(kStart + Sec(85), VK_F6);
        os.Key(kStart + Sec(90) + 100, VK_F8);  // dispatched after the drawing of the 90.25 s tick
        EXPECT_TRUE(Play());
        EXPECT_TRUE(TickedAt(Sec(90) + 250));
        EXPECT_EQ(ShownAt(Sec(90) + 250).substr(0, 5), hidden ? "" : "APM =");
        EXPECT_FALSE(TickedAt(Sec(90) + 500)) << "no tick after F8";
        EXPECT_EQ(LineAt(Sec(90) + 500), "?");
        EXPECT_EQ(Log().back(), "Game finished");
    }
}

TEST_F(MeasureTest, ProcessGoneWhileWaitingMeansNoTickNoSummary) {
    os = FakeOs();
    os.processEndsAt = 700;
    EXPECT_FALSE(Play());
    EXPECT_EQ(Log(), (std::vector<std::string>{"Press F8 to stop apm measurement"}));
    EXPECT_TRUE(std::none_of(os.drawn.begin(), os.drawn.end(), [](const Drawn& d) { return d.row >= 0; }));
}

TEST_F(MeasureTest, ProcessGoneWhileTickingEndsWithTheSummary) {
    os.KeysEvery(kStart, kStart + Sec(200), 250);
    os.processEndsAt = kStart + Sec(150);
    EXPECT_FALSE(Play());
    std::vector<std::string> log = Log();
    EXPECT_EQ(log.size(), 4u) << "no \"Game finished\", but the summary";
    EXPECT_EQ(log[2].rfind("APM = ", 0), 0u);
}

TEST_F(MeasureTest, QuitStopsWaitingAndTicking) {
    os = FakeOs();
    os.Post(300, WM_COMMAND, IDCANCEL);
    EXPECT_TRUE(Play());
    EXPECT_EQ(os.clock, 375u) << "noticed at the pass after the close command";
    g_bQuit = false;
    os = FakeOs();
    os.StartGame(kStart);
    os.Post(kStart + Sec(100), WM_COMMAND, MAKEWPARAM(1002, BN_CLICKED));
    EXPECT_TRUE(Play());
    EXPECT_LE(os.clock, kStart + Sec(100) + 250);
}

TEST_F(MeasureTest, ReportsWhileWaitingWeighInButAreNotCounted) {
    for (int i = 0; i < 10; ++i)
        os.Key(kStart - 500, 'W');
    os.EndGame(kStart + 3000);
    Play();
    EXPECT_EQ(g_nActions, 0u);
    // 10 stamps from 500 ms, seen by the first tick after the banner, 2750 ms later.
    EXPECT_EQ(LineAt(2250), "APM = --- (218) ");
}

TEST_F(MeasureTest, FailingWaitsKeepThePace) {
    os.waitFails = true;
    os.EndGame(kStart + Sec(10));
    EXPECT_TRUE(Play()) << "a handle that cannot be waited on counts as a running game";
    EXPECT_EQ(ShownAt(500), "Game started...");
    std::vector<uint64_t> first(os.raised.begin(), os.raised.begin() + std::min<size_t>(os.raised.size(), 4));
    EXPECT_EQ(first, (std::vector<uint64_t>{kStart + 250, kStart + 500, kStart + 750, kStart + 1000}))
        << "ticks still come every 250 ms, not in a spin";
}

TEST_F(MeasureTest, TickCountWrapInsideAGame) {
    os.base = 0xFFFFFFFFu - 100000;  // wraps 100 s after the script's start
    os.KeysEvery(kStart, kStart + Sec(200), 200);
    os.EndGame(kStart + Sec(200));
    Play();
    EXPECT_EQ(Summary()[0], "APM = 276 (601 actions)") << "the same as without the wrap";
}
