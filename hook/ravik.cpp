// Low-level keyboard and mouse hooks on a thread of the library's own, so that the target's busy thread
// never holds up the system's input: the callbacks only filter and post. The system can remove a hook
// silently, and only when a callback ran too long, which takes input: so while input comes, every 3 seconds
// the thread looks for input a hook did not see and puts that hook back; while none comes, once a minute.
// Whether the game is in front and where its client area is are learned when the foreground changes
// (from window events, and at a press or click, as not every change is told of), never per move or release.
// The thread is per-monitor DPI aware, so that the mouse hook's positions and the window's place are both in
// the screen's physical pixels. Nothing here asks the display driver (the cursor's position would): under Wine
// that gives the thread a connection of its own to the X server, read at its every wake-up, which cost
// the thread a fifth more CPU in a game. Every global is constant-initialised, so loading runs no constructors.
#include <atomic>
#include <cstdint>

#include "hook/input_filter.h"
#include "hook/ravik_test.h"

namespace {

constexpr UINT kKeyReport = 0x8E8;
constexpr UINT kClickReport = 0x8E9;
// A wake-up costs the thread more than the check itself: a lost hook, which is rare, may miss up to this
// long of input (more for a keyboard hook lost while the mouse still moves: until a key is down at a check).
constexpr UINT kCheckMs = 3000;
// Without input the check slows down rather than stop: a hook the system removed at the last input before
// a pause (a callback that timed out while the game loaded) sees nothing after it, so only this check can
// tell, within this long of the player's return. A waiting game costs one wake-up a minute. The test build
// waits less, so a test can see it.
#ifdef RAVIK_TEST_BUILD
constexpr UINT kIdleCheckMs = 6000;
#else
constexpr UINT kIdleCheckMs = 60000;
#endif
// Input this long after a hook's last event, and not seen by it, means the hook is gone. The system stamps
// input as it queues it, which is after the hooks have seen it: the margin keeps a stamp made late on a
// loaded machine from reading as unseen, and a key just pressed from reading as missed.
constexpr int32_t kUnseenMs = 500;
// How long the program's thread waits for the hook thread to end (normally a few milliseconds).
constexpr DWORD kStopSliceMs = 500;
constexpr int kStopSlices = 4;
constexpr uint32_t kSamples = RAVIK_COST_SAMPLES;

// Shared between the caller's thread and the hook thread.
std::atomic<HWND> g_target{nullptr};
std::atomic<uint32_t> g_posted{0};
std::atomic<uint32_t> g_dropped{0};
std::atomic<uint32_t> g_reinstalls{0};
std::atomic<uint32_t> g_events{0};  // written by the hook thread only
std::atomic<uint32_t> g_cost[kSamples];

// The caller's side: SetMyHook runs on one thread (the program's only one).
HANDLE g_thread;
DWORD g_threadId;
bool g_stopping;  // asked to end, and had not ended when the wait ran out
// The library's own handle, referenced while the thread runs, so an unload cannot pull the code away.
HMODULE g_self;

// The hook thread's side.
InputFilter g_filter;
DWORD g_keySeen;        // GetTickCount at the keyboard hook's last event
DWORD g_mouseSeen;      // the same for the mouse hook
UINT_PTR g_timer;       // the check's
bool g_checkingFast;    // every kCheckMs, while input comes; else every kIdleCheckMs
DWORD g_checked;        // GetTickCount at the last check
DWORD g_checkedInput;   // the system's last input time then
bool g_mouseQuiet;      // at the last check, keys had come since the one before and no mouse event
HWND g_front;           // the foreground window as last looked at
HWND g_game;            // the same while it is the game's, else null
HWINEVENTHOOK g_moves;  // the game's moves, while it is in front
HWINEVENTHOOK g_listening[2];  // changes of the foreground and of the focus

struct Hooks {
    HHOOK keyboard;
    HHOOK mouse;
};

// Functions of Windows 10 1607 and later, looked up so that the library still loads on Windows 7.
using DpiContext = HANDLE;
using SetThreadDpiContext = DpiContext(WINAPI*)(DpiContext);
using GetWindowDpiContext = DpiContext(WINAPI*)(HWND);
SetThreadDpiContext g_setThreadDpi;
GetWindowDpiContext g_windowDpi;

// Only the test build times its callbacks, lets the tests see the hooks and what the thread has learned, and
// takes their requests: the shipped one spends nothing on what no one reads.
#ifdef RAVIK_TEST_BUILD
constexpr UINT kTestReinstall = WM_APP;
constexpr UINT kTestStall = WM_APP + 1;
constexpr UINT kTestDeaf = WM_APP + 2;
constexpr DWORD kTestStallMaxMs = 30000;

std::atomic<HHOOK> g_testKeyboard{nullptr};
std::atomic<HHOOK> g_testMouse{nullptr};
std::atomic<DWORD> g_testGameInFront{0};
std::atomic<LONG> g_testOriginX{0};
std::atomic<LONG> g_testOriginY{0};
std::atomic<DWORD> g_testChecking{0};

int64_t Ticks() {
    LARGE_INTEGER t;
    QueryPerformanceCounter(&t);
    return t.QuadPart;
}
int64_t CostStart() { return Ticks(); }
void RecordCost(int64_t start) {
    uint32_t n = g_events.load(std::memory_order_relaxed);
    g_cost[n % kSamples].store(static_cast<uint32_t>(Ticks() - start), std::memory_order_relaxed);
    g_events.store(n + 1, std::memory_order_release);
}
void ShowHooks(const Hooks& hooks) {
    g_testKeyboard = hooks.keyboard;
    g_testMouse = hooks.mouse;
}
void ShowView() {
    POINT origin = g_filter.area().origin;
    g_testOriginX = origin.x;
    g_testOriginY = origin.y;
    g_testGameInFront = g_filter.gameInFront();
}
void Reinstall(Hooks& hooks, bool keyboard, bool mouse);
// Stops the window events that tell of a new foreground, as a system that sends none of them.
void StopListening(HANDLE done) {
    for (HWINEVENTHOOK& event : g_listening) {
        if (event)
            UnhookWinEvent(event);
        event = nullptr;
    }
    SetEvent(done);
}
void ShowChecking() { g_testChecking = g_checkingFast; }
void TestRequest(const MSG& msg, Hooks& hooks) {
    if (msg.message == kTestReinstall)
        Reinstall(hooks, true, true);
    else if (msg.message == kTestStall)
        WaitForSingleObject(reinterpret_cast<HANDLE>(msg.lParam), kTestStallMaxMs);
    else if (msg.message == kTestDeaf)
        StopListening(reinterpret_cast<HANDLE>(msg.lParam));
}
#else
int64_t CostStart() { return 0; }
void RecordCost(int64_t) {}
void ShowHooks(const Hooks&) {}
void ShowView() {}
void ShowChecking() {}
void TestRequest(const MSG&, Hooks&) {}
#endif

// One try only: a report that cannot be queued is lost, as a retry here would stall the system's input.
void Report(UINT message, WPARAM wParam, LPARAM lParam) {
    HWND target = g_target.load(std::memory_order_relaxed);
    if (target && PostMessageA(target, message, wParam, lParam))
        g_posted.fetch_add(1, std::memory_order_relaxed);
    else
        g_dropped.fetch_add(1, std::memory_order_relaxed);
}

// Learns what is in front when that changed. Wine does not tell of every change of the foreground (a window
// activated from the bare desktop, or one another process brought forward), so a press or a click looks
// again: one call a press, none per move or release.
void LookAtFront();

// A thread timer: the same id is set again with the new period.
void CheckEvery(UINT ms, bool fast) {
    g_timer = SetTimer(nullptr, g_timer, ms, nullptr);
    g_checkingFast = fast;
    ShowChecking();
}

// Input has come: the check runs every kCheckMs until a pass finds none since the one before.
void KeepChecking() {
    if (!g_checkingFast)
        CheckEvery(kCheckMs, true);
}

LRESULT CALLBACK KeyboardProc(int code, WPARAM wParam, LPARAM lParam) {
    if (code == HC_ACTION) {
        int64_t start = CostStart();
        g_keySeen = GetTickCount();
        KeepChecking();
        BYTE key = static_cast<BYTE>(reinterpret_cast<const KBDLLHOOKSTRUCT*>(lParam)->vkCode);
        if (wParam == WM_KEYDOWN || wParam == WM_SYSKEYDOWN) {
            LookAtFront();
            UINT modifiers = g_filter.Modifiers();
            if (g_filter.Press(key))
                Report(kKeyReport, key, modifiers);
        } else if (wParam == WM_KEYUP || wParam == WM_SYSKEYUP) {
            g_filter.Release(key);
        }
        RecordCost(start);
    }
    return CallNextHookEx(nullptr, code, wParam, lParam);
}

LRESULT CALLBACK MouseProc(int code, WPARAM wParam, LPARAM lParam) {
    if (code == HC_ACTION) {
        int64_t start = CostStart();
        g_mouseSeen = GetTickCount();
        KeepChecking();
        if (wParam == WM_LBUTTONDOWN || wParam == WM_RBUTTONDOWN) {
            LookAtFront();
            POINT pt = reinterpret_cast<const MSLLHOOKSTRUCT*>(lParam)->pt;
            UINT button = wParam == WM_LBUTTONDOWN ? RAVIK_LEFT : RAVIK_RIGHT;
            if (g_filter.Click(pt))
                Report(kClickReport, button | g_filter.Modifiers(),
                       MAKELPARAM(static_cast<WORD>(pt.x), static_cast<WORD>(pt.y)));
        }
        RecordCost(start);
    }
    return CallNextHookEx(nullptr, code, wParam, lParam);
}

bool IsDown(BYTE key) { return GetAsyncKeyState(key) < 0; }

template <class Function>
Function User32(const char* name) {
    return reinterpret_cast<Function>(reinterpret_cast<void*>(GetProcAddress(GetModuleHandleA("user32"), name)));
}

// Physical pixels for this thread, whatever the program declares: the mouse hook gives them in any case.
void BePerMonitorAware() {
    g_setThreadDpi = User32<SetThreadDpiContext>("SetThreadDpiAwarenessContext");
    g_windowDpi = User32<GetWindowDpiContext>("GetWindowDpiAwarenessContext");
    const DpiContext kPerMonitorV2 = reinterpret_cast<DpiContext>(-4), kPerMonitor = reinterpret_cast<DpiContext>(-3);
    if (g_setThreadDpi && !g_setThreadDpi(kPerMonitorV2))
        g_setThreadDpi(kPerMonitor);
}

// The client area read twice: as it lies on the screen, in this thread's physical pixels, and its size in
// the window's own DPI context, as the game sees it. A window the system stretches (a game that is not DPI
// aware, on a monitor above 100 %) has fewer of the second. Before Windows 10 1607 the two are the same.
ClientArea AreaOf(HWND window) {
    ClientArea area;
    RECT r{0, 0, 0, 0};
    GetClientRect(window, &r);
    MapWindowPoints(window, nullptr, reinterpret_cast<POINT*>(&r), 2);
    area.origin = POINT{r.left, r.top};
    area.physical = area.logical = SIZE{r.right - r.left, r.bottom - r.top};
    DpiContext own = g_windowDpi && g_setThreadDpi ? g_setThreadDpi(g_windowDpi(window)) : nullptr;
    if (own) {
        if (GetClientRect(window, &r))
            area.logical = SIZE{r.right, r.bottom};
        g_setThreadDpi(own);
    }
    return area;
}

void LearnArea() {
    g_filter.Moved(AreaOf(g_game));
    ShowView();
}

void CALLBACK MoveProc(HWINEVENTHOOK, DWORD, HWND window, LONG object, LONG child, DWORD, DWORD) {
    if (window == g_game && object == OBJID_WINDOW && child == CHILDID_SELF)
        LearnArea();
}

// The class is looked up only when the foreground window changes. Keys held meanwhile are forgotten if the
// system says they are up.
void LookAtFront() {
    HWND front = GetForegroundWindow();
    if (front == g_front)
        return;
    g_front = front;
    char name[32];
    bool game = front && GetClassNameA(front, name, sizeof name) > 0 && lstrcmpiA(name, "SWarClass") == 0;
    g_game = game ? front : nullptr;
    if (g_moves)
        UnhookWinEvent(g_moves);
    g_moves = nullptr;
    ClientArea area;
    if (game) {
        // Only the game's own thread's events, so that the rest of the desktop's moves never wake this one.
        DWORD process = 0;
        DWORD thread = GetWindowThreadProcessId(front, &process);
        g_moves = SetWinEventHook(EVENT_OBJECT_LOCATIONCHANGE, EVENT_OBJECT_LOCATIONCHANGE, nullptr, MoveProc,
                                  process, thread, WINEVENT_OUTOFCONTEXT);
        area = AreaOf(front);
    }
    g_filter.Front(game, area);
    g_filter.ForgetReleased(IsDown);
    ShowView();
}

void CALLBACK FrontProc(HWINEVENTHOOK, DWORD, HWND, LONG, LONG, DWORD, DWORD) { LookAtFront(); }

HWINEVENTHOOK ListenForFront(DWORD event) {
    return SetWinEventHook(event, event, nullptr, FrontProc, 0, 0, WINEVENT_OUTOFCONTEXT);
}

HHOOK Hook(int id) {
    return SetWindowsHookExA(id, id == WH_KEYBOARD_LL ? KeyboardProc : MouseProc, g_self, 0);
}

// Puts a fresh hook in place of the one in slot. The new one goes in before the old one comes out, and no
// callback runs between the two calls (this thread is not taking messages), so no event is lost or seen
// twice. A new one that fails leaves the old one in place.
void Swap(HHOOK& slot, int id) {
    if (HHOOK fresh = Hook(id)) {
        if (slot)
            UnhookWindowsHookEx(slot);
        slot = fresh;
    }
}

void Replace(Hooks& hooks, bool keyboard, bool mouse) {
    if (keyboard)
        Swap(hooks.keyboard, WH_KEYBOARD_LL);
    if (mouse)
        Swap(hooks.mouse, WH_MOUSE_LL);
    g_keySeen = g_mouseSeen = GetTickCount();
    ShowHooks(hooks);
}

void Reinstall(Hooks& hooks, bool keyboard, bool mouse) {
    Replace(hooks, keyboard, mouse);
    // Releases may have passed unseen while a hook was gone.
    g_filter.ForgetReleased(IsDown);
    // Counted last, so a reader who sees the count knows the swap is over.
    g_reinstalls.fetch_add(1, std::memory_order_release);
}

void RemoveHooks(Hooks& hooks) {
    if (hooks.keyboard)
        UnhookWindowsHookEx(hooks.keyboard);
    if (hooks.mouse)
        UnhookWindowsHookEx(hooks.mouse);
    hooks = Hooks{};
    ShowHooks(hooks);
}

bool Unseen(DWORD input, DWORD seen) { return static_cast<int32_t>(input - seen) > kUnseenMs; }
bool HeardSince(DWORD seen, DWORD check) { return static_cast<int32_t>(seen - check) > 0; }

// Runs every kCheckMs while input comes, every kIdleCheckMs between. The system's last input time tells of input
// that neither hook saw; it cannot tell a key from a move, so a hook lost beside one that still sees input shows
// otherwise: a key held down that the keyboard hook never saw go down while it saw nothing, or keys heard while the
// mouse hook heard nothing at two checks in a row. A player's mouse is seldom still that long; when it was, the
// mouse hook is put back though it was not lost, which costs a swap and loses nothing. The system sends no
// moves of the game's window on some systems (Wine), so its client area is also read again here while it is in
// front.
void Check(Hooks& hooks) {
    DWORD now = GetTickCount();
    LASTINPUTINFO last{sizeof last, 0};
    bool known = GetLastInputInfo(&last) != 0;
    bool unseen = known && Unseen(last.dwTime, g_keySeen) && Unseen(last.dwTime, g_mouseSeen);
    g_filter.ForgetReleased(IsDown);
    // The whole key state is 255 questions, each a trip to the server under Wine: asked only when input came
    // and the keyboard hook heard nothing of it since the last pass, as a lost one would.
    bool keysHeard = HeardSince(g_keySeen, g_checked);
    bool keyQuiet = known && last.dwTime != g_checkedInput && !keysHeard;
    bool keyMissed = keyQuiet && Unseen(now, g_keySeen) && g_filter.MissedPress(IsDown);
    bool mouseQuiet = keysHeard && !HeardSince(g_mouseSeen, g_checked);
    bool mouseMissed = mouseQuiet && g_mouseQuiet;
    g_mouseQuiet = mouseQuiet && !mouseMissed;
    if (unseen || keyMissed || mouseMissed) {
        Reinstall(hooks, unseen || keyMissed, unseen || mouseMissed);
    } else if (g_checkingFast && (!known || last.dwTime == g_checkedInput)) {
        CheckEvery(kIdleCheckMs, false);
    }
    g_checked = now;
    g_checkedInput = last.dwTime;
    if (g_game)
        LearnArea();
}

struct Start {
    HANDLE ready;
    bool ok;
};

DWORD WINAPI HookThread(void* param) {
    auto* start = static_cast<Start*>(param);
    MSG msg;
    // The queue must exist before SetMyHook can post WM_QUIT to it.
    PeekMessageA(&msg, nullptr, 0, 0, PM_NOREMOVE);
    // The callbacks run on this thread; let them in ahead of the program's own work.
    SetThreadPriority(GetCurrentThread(), THREAD_PRIORITY_HIGHEST);
    BePerMonitorAware();
    g_filter = InputFilter{};
    g_front = g_game = nullptr;
    g_moves = nullptr;
    g_timer = 0;
    g_checkingFast = false;
    g_mouseQuiet = false;
    // Listening starts before the first look, so no change falls between. Wine sends no foreground events,
    // but a focus event with every change of the foreground.
    g_listening[0] = ListenForFront(EVENT_SYSTEM_FOREGROUND);
    g_listening[1] = ListenForFront(EVENT_OBJECT_FOCUS);
    LookAtFront();
    Hooks hooks{};
    Replace(hooks, true, true);
    g_checked = GetTickCount();
    bool hooked = hooks.keyboard && hooks.mouse && (g_listening[0] || g_listening[1]);
    start->ok = hooked;
    SetEvent(start->ready);  // start is gone after this
    if (hooked) {
        while (GetMessageA(&msg, nullptr, 0, 0) > 0) {
            if (msg.hwnd)
                continue;  // no window here; the window events' callbacks run inside GetMessage
            if (msg.message == WM_TIMER)
                Check(hooks);
            else
                TestRequest(msg, hooks);
        }
    }
    if (g_timer)
        KillTimer(nullptr, g_timer);
    RemoveHooks(hooks);
    HWINEVENTHOOK events[] = {g_listening[0], g_listening[1], g_moves};
    for (HWINEVENTHOOK event : events)
        if (event)
            UnhookWinEvent(event);
    FreeLibraryAndExitThread(g_self, 0);
}

bool StartThread() {
    if (!GetModuleHandleExA(GET_MODULE_HANDLE_EX_FLAG_FROM_ADDRESS, reinterpret_cast<LPCSTR>(&KeyboardProc),
                            &g_self))
        return false;
    Start start{CreateEventA(nullptr, TRUE, FALSE, nullptr), false};
    HANDLE thread = start.ready ? CreateThread(nullptr, 0, HookThread, &start, 0, &g_threadId) : nullptr;
    if (!thread) {
        if (start.ready)
            CloseHandle(start.ready);
        FreeLibrary(g_self);
        return false;
    }
    HANDLE both[] = {start.ready, thread};
    WaitForMultipleObjects(2, both, FALSE, INFINITE);
    CloseHandle(start.ready);
    if (!start.ok) {
        WaitForSingleObject(thread, INFINITE);
        CloseHandle(thread);
        return false;
    }
    g_thread = thread;
    return true;
}

// Ends the hook thread, waiting at most kStopSlices * kStopSliceMs (2 s). A thread still running then is left
// to end at its quit message whenever it runs again; its own reference keeps the library's code loaded
// until it has, and no second hook thread starts beside it meanwhile.
bool StopThread() {
    if (!g_thread)
        return true;
    for (int i = 0; i < kStopSlices; ++i) {
        // Posting again covers the rare post that fails on a full queue.
        PostThreadMessageA(g_threadId, WM_QUIT, 0, 0);
        if (WaitForSingleObject(g_thread, kStopSliceMs) != WAIT_TIMEOUT) {
            CloseHandle(g_thread);
            g_thread = nullptr;
            g_stopping = false;
            return true;
        }
    }
    g_stopping = true;
    return false;
}

}  // namespace

