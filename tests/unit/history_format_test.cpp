// The history's file formats: rows as spreadsheets read them, what readers skip, the timeline file and the
// file names.
#include <gtest/gtest.h>

#include <cstdint>

#include "history/csv.h"
#include "tests/unit/allocation_meter.h"
#include "util/files.h"

namespace {

GameRecord AGame() {
    GameRecord g;
    g.started = "2026-12-09T04:12:33";
    g.lengthSeconds = 1234;
    g.apm = 187;
    g.actions = 3594;
    g.peakApm = 412;
    g.peakSeconds = 3723;
    g.limit = -5;
    g.secondsBelow = 42;
    g.alerts = 7;
    g.end = GameEnd::kStopKey;
    g.slotA = "Player";
    g.slotB = "Lost Temple";
    g.slotC = "Melee";
    g.timeline = "2026-12-09_04-12-33.csv";
    g.eapm = 150;
    g.spam = 30;
    g.spamByKind[0] = 2;
    g.spamByKind[1] = 9;
    g.spamByKind[2] = 4;
    g.spamByKind[3] = 15;
    return g;
}

void ExpectSame(const GameRecord& a, const GameRecord& b) {
    EXPECT_EQ(a.started, b.started);
    EXPECT_EQ(a.lengthSeconds, b.lengthSeconds);
    EXPECT_EQ(a.apm, b.apm);
    EXPECT_EQ(a.actions, b.actions);
    EXPECT_EQ(a.peakApm, b.peakApm);
    EXPECT_EQ(a.peakSeconds, b.peakSeconds);
    EXPECT_EQ(a.limit, b.limit);
    EXPECT_EQ(a.secondsBelow, b.secondsBelow);
    EXPECT_EQ(a.alerts, b.alerts);
    EXPECT_EQ(a.end, b.end);
    EXPECT_EQ(a.slotA, b.slotA);
    EXPECT_EQ(a.slotB, b.slotB);
    EXPECT_EQ(a.slotC, b.slotC);
    EXPECT_EQ(a.timeline, b.timeline);
    EXPECT_EQ(a.eapm, b.eapm);
    EXPECT_EQ(a.spam, b.spam);
    for (int i = 0; i < 4; ++i)
        EXPECT_EQ(a.spamByKind[i], b.spamByKind[i]) << i;
}

// AGame as a row written before the effective columns reads back.
GameRecord AnOldGame() {
    GameRecord g = AGame();
    g.eapm = -1;
    g.spam = 0;
    for (uint32_t& n : g.spamByKind)
        n = 0;
    return g;
}

}  // namespace

TEST(HistoryFormat, HeaderAndRowNameEveryColumnInOrder) {
    EXPECT_EQ(HistoryHeader(),
              "started,seconds,apm,actions,peak_apm,peak_at,limit,seconds_below,alerts,end,slot_a,slot_b,slot_c,"
              "timeline,eapm,spam,reselects,repeats,reassigns,overflows\r\n");
    EXPECT_EQ(HistoryRow(AGame()), "2026-12-09T04:12:33,1234,187,3594,412,3723,-5,42,7,F8,Player,Lost Temple,Melee,"
                                   "2026-12-09_04-12-33.csv,150,30,2,9,4,15\r\n");
    // Rows and files written before the effective columns read as having none; so does a row of such a game.
    const std::string old = "2026-12-09T04:12:33,1234,187,3594,412,3723,-5,42,7,F8,Player,Lost Temple,Melee,"
                            "2026-12-09_04-12-33.csv\r\n";
    HistoryRows rows = ReadHistory("started,seconds,apm,actions,peak_apm,peak_at,limit,seconds_below,alerts,end,"
                                   "slot_a,slot_b,slot_c,timeline\r\n" + old + HistoryRow(AnOldGame()), 10);
    ASSERT_EQ(rows.games.size(), 2u);
    EXPECT_EQ(rows.unreadable, 0u);
    ExpectSame(rows.games[0], AnOldGame());
    ExpectSame(rows.games[1], AnOldGame());
    // Spam whose kinds do not add up is a torn or foreign row.
    GameRecord foreign = AGame();
    foreign.spamByKind[3] = 1;
    EXPECT_TRUE(ParseHistory(HistoryRow(foreign)).empty());
    GameRecord g = AGame();
    const std::pair<GameEnd, const char*> ends[] = {
        {GameEnd::kGameOver, ",game over,"}, {GameEnd::kStopKey, ",F8,"},
        {GameEnd::kGameClosed, ",game closed,"}, {GameEnd::kQuit, ",quit,"}};
    for (const auto& end : ends) {
        g.end = end.first;
        EXPECT_NE(HistoryRow(g).find(end.second), std::string::npos) << end.second;
        ASSERT_EQ(ParseHistory(HistoryRow(g)).size(), 1u);
        EXPECT_EQ(ParseHistory(HistoryRow(g))[0].end, end.first);
    }
}

