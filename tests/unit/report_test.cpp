// The report page made from crafted histories, read back through its class names and data- attributes.
#include <gtest/gtest.h>

#include <windows.h>

#include <cctype>
#include <climits>
#include <cstdlib>
#include <string>
#include <vector>

#include "report/plausible.h"
#include "report/report.h"
#include "tests/unit/page_reader.h"
#include "tools/bench/crafted_games.h"

namespace {

constexpr char kNow[] = "2026-12-09 04:12";

std::string Page(const std::vector<GameRecord>& games, const SampleSource& samples = CraftedTimeline) {
    return ReportHtml(games, samples, kNow);
}

std::vector<Sample> NoSamples(const GameRecord&) { return {}; }

std::string Figure(const std::string& page, const char* cssClass) {
    return Between(page, std::string("<div class=\"") + cssClass + "\">", "</div>");
}

GameRecord OneGame() {
    GameRecord g;
    g.started = "2026-03-04T05:06:07";
    g.lengthSeconds = 754;
    g.apm = 187;
    g.actions = 2101;
    g.peakApm = 260;
    g.peakSeconds = 400;
    g.limit = 100;
    g.secondsBelow = 33;
    g.end = GameEnd::kStopKey;
    g.slotA = "Ann";
    g.slotB = "Python";
    g.slotC = "Melee";
    g.timeline = "t.csv";
    return g;
}

constexpr long long kChartWidth = 800, kChartHeight = 220;
constexpr long long kMissing = LLONG_MIN / 4;  // far outside every box, also added to another

// One attribute of an element's opening tag ("" when it has none).
std::string Attribute(const std::string& tag, const char* name) {
    std::vector<std::string> values = Attributes(tag, "<", name);
    return values.empty() ? std::string() : values[0];
}

long long Number(const std::string& tag, const char* name) {
    std::string value = Attribute(tag, name);
    return value.empty() ? kMissing : std::strtoll(value.c_str(), nullptr, 10);
}

// The numbers of a list of points, "x,y x,y " or "Mx yLx y", in order.
std::vector<long long> Numbers(const std::string& points) {
    std::vector<long long> numbers;
    for (const char* p = points.c_str(); *p;) {
        if (std::isdigit(static_cast<unsigned char>(*p)) || *p == '-') {
            char* end = nullptr;
            numbers.push_back(std::strtoll(p, &end, 10));
            p = end;
        } else {
            ++p;
        }
    }
    return numbers;
}

// Every point of the page's charts lies inside the charts' 800 x 220 box: circles' centres, the ends of
// lines, both corners of rectangles, every point of polylines and paths, and where labels are anchored.
void ExpectInsideCharts(const std::string& page) {
    for (const char* opening : {"<circle", "<line", "<rect", "<polyline", "<path", "<text"})
        EXPECT_FALSE(Tags(page, opening).empty()) << "the page draws no " << opening;
    std::vector<std::string> outside;  // "x,y in <tag>"
    auto inBox = [&outside](const std::string& tag, long long x, long long y) {
        if (x < 0 || x > kChartWidth || y < 0 || y > kChartHeight)
            outside.push_back(std::to_string(x) + "," + std::to_string(y) + " in " + tag.substr(0, 200));
    };
    for (const std::string& tag : Tags(page, "<circle"))
        inBox(tag, Number(tag, "cx"), Number(tag, "cy"));
    for (const std::string& tag : Tags(page, "<text"))
        inBox(tag, Number(tag, "x"), Number(tag, "y"));
    for (const std::string& tag : Tags(page, "<line")) {
        inBox(tag, Number(tag, "x1"), Number(tag, "y1"));
        inBox(tag, Number(tag, "x2"), Number(tag, "y2"));
    }
    for (const std::string& tag : Tags(page, "<rect")) {
        long long x = Number(tag, "x"), y = Number(tag, "y");
        inBox(tag, x, y);
        inBox(tag, x + Number(tag, "width"), y + Number(tag, "height"));
    }
    const std::pair<const char*, const char*> pointLists[] = {{"<polyline", "points"}, {"<path", "d"}};
    for (const auto& [opening, attribute] : pointLists) {
        for (const std::string& tag : Tags(page, opening)) {
            std::vector<long long> xy = Numbers(Attribute(tag, attribute));
            EXPECT_TRUE(!xy.empty() && xy.size() % 2 == 0) << tag;
            for (size_t i = 0; i + 1 < xy.size(); i += 2)
                inBox(tag, xy[i], xy[i + 1]);
        }
    }
    EXPECT_EQ(outside.size(), 0u) << "the first: " << (outside.empty() ? "" : outside[0]);
}

}  // namespace

