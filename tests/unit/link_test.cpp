// The link driver on a fake system: searching, settling, opening, hooking and the paths that end it.
#include <gtest/gtest.h>

#include <algorithm>
#include <string>

#include "app/res/resource.h"
#include "link/link.h"
#include "link/os.h"
#include "measure/measure.h"
#include "tests/unit/fake_os.h"

class LinkTest : public MeterTest {
protected:
    void SetUp() override {
        MeterTest::SetUp();
        m_main = dlg->m_hWnd;
    }
    HWND Main() const { return m_main; }  // kept: the window may end during a test
    bool HookBalanced() const {
        return os.hookCalls.size() == 2 && os.hookCalls[0] == std::make_pair(true, Main()) &&
               os.hookCalls[1] == std::make_pair(false, static_cast<HWND>(nullptr));
    }
    bool StartLinkPosted() {
        MSG msg;
        return ::PeekMessageA(&msg, Main(), WM_START_LINK, WM_START_LINK, PM_REMOVE) != 0;
    }
    HWND m_main = nullptr;
};

TEST_F(LinkTest, GameAlreadyRunningLinksAtOnceAndMeasuresUntilItCloses) {
    os.processEndsAt = 3000;
    dlg->StartLink();
    std::vector<std::string> log = Log();
    ASSERT_GE(log.size(), 3u);
    EXPECT_EQ(log.front(), "Waiting for game...") << "no \"Please start BW\", no settling pause";
    EXPECT_EQ(log.back(), "BW Closed");
    EXPECT_TRUE(HookBalanced());
    EXPECT_EQ(os.openCalls, 1);
    EXPECT_EQ(os.closeCalls, 1);
    EXPECT_EQ(os.reads.front(), kSlotA + kGameBias) << "the first wait polls after 125 ms, not 2 s";
    EXPECT_EQ(os.overlayPlaces, (std::vector<HWND>{os.gameWindow, nullptr})) << "the overlay on the game's monitor";
    EXPECT_TRUE(StartLinkPosted()) << "the link starts over";
    EXPECT_TRUE(::IsWindowEnabled(::GetDlgItem(Main(), IDC_START)));
}

TEST_F(LinkTest, GameAppearingLaterIsAwaitedThenGivenTimeToSettle) {
    HWND game = os.gameWindow;
    os.gameWindow = nullptr;
    os.At(1100, [&] { os.gameWindow = game; });
    os.processEndsAt = 10000;
    dlg->StartLink();
    std::vector<std::string> log = Log();
    EXPECT_EQ(log.front(), "Please start BW");
    EXPECT_EQ(log[1], "Waiting for game...");
    // Found by the search at 1250 ms, then 2000 ms to settle before the game is touched.
    EXPECT_EQ(os.openCalls, 1);
    EXPECT_GE(os.clock, 3250u);
    EXPECT_TRUE(HookBalanced());
    EXPECT_EQ(os.overlayPlaces, (std::vector<HWND>{game, nullptr})) << "the window found, then none";
}

TEST_F(LinkTest, SearchKeepsTheWindowAliveAndQuitEndsItWithin250ms) {
    os.gameWindow = nullptr;
    os.Post(1010, WM_COMMAND, MAKEWPARAM(IDC_EXIT, BN_CLICKED));
    EXPECT_FALSE(RunGameLink(Main()));
    EXPECT_LE(os.clock, 1010u + 250u);
    EXPECT_TRUE(os.hookCalls.empty());
    EXPECT_EQ(os.openCalls, 0);
}

TEST_F(LinkTest, QuitDuringTheSettleOpensNothing) {
    HWND game = os.gameWindow;
    os.gameWindow = nullptr;
    os.At(500, [&] { os.gameWindow = game; });
    os.Post(1500, WM_COMMAND, IDCANCEL);
    EXPECT_FALSE(RunGameLink(Main()));
    EXPECT_LE(os.clock, 1750u + 250u);
    EXPECT_EQ(os.openCalls, 0);
}

