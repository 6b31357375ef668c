// The history on disk, against real files in a temporary folder: the folders made on first use, rows
// appended whole, a torn last row repaired, timelines written under a temporary name, a row written
// without the timeline that could not be, the games that could not be written kept (only the newest with
// their samples) and written later in order, those still waiting at exit kept on disk for the next store,
// and the timelines pruned oldest first from the history's end alone.
#include <gtest/gtest.h>

#include <thread>
#include <utility>

#include "history/csv.h"
#include "history/store.h"
#include "tests/unit/allocation_meter.h"
#include "tests/unit/failing_files.h"

namespace {

GameRecord Game(const char* started, uint32_t actions) {
    GameRecord g;
    g.started = started;
    g.lengthSeconds = 100;
    g.apm = 150;
    g.actions = actions;
    g.slotA = "Player";
    g.slotB = "Lost Temple";
    g.slotC = "Melee";
    return g;
}

std::vector<Sample> Samples(uint32_t count) {
    std::vector<Sample> samples;
    for (uint32_t i = 0; i < count; ++i)
        samples.push_back({i, i < 80 ? -1 : static_cast<int32_t>(i), static_cast<int32_t>(2 * i)});
    return samples;
}

class HistoryStoreTest : public ::testing::Test {
protected:
    HistoryStoreTest() : files(temp.path()), use(&files), store({"Vorkel", "cadro"}) {}

    std::string Folder() const { return temp.path() + "\\Vorkel\\cadro"; }
    std::string HistoryPath() const { return Folder() + "\\history.csv"; }
    std::string Timelines() const { return Folder() + "\\timelines"; }
    std::vector<GameRecord> Rows() const { return ParseHistory(ReadWhole(HistoryPath())); }

    // A full folder of timelines of games played at 05:00 and after, with their rows in the order played
    // after the history text before; the timelines' names, oldest first.
    std::vector<std::string> FullFolder(std::string text) {
        EXPECT_EQ(store.MakeFolder(), 0u);
        EXPECT_TRUE(::CreateDirectoryA(Timelines().c_str(), nullptr));
        std::vector<std::string> written;
        for (size_t i = 0; i < kKeptTimelines; ++i) {
            char started[32];
            std::snprintf(started, sizeof started, "2026-12-09T%02u:%02u:%02u", static_cast<unsigned>(5 + i / 3600),
                          static_cast<unsigned>(i / 60 % 60), static_cast<unsigned>(i % 60));
            GameRecord g = Game(started, static_cast<uint32_t>(i));
            g.timeline = TimelineName(started);
            text += HistoryRow(g);
            WriteRaw(Timelines() + "\\" + g.timeline, "seconds,apm,recent\r\n");
            written.push_back(g.timeline);
        }
        WriteRaw(HistoryPath(), text);
        return written;
    }

    TempFolder temp;
    FailingFiles files;
    UseFiles use;
    HistoryStore store;
};

}  // namespace

TEST_F(HistoryStoreTest, FirstGameMakesTheFoldersTheHeaderTheRowAndItsTimeline) {
    EXPECT_EQ(store.Folder(), Folder());
    ASSERT_EQ(store.Save(Game("2026-12-09T04:12:33", 11), Samples(100)), 0u);
    EXPECT_EQ(store.waiting(), 0u);
    std::string text = ReadWhole(HistoryPath());
    GameRecord expected = Game("2026-12-09T04:12:33", 11);
    expected.timeline = "2026-12-09_04-12-33.csv";
    EXPECT_EQ(text, "\xEF\xBB\xBF" + HistoryHeader() + HistoryRow(expected));
    EXPECT_EQ(Names(Timelines()), std::vector<std::string>{"2026-12-09_04-12-33.csv"}) << "no temporary file left";
    EXPECT_EQ(ReadWhole(Timelines() + "\\2026-12-09_04-12-33.csv"), TimelineText(Samples(100)));

    // The next game appends its row and nothing else.
    ASSERT_EQ(store.Save(Game("2026-12-09T05:00:00", 22), Samples(90)), 0u);
    expected = Game("2026-12-09T05:00:00", 22);
    expected.timeline = "2026-12-09_05-00-00.csv";
    EXPECT_EQ(ReadWhole(HistoryPath()), text + HistoryRow(expected));
    // A game without samples has no timeline.
    ASSERT_EQ(store.Save(Game("2026-12-09T06:00:00", 33), {}), 0u);
    EXPECT_EQ(Rows().back().timeline, "");
    EXPECT_EQ(Names(Timelines()).size(), 2u);
}

