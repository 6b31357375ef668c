// The main window's own behaviour, checked from inside the program's process.
#include <gtest/gtest.h>

#include <algorithm>
#include <string>

#include "app/one_copy.h"
#include "app/program_history.h"
#include "app/program_report.h"
#include "app/res/resource.h"
#include "history/csv.h"
#include "link/link.h"
#include "report/report.h"
#include "tests/unit/fake_os.h"
#include "util/files.h"

using MainWindowTest = MeterTest;

constexpr uint64_t kSecond = 10000000;  // in file times' 100 ns

TEST_F(MainWindowTest, InitialisationSetsTitleMenuIconsAndPostsTheLinkStart) {
    char title[256];
    ::GetWindowTextA(dlg->m_hWnd, title, sizeof title);
    EXPECT_EQ(std::string(title).rfind("Cadro! 1.00R", 0), 0u) << title;

    HMENU menu = ::GetSystemMenu(dlg->m_hWnd, FALSE);
    ASSERT_NE(menu, nullptr);
    int count = ::GetMenuItemCount(menu);
    ASSERT_GE(count, 5);
    char item[64] = {};
    ::GetMenuStringA(menu, count - 4, item, sizeof item, MF_BYPOSITION);
    EXPECT_STREQ(item, "&About Cadro...");
    EXPECT_EQ(::GetMenuItemID(menu, count - 4), static_cast<UINT>(IDM_ABOUTBOX));
    EXPECT_EQ(::GetMenuState(menu, count - 5, MF_BYPOSITION) & MF_SEPARATOR, static_cast<UINT>(MF_SEPARATOR));
    const std::pair<const char*, UINT> items[] = {{"Game &history...", IDM_GAME_HISTORY},
                                                  {"&Keep game history", IDM_KEEP_HISTORY},
                                                  {"&Sound when APM is back", IDM_BACK_SOUND}};
    for (int i = 0; i < 3; ++i) {
        ::GetMenuStringA(menu, count - 3 + i, item, sizeof item, MF_BYPOSITION);
        EXPECT_STREQ(item, items[i].first);
        UINT id = ::GetMenuItemID(menu, count - 3 + i);
        EXPECT_EQ(id, items[i].second);
        EXPECT_NE(id & 0xFFF0, static_cast<UINT>(IDM_ABOUTBOX)) << "the About box's rule must not take it";
    }

    EXPECT_NE(dlg->m_hIcon, nullptr);
    EXPECT_NE(dlg->m_hSmallIcon, nullptr);
    EXPECT_EQ(reinterpret_cast<HICON>(dlg->SendMessage(WM_GETICON, ICON_BIG)), dlg->m_hIcon);
    EXPECT_EQ(reinterpret_cast<HICON>(dlg->SendMessage(WM_QUERYDRAGICON)), dlg->m_hIcon);
}

TEST_F(MainWindowTest, GameHistoryOpensTheReportWrittenFirstWhenMissing) {
    std::string path = ReportPath();
    ASSERT_FALSE(ProgramHistory().Folder().empty());
    EXPECT_EQ(path, ProgramHistory().Folder() + "\\report.html") << "beside the history";
    ::DeleteFileA(path.c_str());

    // Chosen from the menu the command comes with the system's low bits set; the About box would block here.
    dlg->SendMessage(WM_SYSCOMMAND, IDM_GAME_HISTORY | 0x3);
    EXPECT_EQ(os.opened, std::vector<std::string>{path});
    std::string page;
    ASSERT_EQ(TheFiles().ReadWhole(path, 1u << 20, &page), 0u);
    EXPECT_NE(page.find("No games yet."), std::string::npos);

    ASSERT_EQ(TheFiles().WriteWhole(path, "kept", Existing::kReplace), 0u);
    dlg->SendMessage(WM_SYSCOMMAND, IDM_GAME_HISTORY);
    EXPECT_EQ(os.opened, (std::vector<std::string>{path, path}));
    ASSERT_EQ(TheFiles().ReadWhole(path, 1u << 20, &page), 0u);
    EXPECT_EQ(page, "kept") << "a report already there is opened as it is";
    EXPECT_EQ(os.warnings, 0);
    ::DeleteFileA(path.c_str());
}

