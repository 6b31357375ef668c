#include "app/meter_dlg.h"
#include "link/link.h"

void PumpMessages() {
    HWND filter = g_pMainDlg ? g_pMainDlg->m_hWnd : nullptr;
    MSG msg;
    while (::PeekMessageA(&msg, filter, 0, 0, PM_REMOVE)) {
        ::TranslateMessage(&msg);
        ::DispatchMessageA(&msg);
    }
}
