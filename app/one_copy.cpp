#include "app/one_copy.h"

namespace {

struct Search {
    const char* name;
    HWND found;
};

BOOL CALLBACK MatchMarked(HWND window, LPARAM lParam) {
    Search* search = reinterpret_cast<Search*>(lParam);
    if (!::GetPropA(window, search->name))
        return TRUE;
    search->found = window;
    return FALSE;
}

}  // namespace

std::string CopyName(const char* registryKey, const char* appName) {
    return std::string(registryKey) + '/' + appName;
}

OneCopy::OneCopy(const std::string& name) {
    m_mutex = ::CreateMutexA(nullptr, FALSE, ("Local\\" + name).c_str());
    m_first = !m_mutex || ::GetLastError() != ERROR_ALREADY_EXISTS;
}

OneCopy::~OneCopy() {
    if (m_mutex)
        ::CloseHandle(m_mutex);
}

void MarkMainWindow(HWND window, const std::string& name, bool mark) {
    if (mark)
        ::SetPropA(window, name.c_str(), reinterpret_cast<HANDLE>(1));
    else
        ::RemovePropA(window, name.c_str());
}

bool ShowMarkedWindow(const std::string& name, uint32_t waitMs) {
    Search search{name.c_str(), nullptr};
    for (DWORD start = ::GetTickCount();;) {
        ::EnumWindows(MatchMarked, reinterpret_cast<LPARAM>(&search));
        if (search.found)
            break;
        if (::GetTickCount() - start >= waitMs)
            return false;
        ::Sleep(50);
    }
    ::ShowWindow(search.found, ::IsIconic(search.found) ? SW_RESTORE : SW_SHOW);
    ::SetForegroundWindow(search.found);
    return true;
}