TEST_F(HistoryStoreTest, GamesOfTheSameSecondGetTheirOwnTimelines) {
    for (uint32_t i = 1; i <= 3; ++i)
        ASSERT_EQ(store.Save(Game("2026-12-09T04:12:33", i), Samples(80 + i)), 0u);
    std::vector<GameRecord> rows = Rows();
    ASSERT_EQ(rows.size(), 3u);
    EXPECT_EQ(rows[0].timeline, "2026-12-09_04-12-33.csv");
    EXPECT_EQ(rows[1].timeline, "2026-12-09_04-12-33_2.csv");
    EXPECT_EQ(rows[2].timeline, "2026-12-09_04-12-33_3.csv");
    for (const GameRecord& row : rows)
        EXPECT_EQ(ParseTimeline(ReadWhole(Timelines() + "\\" + row.timeline)).size(), 80 + row.actions);
}

TEST_F(HistoryStoreTest, ATornLastRowCostsOnlyItself) {
    ASSERT_EQ(store.Save(Game("2026-12-09T04:12:33", 11), {}), 0u);
    std::string whole = ReadWhole(HistoryPath());
    std::string torn = HistoryRow(Game("2026-12-09T04:20:00", 99));
    WriteRaw(HistoryPath(), whole + torn.substr(0, torn.size() / 2));  // the power went mid-row
    ASSERT_EQ(store.Save(Game("2026-12-09T05:00:00", 22), {}), 0u);
    std::string text = ReadWhole(HistoryPath());
    EXPECT_EQ(text.substr(whole.size() + torn.size() / 2), "\r\n" + HistoryRow(Game("2026-12-09T05:00:00", 22)));
    std::vector<GameRecord> rows = Rows();
    ASSERT_EQ(rows.size(), 2u);
    EXPECT_EQ(rows[0].actions, 11u);
    EXPECT_EQ(rows[1].actions, 22u);
}

TEST_F(HistoryStoreTest, AFileHeldOpenWithoutSharingKeepsTheGamesUntilItIsFree) {
    ASSERT_EQ(store.Save(Game("2026-12-09T04:00:00", 1), Samples(85)), 0u);
    HANDLE held = ::CreateFileA(HistoryPath().c_str(), GENERIC_READ, 0, nullptr, OPEN_EXISTING, 0, nullptr);
    ASSERT_NE(held, INVALID_HANDLE_VALUE);
    uint32_t error = store.Save(Game("2026-12-09T04:05:00", 2), Samples(86));
    EXPECT_EQ(error, static_cast<uint32_t>(ERROR_SHARING_VIOLATION));
    EXPECT_EQ(SaveFailure(error), "history file in use");
    EXPECT_EQ(store.Save(Game("2026-12-09T04:10:00", 3), Samples(87)), error);
    EXPECT_EQ(store.waiting(), 2u);
    EXPECT_EQ(store.SaveWaiting(), error);
    // The first waiting game's timeline was written once, before its row failed; the next waits whole.
    EXPECT_EQ(Names(Timelines()), (std::vector<std::string>{"2026-12-09_04-00-00.csv", "2026-12-09_04-05-00.csv"}));
    EXPECT_EQ(files.Calls("WriteWhole"), 2);
    ::CloseHandle(held);

    EXPECT_EQ(store.SaveWaiting(), 0u);
    EXPECT_EQ(store.waiting(), 0u);
    std::vector<GameRecord> rows = Rows();
    ASSERT_EQ(rows.size(), 3u);
    for (uint32_t i = 0; i < 3; ++i) {
        EXPECT_EQ(rows[i].actions, i + 1) << "in the order played";
        EXPECT_EQ(ParseTimeline(ReadWhole(Timelines() + "\\" + rows[i].timeline)).size(), 85 + i);
    }
    EXPECT_EQ(files.Calls("WriteWhole"), 3);
}

