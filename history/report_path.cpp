#include "history/report_path.h"

#include <windows.h>
#include <shlobj.h>

#include "frame/winapp.h"

std::string ReportPath() {
    CWinApp* app = AfxGetApp();
    if (!app || app->m_strAppName.IsEmpty())
        return {};
    char folder[MAX_PATH] = "";
    if (FAILED(::SHGetFolderPathA(nullptr, CSIDL_APPDATA, nullptr, SHGFP_TYPE_CURRENT, folder))) {
        DWORD length = ::GetEnvironmentVariableA("APPDATA", folder, sizeof folder);
        if (length == 0 || length >= sizeof folder)
            return {};
    }
    return std::string(folder) + "\\Vorkel\\" + static_cast<const char*>(app->m_strAppName) + "\\report.html";
}
