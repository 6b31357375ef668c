#include "app/autostart.h"

#include "app/meter_dlg.h"
#include "app/program_path.h"
#include "app/res/resource.h"

static constexpr char kRunKey[] = "Software\\Microsoft\\Windows\\CurrentVersion\\Run";
static constexpr char kRunValue[] = "CADRO";

LONG SetRunEntry(bool on) {
    HKEY key = nullptr;
    LONG status = ::RegOpenKeyExA(HKEY_CURRENT_USER, kRunKey, 0, KEY_ALL_ACCESS, &key);
    if (status != ERROR_SUCCESS)
        return status;
    if (on) {
        // Quoted, so that a path with blanks cannot be split into another program's name.
        CString path = ProgramPath();
        if (path.IsEmpty()) {
            status = ERROR_FILENAME_EXCED_RANGE;
        } else {
            CString command("\"");
            command += path;
            command += "\" -auto";
            status = ::RegSetValueExA(key, kRunValue, 0, REG_SZ, reinterpret_cast<const BYTE*>(
                                          static_cast<const char*>(command)), command.GetLength() + 1);
        }
    } else {
        status = ::RegDeleteValueA(key, kRunValue);
    }
    ::RegCloseKey(key);
    return status;
}

void CMeterDlg::OnAutoStart() {
    UpdateData(TRUE);
    if (CWinApp* app = AfxGetApp())
        app->WriteProfileInt("MAIN", "AUTOSTART", m_bAutoStart);
    SetRunEntry(m_bAutoStart != 0);
}
