#include <gtest/gtest.h>

#include <climits>

#include "app/res/resource.h"
#include "frame/ddx.h"
#include "tests/unit/fake_os.h"

TEST(ParseInt32Test, AcceptsWholeNumbersOnly) {
    struct Case {
        const char* text;
        bool ok;
        int value;
    };
    const Case cases[] = {
        {"0", true, 0},           {"50", true, 50},       {"-7", true, -7},
        {"+12", true, 12},        {"  42  ", true, 42},   {"2147483647", true, INT_MAX},
        {"-2147483648", true, INT_MIN},                   {"2147483648", false, 0},
        {"-2147483649", false, 0}, {"99999999999999999999", false, 0},
        {"", false, 0},           {" ", false, 0},        {"abc", false, 0},
        {"12abc", false, 0},      {"1 2", false, 0},      {"-", false, 0},
        {"0x10", false, 0},       {"1.5", false, 0},
    };
    for (const Case& c : cases) {
        int value = 12345;
        EXPECT_EQ(ParseInt32(c.text, &value), c.ok) << '"' << c.text << '"';
        EXPECT_EQ(value, c.ok ? c.value : 12345) << '"' << c.text << '"';
    }
}

using ExchangeTest = MeterTest;

TEST_F(ExchangeTest, RefusedNumberKeepsTheMemberRestoresTheFieldAndExchangesTheRest) {
    dlg->m_nApmLimit = 70;
    dlg->m_nBeepEvery = 3;
    dlg->UpdateData(FALSE);
    ::SetDlgItemTextA(dlg->m_hWnd, IDC_APMLIMIT, "fast");
    ::SetDlgItemTextA(dlg->m_hWnd, IDC_BEEPEVERY, "9");
    ::SetDlgItemTextA(dlg->m_hWnd, IDC_SOUND, "C:\\alert.wav");
    ::CheckDlgButton(dlg->m_hWnd, IDC_SHOWTIMER, BST_CHECKED);

    EXPECT_FALSE(dlg->UpdateData(TRUE));
    EXPECT_EQ(dlg->m_nApmLimit, 70);
    EXPECT_EQ(dlg->m_nBeepEvery, 9);
    EXPECT_STREQ(dlg->m_strSound, "C:\\alert.wav");
    EXPECT_EQ(dlg->m_bShowTimer, 1);
    char text[32];
    ::GetDlgItemTextA(dlg->m_hWnd, IDC_APMLIMIT, text, sizeof text);
    EXPECT_STREQ(text, "70");
    // A refusal is no modal box: focus stays where it was, no other window of ours appeared.
    EXPECT_EQ(::GetWindow(dlg->m_hWnd, GW_ENABLEDPOPUP), nullptr);
}

TEST_F(ExchangeTest, ChecksOutsideTheirRangeShowClear) {
    dlg->m_bShowAlert = 7;
    dlg->UpdateData(FALSE);
    EXPECT_EQ(::IsDlgButtonChecked(dlg->m_hWnd, IDC_SHOWALERT), 0u);
}
