#include <gtest/gtest.h>

#include <cstring>

#include "frame/cstring.h"

TEST(CStringTest, CopiesShareStorageUntilOneIsWritten) {
    CString a("alpha");
    CString b = a;
    EXPECT_TRUE(a.IsShared());
    EXPECT_EQ(static_cast<const char*>(a), static_cast<const char*>(b));
    b += "bet";
    EXPECT_FALSE(a.IsShared());
    EXPECT_STREQ(a, "alpha");
    EXPECT_STREQ(b, "alphabet");
}

TEST(CStringTest, EmptyValuesOwnNothingAndReadAsEmptyText) {
    CString none;
    CString fromNull(static_cast<const char*>(nullptr));
    CString fromEmpty("");
    for (const CString* s : {&none, &fromNull, &fromEmpty}) {
        EXPECT_TRUE(s->IsEmpty());
        EXPECT_EQ(s->GetLength(), 0);
        EXPECT_STREQ(*s, "");
    }
}

TEST(CStringTest, AppendingItsOwnTextIsSafe) {
    CString s("ab");
    s += s;
    EXPECT_STREQ(s, "abab");
    s = static_cast<const char*>(s) + 1;  // assign from inside its own storage
    EXPECT_STREQ(s, "bab");
}

TEST(CStringTest, BoundedConstructionStopsAtTheLength) {
    char raw[4] = {'a', 'b', 'c', 'd'};  // no terminator
    CString s(raw, 4);
    EXPECT_EQ(s.GetLength(), 4);
    EXPECT_STREQ(s, "abcd");
}

TEST(CStringTest, FormatFindAndCompare) {
    CString s;
    s.Format("%s %03d", "APM", 7);
    EXPECT_TRUE(s == "APM 007");
    EXPECT_FALSE(s == "apm 007");
    EXPECT_EQ(s.Find("007"), 4);
    EXPECT_EQ(s.Find("x"), -1);
    s.Format("%s", "");
    EXPECT_TRUE(s.IsEmpty());
}

TEST(CStringTest, BufferRoundTripFixesTheLength) {
    CString s("old");
    CString keep = s;
    char* buffer = s.GetBuffer(10);
    std::strcpy(buffer, "new text");
    s.ReleaseBuffer();
    EXPECT_EQ(s.GetLength(), 8);
    EXPECT_STREQ(keep, "old");  // the shared copy was not written
    s.GetBuffer(3);
    s.ReleaseBuffer(2);
    EXPECT_STREQ(s, "ne");
}
