#include <gtest/gtest.h>

#include <windows.h>

#include <commctrl.h>
#include <commdlg.h>
#include <dlgs.h>
#include <shellapi.h>

#include <climits>
#include <map>
#include <memory>
#include <string>
#include <vector>

#include "app/autostart.h"
#include "app/res/resource.h"
#include "link/link.h"
#include "tests/unit/fake_os.h"
#include "tests/unit/registry_values.h"

namespace {

constexpr char kRunKey[] = "Software\\Microsoft\\Windows\\CurrentVersion\\Run";

std::string ProgramFolder() {
    std::string path = TestProgramPath();
    return path.substr(0, path.rfind('\\') + 1);
}

std::string FieldText(HWND dialog, int id) {
    char text[70000];
    ::GetDlgItemTextA(dialog, id, text, sizeof text);
    return text;
}

std::optional<int> StoredInt(const char* entry, HKEY root = HKEY_CURRENT_USER, const char* path = kTestSection) {
    std::optional<RawValue> raw = GetRaw(entry, root, path);
    if (!raw || raw->type != REG_DWORD || raw->bytes.size() != 4)
        return std::nullopt;
    return *reinterpret_cast<const int*>(raw->bytes.data());
}

std::optional<std::string> StoredText(const char* entry) {
    std::optional<RawValue> raw = GetRaw(entry);
    if (!raw || raw->type != REG_SZ || raw->bytes.empty() || raw->bytes.back() != '\0')
        return std::nullopt;
    return raw->bytes.substr(0, raw->bytes.size() - 1);
}

void Click(HWND dialog, int id) { ::SendMessageA(::GetDlgItem(dialog, id), BM_CLICK, 0, 0); }

// The program's profile calls, in order, as "entry" for reads and "entry=value" for writes.
class RecordingApp : public CWinApp {
public:
    RecordingApp() : CWinApp("CadroUnitTests") { SetRegistryKey("VorkelTests"); }
    UINT GetProfileInt(const char* section, const char* entry, int defaultValue) override {
        calls.push_back(std::string(section) + "/" + entry);
        return CWinApp::GetProfileInt(section, entry, defaultValue);
    }
    CString GetProfileString(const char* section, const char* entry, const char* defaultValue) override {
        calls.push_back(std::string(section) + "/" + entry);
        return CWinApp::GetProfileString(section, entry, defaultValue);
    }
    BOOL WriteProfileInt(const char* section, const char* entry, int value) override {
        calls.push_back(std::string(section) + "/" + entry + "=" + std::to_string(value));
        return CWinApp::WriteProfileInt(section, entry, value);
    }
    BOOL WriteProfileString(const char* section, const char* entry, const char* value) override {
        calls.push_back(std::string(section) + "/" + entry + "=" + value);
        return CWinApp::WriteProfileString(section, entry, value);
    }
    std::vector<std::string> calls;
};

// Values unlike every default, to tell a loaded value from a default one.
void StoreNonDefaults() {
    PutDword("AUTOSTART", 1);
    PutDword("APMLIMIT", 120);
    PutDword("BEEPFREQ", 5);
    PutText("SOUNDWAV", "C:\\sounds\\ping.wav");
    PutDword("showapm", 0);
    PutDword("showalert", 1);
    PutDword("showtimer", 1);
    PutDword("history", 0);
    PutDword("backsound", 1);
    PutText("LASTDIR", "C:\\sounds\\old.wav");
}

class SettingsTest : public MeterTest {
protected:
    void TearDown() override {
        ::RegOverridePredefKey(HKEY_CURRENT_USER, nullptr);
        if (m_fakeUser)
            ::RegCloseKey(m_fakeUser);
        MeterTest::TearDown();
    }

    // The next start of the program: a new main window, made as the application makes it; destroying
    // it saves its settings. The fixture's window is the main one again afterwards.
    struct NextStart {
        explicit NextStart(bool create) : dlg(std::make_unique<CMeterDlg>()) {
            if (create && dlg->Create(CMeterDlg::IDD)) {
                MSG msg;
                while (::PeekMessageA(&msg, dlg->m_hWnd, WM_START_LINK, WM_START_LINK, PM_REMOVE)) {
                }
            }
        }
        ~NextStart() {
            if (dlg->m_hWnd)
                ::DestroyWindow(dlg->m_hWnd);
        }
        std::unique_ptr<CMeterDlg> dlg;
    };
    std::unique_ptr<NextStart> Start(bool create) {
        CMeterDlg* fixtureWindow = dlg;
        auto next = std::make_unique<NextStart>(create);
        g_pMainDlg = fixtureWindow;  // what the fixture's handlers log to
        return next;
    }

