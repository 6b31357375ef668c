// One side of the CPU comparison, run inside a Wine session of its own: the simulated game plays one game,
// beside it one program (Cadro or the floor) links to it, and the two measured windows, in the game and
// between games, are marked on stdout ("mark game-begin" ... "mark between-end") for the sampler outside
// Wine (cpu_sampler.py). During the windows nothing here talks to the program: the game's own status
// file tells when the game starts and ends, and the only call each second asks whether the game is still
// in front (the hooks report only then). After the windows the checks are printed as "note" lines.
// Usage: cpu_session.exe --program cadro|floor [--window S] [--apm A] [--lines N]
// The exit code is 0 when both windows were measured and the program saw the game end.
#include <windows.h>

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <fstream>
#include <string>

#include "tools/bench/cadro_log.h"
#include "tools/bench/clock.h"
#include "tools/bench/launch.h"

namespace {

constexpr int kStartAfter = 10;  // the game's start, seconds after its launch
constexpr int kSettle = 5;       // from the game's start (and end) to its window: the banner, the clears
constexpr int kBetweenSettle = 10;  // Cadro writes its history when the game ends

int Arg(int argc, char** argv, const char* name, int fallback) {
    for (int i = 1; i + 1 < argc; ++i)
        if (std::strcmp(argv[i], name) == 0)
            return std::atoi(argv[i + 1]);
    return fallback;
}

const char* TextArg(int argc, char** argv, const char* name, const char* fallback) {
    for (int i = 1; i + 1 < argc; ++i)
        if (std::strcmp(argv[i], name) == 0)
            return argv[i + 1];
    return fallback;
}

void Say(const char* kind, const std::string& text) {
    std::printf("%s %s\n", kind, text.c_str());
    std::fflush(stdout);
}

// The line number (from 1) of the first line of the game's status file after line `after` that holds
// text, or 0.
int StatusLine(const std::string& path, const char* text, int after = 0) {
    std::ifstream in(path);
    std::string line;
    for (int n = 1; std::getline(in, line); ++n)
        if (n > after && line.find(text) != std::string::npos)
            return n;
    return 0;
}

class Session {
public:
    Session(Child& program, Child& sim, HWND game) : program_(program), sim_(sim), game_(game) {}

    // Waits, a second at a time, until done() holds or the seconds pass; false (with the reason kept)
    // when they pass first or a program ends.
    template <class Done>
    bool Until(Done done, double seconds, const char* what) {
        int64_t begin = QpcNow();
        for (;;) {
            if (done())
                return true;
            if (const char* why = WatchStep(program_, sim_, begin, seconds, game_, refocus))
                return Fail(why, what);
            Sleep(1000);
        }
    }

    // Waits the seconds out; false when a program ends meanwhile.
    bool Wait(double seconds, const char* what) {
        int64_t begin = QpcNow();
        return Until([&] { return QpcSeconds(QpcNow() - begin) >= seconds; }, seconds + 60, what);
    }

    std::string failure;
    unsigned long refocus = 0;

private:
    bool Fail(const char* why, const char* what) {
        failure = std::string(why) + " while waiting for " + what;
        Progress("%s", failure.c_str());
        return false;
    }

    Child& program_;
    Child& sim_;
    HWND game_;
};

// One measured window, marked at both ends.
bool Window(Session& s, const std::string& name, int seconds) {
    Say("mark", name + "-begin");
    if (!s.Wait(seconds, (name + " window").c_str()))
        return false;
    Say("mark", name + "-end");
    return true;
}

// The game and the two windows; false when they were not all had.
bool Play(Session& s, const std::string& status, int window) {
    auto seen = [&status](const char* text) { return [&status, text] { return StatusLine(status, text) > 0; }; };
    if (!s.Until(seen("game 1 started"), kStartAfter + 60, "the game's start") || !s.Wait(kSettle, "the game"))
        return false;
    if (!Window(s, "game", window))
        return false;
    return s.Until(seen("game 1 ended"), kSettle + 60, "the game's end") && s.Wait(kBetweenSettle, "the game's end") &&
           Window(s, "between", window);
}

}  // namespace

int main(int argc, char** argv) {
    std::string which = TextArg(argc, argv, "--program", "cadro");
    int window = Arg(argc, argv, "--window", 600);
    int apm = Arg(argc, argv, "--apm", 300);
    int lines = Arg(argc, argv, "--lines", 1);
    const Launch& launch = which == "floor" ? kFloor : kCadro;
    char folder[MAX_PATH] = "";
    GetTempPathA(MAX_PATH, folder);
    std::string status = std::string(folder) + "cpu_session_game.txt";
    DeleteFileA(status.c_str());

    Child sim, program;
    // The game goes first: a program finds it at once and links without the 2 s wait for a new game.
    int length = kSettle + window + kSettle;
    HWND game = StartSim(sim, 1, length, apm, kStartAfter, "--status \"" + status + "\"");
    HWND shown = game ? StartWatched(program, launch, which == "floor" ? "--lines " + std::to_string(lines) : "")
                     : nullptr;
    bool ok = game && shown;
    Session s(program, sim, game);
    if (ok) {
        MoveAside(shown, 0);
        SetForegroundWindow(game);
        Progress("%s: playing", launch.exe);
        ok = Play(s, status, window);
    } else {
        s.failure = "a window did not appear";
    }
    // The checks, outside the windows. A program that cleared the game's marks after the game ended had
    // recognised its start and seen its end.
    int ended = StatusLine(status, "game 1 ended");
    bool sawEnd = ended && StatusLine(status, "slotB cleared", ended) > 0;
    Say("note", std::string("the program saw the game end: ") + (sawEnd ? "yes" : "no"));
    Say("note", "the game was brought back to the front " + std::to_string(s.refocus) + " times");
    if (shown && &launch == &kCadro) {
        CadroLog log(shown);
        std::string summary = log.Poll() ? log.Last(" actions)") : "";
        Say("note", "Cadro's log: " + std::to_string(log.Count("Game finished")) + " game finished, summary " +
                        (summary.empty() ? "none (a game shorter than 80 s has none)" : "\"" + summary + "\""));
    }
    if (!s.failure.empty())
        Say("note", "stopped early: " + s.failure);
    StopWatched(program, launch);
    sim.Stop(WM_CLOSE, 0);
    return ok && sawEnd ? 0 : 1;
}
