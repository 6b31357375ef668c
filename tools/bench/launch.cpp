#include "tools/bench/launch.h"

#include <cstdio>
#include <cstring>

#include "tools/bench/clock.h"

namespace {

constexpr DWORD kWindowMs = 20000;
constexpr WPARAM kExitCommand = 1002;  // Cadro's Exit button

std::string BinDir() {
    char path[MAX_PATH] = "";
    GetModuleFileNameA(nullptr, path, MAX_PATH);
    if (char* slash = std::strrchr(path, '\\'))
        slash[1] = '\0';
    return path;
}

}  // namespace

const Launch kCadro = {"cadro.exe", "#32770", "Cadro!", WM_COMMAND, kExitCommand};
const Launch kBaseline = {"baseline.exe", "#32770", "Baseline", WM_CLOSE, 0};
const Launch kFloor = {"floor.exe", "#32770", "Floor", WM_CLOSE, 0};

void Progress(const char* format, const char* text) {
    std::fprintf(stderr, "bench: ");
    std::fprintf(stderr, format, text);
    std::fprintf(stderr, "\n");
}

std::string Program(const char* name, const std::string& arguments) {
    return "\"" + BinDir() + name + "\"" + (arguments.empty() ? "" : " " + arguments);
}

HWND StartWatched(Child& c, const Launch& l, const std::string& arguments) {
    return c.Start(Program(l.exe, arguments)) ? c.WaitWindow(l.windowClass, l.title, kWindowMs) : nullptr;
}

void StopWatched(Child& c, const Launch& l) { c.Stop(l.closeMessage, l.closeParam); }

HWND StartSim(Child& sim, int games, int seconds, int apm, int startAfter, const std::string& extra) {
    char args[160];
    std::snprintf(args, sizeof args, "--games %d --start-after %d --length %d --gap 5 --apm %d --clicks %d", games,
                  startAfter, seconds, apm - apm / 3, apm / 3);
    std::string command = Program("sim.exe", args + (extra.empty() ? "" : " " + extra));
    return sim.Start(command) ? sim.WaitWindow("SWarClass", nullptr, kWindowMs) : nullptr;
}

void MoveAside(HWND window, int y) {
    SetWindowPos(window, nullptr, 660, y, 0, 0, SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);
}

const char* WatchStep(const Child& a, const Child& b, int64_t begin, double seconds, HWND game,
                      unsigned long& refocus) {
    if (!a.Running() || !b.Running())
        return "a watched program ended";
    if (QpcSeconds(QpcNow() - begin) > seconds)
        return "timed out";
    if (GetForegroundWindow() != game) {
        SetForegroundWindow(game);
        ++refocus;
    }
    return nullptr;
}