    // From here on this process sees HKEY_CURRENT_USER as a fresh key of its own (with or without a
    // Run key); the profile then lives there too.
    HKEY FakeUser(bool withRunKey) {
        ::RegCreateKeyExA(HKEY_CURRENT_USER, "Software\\VorkelTests\\User", 0, nullptr, 0, KEY_ALL_ACCESS, nullptr,
                          &m_fakeUser, nullptr);
        if (withRunKey) {
            HKEY run = nullptr;
            ::RegCreateKeyExA(m_fakeUser, kRunKey, 0, nullptr, 0, KEY_ALL_ACCESS, nullptr, &run, nullptr);
            ::RegSetValueExA(run, "Other", 0, REG_SZ, reinterpret_cast<const BYTE*>("other.exe"), 10);
            ::RegCloseKey(run);
        }
        EXPECT_EQ(::RegOverridePredefKey(HKEY_CURRENT_USER, m_fakeUser), ERROR_SUCCESS);
        return m_fakeUser;
    }

private:
    HKEY m_fakeUser = nullptr;
};

// --- loading and saving ---

TEST_F(SettingsTest, FirstRunHasTheDefaultsAndWritesNothing) {
    EXPECT_EQ(dlg->m_bAutoStart, 0);
    EXPECT_EQ(dlg->m_nApmLimit, 50);
    EXPECT_EQ(dlg->m_nBeepEvery, 2);
    EXPECT_EQ(std::string(dlg->m_strSound), ProgramFolder() + "apmsounds\\cadro.wav");
    EXPECT_EQ(dlg->m_bShowApm, 1);
    EXPECT_EQ(dlg->m_bShowAlert, 0);
    EXPECT_EQ(dlg->m_bShowTimer, 0);
    EXPECT_EQ(dlg->m_bHistory, 1);
    EXPECT_EQ(dlg->m_bBackSound, 0);
    EXPECT_TRUE(dlg->m_strLastDir.IsEmpty());
    EXPECT_TRUE(dlg->m_bSoundOn);

    EXPECT_EQ(FieldText(dlg->m_hWnd, IDC_APMLIMIT), "50");
    EXPECT_EQ(FieldText(dlg->m_hWnd, IDC_BEEPEVERY), "2");
    EXPECT_EQ(FieldText(dlg->m_hWnd, IDC_SOUND), std::string(dlg->m_strSound));
    EXPECT_EQ(::IsDlgButtonChecked(dlg->m_hWnd, IDC_AUTOSTART), 0u);
    EXPECT_EQ(::IsDlgButtonChecked(dlg->m_hWnd, IDC_SHOWAPM), 1u);
    EXPECT_EQ(::IsDlgButtonChecked(dlg->m_hWnd, IDC_SHOWALERT), 0u);
    EXPECT_EQ(::IsDlgButtonChecked(dlg->m_hWnd, IDC_SHOWTIMER), 0u);
    EXPECT_FALSE(KeyExists(HKEY_CURRENT_USER, kTestRoot));
}

TEST_F(SettingsTest, LoadsTheStoredValuesIntoMembersAndControls) {
    StoreNonDefaults();
    auto next = Start(true);
    CMeterDlg& loaded = *next->dlg;
    EXPECT_EQ(loaded.m_bAutoStart, 1);
    EXPECT_EQ(loaded.m_nApmLimit, 120);
    EXPECT_EQ(loaded.m_nBeepEvery, 5);
    EXPECT_STREQ(loaded.m_strSound, "C:\\sounds\\ping.wav");
    EXPECT_EQ(loaded.m_bShowApm, 0);
    EXPECT_EQ(loaded.m_bShowAlert, 1);
    EXPECT_EQ(loaded.m_bShowTimer, 1);
    EXPECT_EQ(loaded.m_bHistory, 0);
    EXPECT_EQ(loaded.m_bBackSound, 1);
    EXPECT_TRUE(loaded.m_strLastDir.IsEmpty());  // only the file chooser reads it
    EXPECT_EQ(FieldText(loaded.m_hWnd, IDC_APMLIMIT), "120");
    EXPECT_EQ(FieldText(loaded.m_hWnd, IDC_BEEPEVERY), "5");
    EXPECT_EQ(FieldText(loaded.m_hWnd, IDC_SOUND), "C:\\sounds\\ping.wav");
    EXPECT_EQ(::IsDlgButtonChecked(loaded.m_hWnd, IDC_AUTOSTART), 1u);
    EXPECT_EQ(::IsDlgButtonChecked(loaded.m_hWnd, IDC_SHOWAPM), 0u);
    EXPECT_EQ(::IsDlgButtonChecked(loaded.m_hWnd, IDC_SHOWALERT), 1u);
    EXPECT_EQ(::IsDlgButtonChecked(loaded.m_hWnd, IDC_SHOWTIMER), 1u);
}

TEST_F(SettingsTest, LoadsThenSavesInTheirOrder) {
    StoreNonDefaults();
    RecordingApp app;
    auto next = Start(true);
    const std::vector<std::string> loads = {"MAIN/AUTOSTART", "MAIN/APMLIMIT", "MAIN/BEEPFREQ", "MAIN/SOUNDWAV",
                                            "MAIN/showapm", "MAIN/showalert", "MAIN/showtimer", "MAIN/history",
                                            "MAIN/backsound"};
    EXPECT_EQ(app.calls, loads);

    app.calls.clear();
    ::SetDlgItemTextA(next->dlg->m_hWnd, IDC_APMLIMIT, "-3");
    ::DestroyWindow(next->dlg->m_hWnd);
    const std::vector<std::string> saves = {
        "MAIN/AUTOSTART=1", "MAIN/APMLIMIT=-3", "MAIN/BEEPFREQ=5", "MAIN/SOUNDWAV=C:\\sounds\\ping.wav",
        "MAIN/showapm=0",   "MAIN/showalert=1", "MAIN/showtimer=1", "MAIN/history=0", "MAIN/backsound=1"};
    EXPECT_EQ(app.calls, saves);
    EXPECT_EQ(StoredInt("APMLIMIT"), -3);
}

TEST_F(SettingsTest, TheWindowMenuChecksItsTwoSettingsAndKeepsEachChangeAtOnce) {
    StoreNonDefaults();
    auto next = Start(true);
    HMENU menu = ::GetSystemMenu(next->dlg->m_hWnd, FALSE);
    auto checked = [&](UINT id) { return (::GetMenuState(menu, id, MF_BYCOMMAND) & MF_CHECKED) != 0; };
    EXPECT_FALSE(checked(IDM_KEEP_HISTORY));
    EXPECT_TRUE(checked(IDM_BACK_SOUND));
    next->dlg->SendMessage(WM_SYSCOMMAND, IDM_KEEP_HISTORY);
    next->dlg->SendMessage(WM_SYSCOMMAND, IDM_BACK_SOUND);
    EXPECT_TRUE(checked(IDM_KEEP_HISTORY));
    EXPECT_FALSE(checked(IDM_BACK_SOUND));
    EXPECT_EQ(next->dlg->m_bHistory, 1);
    EXPECT_EQ(next->dlg->m_bBackSound, 0);
    EXPECT_EQ(StoredInt("history"), 1);  // before the window goes
    EXPECT_EQ(StoredInt("backsound"), 0);
    next->dlg->SendMessage(WM_SYSCOMMAND, IDM_BACK_SOUND);
    EXPECT_TRUE(checked(IDM_BACK_SOUND));
    EXPECT_EQ(StoredInt("backsound"), 1);
}

TEST_F(SettingsTest, AValueThatCannotBeReadFallsBackAloneToItsDefault) {
    const DWORD seven = 7;
    const DWORD minusOne = 0xFFFFFFFF;
    const unsigned long long wide = 60;
    struct Case {
        const char* entry;
        DWORD type;
        const void* data;
        DWORD size;
    };
    const Case cases[] = {
        {"AUTOSTART", REG_DWORD, &seven, 4},     {"AUTOSTART", REG_SZ, "1", 2},
        {"APMLIMIT", REG_SZ, "120", 4},          {"APMLIMIT", REG_QWORD, &wide, 8},
        {"APMLIMIT", REG_DWORD, &seven, 2},      {"BEEPFREQ", REG_BINARY, &seven, 4},
        {"SOUNDWAV", REG_DWORD, &seven, 4},      {"SOUNDWAV", REG_EXPAND_SZ, "%TEMP%\\a.wav", 13},
        {"SOUNDWAV", REG_SZ, "", 1},             {"showapm", REG_DWORD, &minusOne, 4},
        {"showalert", REG_DWORD, &seven, 4},     {"showtimer", REG_SZ, "1", 2},
        {"history", REG_DWORD, &minusOne, 4},    {"history", REG_SZ, "0", 2},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.entry);
        StoreNonDefaults();
        PutRaw(c.entry, c.type, c.data, c.size);
        auto next = Start(false);
        const CMeterDlg& loaded = *next->dlg;
        const std::string entry = c.entry;
        EXPECT_EQ(loaded.m_bAutoStart, entry == "AUTOSTART" ? 0 : 1);
        EXPECT_EQ(loaded.m_nApmLimit, entry == "APMLIMIT" ? 50 : 120);
        EXPECT_EQ(loaded.m_nBeepEvery, entry == "BEEPFREQ" ? 2 : 5);
        EXPECT_EQ(std::string(loaded.m_strSound),
                  entry == "SOUNDWAV" ? ProgramFolder() + "apmsounds\\cadro.wav" : "C:\\sounds\\ping.wav");
        EXPECT_EQ(loaded.m_bShowApm, entry == "showapm" ? 1 : 0);
        EXPECT_EQ(loaded.m_bShowAlert, entry == "showalert" ? 0 : 1);
        EXPECT_EQ(loaded.m_bShowTimer, entry == "showtimer" ? 0 : 1);
        EXPECT_EQ(loaded.m_bHistory, entry == "history" ? 1 : 0);
    }
}

