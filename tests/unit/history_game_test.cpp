// Whole games through the measurement loop in virtual time, with the history in a temporary folder: the
// row equals the summary lines, the timeline equals what the overlay showed, every way a game ends is
// named, and a game that cannot be written is said once in the log and written later.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstdio>
#include <cstring>
#include <functional>
#include <regex>

#include "history/csv.h"
#include "history/store.h"
#include "tests/unit/failing_files.h"
#include "tests/unit/fake_os.h"

namespace {

constexpr uint64_t kStart = 1000;
constexpr uint64_t Sec(uint64_t s) { return s * 1000; }
constexpr char kNotSaved[] = "Game not saved: history file in use; kept to retry";

class HistoryGameTest : public MeterTest {
protected:
    void SetUp() override {
        MeterTest::SetUp();
        // The defaults (APM shown, a beep every 2 s) with the warning on and a limit the idle end is below.
        dlg->m_bShowAlert = 1;
        dlg->m_nApmLimit = 100;
        dlg->m_strSound = "C:\\alert.wav";
        dlg->UpdateData(FALSE);
    }

    // A new game at kStart, with a new script.
    void NewGame() {
        os = FakeOs();
        g_bQuit = false;
        os.StartGame(kStart);
    }
    bool Play() { return dlg->MeasureGame(process); }

    // The folder is named like the profile's key: HKCU\Software\VorkelTests\CadroUnitTests.
    std::string Folder() const { return historyData.path() + "\\VorkelTests\\CadroUnitTests"; }
    std::vector<GameRecord> Rows() const { return ParseHistory(ReadWhole(Folder() + "\\history.csv")); }
    std::vector<Sample> Timeline(const GameRecord& row) const {
        return ParseTimeline(ReadWhole(Folder() + "\\timelines\\" + row.timeline));
    }

    // The row against the summary lines last logged.
    void ExpectRowIsTheSummary(const GameRecord& row) {
        std::vector<std::string> log = Log();
        int apm = 0, actions = 0, peak = 0, h = 0, m = 0, s = 0;
        auto summary = std::find_if(log.rbegin(), log.rend(), [](const std::string& l) { return l.rfind("APM = ", 0) == 0; });
        ASSERT_NE(summary, log.rend());
        ASSERT_EQ(std::sscanf(summary->c_str(), "APM = %d (%d actions)", &apm, &actions), 2);
        ASSERT_NE(summary, log.rbegin());
        ASSERT_EQ(std::sscanf((summary - 1)->c_str(), "Highest APM = %d at %d:%d:%d:", &peak, &h, &m, &s), 4);
        EXPECT_EQ(row.apm, apm);
        EXPECT_EQ(row.actions, static_cast<uint32_t>(actions));
        EXPECT_EQ(row.peakApm, peak);
        EXPECT_EQ(row.peakSeconds, static_cast<uint32_t>(h * 3600 + m * 60 + s));
    }
};

}  // namespace

TEST_F(HistoryGameTest, TheRowIsTheSummaryAndTheTimelineIsWhatWasShown) {
    NewGame();
    os.KeysEvery(kStart, kStart + Sec(150), 200);  // 300 APM, then idle: below the limit, with alerts
    os.EndGame(kStart + Sec(200));
    EXPECT_TRUE(Play());
    std::vector<std::string> log = Log();
    ASSERT_EQ(log.size(), 5u) << "no line of its own when the game is saved";

    std::vector<GameRecord> rows = Rows();
    ASSERT_EQ(rows.size(), 1u);
    const GameRecord& row = rows[0];
    ExpectRowIsTheSummary(row);
    EXPECT_TRUE(std::regex_match(row.started, std::regex(R"(\d{4}-\d\d-\d\dT\d\d:\d\d:\d\d)"))) << row.started;
    EXPECT_EQ(row.lengthSeconds, 200u);
    EXPECT_EQ(row.limit, 100);
    EXPECT_EQ(row.end, GameEnd::kGameOver);
    EXPECT_EQ(row.alerts, os.sounds.size());
    EXPECT_GT(row.alerts, 10u);
    // The warning is shown on exactly the ticks below the limit, one every 250 ms.
    size_t warned = 0;
    for (uint64_t at = kStart; at <= kStart + Sec(200); at += 250)
        warned += TickedAtTime(at) && ShownAtTime(at).find("TOO LOW") != std::string::npos;
    EXPECT_EQ(row.secondsBelow, warned * 250 / 1000);
    EXPECT_GT(row.secondsBelow, 30u);
    EXPECT_EQ(row.slotA, "Player");
    EXPECT_EQ(row.slotB, "Map");
    EXPECT_EQ(row.slotC, "Melee");
    EXPECT_EQ(row.timeline, TimelineName(row.started));
    // One letter in a steady rhythm: past its first 5 presses (in the warm-up) each repeats the order.
    EXPECT_EQ(row.spam, row.actions);
    EXPECT_EQ(row.spamByKind[1], row.actions);
    EXPECT_EQ(row.eapm, 0);

    // One sample a second, each what the tick starting that second showed (after the banner's 2 s).
    std::vector<Sample> samples = Timeline(row);
    ASSERT_EQ(samples.size(), 200u);
    for (uint32_t i = 0; i < samples.size(); ++i) {
        ASSERT_EQ(samples[i].seconds, i);
        if (i < 3)
            continue;
        char shown[64];
        if (samples[i].apm < 0)
            std::snprintf(shown, sizeof shown, "APM = --- (%03d) ", static_cast<int>(samples[i].recent));
        else
            std::snprintf(shown, sizeof shown, "APM = %03d (%03d) ", static_cast<int>(samples[i].apm),
                          static_cast<int>(samples[i].recent));
        ASSERT_TRUE(TickedAtTime(kStart + Sec(i))) << i;
        EXPECT_EQ(ShownAtTime(kStart + Sec(i)).substr(0, std::strlen(shown)), shown) << i;
        EXPECT_EQ(samples[i].apm < 0, i < 80) << i;
    }
}

