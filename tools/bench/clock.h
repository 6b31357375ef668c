// The benchmark's one clock: QueryPerformanceCounter, which Wine takes from the system's monotonic clock,
// so stamps taken in different processes of one session compare.
#pragma once

#include <windows.h>

#include <cstdint>

inline int64_t QpcNow() {
    LARGE_INTEGER t;
    QueryPerformanceCounter(&t);
    return t.QuadPart;
}

inline double QpcSeconds(int64_t ticks) {
    static const double frequency = [] {
        LARGE_INTEGER f;
        QueryPerformanceFrequency(&f);
        return static_cast<double>(f.QuadPart);
    }();
    return static_cast<double>(ticks) / frequency;
}