TEST_F(HistoryStoreTest, EveryFailingCallKeepsTheGameAndLeavesNoPartOfIt) {
    struct Case {
        const char* call;
        uint32_t error;
        const char* reason;
    };
    const Case cases[] = {
        {"MakeFolder", ERROR_ACCESS_DENIED, "history folder is read-only"},
        {"AppendRow", ERROR_LOCK_VIOLATION, "history file in use"},
        {"AppendRow", ERROR_DISK_FULL, "disk full"},
        {"AppendRow", ERROR_PATH_NOT_FOUND, "history folder not found"},
        {"AppendRow", ERROR_INVALID_NAME, "error 123"},
    };
    uint32_t actions = 0;
    for (const Case& c : cases) {
        SCOPED_TRACE(std::string(c.call) + " " + c.reason);
        size_t rows = Rows().size();
        files.Fail(c.call, c.error);
        EXPECT_EQ(store.Save(Game("2026-12-09T04:00:00", ++actions), Samples(81)), c.error);
        EXPECT_EQ(SaveFailure(c.error), c.reason);
        EXPECT_EQ(store.waiting(), 1u);
        EXPECT_EQ(Rows().size(), rows);
        EXPECT_TRUE(Names(Timelines(), "*.tmp").empty()) << "the temporary file is removed";
        files.Heal();
        EXPECT_EQ(store.SaveWaiting(), 0u);
        ASSERT_EQ(Rows().size(), rows + 1);
        EXPECT_EQ(Rows().back().actions, actions);
        EXPECT_TRUE(Exists(Timelines() + "\\" + Rows().back().timeline));
    }
    // Pruning that fails is no failure of the game.
    files.Fail("List", ERROR_ACCESS_DENIED);
    EXPECT_EQ(store.Save(Game("2026-12-09T04:00:00", ++actions), Samples(81)), 0u);
}

TEST_F(HistoryStoreTest, ATimelineThatCannotBeWrittenNeverHoldsBackItsRowOrTheNextOnes) {
    const uint32_t errors[] = {ERROR_DISK_FULL, ERROR_HANDLE_DISK_FULL, ERROR_WRITE_PROTECT, ERROR_ACCESS_DENIED};
    uint32_t actions = 0;
    for (uint32_t error : errors) {
        SCOPED_TRACE(SaveFailure(error));
        files.Fail("WriteWhole", error);
        EXPECT_EQ(store.Save(Game("2026-12-09T04:00:00", ++actions), Samples(81)), 0u) << "the game is saved";
        EXPECT_EQ(store.waiting(), 0u);
        ASSERT_EQ(Rows().size(), actions);
        EXPECT_EQ(Rows().back().actions, actions);
        EXPECT_EQ(Rows().back().timeline, "") << "the row names no file";
        EXPECT_TRUE(Names(Timelines()).empty()) << "no timeline, no temporary file";
    }
    files.Heal();
    ASSERT_EQ(store.Save(Game("2026-12-09T05:00:00", ++actions), Samples(82)), 0u);
    EXPECT_EQ(Rows().back().timeline, "2026-12-09_05-00-00.csv");
    EXPECT_EQ(Names(Timelines()), std::vector<std::string>{"2026-12-09_05-00-00.csv"});
}

TEST_F(HistoryStoreTest, OnlyTheNewestWaitingGamesKeepTheirSamplesAndEveryRowIsWritten) {
    files.Fail("WriteWhole", ERROR_DISK_FULL);
    files.Fail("AppendRow", ERROR_SHARING_VIOLATION);
    constexpr uint32_t kDropped = 3;
    constexpr uint32_t kGames = kWaitingTimelines + kDropped;
    for (uint32_t i = 0; i < kGames; ++i) {
        char started[32];
        std::snprintf(started, sizeof started, "2026-12-09T04:%02u:00", static_cast<unsigned>(i));
        EXPECT_EQ(store.Save(Game(started, i), Samples(81 + i)), static_cast<uint32_t>(ERROR_SHARING_VIOLATION));
    }
    EXPECT_EQ(store.waiting(), kGames);
    files.Heal();
    ASSERT_EQ(store.SaveWaiting(), 0u);
    std::vector<GameRecord> rows = Rows();
    ASSERT_EQ(rows.size(), kGames) << "no row is lost";
    for (uint32_t i = 0; i < kGames; ++i) {
        SCOPED_TRACE(i);
        EXPECT_EQ(rows[i].actions, i) << "in the order played";
        if (i < kDropped) {
            EXPECT_EQ(rows[i].timeline, "") << "the oldest waiting games gave up their samples";
        } else {
            ASSERT_NE(rows[i].timeline, "");
            EXPECT_EQ(ParseTimeline(ReadWhole(Timelines() + "\\" + rows[i].timeline)).size(), 81 + i);
        }
    }
}

