// The benchmark: starts the simulated game, Cadro and the baseline inside one Wine session, watches them
// from outside through a game of some minutes and a series of short games, and prints a markdown table.
// Usage: bench.exe [--game S] [--short-games N] [--short S] [--apm A] [--startup-runs N] [--idle S]
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
#include "tools/bench/launch.h"

namespace {

constexpr DWORD kStepMs = 1000;
constexpr char kSummary[] = " actions)";  // the end of a game's summary line, "APM = %d (%d actions)"

// Start-up to a visible window, the two programs in turn; the first round warms the prefix and is not kept.
void MeasureStartup(BenchResult& r) {
    for (int round = 0; round <= r.options.startupRuns; ++round) {
        for (const Launch* l : {&kCadro, &kBaseline}) {
            Child c;
            HWND w = StartWatched(c, *l);
            if (w && round > 0)
                (l == &kCadro ? r.cadroStartup : r.baselineStartup).push_back(c.startSeconds);
            StopWatched(c, *l);
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
            if (const char* why = WatchStep(cadro_, baseline_, begin, seconds, game_, r_.refocus))
                return Fail(why, what);
            probe_.InjectProbe();
            Sleep(kStepMs);
            probe_.CollectCosts();
        }
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

// The long game and the short ones, each series in a game process of its own (the simulated game plays
// games of one length), with Cadro running throughout and linking again to the second.
void PlayGames(BenchResult& r, Watch& watch, const CadroLog& log, Child& sim) {
    const BenchOptions& o = r.options;
    auto finished = [&log](int n) { return [&log, n] { return log.Count("Game finished") >= n; }; };
    Progress("linking");
    if (!watch.Until([&] { return log.Count("Waiting for game...") > 0; }, 30, "Cadro to link"))
        return;
    watch.TakeUsage();
    if (!watch.Until([&] { return log.Count("Game started") > 0; }, o.idleSeconds + 60, "the long game"))
        return;
    Progress("long game started");
    if (!watch.Until(finished(1), o.gameSeconds + 60, "the end of the long game"))
        return;
    watch.TakeUsage();
    r.firstSummary = log.Last(kSummary);
    Progress("long game finished: %s", r.firstSummary.c_str());
    if (o.shortGames <= 0)
        return;
    sim.Stop(WM_CLOSE, 0);
    Child shortSim;
    HWND game = StartSim(shortSim, o.shortGames, o.shortSeconds, o.apm, 10);
    if (!game)
        return void(r.failure = "the second simulated game did not start");
    watch.SetGame(game);
    if (!watch.Until(finished(1 + o.shortGames), o.shortGames * (o.shortSeconds + 30.0) + 60, "the short games"))
        return;
    watch.TakeUsage();
    Progress("short games finished");
    shortSim.Stop(WM_CLOSE, 0);
}

void MeasureGames(BenchResult& r) {
    Child sim, baseline, cadro;
    // Cadro must find the game when it starts: the game goes first.
    HWND game = StartSim(sim, 1, r.options.gameSeconds, r.options.apm, 10 + r.options.idleSeconds);
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
    StopWatched(cadro, kCadro);
    StopWatched(baseline, kBaseline);
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
    o.idleSeconds = Arg(argc, argv, "--idle", o.idleSeconds);
    Progress("start-up times");
    MeasureStartup(r);
    Progress("games");
    MeasureGames(r);
    std::fputs(FormatTable(r).c_str(), stdout);
    return r.failure.empty() ? 0 : 1;
}
