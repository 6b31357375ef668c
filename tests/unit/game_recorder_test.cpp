// The recorder of one game: a sample a second, the time below the limit, the alerts, the record, and
// the bound on its memory for a game of any length.
#include <gtest/gtest.h>

#include <regex>

#include "measure/game_recorder.h"

namespace {

constexpr uint32_t kTick = 250;

// Ticks every 250 ms from the first tick to lastMs, with shown -1 before 80 s and recent = seconds % 1000.
void Play(GameRecorder& r, uint64_t lastMs, bool below = false) {
    for (uint64_t ms = kTick; ms <= lastMs; ms += kTick) {
        uint32_t elapsed = static_cast<uint32_t>(ms);
        r.Tick(elapsed, elapsed < 80000 ? -1 : 100, static_cast<int32_t>(elapsed / 1000 % 1000), below);
    }
}

}  // namespace

TEST(HistoryRecorder, KeepsASampleEachSecondAsShown) {
    GameRecorder r;
    r.Start(true, "Player", "Map", "Melee");
    Play(r, 90000);
    const std::vector<Sample>& s = r.samples();
    ASSERT_EQ(s.size(), 91u);  // seconds 0 to 90
    for (uint32_t i = 0; i < s.size(); ++i) {
        EXPECT_EQ(s[i].seconds, i);
        EXPECT_EQ(s[i].recent, static_cast<int32_t>(i));
    }
    EXPECT_EQ(s[79].apm, -1) << "the warm-up shows no number";
    EXPECT_EQ(s[80].apm, 100);
    // A late tick skips its second rather than inventing it.
    r.Tick(93600, 120, 5, false);
    r.Tick(93850, 121, 6, false);
    EXPECT_EQ(r.samples().back().seconds, 93u);
    EXPECT_EQ(r.samples().back().apm, 120);
}

TEST(HistoryRecorder, TheRecordHoldsTheSummaryAndWhatTheTicksCounted) {
    GameRecorder r;
    r.Start(true, "Caf\xE9", "Lost Temple", "Melee");
    r.Tick(80000, 0, 10, false);
    r.Tick(80250, 90, 10, true);   // below for the 250 ms before it
    r.Tick(81000, 90, 10, true);   // and the 750 ms before this one
    r.Tick(81250, 90, 70, false);
    r.Tick(83250, 90, 10, true);   // a tick late by 1.75 s still counts its whole time
    r.Alert();
    r.Alert();
    GameSummary summary;
    summary.lengthMs = 123999;
    summary.apm = 187;
    summary.actions = 3594;
    summary.peakApm = 412;
    summary.peakSeconds = 99;
    r.Finish(summary, GameEnd::kGameClosed, 50);
    GameRecord g;
    std::vector<Sample> samples;
    ASSERT_TRUE(r.Take(&g, &samples));
    EXPECT_TRUE(std::regex_match(g.started, std::regex(R"(\d{4}-\d\d-\d\dT\d\d:\d\d:\d\d)"))) << g.started;
    EXPECT_EQ(g.lengthSeconds, 123u);
    EXPECT_EQ(g.apm, 187);
    EXPECT_EQ(g.actions, 3594u);
    EXPECT_EQ(g.peakApm, 412);
    EXPECT_EQ(g.peakSeconds, 99u);
    EXPECT_EQ(g.limit, 50);
    EXPECT_EQ(g.secondsBelow, 3u);  // 250 + 750 + 2000 ms
    EXPECT_EQ(g.alerts, 2u);
    EXPECT_EQ(g.end, GameEnd::kGameClosed);
    EXPECT_EQ(g.slotB, "Lost Temple");
    EXPECT_EQ(g.timeline, "") << "named when it is written";
    ASSERT_EQ(samples.size(), 3u);  // seconds 80, 81 and 83
    EXPECT_EQ(samples[2].alerts, 2u) << "marked at the newest sample";
    EXPECT_EQ(samples[0].alerts + samples[1].alerts, 0u);
    EXPECT_FALSE(r.Take(&g, &samples)) << "handed over once";
}

TEST(HistoryRecorder, NothingIsKeptWhenOffOrWithoutASummary) {
    GameRecorder off;
    off.Start(false, "a", "b", "c");
    Play(off, 100000);
    off.Finish(GameSummary(), GameEnd::kGameOver, 50);
    GameRecord g;
    std::vector<Sample> samples;
    EXPECT_FALSE(off.Take(&g, &samples));
    EXPECT_TRUE(off.samples().empty());

    GameRecorder unfinished;
    unfinished.Start(true, "a", "b", "c");
    Play(unfinished, 70000);
    EXPECT_FALSE(unfinished.Take(&g, &samples));

    // A new start forgets the last game.
    GameRecorder again;
    again.Start(true, "a", "b", "c");
    Play(again, 100000, true);
    again.Alert();
    again.Start(true, "a", "b", "c");
    again.Finish(GameSummary(), GameEnd::kGameOver, 50);
    ASSERT_TRUE(again.Take(&g, &samples));
    EXPECT_TRUE(samples.empty());
    EXPECT_EQ(g.alerts, 0u);
    EXPECT_EQ(g.secondsBelow, 0u);
}

TEST(HistoryRecorder, MemoryStaysBoundedAndSpansTheWholeOfAnyGame) {
    GameRecorder r;
    r.Start(true, "a", "b", "c");
    const Sample* storage = r.samples().data();
    size_t capacity = r.samples().capacity();
    EXPECT_EQ(capacity, GameRecorder::kMaxSamples);
    const uint64_t kDays = 3;
    // An alert every 997 s, at the tick after that second's: each must stay on the sample that holds its time.
    std::vector<uint32_t> alertedAt;
    for (uint64_t ms = kTick; ms <= kDays * 24 * 3600 * 1000; ms += kTick) {
        uint32_t elapsed = static_cast<uint32_t>(ms);
        r.Tick(elapsed, elapsed < 80000 ? -1 : 100, static_cast<int32_t>(elapsed / 1000 % 1000), false);
        if (ms % 997000 == 0) {
            r.Alert();
            alertedAt.push_back(elapsed / 1000);
        }
    }
    const std::vector<Sample>& s = r.samples();
    EXPECT_LE(s.size(), GameRecorder::kMaxSamples);
    EXPECT_GT(s.size(), GameRecorder::kMaxSamples / 2);
    EXPECT_EQ(s.data(), storage) << "no tick allocated";
    EXPECT_EQ(s.capacity(), capacity);
    // Evenly spaced at the final step, from the start to the last step before the end.
    uint32_t step = r.step();
    EXPECT_GE(step, 64u);
    EXPECT_EQ(s.front().seconds, 0u);
    for (size_t i = 1; i < s.size(); ++i)
        ASSERT_EQ(s[i].seconds - s[i - 1].seconds, step) << i;
    EXPECT_GT(s.back().seconds + step, kDays * 24 * 3600);
    EXPECT_EQ(s.back().recent, static_cast<int32_t>(s.back().seconds % 1000)) << "each sample keeps its own values";
    std::vector<uint32_t> marked;
    for (const Sample& sample : s)
        marked.insert(marked.end(), sample.alerts, sample.seconds);
    ASSERT_EQ(marked.size(), alertedAt.size()) << "no alert lost or counted twice when samples are merged";
    for (size_t i = 0; i < marked.size(); ++i) {
        EXPECT_LE(marked[i], alertedAt[i]);
        EXPECT_LT(alertedAt[i], marked[i] + step) << "on the sample whose span holds it";
    }
}