TEST_F(HistoryStoreTest, WithoutADataFolderTheGamesWait) {
    FailingFiles nowhere("");
    UseFiles useNowhere(&nowhere);
    HistoryStore lost({"Vorkel", "cadro"});
    EXPECT_EQ(lost.Folder(), "");
    EXPECT_EQ(lost.Save(Game("2026-12-09T04:00:00", 1), Samples(81)), static_cast<uint32_t>(ERROR_PATH_NOT_FOUND));
    EXPECT_EQ(lost.waiting(), 1u);
}

TEST_F(HistoryStoreTest, AProgramWithoutANameWritesNothingInTheDataFolderAndItsGamesWait) {
    // Only the missing name can stop the writing: the fixture's data folder is there.
    ASSERT_EQ(TheFiles().DataFolder(), temp.path());
    const std::vector<std::string> unnamed[] = {{"Vorkel", ""}, {"", "cadro"}, {}};
    for (const std::vector<std::string>& folders : unnamed) {
        SCOPED_TRACE(folders.size() == 2 ? "\"" + folders[0] + "\", \"" + folders[1] + "\"" : "no folders");
        HistoryStore nameless(folders);
        EXPECT_EQ(nameless.Folder(), "");
        EXPECT_EQ(nameless.Save(Game("2026-12-09T04:00:00", 1), Samples(81)),
                  static_cast<uint32_t>(ERROR_PATH_NOT_FOUND));
        EXPECT_EQ(nameless.SaveWaiting(), static_cast<uint32_t>(ERROR_PATH_NOT_FOUND));
        EXPECT_EQ(nameless.waiting(), 1u);
        EXPECT_EQ(files.Calls("MakeFolder") + files.Calls("WriteWhole") + files.Calls("AppendRow"), 0)
            << "not a folder, not a file";
    }
}

TEST_F(HistoryStoreTest, OldTimelinesArePrunedOldestFirstAndRowsNever) {
    ASSERT_EQ(store.Save(Game("2026-01-01T00:00:00", 1), Samples(81)), 0u);
    // Older timelines than any game of this test, and files that are not timelines at all.
    for (size_t i = 0; i < kKeptTimelines + 2; ++i) {
        char name[64];
        std::snprintf(name, sizeof name, "\\2025-%02u-01_00-00-%02u.csv", static_cast<unsigned>(1 + i / 60),
                      static_cast<unsigned>(i % 60));
        WriteRaw(Timelines() + name, "seconds,apm,recent\r\n");
    }
    WriteRaw(Timelines() + "\\notes.csv", "mine");
    ASSERT_EQ(store.Save(Game("2026-12-09T04:00:00", 2), Samples(81)), 0u);
    std::vector<std::string> names = Names(Timelines(), "*.csv");
    std::vector<std::string> timelines;
    for (const std::string& n : names) {
        if (IsTimelineName(n))
            timelines.push_back(n);
    }
    ASSERT_EQ(timelines.size(), kKeptTimelines);
    EXPECT_EQ(timelines.front(), "2025-01-01_00-00-04.csv") << "the four oldest went";
    EXPECT_EQ(timelines.back(), "2026-12-09_04-00-00.csv");
    EXPECT_TRUE(Exists(Timelines() + "\\notes.csv"));
    EXPECT_EQ(Rows().size(), 2u);
}

TEST_F(HistoryStoreTest, AClockSetBackPrunesTheOldestRowsTimelineNeverTheNewest) {
    std::vector<std::string> written = FullFolder(HistoryHead());
    // Then the clock goes back an hour: the new game's name sorts before every other.
    ASSERT_EQ(store.Save(Game("2026-12-09T04:00:00", 9999), Samples(81)), 0u);
    std::vector<std::string> names = Names(Timelines(), "*.csv");
    EXPECT_EQ(names.size(), kKeptTimelines);
    EXPECT_TRUE(Exists(Timelines() + "\\2026-12-09_04-00-00.csv")) << "the game just saved keeps its timeline";
    EXPECT_FALSE(Exists(Timelines() + "\\" + written[0])) << "the oldest row's timeline went";
    EXPECT_TRUE(Exists(Timelines() + "\\" + written[1]));
    EXPECT_EQ(Rows().size(), kKeptTimelines + 1);
}