TEST(ReportPage, BeforeTheFirstGameSaysThereAreNoneAndHowToGetOne) {
    GameRecord day = OneGame();
    day.lengthSeconds = 86400;  // no real game, so no game at all
    for (const auto& games : {std::vector<GameRecord>{}, std::vector<GameRecord>{day}}) {
        std::string page = Page(games);
        EXPECT_EQ(Count(page, "id=\"no-games\""), 1u);
        EXPECT_NE(page.find("No games yet."), std::string::npos);
        EXPECT_NE(page.find("start a game"), std::string::npos);
        EXPECT_NE(page.find("Game history..."), std::string::npos);
        EXPECT_EQ(Count(page, "<svg"), 0u);
        EXPECT_EQ(Count(page, "<table"), 0u);
        EXPECT_EQ(Count(page, "id=\"summary\""), 0u);
        EXPECT_NE(page.find("Written 2026-12-09 04:12"), std::string::npos);
        EXPECT_EQ(page.size() - page.rfind("</html>\n"), 8u);
    }
}

TEST(ReportPage, IsOneSelfContainedPageWithoutScriptOrAnythingFetched) {
    std::string page = Page(CraftedGames(30));
    EXPECT_EQ(page.rfind("<!DOCTYPE html>", 0), 0u);
    EXPECT_NE(page.find("<meta charset=\"utf-8\">"), std::string::npos);
    EXPECT_EQ(Count(page, "<style>"), 1u);
    EXPECT_EQ(Count(page, "<script"), 0u);
    for (const char* fetch : {"src=", "href=", "url(", "@import", "http:", "https:"})
        EXPECT_EQ(Count(page, fetch), 0u) << fetch;
    EXPECT_EQ(Count(page, "<svg"), Count(page, "</svg>"));
    EXPECT_EQ(Count(page, "<figure"), Count(page, "</figure>"));
    EXPECT_EQ(Count(page, "<tr"), Count(page, "</tr>"));
}

TEST(ReportPage, OneGameShowsItsFiguresRowTrendPointAndChart) {
    GameRecord g = OneGame();
    std::vector<std::string> asked;
    std::string page = Page({g}, [&asked](const GameRecord& game) {
        asked.push_back(game.timeline);
        return CraftedTimeline(game);
    });
    EXPECT_EQ(asked, std::vector<std::string>{"t.csv"});

    EXPECT_NE(Figure(page, "games").find("<dd>1</dd>"), std::string::npos) << Figure(page, "games");
    EXPECT_NE(Figure(page, "time").find("<dd>12 min</dd>"), std::string::npos) << Figure(page, "time");
    std::string average = Figure(page, "average");
    EXPECT_NE(average.find("last 1 game<"), std::string::npos) << average;
    EXPECT_NE(average.find("<span class=\"last\">187</span>"), std::string::npos) << average;
    EXPECT_EQ(average.find("before"), std::string::npos) << "no games before the last one: " << average;
    std::string best = Figure(page, "best");
    EXPECT_NE(best.find("<span class=\"apm\">187</span> APM"), std::string::npos) << best;
    EXPECT_NE(best.find("game 1, 2026-03-04 05:06:07, Ann \xC2\xB7 Python \xC2\xB7 Melee"), std::string::npos)
        << best;

    using Texts = std::vector<std::string>;
    EXPECT_EQ(Cells(page, "number"), Texts{"1"});
    EXPECT_EQ(Cells(page, "started"), Texts{"2026-03-04 05:06:07"});
    EXPECT_EQ(Cells(page, "length"), Texts{"12:34"});
    EXPECT_EQ(Attributes(page, "<td class=\"length\"", "data-seconds"), Texts{"754"});
    EXPECT_EQ(Cells(page, "apm"), Texts{"187"});
    EXPECT_EQ(Cells(page, "actions"), Texts{"2101"});
    EXPECT_EQ(Cells(page, "peak"), Texts{"260"});
    EXPECT_EQ(Cells(page, "peak-at"), Texts{"6:40"});
    EXPECT_EQ(Cells(page, "below"), Texts{"0:33"});
    EXPECT_EQ(Cells(page, "end"), Texts{"F8"});
    EXPECT_EQ(Cells(page, "texts"), Texts{"Ann \xC2\xB7 Python \xC2\xB7 Melee"});

    EXPECT_EQ(Attributes(page, "<svg class=\"trend-chart\"", "data-points"), Texts{"1"});
    EXPECT_EQ(Attributes(page, "<circle class=\"trend-point\"", "data-apm"), Texts{"187"});
    EXPECT_EQ(Attributes(page, "<svg class=\"game-chart\"", "data-game"), Texts{"1"});
    EXPECT_EQ(Attributes(page, "<svg class=\"game-chart\"", "data-samples"), Texts{"755"});
    // One game is one game in every heading.
    EXPECT_EQ(page.find("1 games"), std::string::npos);
    EXPECT_NE(page.find("The last 1 game, newest first"), std::string::npos);
}