TEST_F(MainWindowTest, GameHistoryThatCannotBeWrittenOrOpenedIsHeardNotShown) {
    std::string path = ReportPath();
    ::DeleteFileA(path.c_str());
    const size_t logged = Log().size();
    // No report and none can be written: nothing is opened, the warning sounds, and no box comes up.
    historyFiles.Fail("WriteWhole", ERROR_DISK_FULL, 1);
    dlg->SendMessage(WM_SYSCOMMAND, IDM_GAME_HISTORY);
    EXPECT_TRUE(os.opened.empty());
    EXPECT_EQ(os.warnings, 1);
    EXPECT_FALSE(TheFiles().Exists(path));
    // Written, but the shell refuses it.
    os.documentFails = true;
    dlg->SendMessage(WM_SYSCOMMAND, IDM_GAME_HISTORY);
    EXPECT_EQ(os.opened, std::vector<std::string>{path});
    EXPECT_EQ(os.warnings, 2);
    // Opened: nothing to hear.
    os.documentFails = false;
    dlg->SendMessage(WM_SYSCOMMAND, IDM_GAME_HISTORY);
    EXPECT_EQ(os.opened.size(), 2u);
    EXPECT_EQ(os.warnings, 2);
    EXPECT_EQ(Log().size(), logged) << "no new line in the event log";
    ::DeleteFileA(path.c_str());
}

TEST_F(MainWindowTest, GameHistoryWritesTheReportAgainWhenGamesWereSavedSinceIt) {
    std::string path = ReportPath();
    ASSERT_EQ(ProgramHistory().MakeFolder(), 0u);
    ASSERT_EQ(TheFiles().WriteWhole(path, "kept", Existing::kReplace), 0u);
    // A game saved with no report after it, as at the last exit or when the report was held.
    GameRecord game;
    game.started = "2026-12-09T04:12:33";
    game.apm = 4321;
    ASSERT_EQ(ProgramHistory().Save(game, {}), 0u);
    dlg->SendMessage(WM_SYSCOMMAND, IDM_GAME_HISTORY);
    EXPECT_EQ(os.opened, std::vector<std::string>{path});
    std::string page;
    ASSERT_EQ(TheFiles().ReadWhole(path, 1u << 20, &page), 0u);
    EXPECT_NE(page.find("4321"), std::string::npos) << "the saved game is in it";

    // Nothing saved since: opened as it is.
    ASSERT_EQ(TheFiles().WriteWhole(path, "kept", Existing::kReplace), 0u);
    SetWriteTime(HistoryPath(), WriteTime(path) - kSecond);
    dlg->SendMessage(WM_SYSCOMMAND, IDM_GAME_HISTORY);
    ASSERT_EQ(TheFiles().ReadWhole(path, 1u << 20, &page), 0u);
    EXPECT_EQ(page, "kept");

    // A row the report lacks, as after a crash between the two or from another run: written again.
    ASSERT_EQ(TheFiles().AppendRow(HistoryPath(), HistoryHead(), HistoryRow(game)), 0u);
    SetWriteTime(HistoryPath(), WriteTime(path) + kSecond);
    ForgetProgramHistory();
    dlg->SendMessage(WM_SYSCOMMAND, IDM_GAME_HISTORY);
    ASSERT_EQ(TheFiles().ReadWhole(path, 1u << 20, &page), 0u);
    EXPECT_NE(page.find("4321"), std::string::npos);
}