DWORD nvHookWin::SetMyHook(bool install, HWND target) {
    if (!install) {
        bool stopped = StopThread();
        g_target = nullptr;
        return stopped ? 1 : 0;
    }
    if (!target)
        return 0;
    // A thread that ended on its own, or was asked to end, is replaced.
    if (g_thread && (g_stopping || WaitForSingleObject(g_thread, 0) != WAIT_TIMEOUT) && !StopThread())
        return 0;
    g_target = target;
    return g_thread || StartThread() ? 1 : 0;
}

#ifdef RAVIK_TEST_BUILD
extern "C" RAVIK_API void RavikGetStats(RavikStats* stats) {
    if (!stats)
        return;
    stats->posted = g_posted;
    stats->dropped = g_dropped;
    stats->reinstalls = g_reinstalls.load(std::memory_order_acquire);
    stats->gameInFront = g_testGameInFront;
    stats->originX = g_testOriginX;
    stats->originY = g_testOriginY;
    stats->checking = g_testChecking;
    uint32_t events = g_events.load(std::memory_order_acquire);
    uint32_t count = events < kSamples ? events : kSamples;
    stats->events = events;
    stats->costCount = count;
    for (uint32_t i = 0; i < count; ++i)
        stats->cost[i] = g_cost[(events - count + i) % kSamples].load(std::memory_order_relaxed);
    LARGE_INTEGER frequency;
    QueryPerformanceFrequency(&frequency);
    stats->frequency = frequency.QuadPart;
}

extern "C" RAVIK_API void RavikTestDropHooks() {
    UnhookWindowsHookEx(g_testKeyboard.load());
    UnhookWindowsHookEx(g_testMouse.load());
}

extern "C" RAVIK_API void RavikTestDropOneHook(BOOL keyboard) {
    UnhookWindowsHookEx(keyboard ? g_testKeyboard.load() : g_testMouse.load());
}

extern "C" RAVIK_API BOOL RavikTestReinstall() {
    return g_thread && PostThreadMessageA(g_threadId, kTestReinstall, 0, 0);
}

extern "C" RAVIK_API BOOL RavikTestDeafToFront(HANDLE done) {
    return g_thread && PostThreadMessageA(g_threadId, kTestDeaf, 0, reinterpret_cast<LPARAM>(done));
}

extern "C" RAVIK_API BOOL RavikTestStall(HANDLE release) {
    return g_thread && PostThreadMessageA(g_threadId, kTestStall, 0, reinterpret_cast<LPARAM>(release));
}
#endif  // RAVIK_TEST_BUILD
