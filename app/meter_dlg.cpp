#include "app/meter_dlg.h"

#include <cstring>

#include "app/about_dlg.h"
#include "app/one_copy.h"
#include "app/report_command.h"
#include "app/res/resource.h"
#include "app/version.h"
#include "link/os.h"
#include "measure/overlay.h"

CMeterDlg::CMeterDlg(CWnd* parent) : CDialog(IDD, parent) {
    HINSTANCE instance = AfxGetInstanceHandle();
    m_hIcon = static_cast<HICON>(::LoadImageA(instance, MAKEINTRESOURCEA(IDR_MAINFRAME), IMAGE_ICON, 32, 32, LR_SHARED));
    m_hSmallIcon =
        static_cast<HICON>(::LoadImageA(instance, MAKEINTRESOURCEA(IDR_MAINFRAME), IMAGE_ICON, 16, 16, LR_SHARED));
    m_pFontSmall = CreateOverlayFont();
    g_pMainDlg = this;
    LoadSettings();
    m_bSoundOn = true;
    FillDefaultSound();
}

CMeterDlg::~CMeterDlg() {
    m_pFontSmall.reset();
    if (g_pMainDlg == this)
        g_pMainDlg = nullptr;
}

BEGIN_MESSAGE_MAP(CMeterDlg, CDialog)
    ON_WM_SYSCOMMAND()
    ON_WM_PAINT()
    ON_WM_QUERYDRAGICON()
    ON_WM_DESTROY()
    ON_WM_QUERYENDSESSION()
    ON_WM_ENDSESSION()
    ON_BN_CLICKED(IDC_EXIT, OnExit)
    ON_BN_CLICKED(IDC_START, StartLink)
    ON_MESSAGE(WM_START_LINK, OnStartLinkMessage)
    ON_MESSAGE(WM_KEY_REPORT, OnKeyReport)
    ON_MESSAGE(WM_CLICK_REPORT, OnClickReport)
    ON_BN_CLICKED(IDC_AUTOSTART, OnAutoStart)
    ON_BN_CLICKED(IDC_BROWSE, OnBrowseSound)
    ON_BN_CLICKED(IDC_TEST, OnTestSound)
    ON_BN_CLICKED(IDC_SHOWAPM, OnShowApm)
END_MESSAGE_MAP()

BOOL CMeterDlg::OnInitDialog() {
    CDialog::OnInitDialog();

    if (HMENU menu = GetSystemMenu(FALSE)) {
        char about[128] = {};
        if (::LoadStringA(AfxGetInstanceHandle(), IDS_ABOUTBOX, about, sizeof about) > 0 && about[0]) {
            ::AppendMenuA(menu, MF_SEPARATOR, 0, nullptr);
            ::AppendMenuA(menu, MF_STRING, IDM_ABOUTBOX, about);
            ::AppendMenuA(menu, MF_STRING, IDM_GAME_HISTORY, "Game &history...");
            ::AppendMenuA(menu, MF_STRING | (m_bHistory ? MF_CHECKED : 0), IDM_KEEP_HISTORY, "&Keep game history");
            ::AppendMenuA(menu, MF_STRING | (m_bBackSound ? MF_CHECKED : 0), IDM_BACK_SOUND,
                          "&Sound when APM is back");
        }
    }
    MarkMainWindow(m_hWnd, MainWindowMark(), true);
    SetIcon(m_hIcon, TRUE);
    SetIcon(m_hSmallIcon, FALSE);
    GetDlgItem(IDC_SHOWALERT)->EnableWindow(m_bShowApm != 0);

    CString title;
    title.Format(kTitlePattern, kVersion);
    SetWindowText(title);

    PostMessage(WM_START_LINK);
    CWinApp* app = AfxGetApp();
    if (app && std::strstr(app->m_lpCmdLine, "-auto")) {
        ShowWindow(SW_MINIMIZE);
        m_bMinimiseOnStart = true;
    }
    return TRUE;
}

