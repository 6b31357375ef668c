// What the overlay costs a tick, measured apart from the benchmark's run: the overlay's own surface and a
// top-most window of this process over its corner, as a full-screen game's. Wine sends a surface's drawing
// to the display at the next message peek that finds nothing, so a tick's cost is measured up to that.
// Usage: overlay_cost.exe [--calls N]; one line per measure on stdout.
#include <windows.h>

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <vector>

#include "link/os.h"
#include "measure/overlay.h"
#include "measure/overlay_painter.h"
#include "tools/bench/clock.h"
#include "tools/bench/stats.h"

namespace {

void Report(const char* what, const std::vector<double>& micros) {
    std::printf("%s: median %.1f us, p99 %.1f us, max %.1f us (%zu calls)\n", what, Percentile(micros, 50),
                Percentile(micros, 99), Percentile(micros, 100), micros.size());
}

// Process CPU time so far, in microseconds.
double CpuMicros() {
    FILETIME created, exited, kernel, user;
    ::GetProcessTimes(::GetCurrentProcess(), &created, &exited, &kernel, &user);
    auto micros = [](const FILETIME& t) {
        return static_cast<double>((static_cast<uint64_t>(t.dwHighDateTime) << 32) | t.dwLowDateTime) / 10.0;
    };
    return micros(kernel) + micros(user);
}

void Drain() {
    MSG msg;
    while (::PeekMessageA(&msg, nullptr, 0, 0, PM_REMOVE))
        ::DispatchMessageA(&msg);
}

template <class Step>
std::vector<double> Time(int calls, Step step) {
    std::vector<double> micros;
    for (int i = 0; i < calls; ++i) {
        int64_t begin = QpcNow();
        step(i);
        micros.push_back(QpcSeconds(QpcNow() - begin) * 1e6);
    }
    return micros;
}

// The ticks of a game at about 300 APM with the timer on: the short-term number changes on three ticks in
// four (its width with it now and then), the timer once a second.
void GameTicks(int calls) {
    OverlayPainter painter;
    char line[64], timer[16];
    auto tick = [&](int i) {
        int changes = i - (i + 1) / 4;
        int recent = 280 + changes * 7 % 40;
        std::snprintf(line, sizeof line, "APM = %03d (%03d) ", 250 + i / 240 % 10, recent);
        std::snprintf(timer, sizeof timer, "00:%02d:%02d", i / 240 % 60, i / 4 % 60);
        painter.Show(TheOs(), line, timer);
        Drain();
    };
    double cpu = CpuMicros();
    std::vector<double> micros = Time(calls, tick);
    cpu = CpuMicros() - cpu;
    Report("a game's tick: its frame shown and the message peek", micros);
    std::printf("a game's tick: %.1f us of this process's CPU on average\n", cpu / calls);
}

}  // namespace

int main(int argc, char** argv) {
    int calls = 2000;
    for (int i = 1; i + 1 < argc; ++i)
        if (std::strcmp(argv[i], "--calls") == 0)
            calls = std::atoi(argv[i + 1]);
    DrawOverlayText("APM = 250 (300) ", 0);
    HWND game = ::CreateWindowExA(WS_EX_TOPMOST | WS_EX_TOOLWINDOW, "STATIC", "game", WS_POPUP, 0, 0, 640, 480,
                                  nullptr, nullptr, nullptr, nullptr);
    // The overlay is raised only above the game in front.
    ::ShowWindow(game, SW_SHOW);
    ::SetForegroundWindow(game);
    PlaceOverlayOver(game);
    // The clock each raise is given: far enough apart that none is held back.
    uint32_t now = 0;
    RaiseOverlaySurface(now);

    // What a tick asks to follow the game to another monitor, and what it no longer asks.
    RECT where;
    Report("the game's place, asked on every tick", Time(calls, [&](int) { TheOs().WindowRect(game, &where); }));
    Report("the game's monitor, asked when it moved", Time(calls, [&](int) { TheOs().WindowMonitor(game); }));
    Report("keep on top, already on top (the usual tick)", Time(calls, [&](int) {
               now += kOverlayRaiseGap;
               RaiseOverlaySurface(now);
           }));
    std::vector<double> raised;
    for (int i = 0; i < calls / 10; ++i) {
        ::SetWindowPos(game, HWND_TOPMOST, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE | SWP_NOACTIVATE);
        now += kOverlayRaiseGap;
        std::vector<double> one = Time(1, [&](int) { RaiseOverlaySurface(now); });
        raised.push_back(one[0]);
    }
    Report("keep on top, after the game raised itself", raised);
    // What an unchanged tick no longer spends: the frame's fill and two lines.
    Report("one frame drawn (line and timer)", Time(calls / 10, [](int i) {
               DrawOverlayText(i % 2 ? "APM = 250 (300) " : "APM = 251 (300) ", 0);
               DrawOverlayText("00:10:00", kOverlayTimerRow);
           }));
    ClearOverlaySurface();
    GameTicks(calls);
    PlaceOverlayOver(nullptr);
    ::DestroyWindow(game);
    DestroyOverlaySurface();
    return 0;
}