TEST(ReportPage, TableHoldsTheLastHundredGamesNewestFirstWithTheRecordsNumbers) {
    std::vector<GameRecord> games = CraftedGames(150, 7);
    std::string page = Page(games);
    auto apm = Cells(page, "apm"), actions = Cells(page, "actions"), peak = Cells(page, "peak"),
         started = Cells(page, "started"), end = Cells(page, "end"), number = Cells(page, "number");
    auto length = Attributes(page, "<td class=\"length\"", "data-seconds");
    auto peakAt = Attributes(page, "<td class=\"peak-at\"", "data-seconds");
    auto below = Attributes(page, "<td class=\"below\"", "data-seconds");
    ASSERT_EQ(apm.size(), kTableGames);
    for (auto* column : {&actions, &peak, &started, &end, &number, &length, &peakAt, &below})
        ASSERT_EQ(column->size(), kTableGames);
    const char* ends[] = {"game over", "F8", "game closed", "Cadro closed"};
    for (size_t row = 0; row < kTableGames; ++row) {
        const GameRecord& g = games[games.size() - 1 - row];
        std::string stamp = g.started;
        stamp[10] = ' ';
        EXPECT_EQ(number[row], std::to_string(games.size() - row));
        EXPECT_EQ(started[row], stamp);
        EXPECT_EQ(apm[row], std::to_string(g.apm)) << row;
        EXPECT_EQ(actions[row], std::to_string(g.actions)) << row;
        EXPECT_EQ(peak[row], std::to_string(g.peakApm)) << row;
        EXPECT_EQ(length[row], std::to_string(g.lengthSeconds)) << row;
        EXPECT_EQ(peakAt[row], std::to_string(g.peakSeconds)) << row;
        EXPECT_EQ(below[row], std::to_string(g.secondsBelow)) << row;
        EXPECT_EQ(end[row], ends[static_cast<int>(g.end)]) << row;
    }
}

TEST(ReportPage, SummaryComparesTheLastTenGamesWithTheTenBeforeAndNamesTheFirstBest) {
    std::vector<GameRecord> games = CraftedGames(25);
    for (size_t i = 0; i < games.size(); ++i) {
        games[i].apm = 100 + static_cast<int32_t>(i);
        games[i].lengthSeconds = 600;
    }
    games[7].apm = games[12].apm = 400;
    std::string page = Page(games);
    EXPECT_NE(Figure(page, "games").find("<dd>25</dd>"), std::string::npos);
    EXPECT_NE(Figure(page, "time").find("<dd>4 h 10 min</dd>"), std::string::npos) << Figure(page, "time");
    std::string average = Figure(page, "average");
    // 115..124 average 119.5; 105..114 with two of them 400 average 167.6.
    EXPECT_NE(average.find("last 10 games"), std::string::npos) << average;
    EXPECT_NE(average.find("<span class=\"last\">120</span>"), std::string::npos) << average;
    EXPECT_NE(average.find("the 10 before: <span class=\"before\">168</span> (-48)"), std::string::npos)
        << average;
    EXPECT_NE(Figure(page, "best").find("game 8, "), std::string::npos) << Figure(page, "best");

    games.resize(15);
    average = Figure(Page(games), "average");
    EXPECT_NE(average.find("the 5 before: <span class=\"before\">"), std::string::npos) << average;
}

