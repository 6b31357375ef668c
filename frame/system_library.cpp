#include "frame/system_library.h"

#include <cstring>

void* SystemProc(const char* dll, const char* name) {
    // A full path: a library of the same name beside the program is never the one loaded.
    char path[MAX_PATH];
    UINT length = ::GetSystemDirectoryA(path, MAX_PATH);
    if (length == 0 || length + 1 + std::strlen(dll) >= MAX_PATH)
        return nullptr;
    path[length] = '\\';
    std::strcpy(path + length + 1, dll);
    HMODULE module = ::LoadLibraryA(path);
    return module ? reinterpret_cast<void*>(::GetProcAddress(module, name)) : nullptr;
}