TEST_F(SettingsTest, ExtremeNumbersAreKeptAsTheyAre) {
    // Negative and huge numbers are the player's own choice (0 or less switches the sound off).
    for (int value : {-1, 0, INT_MAX, INT_MIN}) {
        PutDword("APMLIMIT", static_cast<DWORD>(value));
        PutDword("BEEPFREQ", static_cast<DWORD>(value));
        auto next = Start(true);
        EXPECT_EQ(next->dlg->m_nApmLimit, value);
        EXPECT_EQ(next->dlg->m_nBeepEvery, value);
        EXPECT_EQ(FieldText(next->dlg->m_hWnd, IDC_APMLIMIT), std::to_string(value));
        ::DestroyWindow(next->dlg->m_hWnd);
        EXPECT_EQ(StoredInt("APMLIMIT"), value);
        EXPECT_EQ(StoredInt("BEEPFREQ"), value);
    }
}

TEST_F(SettingsTest, ClearedSoundIsSavedEmptyAndTheNextStartFillsInTheDefault) {
    ::SetDlgItemTextA(dlg->m_hWnd, IDC_SOUND, "");
    ::DestroyWindow(dlg->m_hWnd);
    EXPECT_EQ(StoredText("SOUNDWAV"), "");
    auto next = Start(false);
    EXPECT_EQ(std::string(next->dlg->m_strSound), ProgramFolder() + "apmsounds\\cadro.wav");
}