TEST(ReportPage, TrendShowsTheLastTwoHundredGamesWithTheirAverageAndTheLimit) {
    std::vector<GameRecord> games = CraftedGames(250, 3);
    std::string page = Page(games);
    EXPECT_EQ(Attributes(page, "<svg class=\"trend-chart\"", "data-points"), std::vector<std::string>{"200"});
    auto numbers = Attributes(page, "<circle class=\"trend-point\"", "data-game");
    auto apm = Attributes(page, "<circle class=\"trend-point\"", "data-apm");
    ASSERT_EQ(numbers.size(), 200u);
    ASSERT_EQ(apm.size(), 200u);
    for (size_t i = 0; i < 200; ++i) {
        EXPECT_EQ(numbers[i], std::to_string(51 + i));
        EXPECT_EQ(apm[i], std::to_string(games[50 + i].apm));
    }
    auto average = Attributes(page, "<polyline class=\"trend-average\"", "points");
    ASSERT_EQ(average.size(), 1u);
    EXPECT_EQ(Count(average[0], ","), 200u);
    EXPECT_EQ(Count(page, "<polyline class=\"trend-limit\""), 1u);

    for (GameRecord& g : games)
        g.limit = 0;
    EXPECT_EQ(Count(Page(games), "<polyline class=\"trend-limit\""), 0u) << "no limit was ever set";
}

TEST(ReportPage, ChartsTheLastTwentyGamesNewestFirstAndNotesAMissingTimeline) {
    std::vector<GameRecord> games = CraftedGames(30);
    games[26].timeline = "";
    std::vector<std::string> asked;
    std::string page = Page(games, [&asked](const GameRecord& game) {
        asked.push_back(game.timeline);
        return game.timeline.empty() ? std::vector<Sample>() : CraftedTimeline(game);
    });
    ASSERT_EQ(asked.size(), kChartGames) << "only the charted games' timelines are read";
    for (size_t i = 0; i < kChartGames; ++i)
        EXPECT_EQ(asked[i], games[29 - i].timeline);
    auto figures = Attributes(page, "<figure class=\"game\"", "data-game");
    ASSERT_EQ(figures.size(), kChartGames);
    for (size_t i = 0; i < kChartGames; ++i)
        EXPECT_EQ(figures[i], std::to_string(30 - i));
    EXPECT_EQ(Count(page, "<svg class=\"game-chart\""), kChartGames - 1);
    EXPECT_EQ(Count(page, "<p class=\"no-timeline\">"), 1u);
    std::string missing = Between(page, "<figure class=\"game\" data-game=\"27\">", "</figure>");
    EXPECT_NE(missing.find("no-timeline"), std::string::npos) << missing;
    EXPECT_EQ(Count(Page(games, NoSamples), "<svg class=\"game-chart\""), 0u);
    EXPECT_EQ(Count(Page(games, nullptr), "<p class=\"no-timeline\">"), kChartGames);
}

TEST(ReportPage, AbsurdValuesAreClampedOrTheGameLeftOut) {
    std::vector<GameRecord> games(10, OneGame());
    games[0].apm = -50;
    games[1].apm = 2000000000;
    games[2].lengthSeconds = 86400;      // a game of a day
    games[3].lengthSeconds = 4294967295u;
    games[4].peakSeconds = 99999;        // past the game's end
    games[5].secondsBelow = 5000;
    games[6].end = static_cast<GameEnd>(17);
    games[7].actions = 4000000000u;
    games[8].limit = -5;
    games[8].peakApm = -1;
    games[9].started = "yesterday";
    std::string page = Page(games, [](const GameRecord&) {
        std::vector<Sample> bad = {{500, 90, 80}, {4000000000u, 50, 50}, {10, -100, -7}, {200, 100, 2000000000},
                                   {300, 150, 120}};
        return bad;
    });
    using Texts = std::vector<std::string>;
    EXPECT_NE(Figure(page, "games").find("<dd>8</dd>"), std::string::npos);
    EXPECT_EQ(Cells(page, "apm"), (Texts{"187", "187", "187", "187", "187", "187", "10000", "0"}));
    EXPECT_EQ(Cells(page, "peak-at")[5], "12:34");
    EXPECT_EQ(Cells(page, "below")[4], "12:34");
    EXPECT_EQ(Cells(page, "end")[3], "?");
    EXPECT_EQ(Cells(page, "actions")[2], "125667") << "the most a game of 754 s holds at the highest APM";
    EXPECT_EQ(Cells(page, "started")[0], "yesterday");
    EXPECT_EQ(Count(page, "<svg class=\"game-chart\""), 8u);
    EXPECT_EQ(Attributes(page, "<svg class=\"game-chart\"", "data-samples"), Texts(8, "4"));
    // The game without a limit has neither its line nor shading; the game without a peak no mark.
    std::string noLimit = Between(page, "<svg class=\"game-chart\" viewBox=\"0 0 800 220\" role=\"img\" "
                                        "aria-label=\"APM over game 7\"", "</svg>");
    ASSERT_FALSE(noLimit.empty());
    EXPECT_EQ(Count(noLimit, "class=\"limit\""), 0u);
    EXPECT_EQ(Count(noLimit, "class=\"below\""), 0u);
    EXPECT_EQ(Count(noLimit, "class=\"peak\""), 0u);
    ExpectInsideCharts(page);
    EXPECT_EQ(page.size() - page.rfind("</html>\n"), 8u);
}

