#include "tools/bench/child.h"

#include <psapi.h>
#include <winternl.h>

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

struct WindowCount {
    DWORD pid;
    unsigned long count;
};

BOOL CALLBACK CountChild(HWND hwnd, LPARAM param) {
    (void)hwnd;
    ++reinterpret_cast<WindowCount*>(param)->count;
    return TRUE;
}

BOOL CALLBACK CountTop(HWND hwnd, LPARAM param) {
    auto* c = reinterpret_cast<WindowCount*>(param);
    DWORD pid = 0;
    GetWindowThreadProcessId(hwnd, &pid);
    if (pid == c->pid) {
        ++c->count;
        EnumChildWindows(hwnd, CountChild, param);
    }
    return TRUE;
}

// One entry of the GDI handle table as Wine lays it out for both widths (and 64-bit Windows too).
struct GdiEntry {
    uint64_t object;
    uint16_t processId;
    uint16_t count;
    uint16_t upper;
    uint16_t type;
    uint64_t user;
};
static_assert(sizeof(GdiEntry) == 24, "GDI handle table entry");
constexpr size_t kGdiEntries = 0x10000;
// PEB.GdiSharedHandleTable
constexpr size_t kPebGdiTable = sizeof(void*) == 8 ? 0xF8 : 0x94;

using QueryProcess = NTSTATUS(NTAPI*)(HANDLE, PROCESSINFOCLASS, PVOID, ULONG, PULONG);

unsigned long CountGdiTable(HANDLE process) {
    static auto query = reinterpret_cast<QueryProcess>(
        reinterpret_cast<void*>(GetProcAddress(GetModuleHandleA("ntdll.dll"), "NtQueryInformationProcess")));
    PROCESS_BASIC_INFORMATION basic{};
    ULONG length = 0;
    if (!query || query(process, ProcessBasicInformation, &basic, sizeof basic, &length) != 0)
        return 0;
    void* table = nullptr;
    SIZE_T got = 0;
    if (!ReadProcessMemory(process, reinterpret_cast<char*>(basic.PebBaseAddress) + kPebGdiTable, &table,
                           sizeof table, &got) ||
        !table)
        return 0;
    static std::vector<GdiEntry> entries(kGdiEntries);
    if (!ReadProcessMemory(process, table, entries.data(), entries.size() * sizeof(GdiEntry), &got))
        return 0;
    DWORD pid = GetProcessId(process);
    unsigned long used = 0;
    for (size_t i = 0; i < got / sizeof(GdiEntry); ++i) {
        const GdiEntry& e = entries[i];
        // Wine's table is the process's own and leaves the owner 0; a shared table names the owner.
        if ((e.type & 0x7F) != 0 && (e.processId == 0 || e.processId == (pid & 0xFFFF)))
            ++used;
    }
    return used;
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
            startSeconds = QpcSeconds(QpcNow() - started_);
            return q.found;
        }
        if (GetTickCount() - begin >= timeoutMs || !Running())
            return nullptr;
        Sleep(1);
    }
}

Usage Child::Sample() const {
    Usage u;
    FILETIME created, exited, kernel, user;
    if (GetProcessTimes(process_, &created, &exited, &kernel, &user))
        u.cpuSeconds = Seconds(kernel) + Seconds(user);
    PROCESS_MEMORY_COUNTERS_EX memory{};
    memory.cb = sizeof memory;
    if (GetProcessMemoryInfo(process_, reinterpret_cast<PROCESS_MEMORY_COUNTERS*>(&memory), sizeof memory)) {
        // Wine fills the commit charge only as PagefileUsage, which Windows keeps equal to PrivateUsage.
        u.privateBytes = memory.PrivateUsage ? memory.PrivateUsage : memory.PagefileUsage;
        u.workingSet = memory.WorkingSetSize;
    }
    u.gdi = GdiObjects(process_);
    u.user = UserObjects(process_, pid_);
    return u;
}

void Child::Stop(HWND window, UINT closeMessage, WPARAM wParam) {
    if (!process_)
        return;
    if (window && IsWindow(window))
        PostMessageA(window, closeMessage, wParam, 0);
    if (WaitForSingleObject(process_, 10000) == WAIT_TIMEOUT) {
        std::fprintf(stderr, "bench: pid %lu did not end, terminating it\n", pid_);
        TerminateProcess(process_, 1);
        WaitForSingleObject(process_, 5000);
    }
}

bool Child::Running() const { return process_ && WaitForSingleObject(process_, 0) == WAIT_TIMEOUT; }

bool GuiResourcesWork() {
    static const bool works = GetGuiResources(GetCurrentProcess(), GR_GDIOBJECTS) != 0;
    return works;
}

unsigned long GdiObjects(HANDLE process) {
    return GuiResourcesWork() ? GetGuiResources(process, GR_GDIOBJECTS) : CountGdiTable(process);
}

unsigned long UserObjects(HANDLE process, DWORD pid) {
    if (GuiResourcesWork())
        return GetGuiResources(process, GR_USEROBJECTS);
    WindowCount c{pid, 0};
    EnumWindows(CountTop, reinterpret_cast<LPARAM>(&c));
    return c.count;
}
