// The report's parts on their own: escaping, number formats, dates, the figures behind the answers, and one
// game's chart drawn to the pixel.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "report/calendar.h"
#include "report/escape.h"
#include "report/formats.h"
#include "report/game_chart.h"
#include "report/plausible.h"
#include "report/report_stats.h"
#include "report/sessions.h"
#include "tests/unit/page_reader.h"

namespace {

const std::string kBad = "\xEF\xBF\xBD";  // U+FFFD

// Where a second of a 600-second game lands on the 732-pixel plot that starts at x = 56.
int X(uint32_t seconds) { return 56 + static_cast<int>(seconds * 732 / 600); }

}  // namespace

TEST(ReportText, EscapesMarkupAndReplacesWhatIsNotTextAsUtf8) {
    struct Case {
        std::string in, out;
    } cases[] = {
        {"plain text", "plain text"},
        {"<>&\"'", "&lt;&gt;&amp;&quot;&#39;"},
        {"caf\xC3\xA9 \xE2\x82\xAC \xF0\x9F\x98\x80", "caf\xC3\xA9 \xE2\x82\xAC \xF0\x9F\x98\x80"},
        {"cut \xC3", "cut " + kBad},                    // a sequence that ends early
        {"\xC0\xAF", kBad + kBad},                      // an overlong form
        {"\xED\xA0\x80", kBad + kBad + kBad},           // a surrogate
        {"\xF4\x90\x80\x80", kBad + kBad + kBad + kBad},  // past U+10FFFF
        {"\xE2\x82x", kBad + kBad + "x"},
        {"a\x01" "b\x7F" "c\td", "a" + kBad + "b" + kBad + "c" + kBad + "d"},
        {std::string("nul\0in", 6), "nul" + kBad + "in"},
        // C1 controls, and the marks, embeddings, overrides and isolates of text direction; not their neighbours.
        {"\xC2\x80" "a\xC2\x9F" "b\xC2\xA0", kBad + "a" + kBad + "b\xC2\xA0"},
        {"\xE2\x80\x8E\xE2\x80\x8F\xD8\x9C\xE2\x80\x8D", kBad + kBad + kBad + "\xE2\x80\x8D"},
        {"\xE2\x80\xA9\xE2\x80\xAA\xE2\x80\xAE\xE2\x80\xAF", "\xE2\x80\xA9" + kBad + kBad + "\xE2\x80\xAF"},
        {"\xE2\x81\xA5\xE2\x81\xA6\xE2\x81\xA9\xE2\x81\xAA", "\xE2\x81\xA5" + kBad + kBad + "\xE2\x81\xAA"},
    };
    for (const Case& c : cases)
        EXPECT_EQ(Escaped(c.in), c.out) << c.in;
    std::string isolated;
    AppendIsolated(isolated, "\xD7\xA9<", 1);
    EXPECT_EQ(isolated, "<bdi>\xD7\xA9\xE2\x80\xA6</bdi>") << "a right-to-left text keeps to itself";
}

TEST(ReportText, CutsByCharactersNeverInsideOne) {
    EXPECT_EQ(Escaped("abcdef", 3), "abc\xE2\x80\xA6");
    EXPECT_EQ(Escaped("abc", 3), "abc");
    EXPECT_EQ(Escaped("\xC3\xA9\xC3\xA9\xC3\xA9", 2), "\xC3\xA9\xC3\xA9\xE2\x80\xA6");
    EXPECT_EQ(Escaped("<<<<", 2), "&lt;&lt;\xE2\x80\xA6");
    EXPECT_EQ(Escaped("abc", 0), "\xE2\x80\xA6");
}

TEST(ReportText, DurationsAndSignedChanges) {
    EXPECT_EQ(Duration(0), "0 s");
    EXPECT_EQ(Duration(45), "45 s");
    EXPECT_EQ(Duration(60), "1 min");
    EXPECT_EQ(Duration(15000), "4 h 10 min");
    EXPECT_EQ(Duration(10000ull * 43200), "120000 h 00 min");
    EXPECT_EQ(Signed(5), "+5");
    EXPECT_EQ(Signed(0), "0");
    EXPECT_EQ(Signed(-3), "-3");
}

