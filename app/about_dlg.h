#pragma once

#include "frame/afxwin.h"

class CAboutDlg : public CDialog {
public:
    enum { IDD = 100 };
    CAboutDlg();
    ~CAboutDlg() override = default;

    CString m_strAddress;

protected:
    void DoDataExchange(CDataExchange* dx) override;
    BOOL OnInitDialog() override;

    DECLARE_MESSAGE_MAP()
};
