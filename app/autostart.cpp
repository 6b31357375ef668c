#include "app/autostart.h"

#include "app/meter_dlg.h"
#include "app/program_path.h"
#include "app/res/resource.h"

static constexpr char kRunKey[] = "Software\\Microsoft\\Windows\\CurrentVersion\\Run";
static constexpr char kRunValue[] = "CADRO";

CString RunCommand(const char* programPath) {
    if (!programPath || !*programPath)
        return CString();
    CString command("\"");
    command += programPath;
    command += "\" -auto";
    return command;
}

LONG SetRunEntry(bool on) {
    HKEY key = nullptr;
    LONG status = ::RegOpenKeyExA(HKEY_CURRENT_USER, kRunKey, 0, KEY_ALL_ACCESS, &key);
    if (status != ERROR_SUCCESS)
        return status;
    if (on) {
        CString command = RunCommand(ProgramPath());
        status = command.IsEmpty() ? ERROR_FILENAME_EXCED_RANGE
                                   : ::RegSetValueExA(key, kRunValue, 0, REG_SZ,
                                                      reinterpret_cast<const BYTE*>(static_cast<const char*>(command)),
                                                      static_cast<DWORD>(command.GetLength()) + 1);
    } else {
        status = ::RegDeleteValueA(key, kRunValue);
    }
    ::RegCloseKey(key);
    return status;
}

void CMeterDlg::OnAutoStart() {
    UpdateData(TRUE);
    if (CWinApp* app = AfxGetApp())
        app->WriteProfileInt(kProfileSection, "AUTOSTART", m_bAutoStart);
    SetRunEntry(m_bAutoStart != 0);
}
