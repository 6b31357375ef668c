// Loading a system library's function at its first use.
#include <gtest/gtest.h>

#include <windows.h>

#include <string>

#include "frame/system_library.h"

TEST(SystemLibrary, FindsFunctionsOfSystemLibrariesAndNothingElse) {
    using Length = int(WINAPI*)(LPCSTR);
    Length length = SystemFunction<Length>("kernel32.dll", "lstrlenA");
    ASSERT_NE(length, nullptr);
    EXPECT_EQ(length("cadro"), 5);
    EXPECT_NE(SystemProc("winmm.dll", "PlaySoundA"), nullptr);
    EXPECT_NE(SystemProc("comdlg32.dll", "GetOpenFileNameA"), nullptr);
    EXPECT_EQ(SystemProc("kernel32.dll", "NoSuchFunction"), nullptr);
    EXPECT_EQ(SystemProc("no-such-library.dll", "Anything"), nullptr);
    // A name too long for a path in the system folder is refused, not cut.
    EXPECT_EQ(SystemProc(std::string(MAX_PATH, 'a').c_str(), "x"), nullptr);
}
