// The bytes the program holds from operator new, for tests that bound the memory a call may take: this
// file's operator new and delete replace the library's in the test program that links it.
#pragma once

#include <cstddef>

// Starts a new peak at the bytes held now.
void ResetAllocationPeak();
// The most bytes held at once since the last reset, above what was held at the reset.
size_t AllocationPeakAbove();
