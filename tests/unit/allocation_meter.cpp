#include "tests/unit/allocation_meter.h"

#include <atomic>
#include <cstdlib>
#include <new>

namespace {

// Each block starts with its size, kept in a header of the largest fundamental alignment.
constexpr size_t kHeader = alignof(std::max_align_t);

std::atomic<size_t> g_held{0};
std::atomic<size_t> g_peak{0};
std::atomic<size_t> g_base{0};
std::atomic<size_t> g_taken{0};

void* Take(size_t size) {
    void* block = std::malloc(size + kHeader);
    if (!block)
        return nullptr;
    *static_cast<size_t*>(block) = size;
    ++g_taken;
    size_t held = g_held += size;
    size_t peak = g_peak.load();
    while (held > peak && !g_peak.compare_exchange_weak(peak, held)) {
    }
    return static_cast<char*>(block) + kHeader;
}

void Give(void* pointer) {
    if (!pointer)
        return;
    void* block = static_cast<char*>(pointer) - kHeader;
    g_held -= *static_cast<size_t*>(block);
    std::free(block);
}

void* TakeOrThrow(size_t size) {
    void* p = Take(size);
    if (!p)
        throw std::bad_alloc();
    return p;
}

}  // namespace

void ResetAllocationPeak() {
    g_base = g_held.load();
    g_peak = g_held.load();
    g_taken = 0;
}

size_t AllocationPeakAbove() { return g_peak.load() - g_base.load(); }

size_t AllocationsSinceReset() { return g_taken.load(); }

void* operator new(size_t size) { return TakeOrThrow(size); }
void* operator new[](size_t size) { return TakeOrThrow(size); }
void* operator new(size_t size, const std::nothrow_t&) noexcept { return Take(size); }
void* operator new[](size_t size, const std::nothrow_t&) noexcept { return Take(size); }
void operator delete(void* p) noexcept { Give(p); }
void operator delete[](void* p) noexcept { Give(p); }
void operator delete(void* p, size_t) noexcept { Give(p); }
void operator delete[](void* p, size_t) noexcept { Give(p); }
void operator delete(void* p, const std::nothrow_t&) noexcept { Give(p); }
void operator delete[](void* p, const std::nothrow_t&) noexcept { Give(p); }