TEST(HistoryFormat, AnEndIsReadOnlyByItsNameInTheFile) {
    GameEnd end = GameEnd::kGameOver;
    EXPECT_TRUE(EndFromName("quit", &end));
    EXPECT_EQ(end, GameEnd::kQuit);
    EXPECT_STREQ(EndText(GameEnd::kQuit), "Cadro closed") << "the page's wording";
    end = GameEnd::kGameOver;
    for (const char* name : {"Cadro closed", "Quit", "?", ""})
        EXPECT_FALSE(EndFromName(name, &end)) << name;
    EXPECT_EQ(end, GameEnd::kGameOver) << "untouched by a name of none";
    EXPECT_STREQ(EndName(static_cast<GameEnd>(17)), "");
}

TEST(HistoryFormat, TextsAreQuotedAsSpreadsheetsReadThem) {
    struct Case {
        const char* text;
        const char* field;   // as written
        const char* readAs;  // as read back
    };
    const Case cases[] = {
        {"plain", "plain", "plain"},
        {"", "", ""},
        {"a,b", "\"a,b\"", "a,b"},
        {"say \"gg\"", "\"say \"\"gg\"\"\"", "say \"gg\""},
        {"\"", "\"\"\"\"", "\""},
        {"two\r\nlines", "two  lines", "two  lines"},  // a row is always one line
        {"\n,", "\" ,\"", " ,"},
        {"  spaced  ", "  spaced  ", "  spaced  "},
        {"Caf\xC3\xA9", "Caf\xC3\xA9", "Caf\xC3\xA9"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.text);
        GameRecord g = AGame();
        g.slotB = c.text;
        std::string row = HistoryRow(g);
        EXPECT_NE(row.find(std::string(",Player,") + c.field + ",Melee,"), std::string::npos) << row;
        EXPECT_EQ(row.find('\n'), row.size() - 1);
        std::vector<GameRecord> back = ParseHistory(HistoryHeader() + row);
        ASSERT_EQ(back.size(), 1u);
        EXPECT_EQ(back[0].slotB, c.readAs);
    }
}

TEST(HistoryFormat, TextsASpreadsheetWouldRunAreWrittenAsTextAndReadBackAsThePlayersOwn) {
    struct Case {
        const char* text;
        const char* field;  // as written
    };
    const Case cases[] = {
        {"=1+2", "\"'=1+2\""},
        {"+SUM(A1)", "\"'+SUM(A1)\""},
        {"-2+3", "\"'-2+3\""},
        {"@cmd", "\"'@cmd\""},
        {"\tx", "\"'\tx\""},
        {"=HYPERLINK(\"x\",\"y\")", "\"'=HYPERLINK(\"\"x\"\",\"\"y\"\")\""},
        {"'quoted", "\"''quoted\""},  // a text's own quote mark is not taken for the one written
        {"''", "\"'''\""},
        {"'", "\"''\""},
        {"a=1", "a=1"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.text);
        GameRecord g = AGame();
        g.slotA = c.text;
        g.slotC = c.text;
        std::string row = HistoryRow(g);
        EXPECT_NE(row.find(std::string(",") + c.field + ",Lost Temple,"), std::string::npos) << row;
        std::vector<GameRecord> back = ParseHistory(row);
        ASSERT_EQ(back.size(), 1u);
        EXPECT_EQ(back[0].slotA, c.text);
        EXPECT_EQ(back[0].slotC, c.text);
    }
    // A line end is written as a space, which starts no formula.
    GameRecord g = AGame();
    g.slotA = "\r=1";
    EXPECT_NE(HistoryRow(g).find(", =1,"), std::string::npos);
    // A file written before texts were marked reads as it always did.
    const char* const old[] = {"=1+2", "-2", "@cmd", "'quoted", "'", "x'"};
    for (const char* text : old) {
        std::string row = "2026-12-09T04:12:33,1234,187,3594,412,3723,-5,42,7,F8,Player," + std::string(text) +
                          ",Melee,\r\n";
        std::vector<GameRecord> back = ParseHistory(row);
        ASSERT_EQ(back.size(), 1u) << text;
        EXPECT_EQ(back[0].slotB, text);
    }
}

