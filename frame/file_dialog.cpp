#include "frame/file_dialog.h"

#include "frame/system_library.h"

#include <cstring>

CFileDialog::CFileDialog(BOOL openFileDialog, const char* defaultExt, const char* fileName, DWORD flags,
                         const char* filter, CWnd* parent)
    : m_bOpenFileDialog(openFileDialog), m_strFilter(filter), m_strDefExt(defaultExt) {
    if (fileName)
        std::strncpy(m_szFileName, fileName, sizeof m_szFileName - 1);
    // The filter's '|' separators become the NULs the system expects.
    char* parts = m_strFilter.GetBuffer(m_strFilter.GetLength() + 1);
    int length = m_strFilter.GetLength();
    for (int i = 0; i < length; ++i) {
        if (parts[i] == '|')
            parts[i] = '\0';
    }
    m_ofn.lStructSize = sizeof m_ofn;
    m_ofn.hwndOwner = parent ? parent->m_hWnd : nullptr;
    m_ofn.lpstrFilter = filter ? parts : nullptr;
    m_ofn.lpstrFile = m_szFileName;
    m_ofn.nMaxFile = sizeof m_szFileName;
    m_ofn.lpstrDefExt = m_strDefExt.IsEmpty() ? nullptr : static_cast<const char*>(m_strDefExt);
    m_ofn.Flags = flags | OFN_EXPLORER | OFN_ENABLESIZING | (openFileDialog ? OFN_FILEMUSTEXIST : OFN_OVERWRITEPROMPT);
}

INT_PTR CFileDialog::DoModal() {
    // The system copies the initial folder into a MAX_PATH buffer without a check (an unreadable one is
    // skipped), so a longer one is left out here and the system's own start folder is used.
    const char* initialDir = m_ofn.lpstrInitialDir;
    if (initialDir && std::strlen(initialDir) >= MAX_PATH)
        m_ofn.lpstrInitialDir = nullptr;
    using Chooser = BOOL(WINAPI*)(LPOPENFILENAMEA);
    static const Chooser open = SystemFunction<Chooser>("comdlg32.dll", "GetOpenFileNameA");
    static const Chooser save = SystemFunction<Chooser>("comdlg32.dll", "GetSaveFileNameA");
    Chooser choose = m_bOpenFileDialog ? open : save;
    BOOL chosen = choose && choose(&m_ofn);
    m_ofn.lpstrInitialDir = initialDir;
    return chosen ? IDOK : IDCANCEL;
}
