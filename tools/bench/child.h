// A program the benchmark starts and watches from outside: its window, CPU time, memory and GUI objects.
#pragma once

#include <windows.h>

#include <cstddef>
#include <cstdint>
#include <string>

#include "tools/bench/process_counters.h"

struct Usage {
    double cpuSeconds = 0;     // user + kernel
    size_t privateBytes = 0;   // GetProcessMemoryInfo's commit charge
    size_t committed = 0;      // committed private memory, region by region
    size_t workingSet = 0;
    unsigned long gdi = 0;     // GDI objects
    unsigned long user = 0;    // USER objects
};

class Child {
public:
    Child() = default;
    Child(const Child&) = delete;
    Child& operator=(const Child&) = delete;
    ~Child();

    // Starts commandLine; false (and a message on stderr) when it cannot be started.
    bool Start(const std::string& commandLine);
    // Waits up to timeoutMs for a visible top-level window of this process with the class and a title that
    // starts with titlePrefix (either may be null); the seconds from Start to then go to startSeconds.
    // The window found is the one Stop closes.
    HWND WaitWindow(const char* windowClass, const char* titlePrefix, DWORD timeoutMs);
    Usage Sample() const;
    double CpuSeconds() const;
    // Posts closeMessage to the window and waits for the end; a process that does not end is terminated.
    void Stop(UINT closeMessage, WPARAM wParam);
    bool Running() const;

    HWND window() const { return window_; }
    HANDLE process() const { return process_; }
    DWORD pid() const { return pid_; }
    double startSeconds = 0;

private:
    HANDLE process_ = nullptr;
    HWND window_ = nullptr;
    DWORD pid_ = 0;
    int64_t started_ = 0;
};
