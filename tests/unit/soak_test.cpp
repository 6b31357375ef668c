// Long runs in virtual time: a day of games through the whole link, and a flood of reports.
#include "tests/unit/fake_os.h"

#include <psapi.h>

#include "link/link.h"

namespace {

SIZE_T PrivateBytes() {
    PROCESS_MEMORY_COUNTERS_EX counters{};
    counters.cb = sizeof counters;
    ::GetProcessMemoryInfo(::GetCurrentProcess(), reinterpret_cast<PROCESS_MEMORY_COUNTERS*>(&counters),
                           sizeof counters);
    return counters.PrivateUsage;
}

}  // namespace

using SoakTest = MeterTest;

TEST_F(SoakTest, ADayOfGamesAt400ApmAcrossATickWrap) {
    constexpr uint64_t kGame = 20 * 60 * 1000;  // 20-minute games
    constexpr uint64_t kCycle = kGame + 10000;  // 10 s between games
    constexpr uint64_t kDay = 24ull * 3600 * 1000;
    os.base = 0x80000000u;  // the tick count wraps half a day in
    uint64_t games = 0;
    for (uint64_t start = 1000; start + kCycle < kDay; start += kCycle, ++games) {
        os.StartGame(start);
        os.KeysEvery(start, start + kGame, 150);  // 400 APM
        os.EndGame(start + kGame);
    }
    os.processEndsAt = kDay;
    SIZE_T before = PrivateBytes();
    EXPECT_TRUE(RunGameLink(dlg->m_hWnd));
    SIZE_T after = PrivateBytes();

    uint64_t summaries = 0;
    for (const std::string& line : Log()) {
        if (line.rfind("APM = ", 0) == 0) {
            ++summaries;
            // Every game alike: the keys counted from the 80 s tick (the game is recognised on the first
            // 125 ms poll after it starts) to its end, 400 per minute less the rounding, less 8 %.
            EXPECT_EQ(line, "APM = 368 (7468 actions)") << "game " << summaries;
        }
    }
    EXPECT_EQ(summaries, games);
    EXPECT_EQ(games, 71u);
    EXPECT_LT(after > before ? after - before : 0, 4u << 20) << "memory stays flat over a day of games";
}

TEST_F(SoakTest, FloodOfReportsWhileTheLoopIsBusyIsCountedExactly) {
    os.StartGame(1000);
    // 10,000 reports inside one tick, half keys, half clicks outside the minimap corner.
    for (int i = 0; i < 5000; ++i) {
        os.Key(1000 + 85000 + (i % 250), 'K');
        os.Click(1000 + 85000 + (i % 250), 400, 200);
    }
    os.EndGame(1000 + 90000);
    SIZE_T before = PrivateBytes();
    dlg->MeasureGame(process);
    EXPECT_EQ(os.posted, 10000u) << "the queue took every report";
    EXPECT_EQ(g_nActions, os.posted) << "every delivered report was counted once";
    EXPECT_EQ(g_nRecent, 100u);
    EXPECT_LT(PrivateBytes() - before, 4u << 20);
}
