// Window objects and message maps.
// A message map is a table of (message, notification code, control id, thunk). Each thunk is a
// captureless lambda that casts the window back to its class and calls a typed handler, so handlers
// never unpack wParam/lParam themselves. Maps chain to the base class's map.
#pragma once

#include <windows.h>

#include <map>

#include "frame/cstring.h"

class CWnd;

struct AFX_MSGMAP_ENTRY {
    UINT nMessage;
    UINT nCode;  // notification code for WM_COMMAND, else 0
    UINT nID;    // control id for WM_COMMAND, else 0
    LRESULT (*pfn)(CWnd* wnd, WPARAM wParam, LPARAM lParam);
};

struct AFX_MSGMAP {
    const AFX_MSGMAP* (*pfnGetBaseMap)();
    const AFX_MSGMAP_ENTRY* lpEntries;
};

#define DECLARE_MESSAGE_MAP()                     \
protected:                                        \
    static const AFX_MSGMAP* GetThisMessageMap(); \
    const AFX_MSGMAP* GetMessageMap() const override;

#define BEGIN_MESSAGE_MAP(theClass, baseClass)                                     \
    const AFX_MSGMAP* theClass::GetMessageMap() const { return GetThisMessageMap(); } \
    const AFX_MSGMAP* theClass::GetThisMessageMap() {                              \
        typedef theClass ThisClass;                                                \
        typedef baseClass TheBaseClass;                                            \
        static_assert(sizeof(ThisClass) > 0, "complete class");                   \
        static const AFX_MSGMAP_ENTRY _messageEntries[] = {
#define END_MESSAGE_MAP()                                                                        \
    {0, 0, 0, nullptr}                                                                           \
    }                                                                                            \
    ;                                                                                            \
    static const AFX_MSGMAP messageMap = {&TheBaseClass::GetThisMessageMap, &_messageEntries[0]}; \
    return &messageMap;                                                                          \
    }

#define AFX_THUNK(body) [](CWnd * w, WPARAM wp, LPARAM lp) -> LRESULT { \
    auto* self = static_cast<ThisClass*>(w);                        \
    (void)self; (void)wp; (void)lp;                                 \
    body                                                            \
}

#define ON_MESSAGE(message, memberFxn) {message, 0, 0, AFX_THUNK(return self->memberFxn(wp, lp);)},
#define ON_BN_CLICKED(id, memberFxn) {WM_COMMAND, BN_CLICKED, id, AFX_THUNK(self->memberFxn(); return 0;)},
#define ON_WM_SYSCOMMAND() \
    {WM_SYSCOMMAND, 0, 0, AFX_THUNK(self->OnSysCommand(static_cast<UINT>(wp), lp); return 0;)},
#define ON_WM_PAINT() {WM_PAINT, 0, 0, AFX_THUNK(self->OnPaint(); return 0;)},
#define ON_WM_QUERYDRAGICON() \
    {WM_QUERYDRAGICON, 0, 0, AFX_THUNK(return reinterpret_cast<LRESULT>(self->OnQueryDragIcon());)},
#define ON_WM_DESTROY() {WM_DESTROY, 0, 0, AFX_THUNK(self->OnDestroy(); return 0;)},
#define ON_WM_QUERYENDSESSION() {WM_QUERYENDSESSION, 0, 0, AFX_THUNK(return self->OnQueryEndSession();)},
#define ON_WM_ENDSESSION() {WM_ENDSESSION, 0, 0, AFX_THUNK(self->OnEndSession(wp != 0); return 0;)},

class CWnd {
public:
    CWnd() = default;
    CWnd(const CWnd&) = delete;
    CWnd& operator=(const CWnd&) = delete;
    virtual ~CWnd() = default;

    HWND m_hWnd = nullptr;
    HWND GetSafeHwnd() const { return m_hWnd; }

    // The returned object is owned by this window and valid while it lives.
    CWnd* GetDlgItem(int id);
    BOOL EnableWindow(BOOL enable) { return ::EnableWindow(m_hWnd, enable); }
    BOOL ShowWindow(int command) { return ::ShowWindow(m_hWnd, command); }
    BOOL IsIconic() const { return ::IsIconic(m_hWnd); }
    void SetWindowText(const char* text) { ::SetWindowTextA(m_hWnd, text); }
    CString GetWindowText() const;
    LRESULT SendMessage(UINT message, WPARAM wParam = 0, LPARAM lParam = 0) {
        return ::SendMessageA(m_hWnd, message, wParam, lParam);
    }
    BOOL PostMessage(UINT message, WPARAM wParam = 0, LPARAM lParam = 0) {
        return ::PostMessageA(m_hWnd, message, wParam, lParam);
    }
    HMENU GetSystemMenu(BOOL revert) { return ::GetSystemMenu(m_hWnd, revert); }
    HICON SetIcon(HICON icon, BOOL big);
    void GetClientRect(RECT* rect) const { ::GetClientRect(m_hWnd, rect); }

    // Dispatches one message through the message maps; false when no entry handles it.
    bool OnWndMsg(UINT message, WPARAM wParam, LPARAM lParam, LRESULT* result);

protected:
    static const AFX_MSGMAP* GetThisMessageMap();
    virtual const AFX_MSGMAP* GetMessageMap() const;
    // Asks for the system's default processing of the message being handled.
    void Default() { m_bDefault = true; }

private:
    bool m_bDefault = false;
    std::map<int, CWnd> m_items;
};

class CListBox : public CWnd {
public:
    int AddString(const char* text) { return static_cast<int>(SendMessage(LB_ADDSTRING, 0, (LPARAM)text)); }
    int GetCount() { return static_cast<int>(SendMessage(LB_GETCOUNT)); }
    int GetCurSel() { return static_cast<int>(SendMessage(LB_GETCURSEL)); }
    int SetCurSel(int index) { return static_cast<int>(SendMessage(LB_SETCURSEL, index)); }
    CString GetText(int index);
};

// Owns one GDI font; deleted by the destructor or DeleteObject.
class CFont {
public:
    CFont() = default;
    CFont(const CFont&) = delete;
    CFont& operator=(const CFont&) = delete;
    ~CFont() { DeleteObject(); }

    BOOL CreateFontIndirect(const LOGFONTA* description);
    BOOL DeleteObject();
    HFONT GetSafeHandle() const { return m_hObject; }
    operator HFONT() const { return m_hObject; }  // NOLINT

private:
    HFONT m_hObject = nullptr;
};
