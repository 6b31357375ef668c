#include "frame/wnd.h"

const AFX_MSGMAP* CWnd::GetThisMessageMap() {
    static const AFX_MSGMAP_ENTRY noEntries[] = {{0, 0, 0, nullptr}};
    static const AFX_MSGMAP map = {nullptr, noEntries};
    return &map;
}

const AFX_MSGMAP* CWnd::GetMessageMap() const { return GetThisMessageMap(); }

bool CWnd::OnWndMsg(UINT message, WPARAM wParam, LPARAM lParam, LRESULT* result) {
    UINT code = 0;
    UINT id = 0;
    if (message == WM_COMMAND) {
        code = HIWORD(wParam);
        id = LOWORD(wParam);
    }
    for (const AFX_MSGMAP* map = GetMessageMap(); map; map = map->pfnGetBaseMap ? map->pfnGetBaseMap() : nullptr) {
        for (const AFX_MSGMAP_ENTRY* entry = map->lpEntries; entry->pfn; ++entry) {
            if (entry->nMessage != message || entry->nCode != code || entry->nID != id)
                continue;
            bool outerDefault = m_bDefault;  // handlers may dispatch nested messages
            m_bDefault = false;
            *result = entry->pfn(this, wParam, lParam);
            bool handled = !m_bDefault;
            m_bDefault = outerDefault;
            return handled;
        }
    }
    return false;
}

CWnd* CWnd::GetDlgItem(int id) {
    CWnd& item = m_items[id];
    item.m_hWnd = ::GetDlgItem(m_hWnd, id);
    return &item;
}

CString CWnd::GetWindowText() const {
    CString text;
    int length = ::GetWindowTextLengthA(m_hWnd);
    if (length > 0) {
        ::GetWindowTextA(m_hWnd, text.GetBuffer(length), length + 1);
        text.ReleaseBuffer();
    }
    return text;
}

HICON CWnd::SetIcon(HICON icon, BOOL big) {
    return reinterpret_cast<HICON>(SendMessage(WM_SETICON, big ? ICON_BIG : ICON_SMALL, (LPARAM)icon));
}

CString CListBox::GetText(int index) {
    CString text;
    LRESULT length = SendMessage(LB_GETTEXTLEN, index);
    if (length > 0) {
        SendMessage(LB_GETTEXT, index, (LPARAM)text.GetBuffer(static_cast<int>(length)));
        text.ReleaseBuffer();
    }
    return text;
}

BOOL CFont::CreateFontIndirect(const LOGFONTA* description) {
    DeleteObject();
    m_hObject = ::CreateFontIndirectA(description);
    return m_hObject != nullptr;
}

BOOL CFont::DeleteObject() {
    if (!m_hObject)
        return FALSE;
    BOOL done = ::DeleteObject(m_hObject);
    m_hObject = nullptr;
    return done;
}
