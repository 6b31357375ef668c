// The benchmark's own instance of the input hook: it hooks for a hidden target window of its own, so the
// callback's cost (the library's counters are per process) and the delay from an injected key to its
// report can be read here while the simulated game and Cadro run.
#pragma once

#include <windows.h>

#include <cstdint>
#include <mutex>
#include <vector>

#include "hook/ravik_test.h"

class InputProbe {
public:
    InputProbe() = default;
    InputProbe(const InputProbe&) = delete;
    InputProbe& operator=(const InputProbe&) = delete;
    ~InputProbe() { Stop(); }

    bool Start();
    void Stop();
    // Injects one press and release of a numeric-keypad key (never an action for Cadro), stamped.
    void InjectProbe();
    // Takes the cost samples that arrived since the last call; called often enough that fewer than the
    // library's ring holds arrive in between (the skipped ones are counted).
    void CollectCosts();

    std::vector<double> CostMicros() const;
    // Each probe's delay from SendInput to the target's receipt, probes and receipts paired by order.
    std::vector<double> DelayMicros() const;
    DWORD posted() const { return posted_; }
    DWORD dropped() const { return dropped_; }
    DWORD events() const { return events_; }
    DWORD skippedCosts() const { return skipped_; }
    DWORD probesSent() const;
    DWORD reports() const;

private:
    struct Stamp {
        int64_t qpc;
        BYTE key;
    };
    static DWORD WINAPI TargetThread(void* self);
    static LRESULT CALLBACK TargetProc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam);

    HANDLE thread_ = nullptr;
    DWORD threadId_ = 0;
    HWND target_ = nullptr;
    HANDLE ready_ = nullptr;
    bool hooked_ = false;
    unsigned next_ = 0;

    mutable std::mutex lock_;  // the stamps: the target thread receives, the main thread sends
    std::vector<Stamp> sent_;
    std::vector<Stamp> received_;
    DWORD reports_ = 0;

    RavikStats stats_{};  // about 4 KB, read in place
    std::vector<uint32_t> costs_;
    int64_t frequency_ = 1;
    DWORD events_ = 0, posted_ = 0, dropped_ = 0, skipped_ = 0;
};