TEST(ReportCalendar, DaysWeeksAndMonthsAcrossYearsAndLeapDays) {
    EXPECT_EQ(DayNumber(1970, 1, 1), 0);
    EXPECT_EQ(DateText(DayNumber(2026, 12, 9)), "2026-12-09");
    EXPECT_EQ(DayNumber(2024, 3, 1) - DayNumber(2024, 2, 28), 2) << "2024 is a leap year";
    EXPECT_EQ(DayNumber(2100, 3, 1) - DayNumber(2100, 2, 28), 1) << "2100 is not";
    for (int64_t day = DayNumber(1999, 12, 1); day < DayNumber(2001, 3, 1); ++day) {
        std::string text = DateText(day);
        EXPECT_EQ(DayNumber(std::stoi(text.substr(0, 4)), static_cast<unsigned>(std::stoi(text.substr(5, 2))),
                            static_cast<unsigned>(std::stoi(text.substr(8, 2)))),
                  day)
            << text;
    }
    // 2026-12-07 is a Monday; a week runs to the Sunday after it.
    for (unsigned d = 7; d <= 13; ++d)
        EXPECT_EQ(DateText(WeekStart(DayNumber(2026, 12, d))), "2026-12-07") << d;
    EXPECT_EQ(DateText(WeekStart(DayNumber(2027, 1, 1))), "2026-12-28");
    EXPECT_EQ(DateText(WeekStart(DayNumber(1969, 12, 31))), "1969-12-29") << "before 1970 too";
    EXPECT_EQ(DateText(MonthStart(DayNumber(2026, 12, 9))), "2026-12-01");
    EXPECT_EQ(DateText(MonthStart(DayNumber(2026, 12, 9), 1)), "2027-01-01");
    EXPECT_EQ(DateText(MonthStart(DayNumber(2026, 1, 31), 13)), "2027-02-01");

    int64_t seconds = 0;
    ASSERT_TRUE(StartSeconds("2026-12-09T04:12:33", &seconds));
    EXPECT_EQ(seconds, DayNumber(2026, 12, 9) * 86400 + 4 * 3600 + 12 * 60 + 33);
    for (const char* bad : {"2026-13-09T04:12:33", "2026-12-00T04:12:33", "2026-12-09T24:00:00", "2026-12-09",
                            "yesterday", "2026-12-09 04:12:33"})
        EXPECT_FALSE(StartSeconds(bad, &seconds)) << bad;
}

TEST(ReportStats, TheLargestFallIsBetweenNeighboursWithEnoughBehindThem) {
    auto means = [](std::vector<std::pair<double, uint64_t>> values) {
        std::vector<Mean> out;
        for (auto [value, count] : values) {
            Mean m;
            m.Add(value, count);
            out.push_back(m);
        }
        return out;
    };
    EXPECT_EQ(LargestFall(means({{150, 5}, {148, 5}, {120, 5}, {118, 5}}), 3), 1u);
    EXPECT_EQ(LargestFall(means({{150, 5}, {146, 5}, {143, 5}}), 3), SIZE_MAX) << "under 5 % each step";
    EXPECT_EQ(LargestFall(means({{150, 5}, {100, 2}, {140, 5}}), 3), SIZE_MAX) << "too little in the middle";
    EXPECT_EQ(LargestFall(means({{100, 5}, {150, 5}, {160, 5}}), 3), SIZE_MAX) << "rises are no falls";
    EXPECT_EQ(LargestFall(means({{0, 5}, {0, 5}}), 3), SIZE_MAX);
    EXPECT_EQ(LargestFall({}, 1), SIZE_MAX);
}

TEST(ReportStats, SummaryOfFewGames) {
    std::vector<GameRecord> games(4);
    games[0].apm = 50;
    games[1].apm = 90;
    games[2].apm = 90;
    games[3].apm = 300;
    games[0].lengthSeconds = 200;
    games[1].lengthSeconds = 300;
    games[2].lengthSeconds = 180;
    games[3].lengthSeconds = 179;  // short
    Summary s = Summarise(games);
    EXPECT_EQ(s.games, 4u);
    EXPECT_EQ(s.shortGames, 1u);
    EXPECT_EQ(s.seconds, 859u);
    EXPECT_EQ(s.lastCount, 3u);
    EXPECT_DOUBLE_EQ(s.last, 230.0 / 3);
    EXPECT_EQ(s.beforeCount, 0u);
    EXPECT_EQ(s.best, 1u) << "the first game to reach the highest APM, not the short one";
    EXPECT_EQ(s.bestTenLast, SIZE_MAX) << "fewer than 10 games";
}

