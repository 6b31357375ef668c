#include "history/program_history.h"

#include <memory>

#include "app/meter_dlg.h"
#include "report/report_file.h"
#include "util/text_encoding.h"

namespace {

std::unique_ptr<HistoryStore> g_store;

}  // namespace

GameEnd HowGameEnded(uint32_t alive) {
    if (alive == 0)
        return GameEnd::kGameClosed;
    if (g_bQuit)
        return GameEnd::kQuit;
    return g_bStop ? GameEnd::kStopKey : GameEnd::kGameOver;
}

HistoryStore& ProgramHistory() {
    if (!g_store) {
        // Named like the profile's key, so a renamed copy of the program keeps a history of its own.
        CWinApp* app = AfxGetApp();
        std::vector<std::string> folders;
        if (app)
            folders = {AnsiToUtf8(static_cast<const char*>(app->m_strRegistryKey)),
                       AnsiToUtf8(static_cast<const char*>(app->m_strAppName))};
        g_store = std::make_unique<HistoryStore>(std::move(folders));
    }
    return *g_store;
}

void ForgetProgramHistory() { g_store.reset(); }

void SaveFinishedGame(GameRecorder& recorder) {
    GameRecord record;
    std::vector<Sample> samples;
    if (!recorder.Take(&record, &samples))
        return;
    uint32_t error = ProgramHistory().Save(std::move(record), std::move(samples));
    if (error == 0) {
        WriteProgramReport();  // the report follows every saved game
        return;
    }
    std::string line = "Game not saved: " + SaveFailure(error) + "; kept to retry";
    LogLine(line.c_str());
}

void SaveUnsavedGames() {
    if (g_store)
        g_store->SaveWaiting();
}
