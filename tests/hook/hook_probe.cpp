// Test program for ravik.dll: shows a window of the game's class and a plain second window, hooks for a
// hidden target window of its own and answers each command line on stdin with one JSON line on stdout:
//   install N (target 1 or 2) | remove | front game|other | front-quiet game|other (not waiting for the
//   hook to see it) | deaf (the hook hears of no foreground change) | move X Y [notice] (the game's window)
//   inject key|down|up VK | inject click X Y (game client) | kill N (destroy target N) | lose [quiet] | stall | release
//   reinstall | drop keyboard|mouse (that hook alone is lost) | wiggle | type (moves the mouse, or presses keys,
//   until the hooks are put back)
//   stats | wait ups|downs|reinstalls|quiet N [MS] | take | quit
//   stream N MS [R] (N presses, keys and clicks, spread over MS milliseconds; a reinstall asked before every
//   Rth)
// Its windows count the input they receive, so the driver can wait until an event has passed the hooks
// (the hooks run before the input is queued, and posted reports are taken before input).
#include <windows.h>

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>
#include <vector>

#include "hook/ravik_test.h"

namespace {

constexpr UINT kCommand = WM_APP + 1;  // a thread message carrying a malloc'ed line
constexpr int kClientW = 640, kClientH = 480;

struct Report {
    int target;
    UINT message;
    WPARAM wParam;
    LPARAM lParam;
};

HWND g_game, g_other, g_target[2];
std::vector<Report> g_reports;
int g_ups, g_downs;
bool g_installed;  // the library's view of the foreground can be waited for
HANDLE g_stall;    // holds the hook thread while it is stalled

LRESULT CALLBACK InputProc(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam) {
    switch (msg) {
    case WM_KEYDOWN:
    case WM_SYSKEYDOWN:
        ++g_downs;
        return 0;  // no DefWindowProc: Alt would enter menu mode and swallow the next input
    case WM_KEYUP:
    case WM_SYSKEYUP:
    case WM_LBUTTONUP:
    case WM_RBUTTONUP:
    case WM_MBUTTONUP:
        ++g_ups;
        return 0;
    case WM_SYSCHAR:
    case WM_CHAR:
        return 0;
    }
    return DefWindowProcA(hwnd, msg, wParam, lParam);
}

LRESULT CALLBACK TargetProc(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam) {
    if (msg == 0x8E8 || msg == 0x8E9) {
        g_reports.push_back({static_cast<int>(GetWindowLongPtrA(hwnd, GWLP_USERDATA)), msg, wParam, lParam});
        return 0;
    }
    return DefWindowProcA(hwnd, msg, wParam, lParam);
}

HWND MakeWindow(const char* cls, WNDPROC proc, DWORD style, int x, int y, int w, int h) {
    WNDCLASSA wc{};
    wc.lpfnWndProc = proc;
    wc.hInstance = GetModuleHandleA(nullptr);
    wc.hbrBackground = static_cast<HBRUSH>(GetStockObject(WHITE_BRUSH));
    wc.hCursor = LoadCursor(nullptr, IDC_ARROW);
    wc.lpszClassName = cls;
    RegisterClassA(&wc);
    RECT r{0, 0, w, h};
    AdjustWindowRect(&r, style, FALSE);
    return CreateWindowA(cls, cls, style, x, y, r.right - r.left, r.bottom - r.top, nullptr, nullptr,
                         wc.hInstance, nullptr);
}

// Milliseconds on the performance counter: GetTickCount moves in 16 ms steps, too coarse to pace input.
double Now() {
    static LARGE_INTEGER frequency;
    if (!frequency.QuadPart)
        QueryPerformanceFrequency(&frequency);
    LARGE_INTEGER t;
    QueryPerformanceCounter(&t);
    return 1000.0 * static_cast<double>(t.QuadPart) / static_cast<double>(frequency.QuadPart);
}

// Handles pending window messages for up to ms, leaving the next command queued. Wakes at least every
// 10 ms, as done may also wait for the hook thread's counters.
template <class Done>
bool PumpUntil(Done done, double ms) {
    double end = Now() + ms;
    for (;;) {
        MSG msg;
        while (PeekMessageA(&msg, nullptr, 0, WM_APP, PM_REMOVE))
            DispatchMessageA(&msg);
        if (done())
            return true;
        double left = end - Now();
        if (left <= 0)
            return false;
        MsgWaitForMultipleObjects(0, nullptr, FALSE, left < 10 ? static_cast<DWORD>(left) + 1 : 10, QS_ALLINPUT);
    }
}

const RavikStats& Stats() {
    static RavikStats s;  // about 4 KB
    RavikGetStats(&s);
    return s;
}

// The counters the driver can wait for: the probe windows' own and the library's.
long Counter(const char* name) {
    if (!std::strcmp(name, "ups"))
        return g_ups;
    if (!std::strcmp(name, "downs"))
        return g_downs;
    if (!std::strcmp(name, "reinstalls"))
        return static_cast<long>(Stats().reinstalls);
    if (!std::strcmp(name, "quiet"))
        return Stats().checking ? 0 : 1;
    return -1;
}

POINT ClientOrigin(HWND hwnd) {
    POINT pt{0, 0};
    ClientToScreen(hwnd, &pt);
    return pt;
}

void Reply(const char* text) {
    std::printf("%s\n", text);
    std::fflush(stdout);
}

void ReplyOk(bool ok) { Reply(ok ? "{\"ok\": true}" : "{\"ok\": false}"); }

// Waits until the hook thread, too, has seen the change, so that the next input meets its new view.
bool BringToFront(HWND hwnd) {
    ShowWindow(hwnd, SW_SHOW);
    SetForegroundWindow(hwnd);
    DWORD game = hwnd == g_game;
    auto seen = [hwnd, game] {
        return GetForegroundWindow() == hwnd && (!g_installed || Stats().gameInFront == game);
    };
    return PumpUntil(seen, 3000);
}

// Moves the game's window, telling the hook's window events of it or not, and waits until the hook thread
// knows its new client origin. Replies with that origin.
void Move(int x, int y, bool notice) {
    SetWindowPos(g_game, nullptr, x, y, 0, 0, SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);
    if (notice)
        NotifyWinEvent(EVENT_OBJECT_LOCATIONCHANGE, g_game, OBJID_WINDOW, CHILDID_SELF);
    POINT pt = ClientOrigin(g_game);
    bool known = PumpUntil(
        [pt] {
            const RavikStats& s = Stats();
            return s.originX == pt.x && s.originY == pt.y;
        },
        5000);
    std::printf("{\"ok\": %s, \"game\": [%ld, %ld]}\n", known ? "true" : "false", pt.x, pt.y);
    std::fflush(stdout);
}

void Inject(INPUT* inputs, UINT count) { SendInput(count, inputs, sizeof(INPUT)); }

void InjectKeys(WORD vk, bool down, bool up) {
    INPUT in[2]{};
    UINT n = 0;
    if (down)
        in[n++].ki.dwFlags = 0;
    if (up)
        in[n++].ki.dwFlags = KEYEVENTF_KEYUP;
    for (INPUT& i : in) {
        i.type = INPUT_KEYBOARD;
        i.ki.wVk = vk;
    }
    Inject(in, n);
}

void InjectKey(WORD vk) { InjectKeys(vk, true, true); }

void InjectClick(int x, int y, bool right = false) {
    POINT pt = ClientOrigin(g_game);
    SetCursorPos(pt.x + x, pt.y + y);
    INPUT in[2]{};
    for (INPUT& i : in)
        i.type = INPUT_MOUSE;
    in[0].mi.dwFlags = right ? MOUSEEVENTF_RIGHTDOWN : MOUSEEVENTF_LEFTDOWN;
    in[1].mi.dwFlags = right ? MOUSEEVENTF_RIGHTUP : MOUSEEVENTF_LEFTUP;
    Inject(in, 2);
}

// Sends press i of a stream and returns the report it should bring (target left 0): keys cycling through
// 36 distinct ones, so no two neighbours share a key, and every fourth press a click, left and right in
// turn, spread over the client area.
Report StreamPress(int i) {
    static const char kKeys[] = "ABCDEFGHIJKLMNOPQRSTUVWXYZ0123456789";
    if (i % 4 != 3) {
        WORD vk = static_cast<WORD>(kKeys[(i - i / 4) % 36]);  // the keys before it: i less the clicks
        InjectKey(vk);
        return {0, 0x8E8, vk, 0};
    }
    int x = i * 37 % kClientW, y = i * 53 % kClientH;
    bool right = i / 4 % 2 != 0;
    InjectClick(x, y, right);
    return {0, 0x8E9, right ? RAVIK_RIGHT : RAVIK_LEFT, MAKELPARAM(x, y)};
}

// Sends count presses spread evenly over ms and waits for each at the probe's windows before the next. With
// every > 0, asks the hook thread to reinstall its hooks before every such press, the press following the
// request after 0 to 175 us in turn, so that some meet the reinstall on the hook thread. Replies with the
// reports they should bring and the number of reinstalls asked for.
void Stream(int count, double ms, int every) {
    std::string sent;
    char item[64];
    int ups = g_ups, done = 0, asked = 0;
    double start = Now();
    for (; done < count; ++done) {
        PumpUntil([] { return false; }, start + ms * done / count - Now());  // pacing only
        if (every > 0 && done % every == every - 1) {
            asked += RavikTestReinstall() ? 1 : 0;
            for (double until = Now() + asked % 8 * 0.025; Now() < until;) {
            }
        }
        Report r = StreamPress(done);
        if (!PumpUntil([ups, done] { return g_ups > ups + done; }, 5000))
            break;
        std::snprintf(item, sizeof item, "%s[%u, %llu, %llu]", done ? ", " : "", r.message,
                      static_cast<unsigned long long>(r.wParam), static_cast<unsigned long long>(r.lParam));
        sent += item;
    }
    std::printf("{\"ok\": %s, \"ms\": %.0f, \"sent\": [%s], \"asked\": %d}\n", done == count ? "true" : "false",
                Now() - start, sent.c_str(), asked);
    std::fflush(stdout);
}

// Drops both hooks as the system does, at input the hooks saw (a key whose report is left out), then keeps
// pressing keys (A, B, C, ...), each once it has passed the hooks' place and reached the probe's window,
// until the hook thread has put in fresh hooks. Replies with the keys pressed. quietFirst: the presses start
// only once the check has found a pass without input, as after a pause in play.
void Lose(bool quietFirst) {
    long reinstalls = Counter("reinstalls");
    size_t reports = g_reports.size();
    int seen = g_ups;
    InjectKey(VK_F9);
    PumpUntil([seen] { return g_ups > seen; }, 5000);
    g_reports.resize(reports);
    RavikTestDropHooks();
    bool quiet = !quietFirst || PumpUntil([] { return Counter("quiet") > 0; }, 10000);
    std::string keys;
    bool back = false;
    for (int i = 0; i < 300 && quiet && !back; ++i) {
        WORD vk = static_cast<WORD>('A' + i % 26);
        int ups = g_ups;
        InjectKey(vk);
        if (!PumpUntil([ups] { return g_ups > ups; }, 5000))
            break;
        keys += (i ? ", " : "") + std::to_string(vk);
        // The pause paces the presses; what ends the loop is the count.
        back = PumpUntil([reinstalls] { return Counter("reinstalls") > reinstalls; }, 50);
    }
    std::printf("{\"ok\": %s, \"keys\": [%s]}\n", back ? "true" : "false", keys.c_str());
    std::fflush(stdout);
}

// Makes input, a step every 20 ms, until the hook thread has put in fresh hooks (15 s at most). Replies with
// the steps made.
template <class Step>
void UntilPutBack(Step step) {
    long reinstalls = Counter("reinstalls");
    int steps = 0;
    bool back = false;
    for (; steps < 750 && !back; ++steps) {
        step(steps);
        back = PumpUntil([reinstalls] { return Counter("reinstalls") > reinstalls; }, 20);
    }
    std::printf("{\"ok\": %s, \"steps\": %d}\n", back ? "true" : "false", steps);
    std::fflush(stdout);
}

void ReplyStats() {
    const RavikStats& s = Stats();
    std::printf("{\"posted\": %lu, \"dropped\": %lu, \"reinstalls\": %lu, \"checking\": %lu, \"events\": %lu, "
                "\"frequency\": %lld, \"cost\": [",
                static_cast<unsigned long>(s.posted), static_cast<unsigned long>(s.dropped),
                static_cast<unsigned long>(s.reinstalls), static_cast<unsigned long>(s.checking),
                static_cast<unsigned long>(s.events),
                static_cast<long long>(s.frequency));
    for (DWORD i = 0; i < s.costCount; ++i)
        std::printf("%s%lu", i ? ", " : "", static_cast<unsigned long>(s.cost[i]));
    Reply("]}");
}

void ReplyTake() {
    std::printf("{\"ups\": %d, \"downs\": %d, \"reports\": [", g_ups, g_downs);
    for (size_t i = 0; i < g_reports.size(); ++i) {
        const Report& r = g_reports[i];
        std::printf("%s[%d, %u, %llu, %llu]", i ? ", " : "", r.target, r.message,
                    static_cast<unsigned long long>(r.wParam), static_cast<unsigned long long>(r.lParam));
    }
    Reply("]}");
    g_reports.clear();
    g_ups = g_downs = 0;
}

HWND TargetArg(const char* arg) {
    int n = std::atoi(arg);
    return n == 1 || n == 2 ? g_target[n - 1] : nullptr;
}

// Returns false on "quit".
bool Command(char* line) {
    char* words[4] = {};
    int n = 0;
    for (char* w = std::strtok(line, " \t\r\n"); w && n < 4; w = std::strtok(nullptr, " \t\r\n"))
        words[n++] = w;
    const char* verb = n ? words[0] : "";
    const char* a = n > 1 ? words[1] : "";
    const char* b = n > 2 ? words[2] : "";
    const char* c = n > 3 ? words[3] : "";
    char text[128];
    if (!std::strcmp(verb, "install") || !std::strcmp(verb, "remove")) {
        bool install = verb[0] == 'i';
        double start = Now();
        DWORD ret = nvHookWin::SetMyHook(install, install ? TargetArg(a) : nullptr);
        g_installed = install && ret;
        std::snprintf(text, sizeof text, "{\"ret\": %lu, \"ms\": %.0f}", static_cast<unsigned long>(ret),
                      Now() - start);
        Reply(text);
    } else if (!std::strcmp(verb, "front")) {
        ReplyOk(BringToFront(std::strcmp(a, "other") ? g_game : g_other));
    } else if (!std::strcmp(verb, "deaf")) {
        HANDLE done = CreateEventA(nullptr, TRUE, FALSE, nullptr);
        ReplyOk(done && RavikTestDeafToFront(done) && WaitForSingleObject(done, 5000) == WAIT_OBJECT_0);
        if (done)
            CloseHandle(done);
    } else if (!std::strcmp(verb, "front-quiet")) {
        // No hook event tells of this change: only the next press or click can learn of it.
        HWND hwnd = std::strcmp(a, "other") ? g_game : g_other;
        SetForegroundWindow(hwnd);
        ReplyOk(PumpUntil([hwnd] { return GetForegroundWindow() == hwnd; }, 3000));
    } else if (!std::strcmp(verb, "move")) {
        Move(std::atoi(a), std::atoi(b), !std::strcmp(c, "notice"));
    } else if (!std::strcmp(verb, "inject")) {
        WORD vk = static_cast<WORD>(std::strtoul(b, nullptr, 0));
        if (!std::strcmp(a, "click"))
            InjectClick(std::atoi(b), std::atoi(c));
        else
            InjectKeys(vk, std::strcmp(a, "up") != 0, std::strcmp(a, "down") != 0);
        ReplyOk(true);
    } else if (!std::strcmp(verb, "kill")) {
        ReplyOk(DestroyWindow(TargetArg(a)) != 0);
    } else if (!std::strcmp(verb, "lose")) {
        Lose(!std::strcmp(a, "quiet"));
    } else if (!std::strcmp(verb, "reinstall")) {
        ReplyOk(RavikTestReinstall() != 0);
    } else if (!std::strcmp(verb, "drop")) {
        RavikTestDropOneHook(!std::strcmp(a, "keyboard"));
        ReplyOk(true);
    } else if (!std::strcmp(verb, "wiggle")) {
        UntilPutBack([](int step) {
            INPUT in{};
            in.type = INPUT_MOUSE;
            in.mi.dx = step % 2 ? -3 : 3;
            in.mi.dwFlags = MOUSEEVENTF_MOVE;
            Inject(&in, 1);
        });
    } else if (!std::strcmp(verb, "type")) {
        UntilPutBack([](int step) { InjectKey(static_cast<WORD>('A' + step % 26)); });
    } else if (!std::strcmp(verb, "stall")) {
        if (!g_stall)
            g_stall = CreateEventA(nullptr, TRUE, FALSE, nullptr);
        ResetEvent(g_stall);
        ReplyOk(RavikTestStall(g_stall) != 0);
    } else if (!std::strcmp(verb, "release")) {
        ReplyOk(g_stall && SetEvent(g_stall));
    } else if (!std::strcmp(verb, "stats")) {
        ReplyStats();
    } else if (!std::strcmp(verb, "stream")) {
        Stream(std::atoi(a), std::atof(b), std::atoi(c));
    } else if (!std::strcmp(verb, "wait")) {
        long want = std::atol(b);
        ReplyOk(PumpUntil([a, want] { return Counter(a) >= want; }, *c ? std::atof(c) : 5000));
    } else if (!std::strcmp(verb, "take")) {
        ReplyTake();
    } else if (!std::strcmp(verb, "quit")) {
        ReplyOk(true);
        return false;
    } else {
        Reply("{\"error\": \"unknown command\"}");
    }
    return true;
}

DWORD WINAPI ReadCommands(void* mainThread) {
    DWORD id = static_cast<DWORD>(reinterpret_cast<uintptr_t>(mainThread));
    char line[256];
    while (std::fgets(line, sizeof line, stdin))
        PostThreadMessageA(id, kCommand, 0, reinterpret_cast<LPARAM>(_strdup(line)));
    PostThreadMessageA(id, kCommand, 0, reinterpret_cast<LPARAM>(_strdup("quit")));
    return 0;
}

}  // namespace

