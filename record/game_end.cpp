#include "record/game_end.h"

namespace {

struct EndNames {
    GameEnd end;
    const char* inFile;
    const char* shown;
};

constexpr EndNames kEnds[] = {
    {GameEnd::kGameOver, "game over", "game over"},
    {GameEnd::kStopKey, "F8", "F8"},
    {GameEnd::kGameClosed, "game closed", "game closed"},
    {GameEnd::kQuit, "quit", "Cadro closed"},
};

const EndNames* Find(GameEnd end) {
    for (const EndNames& names : kEnds) {
        if (names.end == end)
            return &names;
    }
    return nullptr;
}

}  // namespace

const char* EndName(GameEnd end) {
    const EndNames* names = Find(end);
    return names ? names->inFile : "";
}

bool EndFromName(const std::string& name, GameEnd* end) {
    for (const EndNames& names : kEnds) {
        if (name == names.inFile) {
            *end = names.end;
            return true;
        }
    }
    return false;
}

const char* EndText(GameEnd end) {
    const EndNames* names = Find(end);
    return names ? names->shown : "?";
}