TEST_F(SettingsTest, SoundPathsThatCannotPlayAreKeptPassedOnWholeAndSavedBack) {
    char temp[MAX_PATH];
    ::GetTempPathA(sizeof temp, temp);
    const std::string cases[] = {
        "C:\\no\\such\\folder\\gone.wav",          // missing on disk
        temp,                                      // a folder
        "C:\\" + std::string(300, 'd') + ".wav",  // longer than the system takes
        "C:\\" + std::string(40000, 'e') + ".wav",
    };
    for (const std::string& path : cases) {
        SCOPED_TRACE(path.substr(0, 40));
        PutText("SOUNDWAV", path);
        os.sounds.clear();
        auto next = Start(true);
        CMeterDlg& loaded = *next->dlg;
        EXPECT_EQ(std::string(loaded.m_strSound), path);
        EXPECT_EQ(FieldText(loaded.m_hWnd, IDC_SOUND), path);
        loaded.OnTestSound();
        EXPECT_EQ(os.sounds, std::vector<std::string>{path});
        ::DestroyWindow(loaded.m_hWnd);
        EXPECT_EQ(StoredText("SOUNDWAV"), path);
    }
}

// --- data exchange ---

std::vector<int> g_touched;
std::map<HWND, WNDPROC> g_originalProcs;

LRESULT CALLBACK RecordTouch(HWND control, UINT message, WPARAM wParam, LPARAM lParam) {
    switch (message) {
    case WM_GETTEXT:
    case WM_GETTEXTLENGTH:
    case WM_SETTEXT:
    case BM_GETCHECK:
    case BM_SETCHECK:
        if (g_touched.empty() || g_touched.back() != ::GetDlgCtrlID(control))
            g_touched.push_back(::GetDlgCtrlID(control));
        break;
    default:
        break;
    }
    return ::CallWindowProcA(g_originalProcs[control], control, message, wParam, lParam);
}

TEST_F(SettingsTest, ExchangesTheControlsInTheirOrderBothWays) {
    const std::vector<int> order = {IDC_AUTOSTART, IDC_APMLIMIT, IDC_BEEPEVERY, IDC_SOUND,
                                    IDC_SHOWAPM,   IDC_SHOWALERT, IDC_SHOWTIMER};
    for (int id : order) {
        HWND control = ::GetDlgItem(dlg->m_hWnd, id);
        g_originalProcs[control] = reinterpret_cast<WNDPROC>(
            ::SetWindowLongPtrA(control, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(RecordTouch)));
    }
    for (BOOL towardsMembers : {TRUE, FALSE}) {
        g_touched.clear();
        dlg->UpdateData(towardsMembers);
        EXPECT_EQ(g_touched, order) << (towardsMembers ? "controls to members" : "members to controls");
    }
    for (const auto& [control, proc] : g_originalProcs)
        ::SetWindowLongPtrA(control, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(proc));
    g_originalProcs.clear();
    EXPECT_EQ(dlg->m_list.m_hWnd, ::GetDlgItem(dlg->m_hWnd, IDC_LOG));
}

