#include "tools/bench/process_counters.h"

#include <winternl.h>

#include <cstdint>
#include <vector>

namespace {

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

// Bytes in the free blocks of this process's heaps (the first kMaxHeaps of them).
size_t HeapFreeBytes() {
    constexpr DWORD kMaxHeaps = 256;
    HANDLE heaps[kMaxHeaps];
    DWORD count = GetProcessHeaps(kMaxHeaps, heaps);
    size_t free = 0;
    for (DWORD i = 0; i < count && i < kMaxHeaps; ++i) {
        if (!HeapLock(heaps[i]))
            continue;
        PROCESS_HEAP_ENTRY entry{};
        while (HeapWalk(heaps[i], &entry)) {
            if (!(entry.wFlags & (PROCESS_HEAP_ENTRY_BUSY | PROCESS_HEAP_REGION | PROCESS_HEAP_UNCOMMITTED_RANGE)))
                free += entry.cbData;
        }
        HeapUnlock(heaps[i]);
    }
    return free;
}

}  // namespace

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

size_t PrivateBytesInUse() { return CommittedPrivate(GetCurrentProcess()) - HeapFreeBytes(); }

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