TEST_F(MainWindowTest, GameHistorySaysWhenTheHistoryIsOffAndIsWrittenAgainWhenThatChanges) {
    std::string path = ReportPath();
    ASSERT_EQ(ProgramHistory().MakeFolder(), 0u);
    ASSERT_EQ(TheFiles().WriteWhole(path, "kept while on", Existing::kReplace), 0u);
    std::string page;
    dlg->m_bHistory = 0;
    dlg->SendMessage(WM_SYSCOMMAND, IDM_GAME_HISTORY);
    ASSERT_EQ(TheFiles().ReadWhole(path, 1u << 20, &page), 0u);
    EXPECT_NE(page.find("History is off"), std::string::npos) << "the page says why it does not change";

    // Still off: the page that says so is opened as it is.
    const std::string saysOff = std::string("kept, ") + kHistoryOffMark;
    ASSERT_EQ(TheFiles().WriteWhole(path, saysOff, Existing::kReplace), 0u);
    dlg->SendMessage(WM_SYSCOMMAND, IDM_GAME_HISTORY);
    ASSERT_EQ(TheFiles().ReadWhole(path, 1u << 20, &page), 0u);
    EXPECT_EQ(page, saysOff);

    // On again: a page that says it is off is written again.
    dlg->m_bHistory = 1;
    dlg->SendMessage(WM_SYSCOMMAND, IDM_GAME_HISTORY);
    ASSERT_EQ(TheFiles().ReadWhole(path, 1u << 20, &page), 0u);
    EXPECT_EQ(page.find(kHistoryOffMark), std::string::npos);
    EXPECT_NE(page.find("No games yet."), std::string::npos);
    EXPECT_EQ(os.opened.size(), 3u);
    ::DeleteFileA(path.c_str());
}

TEST_F(MainWindowTest, OkNeverClosesAndCancelOrExitOnlyAskToQuit) {
    dlg->SendMessage(WM_COMMAND, IDOK);
    EXPECT_TRUE(::IsWindow(dlg->m_hWnd));
    EXPECT_FALSE(g_bQuit);
    dlg->SendMessage(WM_COMMAND, IDCANCEL);
    EXPECT_TRUE(::IsWindow(dlg->m_hWnd)) << "the running loop ends the window, not the command";
    EXPECT_TRUE(g_bQuit);
    g_bQuit = false;
    dlg->SendMessage(WM_COMMAND, MAKEWPARAM(IDC_EXIT, BN_CLICKED));
    EXPECT_TRUE(g_bQuit);
    g_bQuit = false;
    dlg->SendMessage(WM_SYSCOMMAND, SC_CLOSE);
    PumpMessages();  // the close box becomes a posted cancel
    EXPECT_TRUE(g_bQuit);
    EXPECT_TRUE(::IsWindow(dlg->m_hWnd));
}

TEST_F(MainWindowTest, LogLinesAreStampedCutToFitAndTheNewestIsSelected) {
    for (int i = 0; i < 40; ++i)
        LogLine("Waiting for game...");
    std::string longText(500, 'x');
    LogLine(longText.c_str());
    int count = dlg->m_list.GetCount();
    EXPECT_EQ(count, 41);
    EXPECT_EQ(dlg->m_list.GetCurSel(), count - 1);
    std::string last = static_cast<const char*>(dlg->m_list.GetText(count - 1));
    EXPECT_EQ(last.size(), 127u) << "a 128-byte line with its terminator";
    std::string first = static_cast<const char*>(dlg->m_list.GetText(0));
    ASSERT_EQ(first.size(), 9u + 19u);
    EXPECT_TRUE(isdigit(first[0]) && isdigit(first[1]) && first[2] == ':' && first[5] == ':' && first[8] == ' ')
        << first;
}

TEST_F(MainWindowTest, WarningBoxFollowsTheDisplayBox) {
    ::CheckDlgButton(dlg->m_hWnd, IDC_SHOWAPM, BST_UNCHECKED);
    dlg->SendMessage(WM_COMMAND, MAKEWPARAM(IDC_SHOWAPM, BN_CLICKED));
    EXPECT_FALSE(::IsWindowEnabled(::GetDlgItem(dlg->m_hWnd, IDC_SHOWALERT)));
    EXPECT_EQ(dlg->m_bShowApm, 0);
    ::CheckDlgButton(dlg->m_hWnd, IDC_SHOWAPM, BST_CHECKED);
    dlg->SendMessage(WM_COMMAND, MAKEWPARAM(IDC_SHOWAPM, BN_CLICKED));
    EXPECT_TRUE(::IsWindowEnabled(::GetDlgItem(dlg->m_hWnd, IDC_SHOWALERT)));
}

