// The program's main loop: search for the game, open and hook it, measure game after game.
#include "app/meter_dlg.h"
#include "app/res/resource.h"
#include "link/link.h"
#include "link/os.h"

namespace {

constexpr uint32_t kSearchStep = 250;
constexpr uint32_t kSettle = 2000;
constexpr uint32_t kRetryPause = 2000;

// Says why the open failed, when the reason is one the player can mend, once for each game window (a
// restarted game is a new process): the attempts every 2 s would otherwise repeat it.
void ExplainFailedOpen(HWND game, DWORD processId, DWORD error) {
    static HWND explainedWindow = nullptr;
    static DWORD explainedProcess = 0;
    // A program that is not elevated cannot open one that is.
    if (error != ERROR_ACCESS_DENIED || (game == explainedWindow && processId == explainedProcess))
        return;
    explainedWindow = game;
    explainedProcess = processId;
    LogLine("BW runs as administrator: start Cadro the same way");
}

// Waits ms in steps of kSearchStep, keeping the window alive; false as soon as the user quits.
bool PauseResponsive(uint32_t ms) {
    for (uint32_t waited = 0; waited < ms; waited += kSearchStep) {
        PumpMessages();
        if (g_bQuit)
            return false;
        TheOs().Sleep(kSearchStep);
    }
    return !g_bQuit;
}

// Finds the game window and opens its process, giving the window in window. Null when the user quit or the
// open failed.
HANDLE OpenGame(HWND* window) {
    Os& os = TheOs();
    bool waited = false;
    for (;;) {
        HWND game = os.FindGameWindow();
        while (!game) {
            if (g_bQuit)
                return nullptr;
            PumpMessages();
            if (g_bQuit)
                return nullptr;  // noticed at once, not a step later
            waited = true;
            os.Sleep(kSearchStep);
            game = os.FindGameWindow();
        }
        if (g_bQuit)
            return nullptr;
        // A game that has only just appeared needs a moment before its memory means anything.
        if (waited && !PauseResponsive(kSettle))
            return nullptr;
        DWORD processId = os.WindowProcessId(game);
        DWORD error = 0;
        HANDLE process = processId ? os.OpenGameProcess(processId, &error) : nullptr;
        if (!process) {
            LogLine("Can't link to BW");
            ExplainFailedOpen(game, processId, error);
            // Retrying at once would spin and flood the log while the open keeps failing.
            PauseResponsive(kRetryPause);
            return nullptr;
        }
        // The game may have exited between the search and the open, and its id been reused: never
        // write into a process that is not the window's.
        if (os.WindowProcessId(game) == processId) {
            *window = game;
            return process;
        }
        os.CloseProcess(process);
        waited = true;
    }
}

}  // namespace

bool RunGameLink(HWND mainWindow) {
    HWND game = nullptr;
    HANDLE process = OpenGame(&game);
    if (!process)
        return false;
    Os& os = TheOs();
    ClearGameMarks(process);
    os.SetInputHook(true, mainWindow);
    os.PlaceOverlayOver(game);
    bool again = true;
    while (again && !g_bQuit) {
        try {
            LogLine("Waiting for game...");
            again = g_pMainDlg && g_pMainDlg->MeasureGame(process);
        } catch (...) {
            again = false;  // ends the link as if the game had closed
            os.ClearOverlay();  // the measurement's own clear was skipped
        }
    }
    os.SetInputHook(false, nullptr);
    os.PlaceOverlayOver(nullptr);  // the handle may soon name another window
    os.CloseProcess(process);
    return true;
}

void CMeterDlg::StartLink() {
    // A 0x8EB posted by another program while the link runs must not start a second one inside it.
    static bool running = false;
    if (running)
        return;
    running = true;
    if (!TheOs().FindGameWindow())
        LogLine("Please start BW");
    UpdateData(TRUE);
    CWnd* start = GetDlgItem(IDC_START);
    start->EnableWindow(FALSE);
    RunGameLink(m_hWnd);
    start->EnableWindow(TRUE);
    LogLine("BW Closed");
    running = false;
    if (g_bQuit) {
        CDialog::OnCancel();
        return;
    }
    PostMessage(WM_START_LINK);
}