HWND g_tipOwner;
HWND g_shownTip;

BOOL CALLBACK FindShownTip(HWND window, LPARAM) {
    char name[64] = {};
    ::GetClassNameA(window, name, sizeof name);
    if (lstrcmpiA(name, TOOLTIPS_CLASSA) == 0 && ::IsWindowVisible(window) &&
        ::GetWindow(window, GW_OWNER) == g_tipOwner) {
        g_shownTip = window;
        return FALSE;
    }
    return TRUE;
}

// The refusal's balloon over the dialog, if one is showing.
HWND ShownTip(HWND dialog) {
    g_tipOwner = dialog;
    g_shownTip = nullptr;
    ::EnumThreadWindows(::GetCurrentThreadId(), FindShownTip, 0);
    return g_shownTip;
}

TEST_F(SettingsTest, NumberFieldsTakeSigned32BitWholeNumbers) {
    struct Case {
        const char* text;
        int value;
    };
    const Case cases[] = {{"0", 0}, {"-5", -5}, {" 7 ", 7}, {"+8", 8}, {"2147483647", INT_MAX}, {"-2147483648", INT_MIN}};
    for (int id : {IDC_APMLIMIT, IDC_BEEPEVERY}) {
        int& member = id == IDC_APMLIMIT ? dlg->m_nApmLimit : dlg->m_nBeepEvery;
        for (const Case& c : cases) {
            ::SetDlgItemTextA(dlg->m_hWnd, id, c.text);
            EXPECT_TRUE(dlg->UpdateData(TRUE)) << c.text;
            EXPECT_EQ(member, c.value) << c.text;
        }
    }
    EXPECT_EQ(ShownTip(dlg->m_hWnd), nullptr);
}

TEST_F(SettingsTest, RefusedNumberKeepsItsValueShowsABalloonAndTakesNoFocus) {
    ::ShowWindow(dlg->m_hWnd, SW_SHOW);
    ::SetFocus(::GetDlgItem(dlg->m_hWnd, IDC_SHOWTIMER));
    const HWND focus = ::GetFocus();
    const HWND active = ::GetActiveWindow();
    const char* refused[] = {"fast", "", "12abc", "1e3", "2147483648", "-2147483649", "0x10"};
    for (int id : {IDC_APMLIMIT, IDC_BEEPEVERY}) {
        for (const char* text : refused) {
            SCOPED_TRACE(text);
            dlg->m_nApmLimit = 70;
            dlg->m_nBeepEvery = 3;
            dlg->UpdateData(FALSE);
            ::SetDlgItemTextA(dlg->m_hWnd, id, text);
            ::SetDlgItemTextA(dlg->m_hWnd, IDC_SOUND, "C:\\next.wav");
            ::CheckDlgButton(dlg->m_hWnd, IDC_SHOWALERT, BST_CHECKED);

            EXPECT_FALSE(dlg->UpdateData(TRUE));
            EXPECT_EQ(dlg->m_nApmLimit, 70);
            EXPECT_EQ(dlg->m_nBeepEvery, 3);
            EXPECT_EQ(FieldText(dlg->m_hWnd, id), id == IDC_APMLIMIT ? "70" : "3");
            EXPECT_STREQ(dlg->m_strSound, "C:\\next.wav");  // the fields after it are still read
            EXPECT_EQ(dlg->m_bShowAlert, 1);
            EXPECT_NE(ShownTip(dlg->m_hWnd), nullptr);
            EXPECT_EQ(::GetFocus(), focus);
            EXPECT_EQ(::GetActiveWindow(), active);
            EXPECT_EQ(::GetWindow(dlg->m_hWnd, GW_ENABLEDPOPUP), nullptr);  // no modal box
        }
    }
}

TEST_F(SettingsTest, RefusalBalloonGoesAwayByItselfWhileTheLinkPumps) {
    ::SetDlgItemTextA(dlg->m_hWnd, IDC_APMLIMIT, "lots");
    dlg->UpdateData(TRUE);
    ASSERT_NE(ShownTip(dlg->m_hWnd), nullptr);
    const DWORD start = ::GetTickCount();
    while (ShownTip(dlg->m_hWnd) && ::GetTickCount() - start < 6000) {
        PumpMessages();
        ::Sleep(50);
    }
    const DWORD shown = ::GetTickCount() - start;
    EXPECT_EQ(ShownTip(dlg->m_hWnd), nullptr);
    EXPECT_GE(shown, 2500u);
    EXPECT_LE(shown, 4500u);
}

