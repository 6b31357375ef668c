#include "frame/winapp.h"

#include <cstring>
#include <vector>

static CWinApp* g_pApp = nullptr;

CWinApp* AfxGetApp() { return g_pApp; }
HINSTANCE AfxGetInstanceHandle() { return g_pApp && g_pApp->m_hInstance ? g_pApp->m_hInstance : ::GetModuleHandleA(nullptr); }

CWinApp::CWinApp(const char* appName) : m_strAppName(appName), m_pPrevApp(g_pApp) { g_pApp = this; }

CWinApp::~CWinApp() {
    if (g_pApp == this)
        g_pApp = m_pPrevApp;
}

CString AfxGetModulePath(HMODULE module, DWORD capacity) {
    if (capacity == 0)
        return CString();
    std::vector<char> path(capacity);
    ::SetLastError(ERROR_SUCCESS);
    DWORD length = ::GetModuleFileNameA(module, path.data(), capacity);
    // A cut path fills the whole buffer (older systems leave it unterminated, newer ones also set
    // ERROR_INSUFFICIENT_BUFFER), so a path that fits leaves room for its terminating zero.
    if (length == 0 || length >= capacity || ::GetLastError() == ERROR_INSUFFICIENT_BUFFER)
        return CString();
    return CString(path.data(), static_cast<int>(length));
}

void CWinApp::Startup(HINSTANCE instance, const char* commandLine) {
    m_hInstance = instance;
    m_strCmdLine = commandLine;
    m_lpCmdLine = m_strCmdLine;
    if (!m_strAppName.IsEmpty())
        return;
    // Without the whole path the name is unknown; the profile then stays unused rather than misplaced.
    CString path = AfxGetModulePath(nullptr);
    const char* name = std::strrchr(path, '\\');
    name = name ? name + 1 : static_cast<const char*>(path);
    const char* dot = std::strrchr(name, '.');
    m_strAppName = CString(name, dot ? static_cast<int>(dot - name) : static_cast<int>(std::strlen(name)));
}

int CWinApp::Run() {
    MSG msg;
    while (::GetMessageA(&msg, nullptr, 0, 0) > 0) {
        ::TranslateMessage(&msg);
        ::DispatchMessageA(&msg);
    }
    return 0;
}

void CWinApp::SetRegistryKey(const char* registryKey) { m_strRegistryKey = registryKey; }

HKEY CWinApp::OpenSectionKey(const char* section, bool create) {
    if (m_strRegistryKey.IsEmpty() || m_strAppName.IsEmpty())
        return nullptr;
    CString path;
    path.Format("Software\\%s\\%s\\%s", static_cast<const char*>(m_strRegistryKey),
                static_cast<const char*>(m_strAppName), section);
    HKEY key = nullptr;
    LONG status = create ? ::RegCreateKeyExA(HKEY_CURRENT_USER, path, 0, nullptr, REG_OPTION_NON_VOLATILE,
                                             KEY_WRITE | KEY_READ, nullptr, &key, nullptr)
                         : ::RegOpenKeyExA(HKEY_CURRENT_USER, path, 0, KEY_READ, &key);
    return status == ERROR_SUCCESS ? key : nullptr;
}

UINT CWinApp::GetProfileInt(const char* section, const char* entry, int defaultValue) {
    HKEY key = OpenSectionKey(section, false);
    if (!key)
        return static_cast<UINT>(defaultValue);
    DWORD type = 0;
    DWORD value = 0;
    DWORD size = sizeof value;
    LONG status = ::RegQueryValueExA(key, entry, nullptr, &type, reinterpret_cast<BYTE*>(&value), &size);
    ::RegCloseKey(key);
    if (status != ERROR_SUCCESS || type != REG_DWORD || size != sizeof value)
        return static_cast<UINT>(defaultValue);
    return value;
}

CString CWinApp::GetProfileString(const char* section, const char* entry, const char* defaultValue) {
    HKEY key = OpenSectionKey(section, false);
    if (!key)
        return CString(defaultValue);
    // A text value of any length is read whole; anything else gives the default.
    CString text(defaultValue);
    DWORD type = 0;
    DWORD size = 0;
    if (::RegQueryValueExA(key, entry, nullptr, &type, nullptr, &size) == ERROR_SUCCESS && type == REG_SZ &&
        size < (1u << 20)) {
        CString value;
        char* buffer = value.GetBuffer(static_cast<int>(size) + 1);
        DWORD got = size;
        if (::RegQueryValueExA(key, entry, nullptr, &type, reinterpret_cast<BYTE*>(buffer), &got) == ERROR_SUCCESS &&
            type == REG_SZ) {
            buffer[got < size + 1 ? got : size] = '\0';
            value.ReleaseBuffer();
            text = value;
        }
    }
    ::RegCloseKey(key);
    return text;
}

BOOL CWinApp::WriteProfileInt(const char* section, const char* entry, int value) {
    HKEY key = OpenSectionKey(section, true);
    if (!key)
        return FALSE;
    DWORD data = static_cast<DWORD>(value);
    LONG status = ::RegSetValueExA(key, entry, 0, REG_DWORD, reinterpret_cast<const BYTE*>(&data), sizeof data);
    ::RegCloseKey(key);
    return status == ERROR_SUCCESS;
}

BOOL CWinApp::WriteProfileString(const char* section, const char* entry, const char* value) {
    HKEY key = OpenSectionKey(section, true);
    if (!key)
        return FALSE;
    LONG status;
    if (value) {
        status = ::RegSetValueExA(key, entry, 0, REG_SZ, reinterpret_cast<const BYTE*>(value),
                                  static_cast<DWORD>(std::strlen(value) + 1));
    } else {
        status = ::RegDeleteValueA(key, entry);
    }
    ::RegCloseKey(key);
    return status == ERROR_SUCCESS;
}
