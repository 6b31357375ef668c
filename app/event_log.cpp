#include <cstdio>

#include "app/meter_dlg.h"
#include "util/local_time.h"

void LogLine(const char* text) {
    if (!g_pMainDlg || !g_pMainDlg->m_list.m_hWnd)
        return;
    char line[128];
    // snprintf cuts a text too long for the line instead of overflowing it.
    std::snprintf(line, sizeof line, "%s %s", TimeOfDay(LocalNow()).c_str(), text ? text : "");
    CListBox& list = g_pMainDlg->m_list;
    list.AddString(line);
    list.SetCurSel(list.GetCount() - 1);
}