namespace {

// Draws into a 32-bpp picture of the given size and returns the box around every pixel drawn.
template <class Draw>
RECT InkBox(SIZE size, Draw draw) {
    BITMAPINFO info{};
    info.bmiHeader = {sizeof(BITMAPINFOHEADER), size.cx, -size.cy, 1, 32, BI_RGB, 0, 0, 0, 0, 0};
    void* bits = nullptr;
    HDC dc = ::CreateCompatibleDC(nullptr);
    HBITMAP picture = ::CreateDIBSection(dc, &info, DIB_RGB_COLORS, &bits, nullptr, 0);
    HGDIOBJ old = ::SelectObject(dc, picture);
    const uint32_t background = 0x123456;  // in no pixel of the icon
    auto* pixels = static_cast<uint32_t*>(bits);
    std::fill_n(pixels, size.cx * size.cy, background);
    draw(dc);
    ::GdiFlush();
    RECT box = {size.cx, size.cy, -1, -1};
    for (int y = 0; y < size.cy; ++y)
        for (int x = 0; x < size.cx; ++x)
            if ((pixels[y * size.cx + x] & 0xFFFFFF) != background) {
                box.left = std::min<LONG>(box.left, x);
                box.top = std::min<LONG>(box.top, y);
                box.right = std::max<LONG>(box.right, x + 1);
                box.bottom = std::max<LONG>(box.bottom, y + 1);
            }
    ::SelectObject(dc, old);
    ::DeleteObject(picture);
    ::DeleteDC(dc);
    return box;
}

}  // namespace

TEST_F(MainWindowTest, PaintsItsIconCentredWhileMinimised) {
    // The icon's own ink, drawn at the origin: its corners are transparent.
    RECT own = InkBox({32, 32}, [&](HDC dc) { ::DrawIcon(dc, 0, 0, dlg->m_hIcon); });
    ASSERT_GT(own.right - own.left, 16) << "the icon draws nothing";
    // The paint handler's drawing: the same ink, moved to the middle of the client area.
    for (SIZE client : {SIZE{160, 100}, SIZE{33, 33}, SIZE{101, 64}}) {
        RECT area = {0, 0, client.cx, client.cy};
        RECT ink = InkBox(client, [&](HDC dc) { DrawIconCentred(dc, area, dlg->m_hIcon); });
        LONG x = (client.cx - 32 + 1) / 2, y = (client.cy - 32 + 1) / 2;
        EXPECT_EQ(ink.left, own.left + x) << client.cx << "x" << client.cy;
        EXPECT_EQ(ink.top, own.top + y) << client.cx << "x" << client.cy;
        EXPECT_EQ(ink.right, own.right + x) << client.cx << "x" << client.cy;
        EXPECT_EQ(ink.bottom, own.bottom + y) << client.cx << "x" << client.cy;
    }

    // Minimised, the window's paint handler runs (and validates the window) without recursing.
    dlg->ShowWindow(SW_SHOWNOACTIVATE);
    dlg->ShowWindow(SW_MINIMIZE);
    ASSERT_TRUE(dlg->IsIconic());
    ::InvalidateRect(dlg->m_hWnd, nullptr, TRUE);
    ::UpdateWindow(dlg->m_hWnd);
    EXPECT_FALSE(::GetUpdateRect(dlg->m_hWnd, nullptr, FALSE)) << "the minimised window was left unpainted";
}

TEST_F(MainWindowTest, ASecondStartRestoresTheFirstCopysWindowAndARenamedProgramRunsAlone) {
    EXPECT_TRUE(::GetPropA(dlg->m_hWnd, MainWindowMark().c_str())) << "the main window is marked";
    const std::string name = "VorkelTests/OneCopyTest";
    OneCopy first(name);
    EXPECT_TRUE(first.first());
    EXPECT_FALSE(ShowMarkedWindow(name, 0)) << "no window marked yet";
    HWND window = ::CreateWindowA("STATIC", "first", WS_OVERLAPPEDWINDOW | WS_VISIBLE, 0, 0, 100, 100, nullptr,
                                  nullptr, nullptr, nullptr);
    MarkMainWindow(window, name, true);
    ::ShowWindow(window, SW_MINIMIZE);
    ASSERT_TRUE(::IsIconic(window));
    {
        OneCopy second(name);
        EXPECT_FALSE(second.first());
        EXPECT_TRUE(ShowMarkedWindow(name, 0));
        EXPECT_FALSE(::IsIconic(window));
    }
    EXPECT_TRUE(OneCopy(name + "2").first());
    MarkMainWindow(window, name, false);
    EXPECT_FALSE(ShowMarkedWindow(name, 0));
    ::DestroyWindow(window);
}
