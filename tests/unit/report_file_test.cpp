// The report written from the history's files through the file seam: what it reads, and that a read or a
// write that fails leaves the report there as it was and says so.
#include <gtest/gtest.h>

#include <windows.h>

#include <new>
#include <regex>
#include <string>
#include <vector>

#include "app/program_report.h"
#include "history/csv.h"
#include "report/report_file.h"
#include "tests/unit/failing_files.h"
#include "tests/unit/page_reader.h"
#include "tools/bench/crafted_games.h"

namespace {

using Strings = std::vector<std::string>;

class ReportFileTest : public ::testing::Test {
protected:
    ReportFileTest() : files(temp.path()), use(&files) {}

    std::string Report() const { return temp.path() + "\\report.html"; }
    std::string History() const { return temp.path() + "\\history.csv"; }
    std::string Timelines() const { return temp.path() + "\\timelines"; }
    bool Write() { return WriteReportFile(Report(), History(), Timelines(), "2026-12-09 04:12"); }

    // Games with their rows in history.csv and their timelines beside it.
    void Keep(size_t count) {
        ASSERT_EQ(files.MakeFolder(Timelines()), 0u);
        for (GameRecord& g : CraftedGames(count)) {
            g.timeline = TimelineName(g.started);
            ASSERT_EQ(files.WriteWhole(Timelines() + "\\" + g.timeline, TimelineText(CraftedTimeline(g)),
                                       Existing::kReplace), 0u);
            ASSERT_EQ(files.AppendRow(History(), HistoryHead(), HistoryRow(g)), 0u);
        }
    }

    TempFolder temp;
    FailingFiles files;
    UseFiles use;
};

}  // namespace

TEST_F(ReportFileTest, IsMadeFromTheHistoryAndTheTimelinesOfTheChartedGames) {
    Keep(3);
    int reads = files.Calls("ReadWhole");
    ASSERT_TRUE(Write());
    EXPECT_EQ(files.Calls("ReadWhole") - reads, 4) << "history.csv and three timelines";
    std::string page = ReadWhole(Report());
    EXPECT_EQ(Cells(page, "number"), (Strings{"3", "2", "1"}));
    std::vector<GameRecord> games = CraftedGames(3);
    std::vector<std::string> samples = Attributes(page, "<svg class=\"game-chart\"", "data-samples");
    ASSERT_EQ(samples.size(), 3u);
    for (size_t i = 0; i < 3; ++i)
        EXPECT_EQ(samples[i], std::to_string(CraftedTimeline(games[2 - i]).size())) << i;
    EXPECT_NE(page.find("Written 2026-12-09 04:12"), std::string::npos);
    EXPECT_TRUE(Names(temp.path(), "*.tmp").empty());
}

TEST_F(ReportFileTest, AMissingHistoryIsAHistoryOfNoGames) {
    ASSERT_TRUE(Write());
    EXPECT_NE(ReadWhole(Report()).find("No games yet."), std::string::npos);
}

TEST_F(ReportFileTest, AWriteThatFailsLeavesTheOldReportAndSaysSo) {
    Keep(1);
    ASSERT_TRUE(Write());
    std::string old = ReadWhole(Report());
    Keep(1);
    files.Fail("WriteWhole", ERROR_DISK_FULL, 1);
    EXPECT_FALSE(Write());
    EXPECT_EQ(ReadWhole(Report()), old);
    ASSERT_TRUE(Write());
    EXPECT_EQ(Cells(ReadWhole(Report()), "number"), (Strings{"2", "1"}));
}

TEST_F(ReportFileTest, AHistoryThatCannotBeReadLeavesTheOldReportAndSaysSo) {
    Keep(2);
    ASSERT_TRUE(Write());
    const std::string old = ReadWhole(Report());
    const int writes = files.Calls("WriteWhole");
    // Held by another program, longer than the most read, failing on the disk, or refused: a history that
    // is there is not read as no games.
    for (uint32_t error : {ERROR_SHARING_VIOLATION, ERROR_LOCK_VIOLATION, ERROR_FILE_TOO_LARGE, ERROR_READ_FAULT,
                           ERROR_CRC, ERROR_ACCESS_DENIED, ERROR_NOT_ENOUGH_MEMORY}) {
        files.Fail("ReadWhole", error, 1);
        EXPECT_FALSE(Write()) << error;
        EXPECT_EQ(files.Calls("WriteWhole"), writes) << "nothing was written: " << error;
    }
    // The same with the system's own refusal: another program holds history.csv, sharing nothing.
    HANDLE held = ::CreateFileA(History().c_str(), GENERIC_READ, 0, nullptr, OPEN_EXISTING, 0, nullptr);
    ASSERT_NE(held, INVALID_HANDLE_VALUE);
    EXPECT_FALSE(Write());
    ::CloseHandle(held);
    // Memory running out while the page is made fails the call the same way, and nothing escapes it.
    struct Exhausted : FailingFiles {
        using FailingFiles::FailingFiles;
        uint32_t ReadWhole(const std::string&, size_t, std::string*) override { throw std::bad_alloc(); }
    } exhausted(temp.path());
    {
        UseFiles useExhausted(&exhausted);
        EXPECT_FALSE(Write());
    }
    EXPECT_EQ(ReadWhole(Report()), old);
    EXPECT_EQ(files.Calls("WriteWhole"), writes);
    ASSERT_TRUE(Write());
    EXPECT_EQ(Cells(ReadWhole(Report()), "number"), (Strings{"2", "1"}));
}

