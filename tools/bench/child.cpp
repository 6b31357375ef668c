#include "tools/bench/child.h"

#include <psapi.h>

#include <cstdio>
#include <cstring>
#include <vector>

#include "tools/bench/clock.h"

namespace {

double Seconds(const FILETIME& t) {
    return static_cast<double>(static_cast<uint64_t>(t.dwHighDateTime) << 32 | t.dwLowDateTime) / 1e7;
}

struct WindowQuery {
    DWORD pid;
    const char* windowClass;
    const char* titlePrefix;
    HWND found;
};

BOOL CALLBACK MatchWindow(HWND hwnd, LPARAM param) {
    auto* q = reinterpret_cast<WindowQuery*>(param);
    DWORD pid = 0;
    GetWindowThreadProcessId(hwnd, &pid);
    if (pid != q->pid || !IsWindowVisible(hwnd))
        return TRUE;
    char text[256] = "";
    if (q->windowClass && (!GetClassNameA(hwnd, text, sizeof text) || lstrcmpiA(text, q->windowClass) != 0))
        return TRUE;
    if (q->titlePrefix) {
        GetWindowTextA(hwnd, text, sizeof text);
        if (std::strncmp(text, q->titlePrefix, std::strlen(q->titlePrefix)) != 0)
            return TRUE;
    }
    q->found = hwnd;
    return FALSE;
}

}  // namespace

Child::~Child() {
    if (process_)
        CloseHandle(process_);
}

bool Child::Start(const std::string& commandLine) {
    STARTUPINFOA startup{};
    startup.cb = sizeof startup;
    PROCESS_INFORMATION info{};
    std::vector<char> line(commandLine.begin(), commandLine.end());
    line.push_back('\0');
    started_ = QpcNow();
    if (!CreateProcessA(nullptr, line.data(), nullptr, nullptr, FALSE, 0, nullptr, nullptr, &startup, &info)) {
        std::fprintf(stderr, "bench: cannot start %s (error %lu)\n", commandLine.c_str(), GetLastError());
        return false;
    }
    CloseHandle(info.hThread);
    process_ = info.hProcess;
    pid_ = info.dwProcessId;
    return true;
}

HWND Child::WaitWindow(const char* windowClass, const char* titlePrefix, DWORD timeoutMs) {
    WindowQuery q{pid_, windowClass, titlePrefix, nullptr};
    DWORD begin = GetTickCount();
    for (;;) {
        EnumWindows(MatchWindow, reinterpret_cast<LPARAM>(&q));
        if (q.found) {
            window_ = q.found;
            startSeconds = QpcSeconds(QpcNow() - started_);
            return q.found;
        }
        if (GetTickCount() - begin >= timeoutMs || !Running())
            return nullptr;
        Sleep(1);
    }
}

double Child::CpuSeconds() const {
    if (OnWine())
        return ListedCpuSeconds(pid_);
    FILETIME created, exited, kernel, user;
    return GetProcessTimes(process_, &created, &exited, &kernel, &user) ? Seconds(kernel) + Seconds(user) : 0;
}

Usage Child::Sample() const {
    Usage u;
    u.cpuSeconds = CpuSeconds();
    PROCESS_MEMORY_COUNTERS_EX memory{};
    memory.cb = sizeof memory;
    if (GetProcessMemoryInfo(process_, reinterpret_cast<PROCESS_MEMORY_COUNTERS*>(&memory), sizeof memory)) {
        // Wine fills the commit charge only as PagefileUsage, which Windows keeps equal to PrivateUsage.
        u.privateBytes = memory.PrivateUsage ? memory.PrivateUsage : memory.PagefileUsage;
        u.workingSet = memory.WorkingSetSize;
    }
    u.committed = CommittedPrivate(process_);
    u.gdi = GdiObjects(process_);
    u.user = UserObjects(process_, pid_);
    return u;
}

void Child::Stop(UINT closeMessage, WPARAM wParam) {
    if (!process_)
        return;
    if (window_ && IsWindow(window_))
        PostMessageA(window_, closeMessage, wParam, 0);
    if (WaitForSingleObject(process_, 10000) == WAIT_TIMEOUT) {
        std::fprintf(stderr, "bench: pid %lu did not end, terminating it\n", pid_);
        TerminateProcess(process_, 1);
        WaitForSingleObject(process_, 5000);
    }
}

bool Child::Running() const { return process_ && WaitForSingleObject(process_, 0) == WAIT_TIMEOUT; }
