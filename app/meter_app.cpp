#include "app/meter_app.h"

#include "app/meter_dlg.h"

static CMeterApp theApp;

BOOL CMeterApp::InitInstance() {
    Enable3dControls();
    SetRegistryKey("Vorkel");
    {
        CMeterDlg dlg;
        m_pMainWnd = &dlg;
        dlg.DoModal();
        m_pMainWnd = nullptr;
    }
    // The dialog has ended: leave without entering a message loop of our own.
    return FALSE;
}
