// The settings: loaded by the constructor, exchanged with the controls, saved when the window goes.
#include <cstring>

#include "app/meter_dlg.h"
#include "app/program_path.h"
#include "app/res/resource.h"
#include "link/os.h"

namespace {

// A check box setting outside 0..1 (edited by hand, or another program's) reads as its default.
int ReadFlag(CWinApp* app, const char* entry, int defaultValue) {
    int value = static_cast<int>(app->GetProfileInt(kProfileSection, entry, defaultValue));
    return value == 0 || value == 1 ? value : defaultValue;
}

}  // namespace

void CMeterDlg::LoadSettings() {
    CWinApp* app = AfxGetApp();
    if (!app)
        return;
    m_bAutoStart = ReadFlag(app, "AUTOSTART", 0);
    m_nApmLimit = static_cast<int>(app->GetProfileInt(kProfileSection, "APMLIMIT", 50));
    m_nBeepEvery = static_cast<int>(app->GetProfileInt(kProfileSection, "BEEPFREQ", 2));
    m_strSound = app->GetProfileString(kProfileSection, "SOUNDWAV", "");
    m_bShowApm = ReadFlag(app, "showapm", 1);
    m_bShowAlert = ReadFlag(app, "showalert", 0);
    m_bShowTimer = ReadFlag(app, "showtimer", 0);
    m_bHistory = ReadFlag(app, "history", 1);
    m_bBackSound = ReadFlag(app, "backsound", 0);
}

void CMeterDlg::FillDefaultSound() {
    if (!m_strSound.IsEmpty())
        return;
    m_strSound = ProgramSound("cadro.wav");
}

void CMeterDlg::SaveSettings() {
    CWinApp* app = AfxGetApp();
    if (!app)
        return;
    UpdateData(TRUE);
    app->WriteProfileInt(kProfileSection, "AUTOSTART", m_bAutoStart);
    app->WriteProfileInt(kProfileSection, "APMLIMIT", m_nApmLimit);
    app->WriteProfileInt(kProfileSection, "BEEPFREQ", m_nBeepEvery);
    app->WriteProfileString(kProfileSection, "SOUNDWAV", m_strSound);
    app->WriteProfileInt(kProfileSection, "showapm", m_bShowApm);
    app->WriteProfileInt(kProfileSection, "showalert", m_bShowAlert);
    app->WriteProfileInt(kProfileSection, "showtimer", m_bShowTimer);
    app->WriteProfileInt(kProfileSection, "history", m_bHistory);
    app->WriteProfileInt(kProfileSection, "backsound", m_bBackSound);
}

void CMeterDlg::DoDataExchange(CDataExchange* dx) {
    CDialog::DoDataExchange(dx);
    DDX_Control(dx, IDC_LOG, m_list);
    DDX_Check(dx, IDC_AUTOSTART, m_bAutoStart);
    DDX_Text(dx, IDC_APMLIMIT, m_nApmLimit);
    DDX_Text(dx, IDC_BEEPEVERY, m_nBeepEvery);
    DDX_Text(dx, IDC_SOUND, m_strSound);
    DDX_Check(dx, IDC_SHOWAPM, m_bShowApm);
    DDX_Check(dx, IDC_SHOWALERT, m_bShowAlert);
    DDX_Check(dx, IDC_SHOWTIMER, m_bShowTimer);
}

void CMeterDlg::OnShowApm() {
    UpdateData(TRUE);
    GetDlgItem(IDC_SHOWALERT)->EnableWindow(m_bShowApm != 0);
}

void CMeterDlg::OnTestSound() {
    UpdateData(TRUE);
    HCURSOR previous = ::SetCursor(::LoadCursor(nullptr, IDC_WAIT));
    if (!m_strSound.IsEmpty())
        TheOs().PlaySoundFile(m_strSound);
    ::SetCursor(previous);
}

void CMeterDlg::OnBrowseSound() {
    CWinApp* app = AfxGetApp();
    if (!app)
        return;
    m_strLastDir = app->GetProfileString(kProfileSection, "LASTDIR", "");
    if (m_strLastDir.IsEmpty())
        m_strLastDir = ProgramPath();
    CFileDialog chooser(TRUE, "wav", nullptr, 0, "Waveform (*.wav)|*.wav|All Files (*.*)|*.*||", this);
    chooser.m_ofn.lpstrInitialDir = m_strLastDir;
    if (chooser.DoModal() != IDOK)
        return;
    m_strLastDir = chooser.GetPathName();
    m_strSound = chooser.GetPathName();
    app->WriteProfileString(kProfileSection, "LASTDIR", m_strLastDir);
    // Only the sound field: a transfer of every member would undo what the player has typed into the
    // other fields and not yet applied.
    ::SetDlgItemTextA(m_hWnd, IDC_SOUND, m_strSound);
}
