#include <gtest/gtest.h>

#include <climits>
#include <cstring>
#include <string>

#include "frame/winapp.h"
#include "tests/unit/registry_values.h"

namespace {

class ProfileTest : public ::testing::Test {
protected:
    void SetUp() override { ::RegDeleteTreeA(HKEY_CURRENT_USER, kTestRoot); }
    void TearDown() override { ::RegDeleteTreeA(HKEY_CURRENT_USER, kTestRoot); }
    CWinApp& app = *AfxGetApp();
};

TEST_F(ProfileTest, IntegersRoundTripAsSigned32Bits) {
    for (int value : {0, 1, -1, 50, INT_MAX, INT_MIN}) {
        EXPECT_TRUE(app.WriteProfileInt("MAIN", "APMLIMIT", value));
        EXPECT_EQ(static_cast<int>(app.GetProfileInt("MAIN", "APMLIMIT", 77)), value);
        std::optional<RawValue> raw = GetRaw("APMLIMIT");
        ASSERT_TRUE(raw);
        EXPECT_EQ(raw->type, static_cast<DWORD>(REG_DWORD));
    }
}

TEST_F(ProfileTest, IntegerOfTheWrongTypeOrSizeReadsAsTheDefault) {
    const DWORD dword = 9;
    const unsigned long long qword = 9;
    struct Case {
        const char* what;
        DWORD type;
        const void* data;
        DWORD size;
    };
    const Case cases[] = {
        {"text", REG_SZ, "9", 2},
        {"binary of four bytes", REG_BINARY, &dword, 4},
        {"64-bit number", REG_QWORD, &qword, 8},
        {"short number", REG_DWORD, &dword, 2},
        {"big-endian number", REG_DWORD_BIG_ENDIAN, &dword, 4},
        {"empty number", REG_DWORD, &dword, 0},
    };
    for (const Case& c : cases) {
        PutRaw("BEEPFREQ", c.type, c.data, c.size);
        EXPECT_EQ(static_cast<int>(app.GetProfileInt("MAIN", "BEEPFREQ", -5)), -5) << c.what;
    }
    EXPECT_EQ(static_cast<int>(app.GetProfileInt("MAIN", "missing", -5)), -5);
    EXPECT_EQ(static_cast<int>(app.GetProfileInt("NOSECTION", "BEEPFREQ", -5)), -5);
}

TEST_F(ProfileTest, TextIsReadWholeAndOnlyFromTextValues) {
    const std::string longText(70000, 'x');
    const DWORD dword = 9;
    struct Case {
        const char* what;
        DWORD type;
        std::string data;  // stored as given, terminator included only where written
        const char* expected;
    };
    const Case cases[] = {
        {"plain", REG_SZ, std::string("C:\\a.wav", 9), "C:\\a.wav"},
        {"empty text is a value, not a missing one", REG_SZ, std::string("", 1), ""},
        {"no terminating zero", REG_SZ, "C:\\b.wav", "C:\\b.wav"},
        {"zero-length text", REG_SZ, "", ""},
        {"expandable text", REG_EXPAND_SZ, std::string("%TEMP%", 7), "default"},
        {"list of texts", REG_MULTI_SZ, std::string("a\0b\0", 5), "default"},
        {"number", REG_DWORD, std::string(reinterpret_cast<const char*>(&dword), 4), "default"},
        {"binary", REG_BINARY, "C:\\c.wav", "default"},
    };
    for (const Case& c : cases) {
        PutRaw("SOUNDWAV", c.type, c.data.data(), static_cast<DWORD>(c.data.size()));
        EXPECT_STREQ(app.GetProfileString("MAIN", "SOUNDWAV", "default"), c.expected) << c.what;
    }
    PutText("SOUNDWAV", longText);
    EXPECT_EQ(std::string(app.GetProfileString("MAIN", "SOUNDWAV", "default")), longText);
    EXPECT_STREQ(app.GetProfileString("MAIN", "missing", "default"), "default");
    EXPECT_STREQ(app.GetProfileString("MAIN", "missing"), "");
}

TEST_F(ProfileTest, WritingNoTextDeletesTheValue) {
    ASSERT_TRUE(app.WriteProfileString("MAIN", "LASTDIR", "C:\\x.wav"));
    ASSERT_TRUE(GetRaw("LASTDIR"));
    EXPECT_TRUE(app.WriteProfileString("MAIN", "LASTDIR", nullptr));
    EXPECT_FALSE(GetRaw("LASTDIR"));
}

TEST_F(ProfileTest, WithoutARegistryKeyNothingIsReadOrWritten) {
    CWinApp bare("CadroUnitTests");
    EXPECT_EQ(AfxGetApp(), &bare);
    EXPECT_FALSE(bare.WriteProfileInt("MAIN", "APMLIMIT", 60));
    EXPECT_FALSE(bare.WriteProfileString("MAIN", "SOUNDWAV", "x"));
    EXPECT_EQ(static_cast<int>(bare.GetProfileInt("MAIN", "APMLIMIT", 50)), 50);
    EXPECT_FALSE(KeyExists(HKEY_CURRENT_USER, kTestRoot));
}

TEST_F(ProfileTest, NamedAfterTheProgramFileAndNestedObjectsGiveTheOuterOneBack) {
    CWinApp* outer = AfxGetApp();
    {
        CWinApp named;
        named.Startup(::GetModuleHandleA(nullptr), "-auto");
        EXPECT_EQ(AfxGetApp(), &named);
        std::string path = TestProgramPath();
        std::string file = path.substr(path.rfind('\\') + 1);
        EXPECT_EQ(std::string(named.m_strAppName), file.substr(0, file.rfind('.')));
        EXPECT_STREQ(named.m_lpCmdLine, "-auto");
    }
    EXPECT_EQ(AfxGetApp(), outer);
}

TEST(ModulePathTest, WholeOrNothingAtEveryBufferSize) {
    const std::string whole = TestProgramPath();
    ASSERT_GT(whole.size(), 3u);
    const DWORD length = static_cast<DWORD>(whole.size());
    EXPECT_EQ(std::string(AfxGetModulePath(nullptr)), whole);
    EXPECT_EQ(std::string(AfxGetModulePath(nullptr, length + 1)), whole);  // exact fit
    struct Case {
        const char* what;
        DWORD capacity;
    };
    const Case cut[] = {{"one short", length}, {"two short", length - 1}, {"one character", 1}, {"none", 0}};
    for (const Case& c : cut)
        EXPECT_STREQ(AfxGetModulePath(nullptr, c.capacity), "") << c.what;
}

}  // namespace
