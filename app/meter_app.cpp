#include "app/meter_app.h"

#include "app/meter_dlg.h"
#include "app/one_copy.h"

namespace {

CMeterApp theApp;
// How long a second start looks for the first one's window, which that copy may still be making.
constexpr uint32_t kFirstWindowWait = 10000;

}  // namespace

BOOL CMeterApp::InitInstance() {
    Enable3dControls();
    SetRegistryKey("Vorkel");
    // A second copy would hook the same input and save every game again: it shows the first one instead.
    OneCopy copy(MainWindowMark());
    if (!copy.first()) {
        ShowMarkedWindow(MainWindowMark(), kFirstWindowWait);
        return FALSE;
    }
    {
        CMeterDlg dlg;
        m_pMainWnd = &dlg;
        dlg.DoModal();
        m_pMainWnd = nullptr;
    }
    // The dialog has ended: leave without entering a message loop of our own.
    return FALSE;
}