TEST_F(HistoryGameTest, EveryWayAGameEndsIsNamed) {
    struct Case {
        GameEnd end;
        std::function<void(FakeOs&)> script;
    };
    const Case cases[] = {
        {GameEnd::kGameOver, [](FakeOs& o) { o.EndGame(kStart + Sec(100)); }},
        {GameEnd::kStopKey, [](FakeOs& o) { o.Key(kStart + Sec(100), VK_F8); }},
        {GameEnd::kGameClosed, [](FakeOs& o) { o.processEndsAt = kStart + Sec(100); }},
        {GameEnd::kQuit, [](FakeOs& o) { o.Post(kStart + Sec(100), WM_COMMAND, MAKEWPARAM(1002, BN_CLICKED)); }},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(static_cast<int>(c.end));
        NewGame();
        os.KeysEvery(kStart, kStart + Sec(200), 300);
        c.script(os);
        Play();
        std::vector<GameRecord> rows = Rows();
        ASSERT_FALSE(rows.empty());
        EXPECT_EQ(rows.back().end, c.end);
        ExpectRowIsTheSummary(rows.back());
        EXPECT_LE(rows.back().lengthSeconds - 100, 1u);
    }
    EXPECT_EQ(Rows().size(), 4u);
}

TEST_F(HistoryGameTest, NoSummaryOrSwitchedOffMeansNoFilesAndTheSameLog) {
    NewGame();
    os.KeysEvery(kStart, kStart + Sec(79), 100);
    os.EndGame(kStart + Sec(79));
    Play();
    EXPECT_EQ(Log().back(), "Game finished");
    EXPECT_FALSE(Exists(Folder())) << "not even the folder is made";

    dlg->m_bHistory = 0;
    NewGame();
    os.KeysEvery(kStart, kStart + Sec(120), 200);
    os.EndGame(kStart + Sec(120));
    Play();
    EXPECT_EQ(Log().back().rfind("Highest APM = ", 0), 0u);
    EXPECT_FALSE(Exists(Folder()));
    EXPECT_EQ(historyFiles.Calls("MakeFolder") + historyFiles.Calls("AppendRow"), 0);
}

