// Functions of system libraries that only some of the program's work needs (the file chooser, the
// refusal balloon, sound). They are loaded at their first use, so that starting the program does not load
// them and everything they load in turn.
#pragma once

#include <windows.h>

// The address of name in the system library dll, loaded from the system folder only; null on failure.
// A library once loaded stays loaded.
void* SystemProc(const char* dll, const char* name);

template <class Function>
Function SystemFunction(const char* dll, const char* name) {
    return reinterpret_cast<Function>(SystemProc(dll, name));
}