LRESULT CMeterDlg::OnStartLinkMessage(WPARAM, LPARAM) {
    // Some window systems undo a minimise made while the dialog was still being created; by the time
    // the first link starts the window is shown, so the minimise is applied again where it did not hold.
    if (m_bMinimiseOnStart) {
        m_bMinimiseOnStart = false;
        if (!IsIconic())
            ShowWindow(SW_MINIMIZE);
    }
    // Games an earlier run kept on disk, or this run's still waiting, before the next game.
    m_keeper.SaveWaiting(false);
    StartLink();
    return 0;
}

void CMeterDlg::OnSysCommand(UINT id, LPARAM lParam) {
    if ((id & 0xFFF0) == IDM_ABOUTBOX) {
        CAboutDlg about;
        about.DoModal();
    } else if ((id & 0xFFF0) == IDM_GAME_HISTORY) {
        OpenGameReport(m_bHistory != 0);
    } else if ((id & 0xFFF0) == IDM_KEEP_HISTORY) {
        ToggleMenuSetting(IDM_KEEP_HISTORY, &m_bHistory, "history");
    } else if ((id & 0xFFF0) == IDM_BACK_SOUND) {
        ToggleMenuSetting(IDM_BACK_SOUND, &m_bBackSound, "backsound");
    } else {
        CDialog::OnSysCommand(id, lParam);
    }
}

void CMeterDlg::ToggleMenuSetting(UINT id, int* value, const char* entry) {
    *value = *value ? 0 : 1;
    if (HMENU menu = GetSystemMenu(FALSE))
        ::CheckMenuItem(menu, id, MF_BYCOMMAND | (*value ? MF_CHECKED : MF_UNCHECKED));
    if (CWinApp* app = AfxGetApp())
        app->WriteProfileInt(kProfileSection, entry, *value);
}

void CMeterDlg::OnPaint() {
    if (!IsIconic()) {
        CDialog::OnPaint();
        return;
    }
    PAINTSTRUCT paint;
    HDC dc = ::BeginPaint(m_hWnd, &paint);
    SendMessage(WM_ICONERASEBKGND, reinterpret_cast<WPARAM>(dc), 0);
    RECT client;
    GetClientRect(&client);
    DrawIconCentred(dc, client, m_hIcon);
    ::EndPaint(m_hWnd, &paint);
}

void DrawIconCentred(HDC dc, const RECT& client, HICON icon) {
    int x = (client.right - client.left - ::GetSystemMetrics(SM_CXICON) + 1) / 2;
    int y = (client.bottom - client.top - ::GetSystemMetrics(SM_CYICON) + 1) / 2;
    ::DrawIcon(dc, x, y, icon);
}

HCURSOR CMeterDlg::OnQueryDragIcon() { return static_cast<HCURSOR>(m_hIcon); }

void CMeterDlg::OnDestroy() {
    SaveSettings();
    TheOs().ClearOverlay();
    // The surface has no owner (an owner's minimise would hide it), so it goes here, after its clear.
    DestroyOverlaySurface();
    m_keeper.SaveWaiting(true);
    MarkMainWindow(m_hWnd, MainWindowMark(), false);
    CDialog::OnDestroy();
}

std::string MainWindowMark() {
    CWinApp* app = AfxGetApp();
    return app ? CopyName(app->m_strRegistryKey, app->m_strAppName) : std::string();
}

BOOL CMeterDlg::OnQueryEndSession() { return TRUE; }

// The session may end the process right after this returns, without a WM_DESTROY: what closing would write
// is written now.
void CMeterDlg::OnEndSession(BOOL ending) {
    if (!ending)
        return;
    SaveSettings();
    m_keeper.SaveWaiting(true);
}

void CMeterDlg::OnOK() {}

void CMeterDlg::OnCancel() { g_bQuit = true; }

void CMeterDlg::OnExit() { g_bQuit = true; }
