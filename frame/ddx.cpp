#include "frame/ddx.h"

#include <commctrl.h>

#include <climits>
#include <cstdio>

bool ParseInt32(const char* text, int* value) {
    const char* p = text ? text : "";
    while (*p == ' ' || *p == '\t')
        ++p;
    bool negative = false;
    if (*p == '+' || *p == '-')
        negative = *p++ == '-';
    if (*p < '0' || *p > '9')
        return false;
    long long magnitude = 0;
    for (; *p >= '0' && *p <= '9'; ++p) {
        magnitude = magnitude * 10 + (*p - '0');
        if (magnitude > static_cast<long long>(INT_MAX) + 1)
            return false;
    }
    while (*p == ' ' || *p == '\t')
        ++p;
    if (*p)
        return false;
    long long result = negative ? -magnitude : magnitude;
    if (result > INT_MAX || result < INT_MIN)
        return false;
    *value = static_cast<int>(result);
    return true;
}

// Shows why the text was refused without taking the focus from the game.
static void ShowRefusal(HWND field) {
    ::MessageBeep(MB_ICONWARNING);
    EDITBALLOONTIP tip{};
    tip.cbStruct = sizeof tip;
    tip.pszTitle = L"Not a whole number";
    tip.pszText = L"The previous value is kept.";
    tip.ttiIcon = TTI_WARNING;
    ::SendMessageA(field, EM_SHOWBALLOONTIP, 0, reinterpret_cast<LPARAM>(&tip));
}

void DDX_Control(CDataExchange* dx, int id, CWnd& control) {
    if (!control.m_hWnd)
        control.m_hWnd = dx->Control(id);
}

void DDX_Text(CDataExchange* dx, int id, int& value) {
    HWND field = dx->Control(id);
    char text[64];
    if (dx->m_bSaveAndValidate) {
        char buffer[256] = {};
        ::GetWindowTextA(field, buffer, sizeof buffer);
        if (ParseInt32(buffer, &value))
            return;
        dx->m_bFailed = true;
        std::snprintf(text, sizeof text, "%d", value);
        ::SetWindowTextA(field, text);
        ShowRefusal(field);
        return;
    }
    std::snprintf(text, sizeof text, "%d", value);
    ::SetWindowTextA(field, text);
}

void DDX_Text(CDataExchange* dx, int id, CString& value) {
    HWND field = dx->Control(id);
    if (!dx->m_bSaveAndValidate) {
        ::SetWindowTextA(field, value);
        return;
    }
    CString text;
    int length = ::GetWindowTextLengthA(field);
    if (length > 0) {
        ::GetWindowTextA(field, text.GetBuffer(length), length + 1);
        text.ReleaseBuffer();
    }
    value = text;
}

void DDX_Check(CDataExchange* dx, int id, int& value) {
    HWND box = dx->Control(id);
    if (dx->m_bSaveAndValidate) {
        value = static_cast<int>(::SendMessageA(box, BM_GETCHECK, 0, 0));
        return;
    }
    if (value < 0 || value > 2)
        value = 0;
    ::SendMessageA(box, BM_SETCHECK, static_cast<WPARAM>(value), 0);
}
