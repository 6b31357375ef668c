// The settings: loaded by the constructor, exchanged with the controls, saved when the window goes.
#include "app/settings.h"

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

Settings ReadSettings(CWinApp& app) {
    Settings s;
    s.autoStart = ReadFlag(&app, "AUTOSTART", 0);
    s.apmLimit = static_cast<int>(app.GetProfileInt(kProfileSection, "APMLIMIT", 50));
    s.beepEvery = static_cast<int>(app.GetProfileInt(kProfileSection, "BEEPFREQ", 2));
    s.sound = app.GetProfileString(kProfileSection, "SOUNDWAV", "");
    s.showApm = ReadFlag(&app, "showapm", 1);
    s.showAlert = ReadFlag(&app, "showalert", 0);
    s.showTimer = ReadFlag(&app, "showtimer", 0);
    s.history = ReadFlag(&app, "history", 1);
    s.backSound = ReadFlag(&app, "backsound", 0);
    return s;
}

void WriteSettings(CWinApp& app, const Settings& s) {
    app.WriteProfileInt(kProfileSection, "AUTOSTART", s.autoStart);
    app.WriteProfileInt(kProfileSection, "APMLIMIT", s.apmLimit);
    app.WriteProfileInt(kProfileSection, "BEEPFREQ", s.beepEvery);
    app.WriteProfileString(kProfileSection, "SOUNDWAV", s.sound);
    app.WriteProfileInt(kProfileSection, "showapm", s.showApm);
    app.WriteProfileInt(kProfileSection, "showalert", s.showAlert);
    app.WriteProfileInt(kProfileSection, "showtimer", s.showTimer);
    app.WriteProfileInt(kProfileSection, "history", s.history);
    app.WriteProfileInt(kProfileSection, "backsound", s.backSound);
}

void CMeterDlg::LoadSettings() {
    if (CWinApp* app = AfxGetApp())
        m_settings = ReadSettings(*app);
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
    WriteSettings(*app, m_settings);
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