TEST_F(SettingsTest, RefusedNumberIsNotSaved) {
    dlg->m_nBeepEvery = 4;
    dlg->UpdateData(FALSE);
    ::SetDlgItemTextA(dlg->m_hWnd, IDC_BEEPEVERY, "often");
    ::DestroyWindow(dlg->m_hWnd);
    EXPECT_EQ(StoredInt("BEEPFREQ"), 4);
    EXPECT_EQ(StoredInt("APMLIMIT"), 50);
}

// --- the display check boxes ---

TEST_F(SettingsTest, WarningBoxIsEnabledOnlyWhileTheApmIsShown) {
    HWND warning = ::GetDlgItem(dlg->m_hWnd, IDC_SHOWALERT);
    ::CheckDlgButton(dlg->m_hWnd, IDC_SHOWALERT, BST_CHECKED);
    ::SetDlgItemTextA(dlg->m_hWnd, IDC_APMLIMIT, "x");  // a refused field does not stop the rule
    Click(dlg->m_hWnd, IDC_SHOWAPM);
    EXPECT_EQ(dlg->m_bShowApm, 0);
    EXPECT_FALSE(::IsWindowEnabled(warning));
    EXPECT_EQ(dlg->m_bShowAlert, 1);  // disabled, its state is still exchanged and kept
    Click(dlg->m_hWnd, IDC_SHOWAPM);
    EXPECT_EQ(dlg->m_bShowApm, 1);
    EXPECT_TRUE(::IsWindowEnabled(warning));

    for (DWORD shown : {0u, 1u}) {
        PutDword("showapm", shown);
        auto next = Start(true);
        EXPECT_EQ(::IsWindowEnabled(::GetDlgItem(next->dlg->m_hWnd, IDC_SHOWALERT)) != FALSE, shown == 1);
    }
}

// --- the sound test ---

TEST_F(SettingsTest, TestButtonPlaysTheFieldsPathOnceWhateverTheSoundToggle) {
    struct Case {
        bool soundOn;
        const char* field;
        std::vector<std::string> played;
    };
    const Case cases[] = {
        {true, "C:\\a.wav", {"C:\\a.wav"}},
        {false, "C:\\b.wav", {"C:\\b.wav"}},
        {true, "", {}},
        {false, "", {}},
    };
    for (const Case& c : cases) {
        os.sounds.clear();
        dlg->m_bSoundOn = c.soundOn;
        ::SetDlgItemTextA(dlg->m_hWnd, IDC_SOUND, c.field);
        Click(dlg->m_hWnd, IDC_TEST);
        EXPECT_EQ(os.sounds, c.played) << c.field << ' ' << c.soundOn;
        EXPECT_STREQ(dlg->m_strSound, c.field);
        EXPECT_EQ(dlg->m_bSoundOn, c.soundOn);
    }
}

TEST_F(SettingsTest, RealSoundCallReturnsForPathsThatCannotPlay) {
    char temp[MAX_PATH];
    ::GetTempPathA(sizeof temp, temp);
    const std::string paths[] = {"C:\\no\\such\\gone.wav", temp, "C:\\" + std::string(400, 'f') + ".wav"};
    Os* fake = SetOs(nullptr);
    for (const std::string& path : paths) {
        ::SetDlgItemTextA(dlg->m_hWnd, IDC_SOUND, path.c_str());
        const DWORD start = ::GetTickCount();
        dlg->OnTestSound();
        EXPECT_LT(::GetTickCount() - start, 3000u) << path.substr(0, 40);
    }
    SetOs(fake);
}

// --- autostart ---

TEST(RunCommandTest, TheSystemSplitsItIntoThePathAndTheSwitch) {
    const char* paths[] = {"C:\\Games\\cadro.exe", "C:\\Program Files\\Cadro Tools\\cadro.exe",
                           "\\\\server\\share\\a b\\cadro.exe", "D:\\x y\\z.exe"};
    for (const char* path : paths) {
        CString command = RunCommand(path);
        std::wstring wide(static_cast<size_t>(command.GetLength()) + 1, L'\0');
        ::MultiByteToWideChar(CP_ACP, 0, command, -1, wide.data(), static_cast<int>(wide.size()));
        int count = 0;
        LPWSTR* args = ::CommandLineToArgvW(wide.c_str(), &count);
        ASSERT_EQ(count, 2) << command;
        char first[MAX_PATH] = {};
        ::WideCharToMultiByte(CP_ACP, 0, args[0], -1, first, sizeof first, nullptr, nullptr);
        EXPECT_STREQ(first, path);
        EXPECT_STREQ(args[1], L"-auto");
        ::LocalFree(args);
    }
    EXPECT_STREQ(RunCommand(""), "");
    EXPECT_STREQ(RunCommand(nullptr), "");
}

