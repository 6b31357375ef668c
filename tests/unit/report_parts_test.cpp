// The report's parts on their own: escaping, number formats, the moving average, and one game's chart
// drawn to the pixel.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "report/escape.h"
#include "report/formats.h"
#include "report/game_chart.h"
#include "report/plausible.h"
#include "report/report_stats.h"
#include "tests/unit/page_reader.h"

namespace {

const std::string kBad = "\xEF\xBF\xBD";  // U+FFFD

// Where a second of a 600-second game lands on the 744-pixel plot that starts at x = 44.
int X(uint32_t seconds) { return 44 + static_cast<int>(seconds * 744 / 600); }

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
    };
    for (const Case& c : cases)
        EXPECT_EQ(Escaped(c.in), c.out) << c.in;
}

TEST(ReportText, CutsByCharactersNeverInsideOne) {
    EXPECT_EQ(Escaped("abcdef", 3), "abc\xE2\x80\xA6");
    EXPECT_EQ(Escaped("abc", 3), "abc");
    EXPECT_EQ(Escaped("\xC3\xA9\xC3\xA9\xC3\xA9", 2), "\xC3\xA9\xC3\xA9\xE2\x80\xA6");
    EXPECT_EQ(Escaped("<<<<", 2), "&lt;&lt;\xE2\x80\xA6");
    EXPECT_EQ(Escaped("abc", 0), "\xE2\x80\xA6");
}

TEST(ReportText, ClockAndDurationFormats) {
    EXPECT_EQ(Clock(0), "0:00");
    EXPECT_EQ(Clock(59), "0:59");
    EXPECT_EQ(Clock(754), "12:34");
    EXPECT_EQ(Clock(3599), "59:59");
    EXPECT_EQ(Clock(3600), "1:00:00");
    EXPECT_EQ(Clock(43200), "12:00:00");
    EXPECT_EQ(Duration(0), "0 s");
    EXPECT_EQ(Duration(45), "45 s");
    EXPECT_EQ(Duration(60), "1 min");
    EXPECT_EQ(Duration(15000), "4 h 10 min");
    EXPECT_EQ(Duration(10000ull * 43200), "120000 h 00 min");
}

TEST(ReportStats, MovingAverageTakesTheTenGamesEndingAtEachGame) {
    std::vector<GameRecord> games(30);
    for (size_t i = 0; i < games.size(); ++i)
        games[i].apm = static_cast<int32_t>(10 * i);
    std::vector<double> all = MovingAverage(games, 0);
    ASSERT_EQ(all.size(), 30u);
    EXPECT_DOUBLE_EQ(all[0], 0);
    EXPECT_DOUBLE_EQ(all[1], 5);
    EXPECT_DOUBLE_EQ(all[9], 45);
    EXPECT_DOUBLE_EQ(all[10], 55);
    EXPECT_DOUBLE_EQ(all[29], 245);
    std::vector<double> tail = MovingAverage(games, 25);
    ASSERT_EQ(tail.size(), 5u);
    EXPECT_DOUBLE_EQ(tail[0], 205) << "the games before the first shown count";
    EXPECT_EQ(tail, std::vector<double>(all.begin() + 25, all.end()));
    EXPECT_TRUE(MovingAverage(games, 30).empty());
}

TEST(ReportStats, SummaryOfFewGames) {
    std::vector<GameRecord> games(3);
    games[0].apm = 50;
    games[1].apm = 90;
    games[2].apm = 90;
    games[1].lengthSeconds = 100;
    games[2].lengthSeconds = 20;
    Summary s = Summarise(games);
    EXPECT_EQ(s.games, 3u);
    EXPECT_EQ(s.seconds, 120u);
    EXPECT_EQ(s.lastCount, 3u);
    EXPECT_DOUBLE_EQ(s.last, 230.0 / 3);
    EXPECT_EQ(s.beforeCount, 0u);
    EXPECT_EQ(s.best, 1u) << "the first game to reach the highest APM";
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

// A 600-second game at limit 100: a dip below it during the warm-up (not shaded), one after (shaded),
// and the highest APM, 260, at 6:40.
TEST(GameChart, DrawsBothLinesTheLimitTheShadedStretchAndThePeakToThePixel) {
    GameRecord game;
    game.lengthSeconds = 600;
    game.apm = 150;
    game.peakApm = 260;
    game.peakSeconds = 400;
    game.limit = 100;
    std::vector<Sample> samples;
    for (uint32_t s = 0; s <= 600; ++s) {
        int32_t recent = (s >= 20 && s < 40) ? 10 : (s >= 300 && s < 360) ? 40 : s == 400 ? 260 : 150;
        samples.push_back({s, s < 80 ? -1 : 150, recent});
    }
    std::string svg;
    AppendGameChart(svg, game, 4, samples);

    // The axis reaches 300 in steps of 100: 174 pixels of plot from y = 12.
    auto y = [](int apm) { return 186 - (apm * 174 + 150) / 300; };
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

    EXPECT_EQ(Attributes(svg, "<circle class=\"peak\"", "cx"), std::vector<std::string>{std::to_string(X(400))});
    EXPECT_EQ(Attributes(svg, "<circle class=\"peak\"", "cy"), std::vector<std::string>{std::to_string(y(260))});
    EXPECT_NE(svg.find(">260 at 6:40</text>"), std::string::npos);
    EXPECT_EQ(Texts(svg, "xlabel"), (std::vector<std::string>{"0", "2", "4", "6", "8", "10"}));
    EXPECT_NE(svg.find(">minutes</text>"), std::string::npos);
    EXPECT_EQ(Attributes(svg, "<svg class=\"game-chart\"", "data-game"), std::vector<std::string>{"4"});
}

TEST(GameChart, ALongGameStaysWithinOnePointAPixel) {
    GameRecord game;
    game.lengthSeconds = kLongestGame;
    game.limit = 50;
    std::vector<Sample> samples;
    for (uint32_t s = 0; s <= kLongestGame; ++s)
        samples.push_back({s, s < 80 ? -1 : 100, static_cast<int32_t>(s % 200)});
    std::string svg;
    AppendGameChart(svg, game, 1, samples);
    std::vector<std::string> recent = Attributes(svg, "<polyline class=\"recent\"", "points");
    ASSERT_EQ(recent.size(), 1u);
    EXPECT_EQ(Count(recent[0], ","), 745u) << "one point a column";
    EXPECT_LT(svg.size(), 40000u);
    EXPECT_EQ(Texts(svg, "xlabel"), (std::vector<std::string>{"0", "120", "240", "360", "480", "600", "720"}));
}
