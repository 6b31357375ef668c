#include "frame/ddx.h"

#include <commctrl.h>

#include <climits>
#include <cstdio>

#include "frame/system_library.h"

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

namespace {

constexpr UINT_PTR kRefusalTimer = 0xDD1;
constexpr UINT kRefusalShownMs = 3000;
constexpr char kRefusalText[] = "Please enter a whole number.";
HWND g_refusalTip = nullptr;  // one for the process: only one window refuses at a time

TOOLINFOA RefusalTool(HWND owner) {
    TOOLINFOA tool{};
    tool.cbSize = TTTOOLINFOA_V1_SIZE;  // the size every version of the common controls accepts
    tool.uFlags = TTF_TRACK | TTF_ABSOLUTE;
    tool.hwnd = owner;
    tool.uId = 1;
    tool.lpszText = const_cast<char*>(kRefusalText);
    return tool;
}

void CALLBACK HideRefusal(HWND owner, UINT, UINT_PTR timer, DWORD) {
    ::KillTimer(owner, timer);
    TOOLINFOA tool = RefusalTool(owner);
    if (::IsWindow(g_refusalTip))
        ::SendMessageA(g_refusalTip, TTM_TRACKACTIVATE, FALSE, reinterpret_cast<LPARAM>(&tool));
}

HWND RefusalTip(HWND owner) {
    if (::IsWindow(g_refusalTip) && ::GetWindow(g_refusalTip, GW_OWNER) == owner)
        return g_refusalTip;
    if (::IsWindow(g_refusalTip))
        ::DestroyWindow(g_refusalTip);
    using Init = BOOL(WINAPI*)(const INITCOMMONCONTROLSEX*);
    static const Init init = SystemFunction<Init>("comctl32.dll", "InitCommonControlsEx");
    INITCOMMONCONTROLSEX classes{sizeof classes, ICC_BAR_CLASSES};
    if (!init || !init(&classes))
        return nullptr;
    g_refusalTip = ::CreateWindowExA(WS_EX_TOPMOST, TOOLTIPS_CLASSA, nullptr,
                                     WS_POPUP | TTS_BALLOON | TTS_NOPREFIX | TTS_ALWAYSTIP, 0, 0, 0, 0, owner,
                                     nullptr, ::GetModuleHandleA(nullptr), nullptr);
    if (g_refusalTip) {
        TOOLINFOA tool = RefusalTool(owner);
        ::SendMessageA(g_refusalTip, TTM_ADDTOOLA, 0, reinterpret_cast<LPARAM>(&tool));
    }
    return g_refusalTip;
}

// Shows why the text was refused without taking the focus from the game: a beep and, for a few
// seconds, a balloon under the field. The edit control's own balloon (EM_SHOWBALLOONTIP) needs
// version 6 of the common controls, which a program without a manifest never gets; a tracking
// tooltip works with every version and is shown without activation.
void ShowRefusal(HWND field) {
    ::MessageBeep(MB_ICONWARNING);
    HWND owner = ::GetParent(field);
    HWND tip = owner ? RefusalTip(owner) : nullptr;
    if (!tip)
        return;
    RECT box;
    ::GetWindowRect(field, &box);
    TOOLINFOA tool = RefusalTool(owner);
    ::SendMessageA(tip, TTM_TRACKPOSITION, 0, MAKELPARAM((box.left + box.right) / 2, box.bottom));
    ::SendMessageA(tip, TTM_TRACKACTIVATE, TRUE, reinterpret_cast<LPARAM>(&tool));
    // The link's loops dispatch only the dialog's own messages, never the tip's: paint it now.
    ::UpdateWindow(tip);
    ::SetTimer(owner, kRefusalTimer, kRefusalShownMs, HideRefusal);
}

}  // namespace

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
    // A state the box cannot show is shown clear; the member itself is left as it is.
    int state = value >= 0 && value <= 2 ? value : 0;
    ::SendMessageA(box, BM_SETCHECK, static_cast<WPARAM>(state), 0);
}
