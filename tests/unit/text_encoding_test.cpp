// The game's and the system's texts in UTF-8, and UTF-8 in the wide form the system's file calls take.
#include <gtest/gtest.h>

#include "util/text_encoding.h"

TEST(TextEncoding, GameTextsAreConvertedFromTheirCodePageToUtf8) {
    struct Case {
        unsigned codePage;
        const char* ansi;
        const char* utf8;
    };
    const Case cases[] = {
        {1252, "Caf\xE9", "Caf\xC3\xA9"},
        {1252, "\x80 5", "\xE2\x82\xAC 5"},
        {1252, "Stra\xDF" "e", "Stra\xC3\x9F" "e"},
        {1251, "\xCC\xE8\xF0", "\xD0\x9C\xD0\xB8\xD1\x80"},
        {1252, "", ""},
        {0, "Player 1", "Player 1"},
    };
    for (const Case& c : cases)
        EXPECT_EQ(AnsiToUtf8(c.ansi, c.codePage), c.utf8) << c.ansi;
    EXPECT_EQ(WideToUtf8(Utf8ToWide("\xD0\x9C\xD0\xB8 \xE2\x82\xAC")), "\xD0\x9C\xD0\xB8 \xE2\x82\xAC");
    EXPECT_EQ(Utf8ToWide("Caf\xC3\xA9"), L"Caf\u00e9");
}
