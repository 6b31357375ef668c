// Data exchange between a dialog's controls and its members.
// Saving refuses text that is not a whole number without a modal box: the member keeps its value,
// the field gets that value back, a beep and a balloon under the field for a few seconds show the
// refusal (no focus taken), and the exchange of the other fields goes on. UpdateData then returns FALSE.
#pragma once

#include "frame/dialog.h"

class CDataExchange {
public:
    CDataExchange(CDialog* dialog, BOOL saveAndValidate) : m_bSaveAndValidate(saveAndValidate), m_pDlgWnd(dialog) {}
    BOOL m_bSaveAndValidate;
    CDialog* m_pDlgWnd;
    bool m_bFailed = false;
    HWND Control(int id) const { return ::GetDlgItem(m_pDlgWnd->m_hWnd, id); }
};

void DDX_Control(CDataExchange* dx, int id, CWnd& control);
void DDX_Text(CDataExchange* dx, int id, int& value);
void DDX_Text(CDataExchange* dx, int id, CString& value);
void DDX_Check(CDataExchange* dx, int id, int& value);

// Parses a signed 32-bit decimal integer with optional surrounding blanks; false for anything else.
bool ParseInt32(const char* text, int* value);
