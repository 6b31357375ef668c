// The main window, and the few flags every part of the program shares.
// One thread only: every change to this state happens in a message handler dispatched between two
// passes of the link's loops, so nothing is locked.
#pragma once

#include <cstdint>
#include <memory>
#include <string>

#include "app/game_keeper.h"
#include "app/settings.h"
#include "frame/afxwin.h"

// Private window messages.
constexpr UINT WM_KEY_REPORT = 0x8E8;    // wParam: virtual-key code
constexpr UINT WM_CLICK_REPORT = 0x8E9;  // lParam: x in the low 16 bits, y in the high 16 bits
constexpr UINT WM_START_LINK = 0x8EB;

// The window menu's "Game history..." item; its low four bits are the system's, and 0x10 is the About box.
constexpr UINT IDM_GAME_HISTORY = 0x0020;
// The window menu's check-marked "Keep game history" and "Sound when APM is back".
constexpr UINT IDM_KEEP_HISTORY = 0x0030;
constexpr UINT IDM_BACK_SOUND = 0x0040;


class CMeterDlg : public CDialog {
public:
    enum { IDD = 102 };
    CMeterDlg(CWnd* parent = nullptr);
    ~CMeterDlg() override;

    // The settings, and the names the controls' exchange and the measurement know them by.
    Settings m_settings;
    int& m_bAutoStart = m_settings.autoStart;
    int& m_nApmLimit = m_settings.apmLimit;
    int& m_nBeepEvery = m_settings.beepEvery;
    CString& m_strSound = m_settings.sound;
    int& m_bShowApm = m_settings.showApm;
    int& m_bShowAlert = m_settings.showAlert;
    int& m_bShowTimer = m_settings.showTimer;
    int& m_bHistory = m_settings.history;
    int& m_bBackSound = m_settings.backSound;

    std::unique_ptr<CFont> m_pFontSmall;
    uint8_t m_bSoundOn = true;
    CListBox m_list;
    HICON m_hIcon = nullptr;
    HICON m_hSmallIcon = nullptr;
    CString m_strSlotA;
    CString m_strSlotB;
    CString m_strSlotC;
    uint8_t m_bChatMode = false;
    CString m_strLastDir;

    // Game recognition and measurement.
    bool IsGameStarted(HANDLE process);
    bool MeasureGame(HANDLE process);

    // Settings.
    void LoadSettings();
    void SaveSettings();

    // Message handlers (public so that tests can drive them directly).
    void OnSysCommand(UINT id, LPARAM lParam);
    void OnPaint();
    HCURSOR OnQueryDragIcon();
    void OnDestroy();
    BOOL OnQueryEndSession();
    void OnEndSession(BOOL ending);
    void OnExit();
    void StartLink();
    LRESULT OnStartLinkMessage(WPARAM, LPARAM);
    LRESULT OnKeyReport(WPARAM key, LPARAM);
    LRESULT OnClickReport(WPARAM, LPARAM position);
    void OnAutoStart();
    void OnBrowseSound();
    void OnTestSound();
    void OnShowApm();

    BOOL OnInitDialog() override;
    void DoDataExchange(CDataExchange* dx) override;
    void OnOK() override;
    void OnCancel() override;

private:
    void FillDefaultSound();
    // Turns a window-menu setting on or off, checks its item and keeps it in the registry at once.
    void ToggleMenuSetting(UINT id, int* value, const char* entry);
    bool m_bMinimiseOnStart = false;  // "-auto": held until the window has been shown
    GameKeeper m_keeper{m_settings};

    DECLARE_MESSAGE_MAP()
};

extern CMeterDlg* g_pMainDlg;
extern uint8_t g_bQuit;
extern uint8_t g_bStop;

// The name this program's copies share for the user, and its main window is marked with.
std::string MainWindowMark();
// Time-stamped line in the event log; cut to fit the 128-byte line.
void LogLine(const char* text);
// Draws the icon in the middle of a client area, as the minimised window shows it.
void DrawIconCentred(HDC dc, const RECT& client, HICON icon);
