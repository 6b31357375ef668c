#include "app/about_dlg.h"

#include "app/res/resource.h"
#include "app/version.h"

CAboutDlg::CAboutDlg() : CDialog(IDD) {}

void CAboutDlg::DoDataExchange(CDataExchange* dx) {
    CDialog::DoDataExchange(dx);
    DDX_Text(dx, IDC_ADDRESS, m_strAddress);
}

BOOL CAboutDlg::OnInitDialog() {
    // The exchange towards the controls empties 1022; both texts are set afresh on every opening.
    CDialog::OnInitDialog();
    CString product;
    product.Format(CADRO_PRODUCT_LINE);
    GetDlgItem(IDC_VERSION)->SetWindowText(product);
    GetDlgItem(IDC_ADDRESS)->SetWindowText(kWebAddress);
    return TRUE;
}

BEGIN_MESSAGE_MAP(CAboutDlg, CDialog)
END_MESSAGE_MAP()