TEST(HistoryFormat, ARowTornBetweenItsCarriageReturnAndLineFeedKeepsItsLastFieldWhole) {
    GameRecord g = AGame();
    std::string row = HistoryRow(g);
    std::string file = HistoryHead() + row.substr(0, row.size() - 1);  // "...csv\r"
    file += AppendedText(file.size(), file.back(), HistoryHead(), row);
    HistoryRows rows = ReadHistory(file, 10);
    ASSERT_EQ(rows.games.size(), 2u);
    EXPECT_EQ(rows.unreadable, 0u);
    ExpectSame(rows.games[0], g);
    ExpectSame(rows.games[1], g);
    // The same for a row whose last field is empty, and for a CR with nothing after it at the end.
    g.timeline = "";
    row = HistoryRow(g);
    std::string cut = row.substr(0, row.size() - 1);
    std::vector<GameRecord> back = ParseHistory(cut + "\r\n" + cut);
    ASSERT_EQ(back.size(), 2u);
    ExpectSame(back[0], g);
    ExpectSame(back[1], g);
}

TEST(HistoryFormat, AHistoryReadKeepsTheNewestRowsAndCountsWhatItLeftOut) {
    std::string file = HistoryHead();
    for (int i = 0; i < 7; ++i) {
        GameRecord g = AGame();
        g.apm = i;
        file += HistoryRow(g);
        if (i % 3 == 0)
            file += "2026-12-09T04:12:33,torn\r\n\r\n\n";  // a torn row, and blank lines that are no rows
    }
    file += std::string(100u << 10, 'x') + "\r\n";  // a line longer than any row
    HistoryRows rows = ReadHistory(file, 4);
    EXPECT_EQ(rows.unreadable, 4u);
    EXPECT_EQ(rows.older, 3u);
    ASSERT_EQ(rows.games.size(), 4u);
    for (int i = 0; i < 4; ++i)
        EXPECT_EQ(rows.games[i].apm, i + 3);
    EXPECT_EQ(ReadHistory(file, SIZE_MAX).games.size(), 7u);
}

TEST(HistoryFormat, AHostileHistoryIsReadInBoundedMemory) {
    const std::string row = HistoryRow(AGame());
    const std::string hostile[] = {
        std::string(16u << 20, '\n'),                 // millions of empty lines
        std::string(8u << 20, ',') + "\r\n",          // one line of millions of fields
        "\"" + std::string(16u << 20, 'a') + "\"\r\n",  // one huge field
    };
    for (const std::string& text : hostile) {
        std::string file = row + text + row;
        ResetAllocationPeak();
        HistoryRows rows = ReadHistory(file, 100);
        EXPECT_LT(AllocationPeakAbove(), 1u << 20) << text.size();
        EXPECT_EQ(rows.games.size(), 2u);
    }
    // Many rows that parse keep only the newest asked for.
    std::string many;
    many.reserve(row.size() * 200000);
    for (int i = 0; i < 200000; ++i)
        many += row;
    ResetAllocationPeak();
    HistoryRows rows = ReadHistory(many, 1000);
    EXPECT_LT(AllocationPeakAbove(), 1000 * (sizeof(GameRecord) + 256) + (1u << 20));
    EXPECT_EQ(rows.games.size(), 1000u);
    EXPECT_EQ(rows.older, 199000u);
}

TEST(HistoryFormat, RowsReadBackWholeAtTheLimitsOfTheirNumbers) {
    GameRecord g = AGame();
    g.lengthSeconds = UINT32_MAX;
    g.apm = INT32_MIN;
    g.actions = UINT32_MAX;
    g.peakApm = INT32_MAX;
    g.limit = INT32_MIN;
    g.slotA = "";
    g.timeline = "";
    std::vector<GameRecord> back = ParseHistory(HistoryRow(AGame()) + HistoryRow(g));
    ASSERT_EQ(back.size(), 2u);
    ExpectSame(back[0], AGame());
    ExpectSame(back[1], g);
}