TEST_F(SettingsTest, AutostartBoxWritesTheQuotedRunValueAndRemovesIt) {
    HKEY user = FakeUser(true);
    Click(dlg->m_hWnd, IDC_AUTOSTART);
    EXPECT_EQ(dlg->m_bAutoStart, 1);
    EXPECT_EQ(StoredInt("AUTOSTART", user, kTestSection), 1);
    std::optional<RawValue> run = GetRaw("CADRO", user, kRunKey);
    ASSERT_TRUE(run);
    EXPECT_EQ(run->type, static_cast<DWORD>(REG_SZ));
    EXPECT_EQ(run->bytes, "\"" + TestProgramPath() + "\" -auto" + std::string(1, '\0'));

    Click(dlg->m_hWnd, IDC_AUTOSTART);
    EXPECT_EQ(dlg->m_bAutoStart, 0);
    EXPECT_EQ(StoredInt("AUTOSTART", user, kTestSection), 0);
    EXPECT_FALSE(GetRaw("CADRO", user, kRunKey));
    EXPECT_TRUE(GetRaw("Other", user, kRunKey));  // the other programs' entries stay
    EXPECT_EQ(SetRunEntry(false), ERROR_FILE_NOT_FOUND);  // switching off twice is harmless
}

TEST_F(SettingsTest, AutostartWithoutARunKeyStillKeepsTheSetting) {
    HKEY user = FakeUser(false);
    Click(dlg->m_hWnd, IDC_AUTOSTART);
    EXPECT_EQ(dlg->m_bAutoStart, 1);
    EXPECT_EQ(StoredInt("AUTOSTART", user, kTestSection), 1);
    EXPECT_FALSE(KeyExists(user, kRunKey));
    EXPECT_EQ(SetRunEntry(true), ERROR_FILE_NOT_FOUND);
    EXPECT_FALSE(KeyExists(user, kRunKey));
}

// --- choosing the sound file ---

// Plays the user at the open-file dialog from another thread: notes the folder it opened in, then
// types a path and presses Open, or presses Cancel when there is no path.
struct Chooser {
    DWORD thread;
    HWND owner;
    std::string type;
    std::string folder;
    bool seen = false;
};

HWND g_found;
BOOL CALLBACK FindChooser(HWND window, LPARAM param) {
    char name[16] = {};
    ::GetClassNameA(window, name, sizeof name);
    if (std::string(name) == "#32770" && ::IsWindowVisible(window) &&
        ::GetWindow(window, GW_OWNER) == reinterpret_cast<Chooser*>(param)->owner) {
        g_found = window;
        return FALSE;
    }
    return TRUE;
}

BOOL CALLBACK FindEdit(HWND window, LPARAM param) {
    char name[16] = {};
    ::GetClassNameA(window, name, sizeof name);
    if (lstrcmpiA(name, "Edit") != 0)
        return TRUE;
    *reinterpret_cast<HWND*>(param) = window;
    return FALSE;
}

DWORD WINAPI PlayChooser(void* param) {
    Chooser& chooser = *static_cast<Chooser*>(param);
    g_found = nullptr;
    for (int i = 0; i < 300 && !g_found; ++i) {
        ::Sleep(50);
        ::EnumThreadWindows(chooser.thread, FindChooser, reinterpret_cast<LPARAM>(&chooser));
    }
    if (!g_found)
        return 1;
    chooser.seen = true;
    char folder[MAX_PATH] = {};
    ::SendMessageA(g_found, CDM_GETFOLDERPATH, sizeof folder, reinterpret_cast<LPARAM>(folder));
    chooser.folder = folder;
    // The file name box is an edit of its own in some versions, an edit inside a combo box in others.
    HWND name = ::GetDlgItem(g_found, edt1);
    if (!name)
        ::EnumChildWindows(::GetDlgItem(g_found, cmb13), FindEdit, reinterpret_cast<LPARAM>(&name));
    if (chooser.type.empty() || !name) {
        ::PostMessageA(g_found, WM_COMMAND, IDCANCEL, 0);
        return 0;
    }
    ::SendMessageA(name, WM_SETTEXT, 0, reinterpret_cast<LPARAM>(chooser.type.c_str()));
    ::PostMessageA(g_found, WM_COMMAND, MAKEWPARAM(IDOK, BN_CLICKED),
                   reinterpret_cast<LPARAM>(::GetDlgItem(g_found, IDOK)));
    return 0;
}

