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
using QuerySystem = NTSTATUS(NTAPI*)(SYSTEM_INFORMATION_CLASS, PVOID, ULONG, PULONG);

template <class Function>
Function Ntdll(const char* name) {
    return reinterpret_cast<Function>(reinterpret_cast<void*>(GetProcAddress(GetModuleHandleA("ntdll.dll"), name)));
}

// The head of one SYSTEM_PROCESS_INFORMATION entry, the same for both widths up to the times.
struct ProcessEntry {
    ULONG nextEntryOffset;
    ULONG threads;
    uint8_t unused[24];
    LARGE_INTEGER createTime, userTime, kernelTime;
};

// User + kernel seconds of pid from the system's process list; 0 when it is not there.
double ListedCpuSeconds(DWORD pid) {
    static auto query = Ntdll<QuerySystem>("NtQuerySystemInformation");
    static std::vector<uint8_t> buffer(1 << 18);
    ULONG length = 0;
    NTSTATUS status;
    while ((status = query(SystemProcessInformation, buffer.data(), static_cast<ULONG>(buffer.size()), &length)) ==
           static_cast<NTSTATUS>(0xC0000004L))  // STATUS_INFO_LENGTH_MISMATCH
        buffer.resize(buffer.size() * 2);
    if (status != 0)
        return 0;
    for (size_t at = 0;;) {
        auto* entry = reinterpret_cast<const SYSTEM_PROCESS_INFORMATION*>(&buffer[at]);
        if (reinterpret_cast<uintptr_t>(entry->UniqueProcessId) == pid) {
            auto* head = reinterpret_cast<const ProcessEntry*>(entry);
            return static_cast<double>(head->userTime.QuadPart + head->kernelTime.QuadPart) / 1e7;
        }
        if (!entry->NextEntryOffset)
            return 0;
        at += entry->NextEntryOffset;
    }
}

// Private bytes counted as Windows defines them: the committed private regions of the address space.
size_t CommittedPrivate(HANDLE process) {
    size_t total = 0;
    MEMORY_BASIC_INFORMATION region;
    for (const char* at = nullptr; VirtualQueryEx(process, at, &region, sizeof region) == sizeof region;) {
        if (region.State == MEM_COMMIT && region.Type == MEM_PRIVATE)
            total += region.RegionSize;
        const char* next = static_cast<const char*>(region.BaseAddress) + region.RegionSize;
        if (next <= at)
            break;
        at = next;
    }
    return total;
}

unsigned long CountGdiTable(HANDLE process) {
    static auto query = Ntdll<QueryProcess>("NtQueryInformationProcess");
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

bool OnWine() {
    static const bool wine = GetProcAddress(GetModuleHandleA("ntdll.dll"), "wine_get_version") != nullptr;
    return wine;
}

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