TEST(ReportPage, TextsFromTheGameAndTheFilesAreEscaped) {
    GameRecord g = OneGame();
    g.slotA = "<script>alert(1)</script>";
    g.slotB = "\"onmouseover=\"x";
    g.slotC = "a&b<i>";
    g.started = "<img src=x>";
    std::string page = ReportHtml({g}, CraftedTimeline, "</p><script>alert(2)</script>");
    EXPECT_EQ(Count(page, "<script"), 0u);
    EXPECT_EQ(Count(page, "<img"), 0u);
    EXPECT_EQ(Count(page, "<i>"), 0u);
    const std::string shown = "&lt;script&gt;alert(1)&lt;/script&gt; \xC2\xB7 &quot;onmouseover=&quot;x \xC2\xB7 "
                              "a&amp;b&lt;i&gt;";
    EXPECT_EQ(Cells(page, "texts"), std::vector<std::string>{shown});
    EXPECT_EQ(Count(page, shown), 3u) << "the table, the best game and the chart's caption";
    EXPECT_NE(page.find("Written &lt;/p&gt;&lt;script&gt;alert(2)&lt;/script&gt;"), std::string::npos);
    EXPECT_EQ(Cells(page, "started"), std::vector<std::string>{"&lt;img src=x&gt;"});

    g.slotA = std::string(1000, 'x');
    g.slotB = "\xFF\xFE";
    g.slotC.clear();
    page = Page({g});
    EXPECT_EQ(Cells(page, "texts"),
              std::vector<std::string>{std::string(40, 'x') + "\xE2\x80\xA6 \xC2\xB7 \xEF\xBF\xBD\xEF\xBF\xBD"});
}

TEST(ReportPage, TenThousandGamesMakeAPageUnderTwoMegabytes) {
    std::vector<GameRecord> games = CraftedGames(10000);
    std::string page = Page(games);
    EXPECT_LT(page.size(), kMaxReportBytes);
    EXPECT_EQ(Cells(page, "apm").size(), kTableGames);
    EXPECT_EQ(Count(page, "<svg class=\"game-chart\""), kChartGames);
    EXPECT_EQ(Count(page, "<circle class=\"trend-point\""), 200u);

    // The worst a history can hold: every text long and all markup, every game of the longest length,
    // and every timeline crossing the limit at each pixel.
    for (GameRecord& g : games) {
        g.slotA = g.slotB = g.slotC = g.started = std::string(5000, '"');
        g.lengthSeconds = kLongestGame;
        g.limit = 100;
    }
    page = Page(games, [](const GameRecord&) {
        std::vector<Sample> samples;
        for (uint32_t s = 0; s <= kLongestGame; ++s)
            samples.push_back({s, 150, (s * 744 / kLongestGame) % 2 ? 10 : 9000});  // by the plot's columns
        return samples;
    });
    EXPECT_LT(page.size(), kMaxReportBytes);
    EXPECT_GT(Count(page, "<rect class=\"below\""), kChartGames * 300) << "the shading was drawn";
    ExpectInsideCharts(page);
}
