// Long runs in virtual time: a day of games through the whole link, and a flood of reports.
#include "tests/unit/fake_os.h"

#include "link/link.h"
#include "measure/measure.h"
#include "tools/bench/process_counters.h"

namespace {

constexpr uint64_t kGame = 20 * 60 * 1000;  // 20-minute games
constexpr uint64_t kCycle = kGame + 10000;  // 10 s between games
constexpr uint64_t kDay = 24ull * 3600 * 1000;
// What a game may add to the memory in use: the log keeps six lines a game, about 700 bytes with the list
// box's keeping, and nothing else stays. A leak of a few hundred bytes a game is more.
constexpr size_t kBytesPerGame = 1024;

class SoakTest : public MeterTest {
protected:
    // Scripts the game that starts at start; at its end, once its history and report are written, takes the
    // memory in use and scripts the next game. The script holds one game at a time and the fake's records
    // are dropped, so that neither moves the memory taken.
    void ScriptGame(uint64_t start) {
        if (start + kCycle >= kDay)
            return;
        os.StartGame(start);
        os.KeysEvery(start, start + kGame, 150);  // 400 APM
        os.EndGame(start + kGame);
        os.At(start + kGame + 5000, [this, start] {
            os.Forget();
            inUse.push_back(PrivateBytesInUse());
            ScriptGame(start + kCycle);
        });
    }

    std::vector<size_t> inUse;  // after each game
};

}  // namespace

TEST_F(SoakTest, ADayOfGamesAt400ApmAcrossATickWrap) {
    os.base = 0x80000000u;  // the tick count wraps half a day in
    inUse.reserve(100);
    ScriptGame(1000);
    os.processEndsAt = kDay;
    EXPECT_TRUE(RunGameLink(dlg->m_hWnd));

    uint64_t summaries = 0;
    for (const std::string& line : Log()) {
        if (line.rfind("APM = ", 0) == 0) {
            ++summaries;
            // Every game alike: the keys counted from the 80 s tick (the game is recognised on the first
            // 125 ms poll after it starts) to its end, 400 per minute less the rounding, less 8 %.
            EXPECT_EQ(line, "APM = 368 (7468 actions)") << "game " << summaries;
        }
    }
    EXPECT_EQ(summaries, 71u);
    ASSERT_EQ(inUse.size(), summaries);
    // From the end of the first game, whose history and report were the first written.
    EXPECT_LE(inUse.back(), inUse.front() + (inUse.size() - 1) * kBytesPerGame)
        << "memory stays flat over a day of games: " << inUse.front() << " bytes in use after the first, "
        << inUse.back() << " after the last";
}

TEST_F(SoakTest, FloodOfReportsWhileTheLoopIsBusyIsCountedExactly) {
    os.StartGame(1000);
    size_t before = 0, after = 0;
    uint32_t countedThen = 0;
    os.At(1000 + 85000 - 1, [&] {
        os.Forget();
        before = PrivateBytesInUse();
        // 10,000 reports inside one tick, half keys, half clicks outside the minimap corner; scripted only now,
        // so that the memory taken before holds none of them.
        for (int i = 0; i < 5000; ++i) {
            os.Key(1000 + 85000 + (i % 250), 'K');
            os.Click(1000 + 85000 + (i % 250), 400, 200);
        }
    });
    os.At(1000 + 87000, [&] {
        os.Forget();
        after = PrivateBytesInUse();
        countedThen = g_nActions;
    });
    os.EndGame(1000 + 90000);
    dlg->MeasureGame(process);
    EXPECT_EQ(os.posted, 10000u) << "the queue took every report";
    EXPECT_EQ(g_nActions, os.posted) << "every delivered report was counted once";
    EXPECT_EQ(g_nRecent, 100u);
    ASSERT_EQ(countedThen, 10000u) << "the memory is taken once every report was counted";
    EXPECT_LE(after, before + 4096) << "the flood took no memory: not even a byte a report";
}