TEST_F(HistoryStoreTest, TemporaryTimelinesLeftByACrashAreRemovedAndNoOtherFiles) {
    ASSERT_EQ(store.MakeFolder(), 0u);
    ASSERT_TRUE(::CreateDirectoryA(Timelines().c_str(), nullptr));
    const char* stale[] = {"2025-01-01_00-00-00.4242.tmp", "2026-12-09_04-12-33_2.7.tmp"};
    const char* foreign[] = {"2025-01-01_00-00-00.tmp", "2025-01-01_00-00-00.42a.tmp", "notes.4242.tmp",
                             "2025-01-01_00-00-00.4242.tmp.bak", "report.4242.tmp", "x.tmp"};
    for (const char* name : stale)
        WriteRaw(Timelines() + "\\" + name, "seconds,apm");
    for (const char* name : foreign)
        WriteRaw(Timelines() + "\\" + name, "theirs");
    // One being written by another program right now: open, sharing nothing.
    std::string writing = Timelines() + "\\2026-12-09_04-12-34.99.tmp";
    HANDLE held = ::CreateFileA(writing.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, 0, nullptr);
    ASSERT_NE(held, INVALID_HANDLE_VALUE);
    ASSERT_EQ(store.Save(Game("2026-12-09T05:00:00", 1), Samples(81)), 0u);
    ::CloseHandle(held);
    for (const char* name : stale)
        EXPECT_FALSE(Exists(Timelines() + "\\" + name)) << name;
    for (const char* name : foreign)
        EXPECT_EQ(ReadWhole(Timelines() + "\\" + name), "theirs") << name;
    EXPECT_TRUE(Exists(writing));
    EXPECT_EQ(Rows().size(), 1u);
}

TEST_F(HistoryStoreTest, TwoWritersAppendingAtOnceNeverMixRows) {
    ASSERT_EQ(store.Save(Game("2026-12-09T04:00:00", 0), {}), 0u);
    constexpr uint32_t kRows = 300;
    auto writer = [this](uint32_t first) {
        // Long texts, so that a row is more than one small write would carry.
        GameRecord g = Game("2026-12-09T04:00:00", 0);
        g.slotA = std::string(3000, 'a' + static_cast<char>(first / kRows));
        SystemFiles system;
        for (uint32_t i = 0; i < kRows; ++i) {
            g.actions = first + i;
            ASSERT_EQ(system.AppendRow(HistoryPath(), HistoryHead(), HistoryRow(g)), 0u);
        }
    };
    std::thread one(writer, kRows), two(writer, 2 * kRows);
    one.join();
    two.join();
    std::string text = ReadWhole(HistoryPath());
    std::vector<GameRecord> rows = ParseHistory(text);
    ASSERT_EQ(rows.size(), 2 * kRows + 1);
    std::vector<bool> seen(3 * kRows, false);
    for (const GameRecord& row : rows) {
        EXPECT_FALSE(seen[row.actions]);
        seen[row.actions] = true;
        EXPECT_EQ(row.slotA, row.actions ? std::string(3000, static_cast<char>('a' + row.actions / kRows)) : "Player");
    }
}

TEST_F(HistoryStoreTest, GamesWaitingAtExitAreKeptOnDiskAndWrittenOnceInOrderByTheNextRun) {
    ASSERT_EQ(store.Save(Game("2026-12-09T03:00:00", 1), Samples(80)), 0u);
    files.Fail("AppendRow", ERROR_SHARING_VIOLATION);
    store.Save(Game("2026-12-09T04:00:00", 2), Samples(81));
    store.Save(Game("2026-12-09T04:05:00", 3), Samples(82));
    ASSERT_EQ(store.KeepWaiting(), 0u);
    std::vector<GameRecord> kept = ParseHistory(ReadWhole(Folder() + "\\waiting.csv"));
    ASSERT_EQ(kept.size(), 2u);
    for (const GameRecord& row : kept)
        EXPECT_EQ(ParseTimeline(ReadWhole(Timelines() + "\\" + row.timeline)).size(), 79 + row.actions);

    // The next run, while the history is still held: nothing written, nothing lost.
    HistoryStore next({"Vorkel", "cadro"});
    EXPECT_EQ(next.SaveWaiting(), static_cast<uint32_t>(ERROR_SHARING_VIOLATION));
    EXPECT_EQ(next.waiting(), 2u);
    EXPECT_EQ(ParseHistory(ReadWhole(Folder() + "\\waiting.csv")).size(), 2u);
    files.Heal();
    ASSERT_EQ(next.Save(Game("2026-12-09T05:00:00", 4), Samples(83)), 0u);
    EXPECT_FALSE(Exists(Folder() + "\\waiting.csv"));
    HistoryStore third({"Vorkel", "cadro"});
    EXPECT_EQ(third.SaveWaiting(), 0u);
    std::vector<GameRecord> rows = Rows();
    ASSERT_EQ(rows.size(), 4u) << "each once";
    for (uint32_t i = 0; i < 4; ++i) {
        EXPECT_EQ(rows[i].actions, i + 1) << "in the order played";
        EXPECT_EQ(ParseTimeline(ReadWhole(Timelines() + "\\" + rows[i].timeline)).size(), 80 + i);
    }
}

