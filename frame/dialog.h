// Dialogs built from template resources, modal (DoModal) or modeless (Create, for tests and tools).
// The dialog procedure forwards every message to the message map; unhandled messages get the dialog
// manager's default processing. Results go back the way the dialog manager expects them: directly for
// WM_INITDIALOG and the few messages that return a value, else through DWLP_MSGRESULT.
#pragma once

#include "frame/wnd.h"

class CDataExchange;

class CDialog : public CWnd {
public:
    explicit CDialog(UINT templateId, CWnd* parent = nullptr);

    virtual INT_PTR DoModal();
    BOOL Create(UINT templateId, CWnd* parent = nullptr);  // modeless
    void EndDialog(int result);
    BOOL UpdateData(BOOL saveAndValidate = TRUE);

    virtual BOOL OnInitDialog();
    virtual void DoDataExchange(CDataExchange* dx);
    virtual void OnOK();
    virtual void OnCancel();

    // Default processing, for handlers that pass a message on.
    void OnSysCommand(UINT, LPARAM) { Default(); }
    void OnPaint() { Default(); }
    void OnDestroy() { Default(); }

protected:
    UINT m_nIDTemplate;
    CWnd* m_pParentWnd;

private:
    static INT_PTR CALLBACK DialogProc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam);
    INT_PTR HandleInitDialog(HWND hwnd);
    HWND OwnerWindow() const;
    bool m_bModeless = false;
};
