#include "app/about_dlg.h"

#include "app/res/resource.h"
#include "app/version.h"

CAboutDlg::CAboutDlg() : CDialog(IDD) {}

void CAboutDlg::DoDataExchange(CDataExchange* dx) {
    CDialog::DoDataExchange(dx);
    DDX_Text(dx, IDC_ADDRESS, m_strAddress);
}

BOOL CAboutDlg::OnInitDialog() {
    CDialog::OnInitDialog();
    CString product;
    product.Format("%s", kProductLine);
    GetDlgItem(IDC_VERSION)->SetWindowText(product);
    GetDlgItem(IDC_ADDRESS)->SetWindowText(kWebAddress);
    return TRUE;
}

BEGIN_MESSAGE_MAP(CAboutDlg, CDialog)
END_MESSAGE_MAP()
