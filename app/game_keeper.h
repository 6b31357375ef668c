// The one road from a finished game to the disk: the program's history, then its report. A game that cannot
// be written is said once in the log, after its summary, and waits for the next save.
#pragma once

#include "app/settings.h"
#include "measure/game_sink.h"

class GameKeeper : public GameSink {
public:
    // Installed as the measurement's sink for its life; the report says whether settings keep games.
    explicit GameKeeper(const Settings& settings);
    ~GameKeeper() override;
    GameKeeper(const GameKeeper&) = delete;
    GameKeeper& operator=(const GameKeeper&) = delete;

    void Keep(FinishedGame game) override;
    // At start, exit or the session's end: writes the games still waiting, silently, and the report after
    // them; at exit what cannot be written is kept on disk for the next start.
    void SaveWaiting(bool exiting);

private:
    const Settings& m_settings;
};