TEST(ReportData, SamplesAreOrderedHeldToRangeAndThosePastTheLongestGameLeftOut) {
    std::vector<Sample> samples = PlausibleSamples(
        {{30, 5, 1}, {10, -9, -9}, {kLongestGame + 1, 1, 1}, {20, 2000000, 2000000}, {10, 3, 3}});
    ASSERT_EQ(samples.size(), 4u);
    EXPECT_EQ(samples[0].seconds, 10u);
    EXPECT_EQ(samples[0].apm, -1);
    EXPECT_EQ(samples[0].recent, 0);
    EXPECT_EQ(samples[1].seconds, 10u);
    EXPECT_EQ(samples[1].recent, 3) << "samples of the same second keep their order";
    EXPECT_EQ(samples[2].apm, kMaxApm);
    EXPECT_EQ(samples[2].recent, kMaxApm);
    EXPECT_EQ(samples[3].seconds, 30u);
}

// A 600-second game at limit 100: a dip below it during the warm-up (not shaded), one after (shaded) with
// an alert at its end, and the highest APM, 260, at 00:06:40.
TEST(GameChart, DrawsBothLinesTheLimitTheShadedStretchAlertsAndThePeakToThePixel) {
    GameRecord game;
    game.lengthSeconds = 600;
    game.apm = 150;
    game.peakApm = 260;
    game.peakSeconds = 400;
    game.limit = 100;
    std::vector<Sample> samples;
    for (uint32_t s = 0; s <= 600; ++s) {
        int32_t recent = (s >= 20 && s < 40) ? 10 : (s >= 300 && s < 360) ? 40 : s == 400 ? 260 : 150;
        samples.push_back({s, s < 80 ? -1 : 150, recent, s == 330 ? 1u : 0u});
    }
    std::string svg;
    AppendGameChart(svg, game, 4, samples);

    // The axis reaches 300 in steps of 100: 162 pixels of plot from y = 24.
    auto y = [](int apm) { return 186 - (apm * 162 + 150) / 300; };
    std::vector<std::string> limit = Attributes(svg, "<line class=\"limit\"", "y1");
    EXPECT_EQ(limit, std::vector<std::string>{std::to_string(y(100))});
    EXPECT_EQ(Attributes(svg, "<rect class=\"below\"", "x"), std::vector<std::string>{std::to_string(X(300))});
    EXPECT_EQ(Attributes(svg, "<rect class=\"below\"", "width"),
              std::vector<std::string>{std::to_string(X(360) - X(300))});

    std::vector<std::string> whole = Attributes(svg, "<path class=\"whole\"", "d");
    ASSERT_EQ(whole.size(), 1u);
    EXPECT_EQ(whole[0].rfind("M" + std::to_string(X(80)) + " " + std::to_string(y(150)) + "L", 0), 0u) << whole[0];
    EXPECT_EQ(Count(whole[0], "M"), 1u);
    std::vector<std::string> recent = Attributes(svg, "<polyline class=\"recent\"", "points");
    ASSERT_EQ(recent.size(), 1u);
    EXPECT_EQ(Count(recent[0], ","), 601u) << "each second has a column of its own";
    EXPECT_NE(recent[0].find(std::to_string(X(30)) + "," + std::to_string(y(10)) + " "), std::string::npos);

    EXPECT_EQ(Attributes(svg, "<path class=\"alert\"", "data-seconds"), std::vector<std::string>{"330"});
    std::vector<std::string> mark = Attributes(svg, "<path class=\"alert\"", "d");
    ASSERT_EQ(mark.size(), 1u);
    EXPECT_EQ(mark[0].rfind("M" + std::to_string(X(330)) + ",23 ", 0), 0u) << "at its time, over the plot: " << mark[0];
    EXPECT_NE(svg.find("<title>1 alert at 00:05:30</title>"), std::string::npos);

    EXPECT_EQ(Attributes(svg, "<circle class=\"peak\"", "cx"), std::vector<std::string>{std::to_string(X(400))});
    EXPECT_EQ(Attributes(svg, "<circle class=\"peak\"", "cy"), std::vector<std::string>{std::to_string(y(260))});
    EXPECT_NE(svg.find(">260 at 00:06:40</text>"), std::string::npos);
    EXPECT_EQ(Texts(svg, "xlabel"), (std::vector<std::string>{"00:00:00", "00:02:00", "00:04:00", "00:06:00",
                                                              "00:08:00", "00:10:00"}));
    EXPECT_NE(svg.find(">time into the game</text>"), std::string::npos);
    EXPECT_NE(svg.find(">APM</text>"), std::string::npos) << "the APM axis is named";
    EXPECT_EQ(Attributes(svg, "<svg class=\"game-chart\"", "data-game"), std::vector<std::string>{"4"});
}