TEST_F(HistoryGameTest, AGameNotSavedIsSaidOnceAndWrittenWithTheNext) {
    ASSERT_TRUE(::CreateDirectoryA((historyData.path() + "\\VorkelTests").c_str(), nullptr));
    ASSERT_TRUE(::CreateDirectoryA(Folder().c_str(), nullptr));
    // As a spreadsheet holds it: open, sharing nothing.
    HANDLE held = ::CreateFileA((Folder() + "\\history.csv").c_str(), GENERIC_READ | GENERIC_WRITE, 0, nullptr,
                                OPEN_ALWAYS, 0, nullptr);
    ASSERT_NE(held, INVALID_HANDLE_VALUE);
    NewGame();
    os.KeysEvery(kStart, kStart + Sec(100), 200);
    os.EndGame(kStart + Sec(100));
    Play();
    std::vector<std::string> log = Log();
    ASSERT_EQ(log.size(), 6u);
    EXPECT_EQ(log[3].rfind("APM = ", 0), 0u);
    EXPECT_EQ(log[5], kNotSaved) << "after the summary";
    ::CloseHandle(held);

    NewGame();
    os.KeysEvery(kStart, kStart + Sec(110), 300);
    os.EndGame(kStart + Sec(110));
    Play();
    log = Log();
    EXPECT_EQ(std::count(log.begin(), log.end(), kNotSaved), 1);
    std::vector<GameRecord> rows = Rows();
    ASSERT_EQ(rows.size(), 2u);
    EXPECT_EQ(rows[0].lengthSeconds, 100u);
    EXPECT_EQ(rows[1].lengthSeconds, 110u);
    ExpectRowIsTheSummary(rows[1]);
    EXPECT_EQ(Timeline(rows[0]).size(), 100u);
    EXPECT_EQ(Timeline(rows[1]).size(), 110u);
}

TEST_F(HistoryGameTest, TheLongestNotSavedLineFitsTheLogWhole) {
    // The error with the longest reason: any of the system's codes, or the biggest number.
    uint32_t longest = 0xFFFFFFFFu;
    for (uint32_t error = 1; error < 16000; ++error) {
        if (SaveFailure(error).size() > SaveFailure(longest).size())
            longest = error;
    }
    historyFiles.Fail("AppendRow", longest);
    NewGame();
    os.KeysEvery(kStart, kStart + Sec(100), 200);
    os.EndGame(kStart + Sec(100));
    Play();
    std::string line = static_cast<const char*>(dlg->m_list.GetText(dlg->m_list.GetCount() - 1));
    // With its time stamp the line must fit the log's 128 characters, or its end is cut.
    EXPECT_EQ(line.substr(line.find(' ') + 1), "Game not saved: " + SaveFailure(longest) + "; kept to retry");
}

TEST_F(HistoryGameTest, GamesNotSavedAreWrittenWhenTheSessionEnds) {
    historyFiles.Fail("AppendRow", ERROR_DISK_FULL, 1);
    NewGame();
    os.KeysEvery(kStart, kStart + Sec(100), 200);
    os.EndGame(kStart + Sec(100));
    Play();
    ASSERT_TRUE(Rows().empty());
    std::string report = Folder() + "\\report.html";
    EXPECT_EQ(dlg->SendMessage(WM_QUERYENDSESSION, 0, ENDSESSION_LOGOFF), TRUE) << "the program lets it end";
    // A log-off that was called off writes nothing.
    dlg->SendMessage(WM_ENDSESSION, FALSE, ENDSESSION_LOGOFF);
    EXPECT_TRUE(Rows().empty());
    EXPECT_EQ(historyFiles.Calls("AppendRow"), 1);
    dlg->SendMessage(WM_ENDSESSION, TRUE, ENDSESSION_LOGOFF);
    ASSERT_EQ(Rows().size(), 1u);
    EXPECT_EQ(Timeline(Rows()[0]).size(), 100u);
    EXPECT_NE(ReadWhole(report).find("<figure class=\"game\""), std::string::npos) << "the report shows it";
    EXPECT_TRUE(::IsWindow(dlg->m_hWnd)) << "the system, not the program, ends it";
    ::DestroyWindow(dlg->m_hWnd);
    EXPECT_EQ(Rows().size(), 1u) << "written once";
}

TEST_F(HistoryGameTest, GamesNotSavedAreWrittenWhenTheProgramEnds) {
    historyFiles.Fail("AppendRow", ERROR_DISK_FULL, 2);
    for (int game = 0; game < 2; ++game) {
        NewGame();
        os.KeysEvery(kStart, kStart + Sec(100), 200);
        os.EndGame(kStart + Sec(100));
        Play();
    }
    std::vector<std::string> log = Log();
    EXPECT_EQ(std::count(log.begin(), log.end(), "Game not saved: disk full; kept to retry"), 2);
    EXPECT_TRUE(Rows().empty());
    EXPECT_FALSE(Exists(Folder() + "\\report.html"));
    ::DestroyWindow(dlg->m_hWnd);  // the end of the program: its settings are saved, and its games
    EXPECT_EQ(Rows().size(), 2u);
    // ... and the report, which now shows them.
    std::string page = ReadWhole(Folder() + "\\report.html");
    size_t figures = 0;
    for (size_t at = page.find("<figure class=\"game\""); at != std::string::npos;
         at = page.find("<figure class=\"game\"", at + 1))
        ++figures;
    EXPECT_EQ(figures, 2u);
}
