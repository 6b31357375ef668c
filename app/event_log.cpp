#include <cstdio>
#include <ctime>

#include "app/meter_dlg.h"

void LogLine(const char* text) {
    if (!g_pMainDlg || !g_pMainDlg->m_list.m_hWnd)
        return;
    std::time_t now = std::time(nullptr);
    const std::tm* local = std::localtime(&now);
    char line[128];
    // snprintf cuts a text too long for the line instead of overflowing it.
    std::snprintf(line, sizeof line, "%02d:%02d:%02d %s", local ? local->tm_hour : 0, local ? local->tm_min : 0,
                  local ? local->tm_sec : 0, text ? text : "");
    CListBox& list = g_pMainDlg->m_list;
    list.AddString(line);
    list.SetCurSel(list.GetCount() - 1);
}
