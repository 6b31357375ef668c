// The benchmark: starts the simulated game, Cadro and the baseline inside one Wine session, watches them
// from outside through a game of some minutes and a series of short games, and prints a markdown table.
// Usage: bench.exe [--game S] [--short-games N] [--short S] [--apm A] [--startup-runs N]
// Progress goes to stderr, the table to stdout; the exit code is 0 when the whole run was measured.
#include <windows.h>

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <functional>
#include <string>

#include "tools/bench/bench.h"
#include "tools/bench/cadro_log.h"
#include "tools/bench/clock.h"
#include "tools/bench/input_probe.h"

namespace {

constexpr WPARAM kExitCommand = 1002;  // Cadro's Exit button
constexpr DWORD kWindowMs = 20000;
constexpr DWORD kStepMs = 1000;
constexpr char kSummary[] = " actions)";  // the end of a game's summary line, "APM = %d (%d actions)"

void Progress(const char* format, const char* text = "") {
    std::fprintf(stderr, "bench: ");
    std::fprintf(stderr, format, text);
    std::fprintf(stderr, "\n");
}

std::string BinDir() {
    char path[MAX_PATH] = "";
    GetModuleFileNameA(nullptr, path, MAX_PATH);
    if (char* slash = std::strrchr(path, '\\'))
        slash[1] = '\0';
    return path;
}

std::string Program(const char* name) { return "\"" + BinDir() + name + "\""; }

// The simulated game playing `games` games of `seconds` each at the given rate: two thirds letter keys,
// one third clicks in the playing field, all of them actions for Cadro. The first game starts late enough
// for Cadro to have linked: a game already under way when it links is not seen.
std::string SimCommand(int games, int seconds, int apm) {
    char args[160];
    std::snprintf(args, sizeof args, " --games %d --start-after 10 --length %d --gap 5 --apm %d --clicks %d", games,
                  seconds, apm - apm / 3, apm / 3);
    return Program("sim.exe") + args;
}

// The game's window covers the screen's top-left corner (640 x 480), where its clicks land: other windows
// go to the right of it, so that no click presses one of their buttons.
void MoveAside(HWND window, int y) {
    SetWindowPos(window, nullptr, 660, y, 0, 0, SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);
}

struct Launch {
    const char* exe;
    const char* windowClass;
    const char* title;
    UINT closeMessage;
    WPARAM closeParam;
};
constexpr Launch kCadro = {"cadro.exe", "#32770", "Cadro!", WM_COMMAND, kExitCommand};
constexpr Launch kBaseline = {"baseline.exe", "#32770", "Baseline", WM_CLOSE, 0};

// Starts the program and waits for its window; null when it did not appear.
HWND StartWatched(Child& c, const Launch& l) {
    return c.Start(Program(l.exe)) ? c.WaitWindow(l.windowClass, l.title, kWindowMs) : nullptr;
}

// Start-up to a visible window, the two programs in turn; the first round warms the prefix and is not kept.
void MeasureStartup(BenchResult& r) {
    for (int round = 0; round <= r.options.startupRuns; ++round) {
        for (const Launch* l : {&kCadro, &kBaseline}) {
            Child c;
            HWND w = StartWatched(c, *l);
            if (w && round > 0)
                (l == &kCadro ? r.cadroStartup : r.baselineStartup).push_back(c.startSeconds);
            c.Stop(l->closeMessage, l->closeParam);
        }
    }
}

int Arg(int argc, char** argv, const char* name, int fallback) {
    for (int i = 1; i + 1 < argc; ++i)
        if (std::strcmp(argv[i], name) == 0)
            return std::atoi(argv[i + 1]);
    return fallback;
}

// The watched run: everything that runs once a second while the games are played.
class Watch {
public:
    Watch(BenchResult& r, Child& cadro, Child& baseline, HWND game, CadroLog& log, InputProbe& probe)
        : r_(r), cadro_(cadro), baseline_(baseline), game_(game), log_(log), probe_(probe) {}

    void SetGame(HWND game) { game_ = game; }

    // Steps until done() holds; false (with the reason kept) when seconds pass first or a program ends.
    bool Until(const std::function<bool()>& done, double seconds, const char* what) {
        int64_t begin = QpcNow();
        for (int step = 0;; ++step) {
            if (step % 2 == 0 && !log_.Poll())
                return Fail("Cadro's window went away", what);
            // Cadro's memory after every game, to tell a step at a relink from a growth per game.
            if (static_cast<size_t>(log_.Count("Game finished")) > r_.perGame.size())
                r_.perGame.push_back(cadro_.Sample());
            if (done())
                return true;
            if (!cadro_.Running() || !baseline_.Running())
                return Fail("a watched program ended", what);
            if (QpcSeconds(QpcNow() - begin) > seconds)
                return Fail("timed out", what);
            // The hook reports only while the game is in front.
            if (GetForegroundWindow() != game_) {
                SetForegroundWindow(game_);
                ++r_.refocus;
            }
            probe_.InjectProbe();
            Sleep(kStepMs);
            probe_.CollectCosts();
        }
    }

