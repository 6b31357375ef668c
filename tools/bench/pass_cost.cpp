// Where a pass of Cadro's loops spends its time, call by call, measured apart from the benchmark's run:
// each call Cadro's code makes on a pass (the counts per pass were read off a call trace of Cadro in a
// game under Wine), timed many times here against a second process standing in for the game.
// Usage: pass_cost.exe [--calls N]; prints markdown table rows. (pass_cost.exe --child is the stand-in.)
#include <windows.h>

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>
#include <vector>

#include "measure/overlay.h"
#include "tools/bench/clock.h"
#include "tools/bench/floor_overlay.h"
#include "tools/bench/stats.h"

namespace {

template <class Step>
double MedianMicros(int calls, Step step) {
    std::vector<double> micros;
    for (int i = 0; i < calls; ++i) {
        int64_t begin = QpcNow();
        step(i);
        micros.push_back(QpcSeconds(QpcNow() - begin) * 1e6);
    }
    return Percentile(micros, 50);
}

struct Call {
    const char* what;
    double perPass;  // Cadro's calls per 250 ms pass in a game
    double floorPerPass;  // the design floor's
    double micros = 0;
};

void Drain() {
    MSG msg;
    while (PeekMessageA(&msg, nullptr, 0, 0, PM_REMOVE))
        DispatchMessageA(&msg);
}

}  // namespace

int main(int argc, char** argv) {
    if (argc > 1 && std::strcmp(argv[1], "--child") == 0) {
        Sleep(INFINITE);
        return 0;
    }
    int calls = 2000;
    for (int i = 1; i + 1 < argc; ++i)
        if (std::strcmp(argv[i], "--calls") == 0)
            calls = std::atoi(argv[i + 1]);

    // The stand-in game: a process of its own, opened with Cadro's rights.
    char self[MAX_PATH];
    GetModuleFileNameA(nullptr, self, MAX_PATH);
    std::string command = std::string("\"") + self + "\" --child";
    STARTUPINFOA startup{};
    startup.cb = sizeof startup;
    PROCESS_INFORMATION child{};
    if (!CreateProcessA(nullptr, &command[0], nullptr, nullptr, FALSE, 0, nullptr, nullptr, &startup, &child))
        return 1;
    HANDLE game = OpenProcess(SYNCHRONIZE | PROCESS_VM_OPERATION | PROCESS_VM_READ | PROCESS_VM_WRITE, FALSE,
                              child.dwProcessId);
    // Any readable place of the child: its image's first page, at the same address as ours.
    const void* place = GetModuleHandleA(nullptr);

    DrawOverlayText("APM = 250 (300) ", 0);
    HWND surface = FindWindowA("CadroOverlay", nullptr);
    const char* lines[] = {"APM = 250 (301) ", "APM = 251 (302) "};

    std::vector<Call> table = {
        {"WaitForSingleObject on the game (its own work, without the wait)", 1, 1},
        {"ReadProcessMemory of the end word", 1, 1},
        {"GetAsyncKeyState(VK_F8)", 1, 1},
        {"PeekMessage, nothing pending", 2.5, 2.5},
        {"GetTickCount", 3.4, 1},
        {"Dispatching a key report (posted, peeked, dispatched)", 1.5, 1.5},
        {"GetWindow over the overlay (keeping it on top)", 1, 0},
        {"A changed frame: fill and one line, then the next PeekMessage", 0.74, 0},
        {"The floor's line: a DC got, one line, the DC released, then the next PeekMessage", 0, 1},
    };
    table[0].micros = MedianMicros(calls, [&](int) { WaitForSingleObject(game, 0); });
    table[1].micros = MedianMicros(calls, [&](int) {
        DWORD word = 0;
        SIZE_T got = 0;
        ReadProcessMemory(game, place, &word, sizeof word, &got);
    });
    table[2].micros = MedianMicros(calls, [](int) { GetAsyncKeyState(VK_F8); });
    table[3].micros = MedianMicros(calls, [](int) {
        MSG msg;
        PeekMessageA(&msg, nullptr, 0, 0, PM_REMOVE);
    });
    table[4].micros = MedianMicros(calls, [](int) { GetTickCount(); });
    table[5].micros = MedianMicros(calls, [&](int) {
        PostMessageA(surface, WM_NULL, 0, 0);
        Drain();
    });
    table[6].micros = MedianMicros(calls, [&](int) { GetWindow(surface, GW_HWNDPREV); });
    table[7].micros = MedianMicros(calls / 4, [&](int i) {
        DrawOverlayText(lines[i % 2], 0);
        Drain();
    });
    if (MakeFloorOverlay())
        table[8].micros = MedianMicros(calls / 4, [&](int i) {
            DrawFloorLine(lines[i % 2], 0);
            Drain();
        });

    double cadro = 0, floor = 0;
    std::printf("| call on a pass in a game | µs a call (median of %d) | Cadro, calls a pass | floor, calls a pass |"
                " Cadro, µs a pass |\n|---|---|---|---|---|\n", calls);
    for (const Call& c : table) {
        std::printf("| %s | %.1f | %.2f | %.2f | %.1f |\n", c.what, c.micros, c.perPass, c.floorPerPass,
                    c.micros * c.perPass);
        cadro += c.micros * c.perPass;
        floor += c.micros * c.floorPerPass;
    }
    std::printf("| All of them, a pass | | | | Cadro %.1f µs, floor %.1f µs: %.2f× |\n", cadro, floor,
                floor > 0 ? cadro / floor : 0);
    ClearOverlaySurface();
    DestroyOverlaySurface();
    TerminateProcess(child.hProcess, 0);
    CloseHandle(child.hThread);
    CloseHandle(child.hProcess);
    CloseHandle(game);
    return 0;
}
