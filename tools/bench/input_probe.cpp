#include "tools/bench/input_probe.h"

#include <cstdio>

#include "tools/bench/clock.h"

namespace {

constexpr UINT kKeyReport = 0x8E8;
constexpr UINT kClickReport = 0x8E9;
constexpr char kTargetClass[] = "CadroBenchTarget";

bool IsProbeKey(WPARAM key) { return key >= VK_NUMPAD0 && key <= VK_NUMPAD9; }

InputProbe* g_probe;  // the target window's owner; one probe per process, as the library allows one hook

}  // namespace

LRESULT CALLBACK InputProbe::TargetProc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam) {
    if (message == kKeyReport || message == kClickReport) {
        int64_t now = QpcNow();
        std::lock_guard<std::mutex> hold(g_probe->lock_);
        ++g_probe->reports_;
        if (message == kKeyReport && IsProbeKey(wParam))
            g_probe->received_.push_back({now, static_cast<BYTE>(wParam)});
        return 0;
    }
    return DefWindowProcA(hwnd, message, wParam, lParam);
}

DWORD WINAPI InputProbe::TargetThread(void* param) {
    auto* self = static_cast<InputProbe*>(param);
    // Reports are timed on arrival: this thread waits for nothing else and goes ahead of the bench's polling.
    SetThreadPriority(GetCurrentThread(), THREAD_PRIORITY_ABOVE_NORMAL);
    WNDCLASSA wc{};
    wc.lpfnWndProc = TargetProc;
    wc.hInstance = GetModuleHandleA(nullptr);
    wc.lpszClassName = kTargetClass;
    RegisterClassA(&wc);
    self->target_ = CreateWindowExA(0, kTargetClass, "", 0, 0, 0, 0, 0, HWND_MESSAGE, nullptr, wc.hInstance, nullptr);
    SetEvent(self->ready_);
    if (!self->target_)
        return 1;
    MSG msg;
    while (GetMessageA(&msg, nullptr, 0, 0) > 0)
        DispatchMessageA(&msg);
    DestroyWindow(self->target_);
    return 0;
}

bool InputProbe::Start() {
    g_probe = this;
    ready_ = CreateEventA(nullptr, TRUE, FALSE, nullptr);
    thread_ = CreateThread(nullptr, 0, TargetThread, this, 0, &threadId_);
    if (!thread_)
        return false;
    WaitForSingleObject(ready_, INFINITE);
    if (!target_)
        return false;
    hooked_ = nvHookWin::SetMyHook(true, target_) != 0;
    RavikGetStats(&stats_);
    events_ = stats_.events;
    frequency_ = stats_.frequency;
    return hooked_;
}

void InputProbe::Stop() {
    if (hooked_)
        nvHookWin::SetMyHook(false, nullptr);
    hooked_ = false;
    if (thread_) {
        PostThreadMessageA(threadId_, WM_QUIT, 0, 0);
        WaitForSingleObject(thread_, 5000);
        CloseHandle(thread_);
        thread_ = nullptr;
    }
    if (ready_) {
        CloseHandle(ready_);
        ready_ = nullptr;
    }
}

void InputProbe::InjectProbe() {
    BYTE key = static_cast<BYTE>(VK_NUMPAD0 + next_++ % 10);
    INPUT in[2] = {};
    for (INPUT& i : in) {
        i.type = INPUT_KEYBOARD;
        i.ki.wVk = key;
        i.ki.wScan = static_cast<WORD>(MapVirtualKeyA(key, MAPVK_VK_TO_VSC));
    }
    in[1].ki.dwFlags = KEYEVENTF_KEYUP;
    {
        std::lock_guard<std::mutex> hold(lock_);
        sent_.push_back({QpcNow(), key});
    }
    SendInput(2, in, sizeof(INPUT));
}

void InputProbe::CollectCosts() {
    RavikStats& stats = stats_;
    RavikGetStats(&stats);
    DWORD fresh = stats.events - events_;
    DWORD take = fresh < stats.costCount ? fresh : stats.costCount;
    skipped_ += fresh - take;
    costs_.insert(costs_.end(), stats.cost + (stats.costCount - take), stats.cost + stats.costCount);
    events_ = stats.events;
    posted_ = stats.posted;
    dropped_ = stats.dropped;
    frequency_ = stats.frequency;
}

std::vector<double> InputProbe::CostMicros() const {
    std::vector<double> us;
    us.reserve(costs_.size());
    for (uint32_t c : costs_)
        us.push_back(c * 1e6 / static_cast<double>(frequency_));
    return us;
}

std::vector<double> InputProbe::DelayMicros() const {
    std::lock_guard<std::mutex> hold(lock_);
    std::vector<double> us;
    // Probe keys cycle through ten codes, so a lost report costs one pair, not the pairing of all later ones.
    size_t s = 0;
    for (const Stamp& r : received_) {
        while (s < sent_.size() && (sent_[s].key != r.key || sent_[s].qpc > r.qpc))
            ++s;
        if (s == sent_.size())
            break;
        us.push_back(QpcSeconds(r.qpc - sent_[s].qpc) * 1e6);
        ++s;
    }
    return us;
}

DWORD InputProbe::probesSent() const {
    std::lock_guard<std::mutex> hold(lock_);
    return static_cast<DWORD>(sent_.size());
}

DWORD InputProbe::reports() const {
    std::lock_guard<std::mutex> hold(lock_);
    return reports_;
}