TEST_F(HistoryStoreTest, AKeptRowTheHistoryHoldsAlreadyIsNotWrittenAgain) {
    files.Fail("AppendRow", ERROR_SHARING_VIOLATION);
    store.Save(Game("2026-12-09T04:00:00", 1), Samples(81));
    store.Save(Game("2026-12-09T04:05:00", 2), Samples(82));
    ASSERT_EQ(store.KeepWaiting(), 0u);
    files.Heal();
    std::string kept = ReadWhole(Folder() + "\\waiting.csv");
    HistoryStore next({"Vorkel", "cadro"});
    ASSERT_EQ(next.SaveWaiting(), 0u);
    // The program ended after the rows were appended, before the kept file was written again.
    WriteRaw(Folder() + "\\waiting.csv", kept);
    HistoryStore third({"Vorkel", "cadro"});
    EXPECT_EQ(third.Save(Game("2026-12-09T05:00:00", 3), Samples(83)), 0u);
    std::vector<GameRecord> rows = Rows();
    ASSERT_EQ(rows.size(), 3u) << "each once";
    EXPECT_EQ(rows[2].actions, 3u);
    EXPECT_FALSE(Exists(Folder() + "\\waiting.csv"));
}

TEST_F(HistoryStoreTest, ATimelinesFolderThatCannotBeMadeNeverHoldsBackARow) {
    ASSERT_EQ(store.MakeFolder(), 0u);
    WriteRaw(Timelines(), "a file where the folder goes");
    ASSERT_EQ(store.Save(Game("2026-12-09T04:00:00", 1), Samples(81)), 0u);
    ASSERT_EQ(Rows().size(), 1u);
    EXPECT_EQ(Rows()[0].timeline, "");
    // Nor a row kept at exit.
    files.Fail("AppendRow", ERROR_SHARING_VIOLATION);
    store.Save(Game("2026-12-09T04:05:00", 2), Samples(82));
    ASSERT_EQ(store.KeepWaiting(), 0u);
    files.Heal();
    HistoryStore next({"Vorkel", "cadro"});
    EXPECT_EQ(next.SaveWaiting(), 0u);
    ASSERT_EQ(Rows().size(), 2u);
    EXPECT_EQ(Rows()[1].actions, 2u);
}

TEST_F(HistoryStoreTest, PruningReadsOnlyTheHistorysEnd) {
    // A long history of short rows, the newest of them naming a full folder of timelines.
    std::string text = HistoryHead();
    GameRecord old = Game("2025-01-01T00:00:00", 0);
    old.slotA = old.slotB = old.slotC = "";
    while (text.size() < 16 * kPruneTailBytes)
        text += HistoryRow(old);
    FullFolder(std::move(text));
    ResetAllocationPeak();
    ASSERT_EQ(store.Save(Game("2026-12-09T04:00:00", 9999), Samples(81)), 0u);
    EXPECT_LT(AllocationPeakAbove(), 3 * kPruneTailBytes);
    EXPECT_FALSE(Exists(Timelines() + "\\2026-12-09_05-00-00.csv")) << "the oldest row's timeline went";
    EXPECT_TRUE(Exists(Timelines() + "\\2026-12-09_04-00-00.csv")) << "never the newest";
    EXPECT_EQ(Names(Timelines(), "*.csv").size(), kKeptTimelines);
}