// Two hours hold about ten seconds a column: the shading must follow the time spent below the limit, not
// whether the line crossed it somewhere in the column.
TEST(GameChart, ShadingIsTheTimeBelowTheLimitWhateverTheColumnsHold) {
    GameRecord game;
    game.lengthSeconds = 7200;
    game.limit = 100;
    auto shaded = [&game](int32_t most, int32_t spike) {
        std::vector<Sample> samples;
        for (uint32_t s = 0; s <= game.lengthSeconds; ++s)
            samples.push_back({s, s < 80 ? -1 : 90, s % 10 < 2 ? spike : most, 0});
        std::string svg;
        AppendGameChart(svg, game, 1, samples);
        long long width = 0;
        for (const std::string& w : Attributes(svg, "<rect class=\"below\"", "width"))
            width += std::stoll(w);
        return width;
    };
    // 80 % of the time below with a spike above in every column: nearly the whole plot after the warm-up.
    EXPECT_GT(shaded(40, 300), 732 * 95 / 100 - 732 * 80 / 7200);
    // 80 % above with a dip below in every column: nothing (but the last second's column, which holds a dip).
    EXPECT_LE(shaded(300, 40), 1);
}

TEST(GameChart, ALongGameStaysWithinOnePointAPixel) {
    GameRecord game;
    game.lengthSeconds = kLongestGame;
    game.limit = 50;
    std::vector<Sample> samples;
    for (uint32_t s = 0; s <= kLongestGame; ++s)
        samples.push_back({s, s < 80 ? -1 : 100, static_cast<int32_t>(s % 200), s % 60 == 0 ? 1u : 0u});
    std::string svg;
    AppendGameChart(svg, game, 1, samples);
    std::vector<std::string> recent = Attributes(svg, "<polyline class=\"recent\"", "points");
    ASSERT_EQ(recent.size(), 1u);
    EXPECT_EQ(Count(recent[0], ","), 733u) << "one point a column";
    EXPECT_LE(Count(svg, "<path class=\"alert\""), 733u) << "one alert mark a column at most";
    EXPECT_LT(svg.size(), 120000u);
    EXPECT_EQ(Texts(svg, "xlabel"), (std::vector<std::string>{"00:00:00", "02:00:00", "04:00:00", "06:00:00",
                                                              "08:00:00", "10:00:00", "12:00:00"}));
}

TEST(ReportStats, APauseOfHalfAnHourFromOneGamesEndStartsASession) {
    auto game = [](const char* started, uint32_t seconds, int32_t apm) {
        GameRecord g;
        g.started = started;
        g.lengthSeconds = seconds;
        g.apm = apm;
        return g;
    };
    std::vector<GameRecord> games = {
        game("2026-12-09T19:00:00", 600, 100),  // ends 19:10:00
        game("2026-12-09T19:39:59", 600, 90),   // 29:59 after: the same session; ends 19:49:59
        game("2026-12-09T20:19:59", 600, 80),   // 30:00 after: a new one
        game("2026-12-09T20:30:00", 100, 999),  // short: in the session, in no average
        game("not a time", 600, 70),            // no place in any session
        game("2026-12-08T23:55:00", 600, 60),   // played before, listed after: sessions go by time
    };
    Sessions s = RecentSessions(games);
    EXPECT_EQ(s.count, 3u);
    EXPECT_EQ(s.longest, 2u);
    EXPECT_EQ(s.places[0].count, 3u);
    EXPECT_DOUBLE_EQ(s.places[0].Value(), 80);
    EXPECT_EQ(s.places[1].count, 1u);
    EXPECT_DOUBLE_EQ(s.places[1].Value(), 90);
}
