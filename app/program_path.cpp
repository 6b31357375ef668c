#include "app/program_path.h"

#include <windows.h>

#include <vector>

CString ProgramPath() {
    // 32767 characters is the longest path the system returns.
    std::vector<char> path(32768);
    SetLastError(ERROR_SUCCESS);
    DWORD length = ::GetModuleFileNameA(nullptr, path.data(), static_cast<DWORD>(path.size()));
    if (length == 0 || length >= path.size() - 1 || GetLastError() == ERROR_INSUFFICIENT_BUFFER)
        return CString();
    return CString(path.data(), static_cast<int>(length));
}
