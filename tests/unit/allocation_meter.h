// The bytes the program holds from operator new, and the blocks it takes, for tests that bound the memory a
// call may take: this file's operator new and delete replace the library's in the test program that links it.
#pragma once

#include <cstddef>

// Starts a new peak at the bytes held now, and a new count of blocks taken.
void ResetAllocationPeak();
// The most bytes held at once since the last reset, above what was held at the reset.
size_t AllocationPeakAbove();
// The blocks taken since the last reset.
size_t AllocationsSinceReset();