int main() {
    MSG msg;
    PeekMessageA(&msg, nullptr, 0, 0, PM_NOREMOVE);
    for (int i = 0; i < 2; ++i) {
        g_target[i] = MakeWindow(i ? "ProbeTarget2" : "ProbeTarget1", TargetProc, WS_OVERLAPPED, 0, 0, 10, 10);
        SetWindowLongPtrA(g_target[i], GWLP_USERDATA, i + 1);
    }
    const DWORD style = WS_OVERLAPPED | WS_CAPTION | WS_VISIBLE;
    g_other = MakeWindow("ProbeOther", InputProc, style, 700, 0, 200, 200);
    g_game = MakeWindow("SWarClass", InputProc, style, 0, 0, kClientW, kClientH);  // newest: in front
    bool front = BringToFront(g_game);
    POINT game = ClientOrigin(g_game), other = ClientOrigin(g_other);
    std::printf("{\"front\": %s, \"game\": [%ld, %ld, %d, %d], \"other\": [%ld, %ld, 200, 200]}\n",
                front ? "true" : "false", game.x, game.y, kClientW, kClientH, other.x, other.y);
    std::fflush(stdout);

    DWORD self = GetCurrentThreadId();
    CloseHandle(CreateThread(nullptr, 0, ReadCommands, reinterpret_cast<void*>(static_cast<uintptr_t>(self)), 0,
                             nullptr));
    while (GetMessageA(&msg, nullptr, 0, 0) > 0) {
        if (msg.hwnd == nullptr && msg.message == kCommand) {
            char* line = reinterpret_cast<char*>(msg.lParam);
            bool more = Command(line);
            std::free(line);
            if (!more)
                break;
        } else {
            DispatchMessageA(&msg);
        }
    }
    return 0;
}