class BrowseTest : public SettingsTest {
protected:
    void SetUp() override {
        SettingsTest::SetUp();
        char temp[MAX_PATH];
        ::GetTempPathA(sizeof temp, temp);
        folder = std::string(temp) + "cadro-browse";
        ::CreateDirectoryA(folder.c_str(), nullptr);
        wav = folder + "\\beep.wav";
        HANDLE file = ::CreateFileA(wav.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, 0, nullptr);
        ::CloseHandle(file);
    }
    void TearDown() override {
        ::DeleteFileA(wav.c_str());
        ::RemoveDirectoryA(folder.c_str());
        SettingsTest::TearDown();
    }
    // Clicks "..." with the user's answer; returns the folder the dialog opened in.
    std::string Browse(const std::string& type) {
        Chooser chooser{::GetCurrentThreadId(), dlg->m_hWnd, type, "", false};
        HANDLE player = ::CreateThread(nullptr, 0, PlayChooser, &chooser, 0, nullptr);
        Click(dlg->m_hWnd, IDC_BROWSE);
        ::WaitForSingleObject(player, 20000);
        ::CloseHandle(player);
        EXPECT_TRUE(chooser.seen);
        return chooser.folder;
    }
    std::string folder;
    std::string wav;
};

std::string Folder(const std::string& path) { return path.substr(0, path.rfind('\\')); }

TEST_F(BrowseTest, ChosenFileSetsTheFieldAndTheLastFolderAndTheNextBrowseStartsThere) {
    EXPECT_EQ(Browse(wav), Folder(TestProgramPath()));  // no LASTDIR yet: the program's folder
    EXPECT_EQ(std::string(dlg->m_strSound), wav);
    EXPECT_EQ(FieldText(dlg->m_hWnd, IDC_SOUND), wav);
    EXPECT_EQ(std::string(dlg->m_strLastDir), wav);
    EXPECT_EQ(StoredText("LASTDIR"), wav);

    EXPECT_EQ(Browse(""), folder);
    EXPECT_EQ(std::string(dlg->m_strSound), wav);
}

TEST_F(BrowseTest, ChoosingAFileKeepsWhatWasTypedInTheOtherFields) {
    ::SetDlgItemTextA(dlg->m_hWnd, IDC_APMLIMIT, "120");
    ::SetDlgItemTextA(dlg->m_hWnd, IDC_BEEPEVERY, "not yet a number");
    ::SendDlgItemMessageA(dlg->m_hWnd, IDC_SHOWTIMER, BM_SETCHECK, BST_CHECKED, 0);
    const int limit = dlg->m_nApmLimit;
    Browse(wav);
    EXPECT_EQ(FieldText(dlg->m_hWnd, IDC_SOUND), wav);
    EXPECT_EQ(FieldText(dlg->m_hWnd, IDC_APMLIMIT), "120");
    EXPECT_EQ(FieldText(dlg->m_hWnd, IDC_BEEPEVERY), "not yet a number");
    EXPECT_EQ(::SendDlgItemMessageA(dlg->m_hWnd, IDC_SHOWTIMER, BM_GETCHECK, 0, 0), BST_CHECKED);
    EXPECT_EQ(dlg->m_nApmLimit, limit) << "the typed limit takes effect at the next transfer, as before";
}

TEST_F(BrowseTest, CancelChangesNothing) {
    PutText("LASTDIR", wav);
    const std::string sound(dlg->m_strSound);
    Browse("");
    EXPECT_EQ(std::string(dlg->m_strSound), sound);
    EXPECT_EQ(FieldText(dlg->m_hWnd, IDC_SOUND), sound);
    EXPECT_EQ(StoredText("LASTDIR"), wav);
}

TEST_F(BrowseTest, UnusableLastFolderStillOpensTheChooser) {
    const DWORD number = 3;
    struct Case {
        const char* what;
        DWORD type;
        std::string data;
    };
    const Case cases[] = {
        {"gone", REG_SZ, std::string("C:\\gone\\away\\old.wav") + '\0'},
        {"far longer than the system takes", REG_SZ, "C:\\" + std::string(5000, 'g') + '\0'},
        {"not text", REG_DWORD, std::string(reinterpret_cast<const char*>(&number), 4)},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        PutRaw("LASTDIR", c.type, c.data.data(), static_cast<DWORD>(c.data.size()));
        Browse(wav);
        EXPECT_EQ(std::string(dlg->m_strSound), wav);
        EXPECT_EQ(StoredText("LASTDIR"), wav);
    }
}

}  // namespace
