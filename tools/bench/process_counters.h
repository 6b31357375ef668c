// What the system tells about a process's resources, also where Wine leaves the usual calls stubs. The
// benchmark reads them for the programs it watches; leak tests read them for their own process.
#pragma once

#include <windows.h>

#include <cstddef>

// GetGuiResources, or where the system leaves it a stub returning 0 (Wine), a count of its own:
// GDI objects from the process's GDI handle table, USER objects as the windows the process owns.
unsigned long GdiObjects(HANDLE process);
unsigned long UserObjects(HANDLE process, DWORD pid);
// Whether the counts above come from GetGuiResources itself.
bool GuiResourcesWork();
// Private bytes counted as Windows defines them: the committed private regions of the address space.
// Wine answers it where GetProcessMemoryInfo's PrivateUsage stays 0.
size_t CommittedPrivate(HANDLE process);
// This process's committed private memory less the free space its heaps hold in it: what a leak adds to,
// byte by byte, where the committed memory grows only in the heaps' steps (64 KB under Wine).
size_t PrivateBytesInUse();
// Whether this is Wine, whose GetProcessTimes answers for another process with the caller's own times:
// there the process's times come from the system's process list, which has them right.
bool OnWine();
// User + kernel seconds of pid from the system's process list; 0 when it is not there.
double ListedCpuSeconds(DWORD pid);
