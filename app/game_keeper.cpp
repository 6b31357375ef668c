#include "app/game_keeper.h"

#include <string>

#include "app/meter_dlg.h"
#include "app/program_history.h"
#include "app/program_report.h"

GameKeeper::GameKeeper(const Settings& settings) : m_settings(settings) { SetGameSink(this); }

GameKeeper::~GameKeeper() {
    GameSink* installed = SetGameSink(nullptr);
    if (installed != this)
        SetGameSink(installed);
}

void GameKeeper::Keep(FinishedGame game) {
    uint32_t error = ProgramHistory().Save(std::move(game.record), std::move(game.samples));
    if (error == 0) {
        WriteProgramReport(m_settings.history != 0);
        return;
    }
    std::string line = "Game not saved: " + SaveFailure(error) + "; kept to retry";
    LogLine(line.c_str());
}

void GameKeeper::SaveWaiting(bool exiting) {
    if (SaveUnsavedGames(exiting))
        WriteProgramReport(m_settings.history != 0);
}