    CpuMark Mark() const {
        CpuMark m;
        m.wall = QpcSeconds(QpcNow());
        m.cadro = cadro_.CpuSeconds();
        m.baseline = baseline_.CpuSeconds();
        m.taken = true;
        return m;
    }

    void TakeUsage() {
        r_.cadroUse[r_.usageTaken] = cadro_.Sample();
        r_.baselineUse[r_.usageTaken] = baseline_.Sample();
        ++r_.usageTaken;
    }

private:
    bool Fail(const char* why, const char* what) {
        r_.failure = std::string(why) + " while waiting for " + what;
        Progress("%s", r_.failure.c_str());
        return false;
    }

    BenchResult& r_;
    Child& cadro_;
    Child& baseline_;
    HWND game_;
    CadroLog& log_;
    InputProbe& probe_;
};

// Starts the simulated game and waits for its window; null when it did not appear.
HWND StartSim(Child& sim, int games, int seconds, int apm) {
    return sim.Start(SimCommand(games, seconds, apm)) ? sim.WaitWindow("SWarClass", nullptr, kWindowMs) : nullptr;
}

// The long game and the short ones, each series in a game process of its own (the simulated game plays
// games of one length), with Cadro running throughout and linking again to the second.
void PlayGames(BenchResult& r, Watch& watch, const CadroLog& log, Child& sim) {
    const BenchOptions& o = r.options;
    auto finished = [&log](int n) { return [&log, n] { return log.Count("Game finished") >= n; }; };
    Progress("linking");
    if (!watch.Until([&] { return log.Count("Waiting for game...") > 0; }, 30, "Cadro to link"))
        return;
    watch.TakeUsage();
    if (!watch.Until([&] { return log.Count("Game started") > 0; }, 60, "the long game"))
        return;
    r.gameStart = watch.Mark();
    Progress("long game started");
    if (!watch.Until(finished(1), o.gameSeconds + 60, "the end of the long game"))
        return;
    r.gameEnd = watch.Mark();
    watch.TakeUsage();
    r.firstSummary = log.Last(kSummary);
    Progress("long game finished: %s", r.firstSummary.c_str());
    if (o.shortGames <= 0)
        return;
    sim.Stop(WM_CLOSE, 0);
    Child shortSim;
    HWND game = StartSim(shortSim, o.shortGames, o.shortSeconds, o.apm);
    if (!game)
        return void(r.failure = "the second simulated game did not start");
    watch.SetGame(game);
    if (!watch.Until(finished(1 + o.shortGames), o.shortGames * (o.shortSeconds + 30.0) + 60, "the short games"))
        return;
    r.shortEnd = watch.Mark();
    watch.TakeUsage();
    Progress("short games finished");
    shortSim.Stop(WM_CLOSE, 0);
}

void MeasureGames(BenchResult& r) {
    Child sim, baseline, cadro;
    // Cadro must find the game when it starts: the game goes first.
    HWND game = StartSim(sim, 1, r.options.gameSeconds, r.options.apm);
    HWND base = StartWatched(baseline, kBaseline);
    HWND main = StartWatched(cadro, kCadro);
    InputProbe probe;
    if (!game || !base || !main)
        r.failure = "a window did not appear";
    else if (!probe.Start())
        r.failure = "the bench's own hook could not be installed";
    if (r.failure.empty()) {
        MoveAside(main, 0);
        MoveAside(base, 560);
        SetForegroundWindow(game);
        r.gdiFromTable = !GuiResourcesWork();
        r.cpuFromList = OnWine();
        CadroLog log(main);
        Watch watch(r, cadro, baseline, game, log, probe);
        PlayGames(r, watch, log, sim);
        probe.CollectCosts();
        r.gamesFinished = log.Count("Game finished");
        r.summaries = log.Count(kSummary);
    }
    probe.Stop();
    r.costMicros = probe.CostMicros();
    r.delayMicros = probe.DelayMicros();
    r.probes = probe.probesSent();
    r.posted = probe.posted();
    r.dropped = probe.dropped();
    r.skippedCosts = probe.skippedCosts();
    cadro.Stop(kCadro.closeMessage, kCadro.closeParam);
    baseline.Stop(kBaseline.closeMessage, kBaseline.closeParam);
    sim.Stop(WM_CLOSE, 0);
}

}  // namespace

int main(int argc, char** argv) {
    BenchResult r;
    BenchOptions& o = r.options;
    o.gameSeconds = Arg(argc, argv, "--game", o.gameSeconds);
    o.shortGames = Arg(argc, argv, "--short-games", o.shortGames);
    o.shortSeconds = Arg(argc, argv, "--short", o.shortSeconds);
    o.apm = Arg(argc, argv, "--apm", o.apm);
    o.startupRuns = Arg(argc, argv, "--startup-runs", o.startupRuns);
    Progress("game report");
    MeasureReport(r);
    Progress("start-up times");
    MeasureStartup(r);
    Progress("games");
    MeasureGames(r);
    std::fputs(FormatTable(r).c_str(), stdout);
    return r.failure.empty() ? 0 : 1;
}