TEST(HistoryFormat, ReadersSkipWhatTheyCannotParseAndKeepTheRest) {
    const std::string good = HistoryRow(AGame());
    const std::string row = good.substr(0, good.size() - 2);
    const char* const bad[] = {
        "",
        "started,seconds,apm,actions,peak_apm,peak_at,limit,seconds_below,alerts,end,slot_a,slot_b,slot_c,timeline",
        "2026-12-09T04:12:33,1234,187,3594,412,3723,-5,42,7,F8,Player,Lost Temple,Melee",  // a field short
        "2026-12-09T04:12:33,1234,187,3594,412,3723,-5,42,7,F8,Player,Lost Temple,Melee,,",  // one too many
        "2026-12-09T04:12:33,1234,187,3594,412,3723,-5,42,7,F8,Player,\"Lost Temple",  // torn inside quotes
        "2026-12-09T04:12:33,1234,187,3594,412,3723,-5,42,7,F8,Player,Lost Temple,Melee,2026-12-09_04-1",
        "2026-12-09T04:12:33,1234,187,3594,412,3723,-5,42,7,stopped,Player,Lost Temple,Melee,",
        "2026-12-09T04:12:33,-1,187,3594,412,3723,-5,42,7,F8,Player,Lost Temple,Melee,",
        "2026-12-09T04:12:33,4294967296,187,3594,412,3723,-5,42,7,F8,Player,Lost Temple,Melee,",
        "2026-12-09T04:12:33,12a,187,3594,412,3723,-5,42,7,F8,Player,Lost Temple,Melee,",
        "2026-12-09T04:12:33, 12,187,3594,412,3723,-5,42,7,F8,Player,Lost Temple,Melee,",
        "2026-12-09 04:12:33,12,187,3594,412,3723,-5,42,7,F8,Player,Lost Temple,Melee,",
        "2026-12-09T04:12:33,12,187,3594,412,3723,-5,42,7,F8,Pl\"ayer,Lost Temple,Melee,",
        "2026-12-09T04:12:33,12,187,3594,412,3723,-5,42,7,F8,\"Player\"x,Lost Temple,Melee,",
        "2026-12-09T04:12:33,12,187,3594,412,3723,-5,42,7,F8,Player,Lost Temple,Melee,..\\..\\boot.ini",
        "2026-12-09T04:12:33,1234,187,3594,412,3723,-5,42,7,F8,Player,Lost Temple,Melee,2026-12-09_04-12-33_0.csv",
        "\xEF\xBB\xBFjunk",
    };
    for (const char* line : bad) {
        SCOPED_TRACE(line);
        EXPECT_TRUE(ParseHistory(line).empty());
        // Between two good rows, with either line end, it costs only itself.
        for (const char* end : {"\r\n", "\n"}) {
            std::vector<GameRecord> back = ParseHistory(good + line + end + row + end);
            ASSERT_EQ(back.size(), 2u);
            ExpectSame(back[1], AGame());
        }
    }
    // The byte-order mark the file starts with, and a last row without its line end.
    EXPECT_EQ(ParseHistory("\xEF\xBB\xBF" + HistoryHeader() + good + row).size(), 2u);
}

