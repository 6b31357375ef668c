// The game memory accessors and the recognition of a game's start and end.
#include <gtest/gtest.h>

#include <cstring>
#include <string>

#include "link/link.h"
#include "tests/unit/allocation_meter.h"
#include "tests/unit/fake_os.h"

class ProbeTest : public MeterTest {
protected:
    void WriteAllTexts() {
        os.PokeText(kSlotA, "Player");
        os.PokeText(kSlotB, "Lost Temple");
        os.PokeText(kSlotC, "Melee");
        os.PokeText(kEchoB, "Lost Temple");
        os.PokeText(kEchoC, "Melee");
    }
};

TEST_F(ProbeTest, AccessorsAddTheBiasAndZeroFillFailedReads) {
    os.PokeWord(kStartWord, 0xA1B2C3D4);
    uint32_t word = 0;
    ReadGame(process, kStartWord, &word, 4);
    EXPECT_EQ(word, 0xA1B2C3D4u);
    EXPECT_EQ(os.reads.back(), kStartWord + 0x200000u);

    uint8_t buffer[48];
    std::memset(buffer, 0xCC, sizeof buffer);
    os.readsFail = true;
    ReadGame(process, kEchoB, buffer, sizeof buffer);
    for (uint8_t b : buffer)
        ASSERT_EQ(b, 0) << "a failed read must leave no stale bytes";

    const uint32_t value = 7;
    WriteGame(process, kEndWord, &value, 4);
    EXPECT_EQ(os.PeekWord(kEndWord), 7u) << "writes land at held address + bias";
}

TEST_F(ProbeTest, ClearGameMarksZeroesTheFirstBytesAndTheStartWord) {
    WriteAllTexts();
    os.PokeWord(kStartWord, 0xFFFFFFFF);
    ClearGameMarks(process);
    EXPECT_EQ(os.PeekByte(kSlotB), 0);
    EXPECT_EQ(os.PeekByte(kSlotB + 1), 'o') << "only the first byte";
    EXPECT_EQ(os.PeekByte(kSlotC), 0);
    EXPECT_EQ(os.PeekWord(kStartWord), 0u);
    EXPECT_EQ(os.PeekByte(kSlotA), 'P') << "slot A is left alone";
}

TEST_F(ProbeTest, StartNeedsAllFiveTextChecksAndTheStartWord) {
    WriteAllTexts();
    os.PokeWord(kStartWord, 1);
    EXPECT_TRUE(dlg->IsGameStarted(process));
    EXPECT_STREQ(dlg->m_strSlotA, "Player");
    EXPECT_STREQ(dlg->m_strSlotB, "Lost Temple");
    EXPECT_STREQ(dlg->m_strSlotC, "Melee");
    EXPECT_EQ(os.clock, 0u) << "no second look when the word is set at once";
}

TEST_F(ProbeTest, EachMissingOrMismatchedTextPreventsTheStart) {
    struct Case {
        uint32_t address;
        const char* text;
    };
    const Case cases[] = {
        {kSlotB, ""}, {kSlotC, ""}, {kEchoB, ""}, {kEchoC, ""},
        {kEchoB, "lost temple"},  // letter case differs
        {kEchoC, "Melee "},       // one byte more
        {kEchoB, "Lost Templ"},
    };
    for (const Case& c : cases) {
        WriteAllTexts();
        os.PokeWord(kStartWord, 1);
        os.PokeText(c.address, c.text);
        dlg->m_strSlotB.Empty();
        dlg->m_strSlotC.Empty();
        EXPECT_FALSE(dlg->IsGameStarted(process)) << std::hex << c.address << " = \"" << c.text << '"';
    }
}

TEST_F(ProbeTest, SlotAIsKeptFromAnEarlierCall) {
    WriteAllTexts();
    os.PokeWord(kStartWord, 1);
    ASSERT_TRUE(dlg->IsGameStarted(process));
    os.PokeText(kSlotA, "");
    os.PokeText(kSlotA + 1, "");
    EXPECT_TRUE(dlg->IsGameStarted(process));
    size_t readsOfA = 0;
    for (uint32_t a : os.reads)
        readsOfA += a == kSlotA + kGameBias;
    EXPECT_EQ(readsOfA, 1u) << "slot A is not read again once captured";
}