TEST_F(LinkTest, FailedOpenIsReportedAndRetriedAtAPace) {
    os.openFails = true;
    for (int attempt = 0; attempt < 3; ++attempt) {
        dlg->StartLink();
        ASSERT_TRUE(StartLinkPosted());
    }
    std::vector<std::string> expected;
    for (int attempt = 0; attempt < 3; ++attempt) {
        expected.push_back("Can't link to BW");
        expected.push_back("BW Closed");
    }
    EXPECT_EQ(Log(), expected);
    EXPECT_GE(os.clock, 3u * 2000u) << "about 2 s between attempts, not a spin";
    EXPECT_TRUE(os.hookCalls.empty());
    EXPECT_EQ(os.closeCalls, 0) << "nothing was opened, nothing is closed";
}

TEST_F(LinkTest, AnElevatedGameIsExplainedOncePerGameWindow) {
    // Windows of their own: what this program remembers outlives a test.
    const HWND first = reinterpret_cast<HWND>(0x5001), second = reinterpret_cast<HWND>(0x5002);
    const struct {
        HWND window;
        DWORD pid;
        DWORD error;
        bool explained;
    } attempts[] = {
        {first, 42, ERROR_ACCESS_DENIED, true},
        {first, 42, ERROR_ACCESS_DENIED, false},  // the retry 2 s later
        {second, 42, ERROR_ACCESS_DENIED, true},
        {second, 43, ERROR_ACCESS_DENIED, true},  // the same window's game restarted
        {reinterpret_cast<HWND>(0x5003), 44, ERROR_INVALID_PARAMETER, false},  // gone before the open
    };
    os.openFails = true;
    std::vector<std::string> expected;
    for (const auto& attempt : attempts) {
        os.gameWindow = attempt.window;
        os.gamePid = attempt.pid;
        os.openError = attempt.error;
        dlg->StartLink();
        expected.push_back("Can't link to BW");
        if (attempt.explained)
            expected.push_back("BW runs as administrator: start Cadro the same way");
        expected.push_back("BW Closed");
    }
    EXPECT_EQ(Log(), expected);
}

TEST_F(LinkTest, FailedWindowProcessIdCountsAsAFailedOpen) {
    os.pidAnswers = {0};
    EXPECT_FALSE(RunGameLink(Main()));
    EXPECT_EQ(Log(), (std::vector<std::string>{"Can't link to BW"}));
    EXPECT_EQ(os.openCalls, 0);
}

TEST_F(LinkTest, QuitDuringTheRetryPauseIsNoticedWithin250ms) {
    os.openFails = true;
    os.Post(600, WM_COMMAND, IDCANCEL);
    EXPECT_FALSE(RunGameLink(Main()));
    EXPECT_LE(os.clock, 600u + 250u);
}

TEST_F(LinkTest, WindowNoLongerOfTheOpenedProcessIsNeverWritten) {
    // The window's process changed between the search and the open (an exit and a reused id).
    os.pidAnswers = {42, 77};
    os.processEndsAt = 5000;
    EXPECT_TRUE(RunGameLink(Main()));
    EXPECT_EQ(os.openCalls, 2) << "closed and searched again";
    EXPECT_EQ(os.closeCalls, 2);
    EXPECT_TRUE(HookBalanced()) << "hooked only for the verified process";
}

TEST_F(LinkTest, FaultInsideTheMeasurementEndsTheLinkCleanly) {
    os.readsThrow = true;
    EXPECT_TRUE(RunGameLink(Main()));
    EXPECT_TRUE(HookBalanced());
    EXPECT_EQ(os.closeCalls, 1);
    EXPECT_EQ(Log(), (std::vector<std::string>{"Waiting for game..."}));
}

TEST_F(LinkTest, FaultInTheMiddleOfAGameTakesItsLinesOffTheScreen) {
    os.StartGame(1000);
    os.At(20000, [&] { os.readsThrow = true; });
    EXPECT_TRUE(RunGameLink(Main()));
    ASSERT_FALSE(os.drawn.empty());
    EXPECT_TRUE(std::any_of(os.drawn.begin(), os.drawn.end(), [](const Drawn& d) { return d.row == 0; }))
        << "the game was drawn before the fault";
    EXPECT_EQ(os.drawn.back(), (Drawn{0, "", -1})) << "the last line stayed on the screen";
    EXPECT_TRUE(HookBalanced());
}