TEST_F(ReportFileTest, AHostileHistoryMakesAPageOfItsGamesThatSaysWhatWasLeftOut) {
    Keep(2);
    std::string rows = ReadWhole(History());
    GameRecord third = CraftedGames(3)[2];
    third.timeline = "";
    // Millions of empty lines, a huge field and torn rows around the two games.
    std::string hostile = rows + std::string(8u << 20, '\n') + "\"" + std::string(4u << 20, 'a') + "\"\r\n" +
                          "2026-12-09T04:12:33,torn\r\n" + HistoryRow(third);
    WriteRaw(History(), hostile);
    ASSERT_TRUE(Write());
    std::string page = ReadWhole(Report());
    EXPECT_EQ(Cells(page, "number"), (Strings{"3", "2", "1"}));
    EXPECT_EQ(Attributes(page, "<p class=\"unreadable\"", "data-rows"), Strings{"2"});
    EXPECT_NE(page.find("2 rows of history.csv could not be read and are left out."), std::string::npos);
    EXPECT_EQ(Count(page, "<section"), Count(page, "</section>"));
    EXPECT_LT(page.size(), 2u << 20);
    // A whole history reads with nothing left out, and the page says nothing of it.
    WriteRaw(History(), rows);
    ASSERT_TRUE(Write());
    EXPECT_EQ(Count(ReadWhole(Report()), "left-out"), 0u);
}

TEST_F(ReportFileTest, TextsASpreadsheetWouldRunShowAsThePlayersOwn) {
    GameRecord g = CraftedGames(1)[0];
    g.slotA = "=HYPERLINK(\"x\")";
    g.slotB = "-Lost";
    g.slotC = "'quoted";
    g.timeline = "";
    ASSERT_EQ(files.AppendRow(History(), HistoryHead(), HistoryRow(g)), 0u);
    EXPECT_NE(ReadWhole(History()).find(",\"'=HYPERLINK(\"\"x\"\")\",\"'-Lost\",\"''quoted\","), std::string::npos);
    ASSERT_TRUE(Write());
    std::string table = Between(ReadWhole(Report()), "<table class=\"games\">", "</table>");
    EXPECT_EQ(Texts(table, "player"), Strings{"=HYPERLINK(&quot;x&quot;)"});
    EXPECT_EQ(Texts(table, "map"), Strings{"-Lost"});
    EXPECT_EQ(Texts(table, "mode"), Strings{"&#39;quoted"});
}

TEST_F(ReportFileTest, ATimelineThatCannotBeReadIsChartedAsNone) {
    Keep(2);
    std::string first = Timelines() + "\\" + TimelineName(CraftedGames(1)[0].started);
    HANDLE held = ::CreateFileA(first.c_str(), GENERIC_READ, 0, nullptr, OPEN_EXISTING, 0, nullptr);
    ASSERT_NE(held, INVALID_HANDLE_VALUE);
    ASSERT_TRUE(Write());
    ::CloseHandle(held);
    std::string page = ReadWhole(Report());
    EXPECT_EQ(Count(page, "<svg class=\"game-chart\""), 1u);
    EXPECT_NE(Between(page, "<figure class=\"game\" data-game=\"1\">", "</figure>").find("no-timeline"),
              std::string::npos);
}

TEST_F(ReportFileTest, ATimelineIsReadUpToTheLongestTheProgramWritesAndNoFurther) {
    Keep(2);
    // The most samples a game keeps, each of the longest numbers; padded with blank lines, which are no
    // samples, to that length and to twice it.
    std::vector<Sample> longest(4096, Sample{UINT32_MAX, INT32_MAX, INT32_MIN, UINT32_MAX, INT32_MAX});
    const size_t most = TimelineText(longest).size();
    for (size_t i = 0; i < 2; ++i) {
        std::string path = Timelines() + "\\" + TimelineName(CraftedGames(2)[i].started);
        std::string text = ReadWhole(path);
        WriteRaw(path, text + std::string((i + 1) * most - text.size(), '\n'));
    }
    ASSERT_TRUE(Write());
    std::string page = ReadWhole(Report());
    EXPECT_EQ(Between(page, "<figure class=\"game\" data-game=\"1\">", "</figure>").find("no-timeline"),
              std::string::npos);
    EXPECT_NE(Between(page, "<figure class=\"game\" data-game=\"2\">", "</figure>").find("no-timeline"),
              std::string::npos);
}

TEST_F(ReportFileTest, TheProgramsReportGoesBesideItsHistoryInAFolderMadeForIt) {
    // Named like the profile's key: HKCU\Software\VorkelTests\CadroUnitTests.
    std::string folder = temp.path() + "\\VorkelTests\\CadroUnitTests";
    EXPECT_EQ(ReportPath(), folder + "\\report.html");
    files.Fail("MakeFolder", ERROR_ACCESS_DENIED, 1);
    EXPECT_FALSE(WriteProgramReport());
    EXPECT_FALSE(Exists(folder));
    ASSERT_TRUE(WriteProgramReport());
    EXPECT_EQ(Names(folder), Strings{"report.html"});
    EXPECT_FALSE(Exists(folder + "\\timelines")) << "nothing else is made";
    std::string page = ReadWhole(folder + "\\report.html");
    EXPECT_TRUE(std::regex_search(page, std::regex(R"(Written \d{4}-\d\d-\d\d \d\d:\d\d</p>)")));
}
