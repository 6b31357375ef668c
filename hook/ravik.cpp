// Low-level keyboard and mouse hooks on a thread of the library's own, so that the target's busy thread
// never holds up the system's input: the callbacks only filter and post. The thread puts in fresh hooks
// every second, which also brings back a hook the system removed silently; such a removal shows when
// unhooking the old handle fails. Every global is constant-initialised, so loading runs no constructors.
#include "hook/ravik_test.h"

#include <atomic>
#include <cstdint>

namespace {

constexpr UINT kKeyReport = 0x8E8;
constexpr UINT kClickReport = 0x8E9;
constexpr UINT kRefreshMs = 1000;
constexpr uint32_t kSamples = RAVIK_COST_SAMPLES;

// Shared between the caller's thread and the hook thread.
std::atomic<HWND> g_target{nullptr};
std::atomic<HHOOK> g_keyboardHook{nullptr};
std::atomic<HHOOK> g_mouseHook{nullptr};
std::atomic<uint32_t> g_posted{0};
std::atomic<uint32_t> g_dropped{0};
std::atomic<uint32_t> g_reinstalls{0};
std::atomic<uint32_t> g_events{0};  // written by the hook thread only
std::atomic<uint32_t> g_cost[kSamples];

// The caller's side: SetMyHook runs on one thread (the program's only one).
HANDLE g_thread;
DWORD g_threadId;
// The library's own handle, referenced while the thread runs, so an unload cannot pull the code away.
HMODULE g_self;

// The hook thread's side.
bool g_down[256];  // keys held, to report a press once however long it auto-repeats
HWND g_lastFront;
bool g_frontIsGame;

// Only the test build times its callbacks and counts renewals: the shipped one spends nothing on what no
// one reads.
#ifdef RAVIK_TEST_BUILD
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
std::atomic<uint32_t> g_renewals{0};
void CountRenewal() { g_renewals.fetch_add(1, std::memory_order_relaxed); }
#else
int64_t CostStart() { return 0; }
void RecordCost(int64_t) {}
void CountRenewal() {}
#endif

// The foreground window while it is the game's, else null; the class is looked up again only when the
// foreground window changes. A click that activates another window still sees the old one here.
HWND GameInFront() {
    HWND front = GetForegroundWindow();
    if (front != g_lastFront) {
        char name[32];
        g_lastFront = front;
        g_frontIsGame = front && GetClassNameA(front, name, sizeof name) > 0 && lstrcmpiA(name, "SWarClass") == 0;
    }
    return g_frontIsGame ? front : nullptr;
}

// One try only: a report that cannot be queued is lost, as a retry here would stall the system's input.
void Report(UINT message, WPARAM wParam, LPARAM lParam) {
    HWND target = g_target.load(std::memory_order_relaxed);
    if (target && PostMessageA(target, message, wParam, lParam))
        g_posted.fetch_add(1, std::memory_order_relaxed);
    else
        g_dropped.fetch_add(1, std::memory_order_relaxed);
}

LRESULT CALLBACK KeyboardProc(int code, WPARAM wParam, LPARAM lParam) {
    if (code == HC_ACTION) {
        int64_t start = CostStart();
        BYTE key = static_cast<BYTE>(reinterpret_cast<const KBDLLHOOKSTRUCT*>(lParam)->vkCode);
        if (wParam == WM_KEYDOWN || wParam == WM_SYSKEYDOWN) {
            // Held keys are tracked whichever window is in front, so a press is never reported twice.
            if (!g_down[key]) {
                g_down[key] = true;
                if (GameInFront())
                    Report(kKeyReport, key, 0);
            }
        } else if (wParam == WM_KEYUP || wParam == WM_SYSKEYUP) {
            g_down[key] = false;
        }
        RecordCost(start);
    }
    return CallNextHookEx(nullptr, code, wParam, lParam);
}

LRESULT CALLBACK MouseProc(int code, WPARAM wParam, LPARAM lParam) {
    if (code == HC_ACTION) {
        int64_t start = CostStart();
        if (wParam == WM_LBUTTONDOWN || wParam == WM_RBUTTONDOWN) {
            if (HWND game = GameInFront()) {
                POINT pt = reinterpret_cast<const MSLLHOOKSTRUCT*>(lParam)->pt;
                ScreenToClient(game, &pt);
                Report(kClickReport, 0, MAKELPARAM(static_cast<WORD>(pt.x), static_cast<WORD>(pt.y)));
            }
        }
        RecordCost(start);
    }
    return CallNextHookEx(nullptr, code, wParam, lParam);
}

HHOOK Hook(int id) {
    return SetWindowsHookExA(id, id == WH_KEYBOARD_LL ? KeyboardProc : MouseProc, g_self, 0);
}

bool InstallHooks() {
    HHOOK keyboard = Hook(WH_KEYBOARD_LL);
    HHOOK mouse = Hook(WH_MOUSE_LL);
    if (!keyboard || !mouse) {
        if (keyboard)
            UnhookWindowsHookEx(keyboard);
        if (mouse)
            UnhookWindowsHookEx(mouse);
        return false;
    }
    g_keyboardHook = keyboard;
    g_mouseHook = mouse;
    return true;
}

void RemoveHooks() {
    UnhookWindowsHookEx(g_keyboardHook.exchange(nullptr));
    UnhookWindowsHookEx(g_mouseHook.exchange(nullptr));
}

// Puts a fresh hook in place of the old one; true when the old one had been removed behind our back.
// The new one goes in first, and no callback runs between the two calls (this thread is not waiting for
// messages), so no event is lost or seen twice. If the new one fails, the old one stays until next time.
bool Refresh(std::atomic<HHOOK>& slot, int id) {
    HHOOK fresh = Hook(id);
    if (!fresh)
        return false;
    bool lost = !UnhookWindowsHookEx(slot.exchange(fresh));
    // Counted last, so a reader who sees the count knows this hook's swap is over.
    CountRenewal();
    return lost;
}

void RefreshHooks() {
    int lost = Refresh(g_keyboardHook, WH_KEYBOARD_LL) + Refresh(g_mouseHook, WH_MOUSE_LL);
    if (lost) {
        g_reinstalls.fetch_add(lost, std::memory_order_relaxed);
        // Key releases may have passed unseen while a hook was gone.
        for (bool& down : g_down)
            down = false;
    }
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
    for (bool& down : g_down)
        down = false;
    g_lastFront = nullptr;
    bool ok = InstallHooks();
    UINT_PTR timer = ok ? SetTimer(nullptr, 0, kRefreshMs, nullptr) : 0;
    start->ok = ok;
    SetEvent(start->ready);  // start is gone after this
    if (ok) {
        while (GetMessageA(&msg, nullptr, 0, 0) > 0) {
            if (msg.message == WM_TIMER && msg.hwnd == nullptr)
                RefreshHooks();
        }
        KillTimer(nullptr, timer);
        RemoveHooks();
    }
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

void StopThread() {
    if (!g_thread)
        return;
    // Posting again covers the rare post that fails on a full queue.
    do
        PostThreadMessageA(g_threadId, WM_QUIT, 0, 0);
    while (WaitForSingleObject(g_thread, 1000) == WAIT_TIMEOUT);
    CloseHandle(g_thread);
    g_thread = nullptr;
}

}  // namespace

DWORD nvHookWin::SetMyHook(bool install, HWND target) {
    if (!install) {
        StopThread();
        g_target = nullptr;
        return 1;
    }
    if (!target)
        return 0;
    g_target = target;
    // A thread that ended on its own is replaced.
    if (g_thread && WaitForSingleObject(g_thread, 0) != WAIT_TIMEOUT)
        StopThread();
    return g_thread || StartThread() ? 1 : 0;
}

#ifdef RAVIK_TEST_BUILD
extern "C" RAVIK_API void RavikGetStats(RavikStats* stats) {
    if (!stats)
        return;
    stats->posted = g_posted;
    stats->dropped = g_dropped;
    stats->reinstalls = g_reinstalls;
    stats->renewals = g_renewals;
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
    UnhookWindowsHookEx(g_keyboardHook.load());
    UnhookWindowsHookEx(g_mouseHook.load());
}
#endif  // RAVIK_TEST_BUILD