TEST(HistoryFormat, AnAppendRepairsATornLastRowAndStartsANewFileWithItsHeader) {
    const std::string row = HistoryRow(AGame());
    EXPECT_EQ(AppendedText(0, '\0', HistoryHead(), row), "\xEF\xBB\xBF" + HistoryHeader() + row);
    EXPECT_EQ(AppendedText(500, '\n', HistoryHead(), row), row);
    for (char last : {'\r', ',', '"', '3', '\0'})
        EXPECT_EQ(AppendedText(500, last, HistoryHead(), row), "\r\n" + row) << static_cast<int>(last);
    // A row torn anywhere leaves the next one whole.
    const std::string file = AppendedText(0, '\0', HistoryHead(), row);
    const size_t timelineAt = file.rfind(AGame().timeline);
    for (size_t cut = file.size() - row.size() + 1; cut < file.size(); ++cut) {
        std::string torn = file.substr(0, cut);
        std::string next = torn + AppendedText(torn.size(), torn.back(), HistoryHead(), row);
        std::vector<GameRecord> back = ParseHistory(next);
        ASSERT_GE(back.size(), 1u) << cut;
        ASSERT_LE(back.size(), 2u) << cut;
        if (cut >= file.size() - 2) {
            EXPECT_EQ(back.size(), 2u) << cut;
        }
        ExpectSame(back.back(), AGame());
        if (back.size() == 2) {
            // Only the whole row without its line end (or cut before its LF) reads, or one cut right before
            // or after the timeline: a row as written before the effective columns, its timeline whole or empty.
            GameRecord expected = cut < file.size() - 2 ? AnOldGame() : AGame();
            EXPECT_TRUE(cut >= file.size() - 2 || cut == timelineAt || cut == timelineAt + expected.timeline.size())
                << cut;
            if (cut == timelineAt)
                expected.timeline = "";
            ExpectSame(back[0], expected);
        }
    }
}

TEST(HistoryFormat, TimelineFileHasOneRowASecondAndEmptyApmInTheWarmUp) {
    std::vector<Sample> samples = {{0, -1, 0, 0, 0}, {79, -1, 312, 0, 200}, {80, 0, 300, 1, 100},
                                   {81, 276, 999, 2, 999}, {4000000000u, 12, 0, 4000000000u, 0}};
    std::string text = TimelineText(samples);
    EXPECT_EQ(text, "seconds,apm,recent,alerts,effective\r\n0,,0,0,0\r\n79,,312,0,200\r\n80,0,300,1,100\r\n"
                    "81,276,999,2,999\r\n4000000000,12,0,4000000000,0\r\n");
    // Timelines written before alerts were kept have three columns, before the effective APM four.
    std::vector<Sample> back = ParseTimeline(text + "x,1,2\r\n1,2\r\n5,-1,3\r\n7,,\r\n8,1,2,3,4,5\r\n9,1,2,-1\r\n"
                                                    "9,1,2,3,-1\r\nseconds,apm,recent\r\n10,,5\r\n11,,6,1\r\n");
    samples.push_back({10, -1, 5, 0, -1});
    samples.push_back({11, -1, 6, 1, -1});
    ASSERT_EQ(back.size(), samples.size());
    for (size_t i = 0; i < samples.size(); ++i) {
        EXPECT_EQ(back[i].seconds, samples[i].seconds);
        EXPECT_EQ(back[i].apm, samples[i].apm);
        EXPECT_EQ(back[i].recent, samples[i].recent);
        EXPECT_EQ(back[i].alerts, samples[i].alerts);
        EXPECT_EQ(back[i].effective, samples[i].effective);
    }
    EXPECT_EQ(TimelineText({}), "seconds,apm,recent,alerts,effective\r\n");
}

TEST(HistoryFormat, TimelineNamesComeFromTheStartAndAreRecognisedExactly) {
    EXPECT_EQ(TimelineName("2026-12-09T04:12:33"), "2026-12-09_04-12-33.csv");
    EXPECT_EQ(TimelineName("2026-12-09T04:12:33", 2), "2026-12-09_04-12-33_2.csv");
    EXPECT_EQ(TimelineName("2026-12-09T04:12:33", 17), "2026-12-09_04-12-33_17.csv");
    for (const char* started : {"", "2026-12-09T04:12", "2026-12-09 04:12:33", "2026-12-09T04:12:33Z", "x"})
        EXPECT_EQ(TimelineName(started), "") << started;
    for (const char* name : {"2026-12-09_04-12-33.csv", "2026-12-09_04-12-33_2.csv", "1999-01-01_00-00-00_10.csv"})
        EXPECT_TRUE(IsTimelineName(name)) << name;
    for (const char* name : {"2026-12-09_04-12-33", "2026-12-09_04-12-33.csv.tmp", "2026-12-09_04-12-33_.csv",
                             "2026-12-09_04-12-33_02.csv", "2026-12-09_04-12-33.1234.tmp", "notes.csv",
                             "2026-12-09T04:12:33.csv", "2026-12-09_04-12-3.csv", ""})
        EXPECT_FALSE(IsTimelineName(name)) << name;
}