TEST_F(LinkTest, GamesFollowOneAnotherUnderOneLink) {
    os.StartGame(1000);
    os.EndGame(90000);
    os.At(95000, [&] { os.PokeWord(kEndWord, 0); });
    os.StartGame(100000);
    os.Key(190000, VK_F8);
    os.processEndsAt = 200000;
    dlg->StartLink();
    std::vector<std::string> log = Log();
    int waits = 0;
    int finished = 0;
    for (const std::string& line : log) {
        waits += line == "Waiting for game...";
        finished += line == "Game finished";
    }
    EXPECT_EQ(waits, 3);
    EXPECT_EQ(finished, 2);
    EXPECT_EQ(os.openCalls, 1);
    EXPECT_TRUE(HookBalanced());
}

TEST_F(LinkTest, QuitWhileMeasuringEndsTheDialog) {
    os.StartGame(1000);
    os.Post(30000, WM_COMMAND, MAKEWPARAM(IDC_EXIT, BN_CLICKED));
    HWND main = Main();
    dlg->StartLink();
    EXPECT_FALSE(::IsWindow(main)) << "the dialog has ended";
    EXPECT_TRUE(HookBalanced());
    EXPECT_EQ(os.closeCalls, 1);
    EXPECT_LE(os.clock, 30250u);
}

TEST_F(LinkTest, StartMessagesDuringALinkDoNotNestASecondOne) {
    os.Post(500, WM_START_LINK, 0xDEAD, 0xBEEF);
    os.Post(600, WM_COMMAND, MAKEWPARAM(IDC_START, BN_CLICKED));
    os.processEndsAt = 3000;
    dlg->StartLink();
    EXPECT_EQ(os.openCalls, 1);
    EXPECT_TRUE(HookBalanced());
}

TEST_F(LinkTest, PumpDrainsOnlyTheMainWindowAndNeverWaits) {
    HWND other = ::CreateWindowExA(0, "STATIC", "", WS_POPUP, 0, 0, 1, 1, nullptr, nullptr, nullptr, nullptr);
    ::PostMessageA(other, WM_USER + 5, 0, 0);
    ::PostMessageA(Main(), WM_KEY_REPORT, 'A', 0);
    ::PostMessageA(Main(), WM_KEY_REPORT, 'B', 0);
    PumpMessages();
    EXPECT_EQ(g_nActions, 2u);
    MSG msg;
    EXPECT_TRUE(::PeekMessageA(&msg, other, WM_USER + 5, WM_USER + 5, PM_REMOVE)) << "other windows' messages stay";
    PumpMessages();  // nothing pending: returns at once
    ::DestroyWindow(other);
}

namespace {

// Every window the thread is about to make, refused: a box the shell brought up would be counted, not shown.
int g_windowsRefused = 0;
LRESULT CALLBACK RefuseWindows(int code, WPARAM wParam, LPARAM lParam) {
    if (code == HCBT_CREATEWND) {
        ++g_windowsRefused;
        return 1;
    }
    return ::CallNextHookEx(nullptr, code, wParam, lParam);
}

}  // namespace

TEST(SystemOs, OpeningAMissingDocumentFailsWithoutABox) {
    Os& os = TheOs();
    HHOOK hook = ::SetWindowsHookExW(WH_CBT, RefuseWindows, nullptr, ::GetCurrentThreadId());
    ASSERT_NE(hook, nullptr);
    char folder[MAX_PATH];
    ASSERT_NE(::GetTempPathA(MAX_PATH, folder), 0u);
    std::string missing = std::string(folder) + "cadro-no-such-report-\xC3\xA9.html";
    ::DeleteFileA(missing.c_str());
    bool opened = os.OpenDocument(missing.c_str());
    ::UnhookWindowsHookEx(hook);
    EXPECT_FALSE(opened);
    EXPECT_EQ(g_windowsRefused, 0) << "the shell made a window of its own";
}
