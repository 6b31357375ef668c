// The application object: start-up data, the command line and the registry profile.
// The profile lives under HKCU\Software\<registry key>\<application name>\<section>. A value of the
// wrong type or size reads as the caller's default; write failures are reported by the return value.
// The profile functions are virtual so that a test can watch the order of the reads and writes.
#pragma once

#include "frame/wnd.h"

class CWinApp {
public:
    explicit CWinApp(const char* appName = nullptr);
    CWinApp(const CWinApp&) = delete;
    CWinApp& operator=(const CWinApp&) = delete;
    virtual ~CWinApp();

    virtual BOOL InitInstance() { return TRUE; }
    virtual int Run();

    void SetRegistryKey(const char* registryKey);
    void Enable3dControls() {}  // controls are three-dimensional on every system we run on

    virtual UINT GetProfileInt(const char* section, const char* entry, int defaultValue);
    virtual CString GetProfileString(const char* section, const char* entry, const char* defaultValue = nullptr);
    virtual BOOL WriteProfileInt(const char* section, const char* entry, int value);
    virtual BOOL WriteProfileString(const char* section, const char* entry, const char* value);

    // Called once by WinMain (and by tests) before InitInstance.
    void Startup(HINSTANCE instance, const char* commandLine);

    HINSTANCE m_hInstance = nullptr;
    CString m_strCmdLine;
    const char* m_lpCmdLine = "";
    CString m_strAppName;       // the executable's name without its extension unless given
    CString m_strRegistryKey;   // empty until SetRegistryKey
    CWnd* m_pMainWnd = nullptr;

private:
    HKEY OpenSectionKey(const char* section, bool create);
    CWinApp* m_pPrevApp;  // the application object again once this one is gone (tests nest them)
};

CWinApp* AfxGetApp();
HINSTANCE AfxGetInstanceHandle();

// 32767 characters is the longest path the system returns.
constexpr DWORD kLongestPath = 32767;
// The full path of a module's file (null: the program's own), read into a buffer of capacity
// characters; empty when it does not fit whole or the call fails, never a truncated path.
CString AfxGetModulePath(HMODULE module, DWORD capacity = kLongestPath + 1);
