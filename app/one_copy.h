// One copy of the program a user. The first start holds a mutex named in the session's namespace after the
// profile's key (a renamed copy of the program is a program of its own, as its settings and history are) and
// marks its main window with a property of the same name; a later start shows that window and ends.
#pragma once

#include <windows.h>

#include <cstdint>
#include <string>

// "<registry key>/<application name>", as the profile's key HKCU\Software\<registry key>\<application name>.
std::string CopyName(const char* registryKey, const char* appName);

class OneCopy {
public:
    explicit OneCopy(const std::string& name);
    ~OneCopy();
    OneCopy(const OneCopy&) = delete;
    OneCopy& operator=(const OneCopy&) = delete;

    // False when another copy holds the name; a name that cannot be had at all lets this copy run.
    bool first() const { return m_first; }

private:
    HANDLE m_mutex = nullptr;
    bool m_first = true;
};

// Marks window as the one a later start shows (mark), or takes the mark off before it goes.
void MarkMainWindow(HWND window, const std::string& name, bool mark);
// Restores the window marked with name and brings it to the front. A copy just started may not have made its
// window yet: it is looked for up to waitMs. False when none was found.
bool ShowMarkedWindow(const std::string& name, uint32_t waitMs);