TEST_F(ProbeTest, EchoesCompareWithTheLastCapturedText) {
    WriteAllTexts();
    os.PokeWord(kStartWord, 1);
    ASSERT_TRUE(dlg->IsGameStarted(process));
    os.PokeText(kSlotB, "");  // slot B now reads empty, its echo still matches the kept text
    EXPECT_FALSE(dlg->IsGameStarted(process)) << "an empty slot B does not count";
    EXPECT_STREQ(dlg->m_strSlotB, "Lost Temple");
}

TEST_F(ProbeTest, APassTakesNoHeapOnceTheTextsAreKept) {
    WriteAllTexts();
    os.PokeWord(kStartWord, 1);
    ASSERT_TRUE(dlg->IsGameStarted(process));
    os.reads.reserve(os.reads.size() + 64);  // the fake's own record of the reads must not count
    ResetAllocationPeak();
    EXPECT_TRUE(dlg->IsGameStarted(process));
    EXPECT_EQ(AllocationsSinceReset(), 0u) << "the same texts again";
    // Between games: slots B and C cleared, the echoes still hold the last game's texts.
    ClearGameMarks(process);
    EXPECT_FALSE(dlg->IsGameStarted(process));
    EXPECT_EQ(AllocationsSinceReset(), 0u) << "between games";
}

TEST_F(ProbeTest, StartWordGetsOneSecondLookAfterHalfASecond) {
    WriteAllTexts();
    EXPECT_FALSE(dlg->IsGameStarted(process));
    EXPECT_EQ(os.clock, 500u) << "start word 0 on both reads: false after 500 ms";

    os.clock = 0;
    os.At(300, [&] { os.PokeWord(kStartWord, 5); });
    EXPECT_TRUE(dlg->IsGameStarted(process)) << "set only for the second read";
    EXPECT_EQ(os.clock, 500u);
}

TEST_F(ProbeTest, UnterminatedTextsAreBoundedByTheProbe) {
    WriteAllTexts();
    os.PokeWord(kStartWord, 1);
    char full[48];
    std::memset(full, 'x', sizeof full);
    os.Poke(kSlotB + kGameBias, full, sizeof full);  // no NUL within 32 bytes
    os.Poke(kEchoB + kGameBias, full, sizeof full);  // no NUL within 48 bytes
    os.Poke(kEchoB + kGameBias + 48, "tail", 5);
    // Every other check passes: only the echo of slot B decides.
    EXPECT_FALSE(dlg->IsGameStarted(process)) << "48 bytes of echo are not the 32 of the slot";
    EXPECT_EQ(dlg->m_strSlotB.GetLength(), 32);
    EXPECT_EQ(std::string(dlg->m_strSlotB), std::string(32, 'x'));

    // The same echo cut to the slot's 32 bytes matches: the probe, not the text, bounded it above.
    os.Poke(kEchoB + kGameBias + 32, "", 1);
    EXPECT_TRUE(dlg->IsGameStarted(process));
}

TEST_F(ProbeTest, GameOverByEndWordOrF8) {
    EXPECT_FALSE(IsGameOver(process));
    EXPECT_TRUE(Log().empty());

    os.PokeWord(kEndWord, 1);
    EXPECT_TRUE(IsGameOver(process));
    EXPECT_EQ(Log().back(), "Game finished");
    os.PokeWord(kEndWord, 0);

    os.PokeWord(kStartWord, 9);
    os.PokeText(kSlotB, "Map");
    os.keysDown[VK_F8] = true;
    EXPECT_TRUE(IsGameOver(process));
    EXPECT_TRUE(g_bStop);
    EXPECT_EQ(os.PeekWord(kStartWord), 0u) << "F8 clears the marks";
    EXPECT_EQ(os.PeekByte(kSlotB), 0);
    os.keysDown[VK_F8] = false;
    EXPECT_TRUE(IsGameOver(process)) << "the stop request holds until the next game";
    EXPECT_EQ(Log().size(), 3u);
}

TEST_F(ProbeTest, EndWordIsReadBeforeTheF8Test) {
    os.keysDown[VK_F8] = true;
    IsGameOver(process);
    ASSERT_FALSE(os.reads.empty());
    EXPECT_EQ(os.reads.front(), kEndWord + kGameBias);
}

TEST_F(ProbeTest, UnreadableGameNeverStartsNorEnds) {
    WriteAllTexts();
    os.PokeWord(kStartWord, 1);
    os.PokeWord(kEndWord, 1);
    os.readsFail = true;
    EXPECT_FALSE(dlg->IsGameStarted(process));
    EXPECT_FALSE(IsGameOver(process));
}
