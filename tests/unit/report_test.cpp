// The report page made from crafted histories, read back through its class names and data- attributes.
#include <gtest/gtest.h>

#include <windows.h>

#include <algorithm>
#include <cctype>
#include <climits>
#include <cmath>
#include <cstdlib>
#include <string>
#include <vector>

#include "report/by_text.h"
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

// The cells of one column of the table of games (other tables share class names).
std::vector<std::string> Column(const std::string& page, const std::string& cssClass) {
    return Cells(Between(page, "<table class=\"games\">", "</table>"), cssClass);
}

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

TEST(ReportPage, BeforeTheFirstGameSaysThereAreNoneWhyAndHowToGetOne) {
    GameRecord day = OneGame();
    day.lengthSeconds = 86400;  // no real game, so no game at all
    for (const auto& games : {std::vector<GameRecord>{}, std::vector<GameRecord>{day}}) {
        std::string page = Page(games);
        EXPECT_EQ(Count(page, "id=\"no-games\""), 1u);
        EXPECT_NE(page.find("No games yet."), std::string::npos);
        EXPECT_NE(page.find("start a game"), std::string::npos);
        EXPECT_NE(page.find("Game history..."), std::string::npos);
        std::string notKept = Between(Between(page, "id=\"no-games\"", "</section>"), "<p class=\"not-kept\">", "</p>");
        EXPECT_NE(notKept.find("shorter than the 80-second warm-up"), std::string::npos) << notKept;
        EXPECT_EQ(Count(page, "<svg"), 0u);
        EXPECT_EQ(Count(page, "<table"), 0u);
        EXPECT_EQ(Count(page, "id=\"summary\""), 0u);
        EXPECT_EQ(Count(page, "id=\"terms\""), 1u) << "the terms are explained on every page";
        EXPECT_EQ(Count(page, "id=\"history-off\""), 0u);
        EXPECT_NE(page.find("Written 2026-12-09 04:12"), std::string::npos);
        EXPECT_EQ(page.size() - page.rfind("</html>\n"), 8u);
    }
}

TEST(ReportPage, SaysWhenTheHistoryIsOffWithOrWithoutGames) {
    for (const auto& games : {std::vector<GameRecord>{}, CraftedGames(3)}) {
        std::string page = ReportHtml(games, CraftedTimeline, kNow, {}, false);
        EXPECT_EQ(Count(page, "id=\"history-off\""), 1u);
        EXPECT_NE(page.find("History is off"), std::string::npos);
        EXPECT_EQ(Count(page, "id=\"no-games\""), games.empty() ? 1u : 0u);
        EXPECT_EQ(Column(page, "apm").size(), games.size());
    }
}

TEST(ReportPage, IsOneSelfContainedPageWithoutScriptOrAnythingFetched) {
    std::string page = Page(CraftedGames(30));
    EXPECT_EQ(page.rfind("<!DOCTYPE html>", 0), 0u);
    EXPECT_NE(page.find("<meta charset=\"utf-8\">"), std::string::npos);
    EXPECT_EQ(Count(page, "<style>"), 1u);
    EXPECT_EQ(Count(page, "<script"), 0u);
    for (const char* fetch : {"src=", "url(", "@import", "http:", "https:"})
        EXPECT_EQ(Count(page, fetch), 0u) << fetch;
    EXPECT_EQ(Count(page, "href="), Count(page, "href=\"#")) << "links lead only within the page";
    for (const std::string& target : Attributes(page, "<a ", "href"))
        EXPECT_EQ(Count(page, "id=\"" + target.substr(1) + "\""), 1u) << target;
    EXPECT_EQ(Count(page, "<svg"), Count(page, "</svg>"));
    EXPECT_EQ(Count(page, "<figure"), Count(page, "</figure>"));
    EXPECT_EQ(Count(page, "<tr"), Count(page, "</tr>"));
    EXPECT_EQ(Count(page, "<section"), Count(page, "</section>"));
    EXPECT_EQ(Count(page, "<table"), Count(page, "</table>"));
}

TEST(ReportPage, OneGameShowsItsFiguresRowTrendPointAndChart) {
    GameRecord g = OneGame();
    std::vector<std::string> asked;
    std::string page = Page({g}, [&asked](const GameRecord& game) {
        asked.push_back(game.timeline);
        return CraftedTimeline(game);
    });
    EXPECT_EQ(asked, std::vector<std::string>{"t.csv"}) << "each timeline is read once";

    EXPECT_NE(Figure(page, "games").find("<dd>1</dd>"), std::string::npos) << Figure(page, "games");
    EXPECT_NE(Figure(page, "time").find("<dd>12 min</dd>"), std::string::npos) << Figure(page, "time");
    std::string average = Figure(page, "average");
    EXPECT_NE(average.find("last 1 game<"), std::string::npos) << average;
    EXPECT_NE(average.find("<span class=\"last\">187</span>"), std::string::npos) << average;
    EXPECT_EQ(average.find("before"), std::string::npos) << "no games before the last one: " << average;
    std::string best = Figure(page, "best");
    EXPECT_NE(best.find("<span class=\"apm\">187</span> APM"), std::string::npos) << best;
    EXPECT_NE(best.find("game 1, 2026-03-04 05:06:07"), std::string::npos) << best;

    using Texts = std::vector<std::string>;
    EXPECT_EQ(Column(page, "number"), Texts{"1"});
    EXPECT_EQ(Column(page, "started"), Texts{"2026-03-04 05:06:07"});
    EXPECT_EQ(Column(page, "length"), Texts{"00:12:34"}) << "times as the log writes them";
    EXPECT_EQ(Attributes(page, "<td class=\"length\"", "data-seconds"), Texts{"754"});
    EXPECT_EQ(Column(page, "apm"), Texts{"187"});
    EXPECT_EQ(Column(page, "actions"), Texts{"2101"});
    EXPECT_EQ(Column(page, "peak"), Texts{"260"});
    EXPECT_EQ(Column(page, "peak-at"), Texts{"00:06:40"});
    EXPECT_EQ(Column(page, "below"), Texts{"00:00:33"});
    EXPECT_EQ(Column(page, "end"), Texts{"F8"});
    EXPECT_EQ(Column(page, "player"), Texts{"Ann"});
    EXPECT_EQ(Column(page, "map"), Texts{"Python"});
    EXPECT_EQ(Column(page, "mode"), Texts{"Melee"});
    std::string head = Between(page, "<table class=\"games\">", "</thead>");
    for (const char* name : {"<th>Player</th>", "<th>Map</th>", "<th>Game type</th>", "<th>Alerts</th>"})
        EXPECT_NE(head.find(name), std::string::npos) << name;

    EXPECT_EQ(Attributes(page, "<svg class=\"progress-chart\"", "data-points"), Texts{"1"});
    EXPECT_EQ(Attributes(page, "<circle class=\"trend-point\"", "data-apm"), Texts{"187"});
    EXPECT_EQ(Attributes(page, "<svg class=\"game-chart\"", "data-game"), Texts{"1"});
    EXPECT_EQ(Attributes(page, "<svg class=\"game-chart\"", "data-samples"), Texts{"755"});
    std::string caption = Between(page, "<figcaption>", "</figcaption>");
    EXPECT_EQ(caption, "<figcaption>Game 1, 2026-03-04 05:06:07: 187 APM over 00:12:34, 00:00:33 below 100; "
                       "Player: <bdi>Ann</bdi>, Map: <bdi>Python</bdi>, Game type: <bdi>Melee</bdi></figcaption>");
    // One game is one game in every heading.
    EXPECT_EQ(page.find("1 games"), std::string::npos);
    EXPECT_NE(page.find("The last 1 game, newest first"), std::string::npos);
}

TEST(ReportPage, AGameWithoutAPeakShowsNoneRatherThanZeroAtTheStart) {
    GameRecord g = OneGame();
    g.peakApm = 0;
    g.peakSeconds = 0;
    std::string page = Page({g});
    EXPECT_EQ(Column(page, "peak"), std::vector<std::string>{"\xE2\x80\x94"});
    EXPECT_EQ(Column(page, "peak-at"), std::vector<std::string>{"\xE2\x80\x94"});
    EXPECT_EQ(Count(page, "<circle class=\"peak\""), 0u);
    EXPECT_EQ(Count(page, "class=\"peak-label\""), 0u);
}

TEST(ReportPage, TableHoldsTheLastHundredGamesNewestFirstWithTheRecordsNumbers) {
    std::vector<GameRecord> games = CraftedGames(150, 7);
    std::string page = Page(games);
    std::string table = Between(page, "<table class=\"games\">", "</table>");
    auto apm = Cells(table, "apm"), actions = Cells(table, "actions"), peak = Cells(table, "peak"),
         started = Cells(table, "started"), end = Cells(table, "end"), number = Cells(table, "number"),
         alerts = Cells(table, "alerts"), map = Cells(table, "map");
    auto length = Attributes(table, "<td class=\"length\"", "data-seconds");
    auto peakAt = Attributes(table, "<td class=\"peak-at\"", "data-seconds");
    auto below = Attributes(table, "<td class=\"below\"", "data-seconds");
    ASSERT_EQ(apm.size(), kTableGames);
    for (auto* column : {&actions, &peak, &started, &end, &number, &length, &peakAt, &below, &alerts, &map})
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
        EXPECT_EQ(alerts[row], std::to_string(g.alerts)) << row;
        EXPECT_EQ(end[row], ends[static_cast<int>(g.end)]) << row;
        EXPECT_EQ(map[row], g.slotB) << row;
    }
}

TEST(ReportPage, SummaryComparesTheLastTenGamesWithTheTenBeforeAndNamesTheBests) {
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
    // Of the ten in a row that hold both 400s, the last ones: games 8 to 17, (107+...+116 - 107 - 112 + 800) / 10.
    std::string ten = Figure(page, "best-ten");
    EXPECT_NE(ten.find("<span class=\"apm\">170</span>"), std::string::npos) << ten;
    EXPECT_NE(ten.find("games 8 to 17"), std::string::npos) << ten;

    games.resize(15);
    average = Figure(Page(games), "average");
    EXPECT_NE(average.find("the 5 before: <span class=\"before\">"), std::string::npos) << average;
}

TEST(ReportPage, ShortGamesAreShownApartAndKeptOutOfAveragesAndBests) {
    std::vector<GameRecord> games = CraftedGames(12);
    for (GameRecord& g : games)
        g.apm = 100;
    games[5].apm = games[11].apm = 900;  // a game stopped at 1:25: its APM rests on five seconds
    games[5].lengthSeconds = games[11].lengthSeconds = 85;
    games[3].apm = 150;
    std::string page = Page(games);
    EXPECT_NE(Figure(page, "games").find("<dd>12 <span class=\"detail\">2 short</span>"), std::string::npos)
        << Figure(page, "games");
    EXPECT_NE(Figure(page, "average").find("<span class=\"last\">105</span>"), std::string::npos)
        << "the 10 games that are not short: " << Figure(page, "average");
    EXPECT_NE(Figure(page, "best").find("game 4, "), std::string::npos) << Figure(page, "best");
    EXPECT_NE(Figure(page, "best-ten").find("<span class=\"apm\">105</span>"), std::string::npos);
    EXPECT_EQ(Attributes(page, "<circle class=\"trend-short\"", "data-game"), (std::vector<std::string>{"6", "12"}));
    EXPECT_EQ(Count(page, "<circle class=\"trend-point\""), 10u);
    EXPECT_EQ(Count(page, "<tr class=\"game short\""), 2u);

    for (GameRecord& g : games)
        g.lengthSeconds = 100;
    page = Page(games);
    EXPECT_NE(Figure(page, "average").find("no game of 3 minutes or more yet"), std::string::npos);
    EXPECT_EQ(Count(page, "<div class=\"best\">"), 0u);
    EXPECT_NE(page.find("The recent games with a timeline are short games, which are left out."), std::string::npos)
        << "no answer from no data";
    EXPECT_NE(page.find("No game of 3 minutes or more in the 4 weeks up to your newest game."), std::string::npos);
}

TEST(ReportPage, ProgressDrawsTheNewestThousandGamesAndBuildsTheWeeksFromEveryGame) {
    std::vector<GameRecord> games = CraftedGames(1200, 3);  // one an hour from 2026-01-01, a Thursday
    std::string page = Page(games);
    EXPECT_EQ(Attributes(page, "<svg class=\"progress-chart\"", "data-points"), std::vector<std::string>{"1000"});
    auto numbers = Attributes(page, "<circle class=\"trend-point\"", "data-game");
    auto apm = Attributes(page, "<circle class=\"trend-point\"", "data-apm");
    auto x = Attributes(page, "<circle class=\"trend-point\"", "cx");
    ASSERT_EQ(numbers.size(), 1000u);
    ASSERT_EQ(apm.size(), 1000u);
    for (size_t i = 0; i < 1000; ++i) {
        EXPECT_EQ(numbers[i], std::to_string(201 + i));
        EXPECT_EQ(apm[i], std::to_string(games[200 + i].apm));
        if (i > 0) {
            EXPECT_GE(std::stol(x[i]), std::stol(x[i - 1])) << "by date";
        }
    }
    // The weeks hold every game: the first week's 96 games too, and all 168 of the week of Monday 2026-01-05,
    // though its first drawn point, game 201, starts on its Friday.
    std::vector<std::string> weeks = Attributes(page, "<tr class=\"week\"", "data-week");
    ASSERT_EQ(weeks.size(), 8u);
    EXPECT_EQ(weeks.back(), "2025-12-29");
    EXPECT_EQ(weeks.front(), "2026-02-16") << "game 1200 starts 2026-02-19";
    std::string split = Between(page, "data-week=\"2026-01-05\">", "</tr>");
    double sum = 0;
    for (size_t i = 4 * 24; i < 11 * 24; ++i)
        sum += games[i].apm;
    EXPECT_EQ(Cells(split, "apm"), std::vector<std::string>{std::to_string(std::lround(sum / (7 * 24)))});
    EXPECT_EQ(Cells(split, "games"), std::vector<std::string>{"168"});
    EXPECT_EQ(Cells(Between(page, "data-week=\"2025-12-29\">", "</tr>"), "games"), std::vector<std::string>{"96"});
    // The 4 weeks before the last 4 are whole: days 0 to 24, 600 games, as the last 4 hold.
    std::string answer = Between(page, "<p class=\"answer\" id=\"progress-answer\"", "</p>");
    EXPECT_EQ(Attribute(answer, "data-games"), "600") << answer;
    EXPECT_EQ(Attribute(answer, "data-before-games"), "600") << answer;
    // The chart draws the weeks under its points only, from the week of the first drawn one.
    std::vector<std::string> path = Attributes(page, "<path class=\"week-average\"", "d");
    ASSERT_EQ(path.size(), 1u);
    EXPECT_EQ(Count(path[0], "M"), weeks.size() - 1);
    EXPECT_EQ(Numbers(path[0])[0], 56) << "the split week starts at the chart's left edge";
    std::vector<std::string> ticks = Texts(Between(page, "<svg class=\"progress-chart\"", "</svg>"), "xlabel");
    EXPECT_EQ(ticks.front(), "2026-01-05") << "dates on the axis";
    EXPECT_EQ(Texts(Between(page, "<svg class=\"progress-chart\"", "</svg>"), "xname"),
              std::vector<std::string>{"date"});
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
    EXPECT_NE(Page(games, NoSamples).find("No timeline was kept for the recent games."), std::string::npos);
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
        std::vector<Sample> bad = {{500, 90, 80, 0}, {4000000000u, 50, 50, 0}, {10, -100, -7, 0},
                                   {200, 100, 2000000000, 0}, {300, 150, 120, 4000000000u}};
        return bad;
    });
    using Texts = std::vector<std::string>;
    EXPECT_NE(Figure(page, "games").find("<dd>8</dd>"), std::string::npos);
    EXPECT_EQ(Column(page, "apm"), (Texts{"187", "187", "187", "187", "187", "187", "10000", "0"}));
    EXPECT_EQ(Column(page, "peak-at")[5], "00:12:34");
    EXPECT_EQ(Column(page, "below")[4], "00:12:34");
    EXPECT_EQ(Column(page, "end")[3], "?");
    EXPECT_EQ(Column(page, "actions")[2], "125667") << "the most a game of 754 s holds at the highest APM";
    EXPECT_EQ(Column(page, "started")[0], "<bdi>yesterday</bdi>");
    EXPECT_EQ(Count(page, "<svg class=\"game-chart\""), 8u);
    EXPECT_EQ(Attributes(page, "<svg class=\"game-chart\"", "data-samples"), Texts(8, "4"));
    EXPECT_EQ(Attributes(page, "<svg class=\"progress-chart\"", "data-points"), Texts{"7"}) << "the dated games";
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
    const std::string player = "&lt;script&gt;alert(1)&lt;/script&gt;", map = "&quot;onmouseover=&quot;x",
                      mode = "a&amp;b&lt;i&gt;";
    EXPECT_EQ(Column(page, "player"), std::vector<std::string>{player});
    EXPECT_EQ(Column(page, "map"), std::vector<std::string>{map});
    EXPECT_EQ(Column(page, "mode"), std::vector<std::string>{mode});
    for (const std::string& text : {player, map, mode})
        EXPECT_EQ(Count(page, text), 3u) << "the table, the chart's caption and the table by text: " << text;
    EXPECT_NE(page.find("Written &lt;/p&gt;&lt;script&gt;alert(2)&lt;/script&gt;"), std::string::npos);
    EXPECT_EQ(Column(page, "started"), std::vector<std::string>{"<bdi>&lt;img src=x&gt;</bdi>"});

    // A text that turns the writing right to left is isolated, and its controls shown as replaced.
    g.slotB = "\xE2\x80\xAE" "Python";
    page = Page({g});
    EXPECT_EQ(Count(page, "\xE2\x80\xAE"), 0u);
    EXPECT_NE(Between(page, "<figcaption>", "</figcaption>").find("Map: <bdi>\xEF\xBF\xBDPython</bdi>, "),
              std::string::npos);

    g.slotA = std::string(1000, 'x');
    g.slotB = "\xFF\xFE";
    g.slotC.clear();
    page = Page({g});
    EXPECT_EQ(Column(page, "player"), std::vector<std::string>{std::string(40, 'x') + "\xE2\x80\xA6"});
    EXPECT_EQ(Column(page, "map"), std::vector<std::string>{"\xEF\xBF\xBD\xEF\xBF\xBD"});
    EXPECT_EQ(Column(page, "mode"), std::vector<std::string>{""});
}

TEST(ReportPage, TenThousandGamesMakeAPageUnderTwoMegabytes) {
    std::vector<GameRecord> games = CraftedGames(10000);
    std::string page = Page(games);
    EXPECT_LT(page.size(), kMaxReportBytes);
    EXPECT_EQ(Column(page, "apm").size(), kTableGames);
    EXPECT_EQ(Count(page, "<svg class=\"game-chart\""), kChartGames);
    EXPECT_EQ(Count(page, "<circle class=\"trend-point\""), 1000u);

    // The worst a history can hold: every text long, all markup and each one of its own, every game of the
    // longest length, and every timeline crossing the limit at each pixel.
    for (size_t i = 0; i < games.size(); ++i) {
        GameRecord& g = games[i];
        g.slotA = g.slotB = g.slotC = std::to_string(i) + std::string(5000, '"');
        g.started = std::string(5000, '"');
        g.lengthSeconds = kLongestGame;
        g.limit = 100;
    }
    page = Page(games, [](const GameRecord&) {
        std::vector<Sample> samples;
        for (uint32_t s = 0; s <= kLongestGame; ++s)
            samples.push_back({s, 150, (s * 732 / kLongestGame) % 2 ? 10 : 9000, 1});  // by the plot's columns
        return samples;
    });
    EXPECT_LT(page.size(), kMaxReportBytes);
    EXPECT_GT(Count(page, "<rect class=\"below\""), kChartGames * 300) << "the shading was drawn";
    EXPECT_EQ(Count(page, "<tr class=\"text\">"), 3 * kTextRows) << "the tables by text stay short";
    EXPECT_EQ(Count(page, "<tr class=\"more\"><td colspan=\"4\">and 9988 more</td></tr>"), 3u);
    EXPECT_LE(Count(page, "<path class=\"alert\""), kChartGames * (732 / 8 + 1)) << "alert marks stay apart";
    ExpectInsideCharts(page);
}

// A player's eight weeks whose answers are known: each question's answer is read from the page.
TEST(ReportAnswers, ThePageAnswersEachQuestionForAHistoryWhoseAnswersAreKnown) {
    std::vector<GameRecord> games = LearningGames();
    std::string page = Page(games, LearningTimeline);
    // Faster over the weeks: weekly averages grow, the last four weeks beat the four before by 4 x 8.
    std::string progress = Between(page, "<p class=\"answer\" id=\"progress-answer\"", "</p>");
    EXPECT_EQ(Attribute(progress, "data-change"), "32") << progress;
    EXPECT_NE(progress.find("faster"), std::string::npos) << progress;
    EXPECT_EQ(Attribute(progress, "data-games"), "60") << progress;
    EXPECT_EQ(Attribute(progress, "data-before-games"), "60") << progress;
    EXPECT_NE(progress.find(" APM</strong> over 60 games; in the 4 weeks before: 112 APM over 60 games (+32, faster)"),
              std::string::npos)
        << progress;
    // The other answer, the last 10 games against the 10 before, says how many games it rests on too.
    std::string lastGames = Between(page, "<p class=\"answer\" id=\"progress-games\"", "</p>");
    EXPECT_EQ(Attribute(lastGames, "data-games"), "10") << lastGames;
    EXPECT_EQ(Attribute(lastGames, "data-before-games"), "10") << lastGames;
    EXPECT_NE(lastGames.find(" APM</strong> over 10 games; the games before them: "), std::string::npos) << lastGames;
    EXPECT_EQ(Count(page, "id=\"progress-differ\""), 0u) << "both faster";
    std::vector<std::string> weekly = Cells(Between(page, "<table class=\"weeks\">", "</table>"), "apm");
    ASSERT_EQ(weekly.size(), 8u);
    for (size_t i = 1; i < weekly.size(); ++i)
        EXPECT_GT(std::stoi(weekly[i - 1]), std::stoi(weekly[i])) << "newest first, each week faster";
    // The short games of 400 and 900 APM are drawn apart and are no best.
    EXPECT_EQ(Count(page, "<circle class=\"trend-short\""), 2u);
    EXPECT_NE(Figure(page, "best").find("<span class=\"apm\">171</span>"), std::string::npos) << Figure(page, "best");
    // Slower after 10 minutes.
    std::string phases = Between(page, "<p class=\"answer\" id=\"phases-answer\"", "</p>");
    EXPECT_EQ(Attribute(phases, "data-from"), "600") << phases;
    // Tired after the third game of a session.
    std::string sessions = Between(page, "<p class=\"answer\" id=\"sessions-answer\"", "</p>");
    EXPECT_EQ(Attribute(sessions, "data-after"), "3") << sessions;
    EXPECT_EQ(Cells(Between(page, "<table class=\"places\">", "</table>"), "games"),
              (std::vector<std::string>{"24", "24", "24", "24", "24", "0"}));
    // Faster on one map.
    std::string maps = Between(page, "<p class=\"answer\" data-column=\"map\">", "</p>");
    EXPECT_NE(maps.find("fastest on <strong><bdi>Lost Temple</bdi></strong>"), std::string::npos) << maps;
    EXPECT_NE(maps.find("slowest on <strong><bdi>Python</bdi></strong>"), std::string::npos) << maps;
    EXPECT_EQ(Count(page, "<p class=\"answer\" data-column=\"player\">"), 0u) << "one player has no fastest";
    // Each game's pause below the limit is shaded for its 20 s and its alert marked.
    std::string chart = Between(page, "aria-label=\"APM over game " + std::to_string(games.size() - 1) + "\"", "</svg>");
    EXPECT_EQ(Attributes(chart, "<path class=\"alert\"", "data-seconds"), std::vector<std::string>{"739"});
    std::vector<std::string> width = Attributes(chart, "<rect class=\"below\"", "width");
    ASSERT_EQ(width.size(), 1u);
    EXPECT_NEAR(std::stoi(width[0]), 20 * 732 / 900, 2);

    // The last 10 games slower while the weeks still rise: the page says why the two answers disagree.
    for (size_t i = games.size() - 11; i < games.size(); ++i)
        games[i].apm -= 40;
    page = Page(games, LearningTimeline);
    EXPECT_LT(std::stoi(Attribute(Between(page, "<p class=\"answer\" id=\"progress-games\"", ">"), "data-change")), 0);
    EXPECT_GT(std::stoi(Attribute(Between(page, "<p class=\"answer\" id=\"progress-answer\"", ">"), "data-change")), 0);
    EXPECT_NE(page.find("rest on different games: the first on 20 games, the second on 120 games"),
              std::string::npos);
}

// The phases follow the page's one rule: short games are left out, the warm-up is not counted and the
// whole-game correction is taken off, so that a phase compares with a game's APM.
TEST(ReportAnswers, PhasesLeaveOutShortGamesAndTheWarmUpAndAreCorrectedAsAGamesApmIs) {
    auto phaseApm = [](const std::string& page) {
        return Cells(Between(page, "<table class=\"phases\">", "</table>"), "apm");
    };
    std::vector<GameRecord> games = LearningGames();
    ASSERT_LT(games.back().lengthSeconds, 180u) << "the newest game is a short one";
    std::string page = Page(games, LearningTimeline);
    std::string withoutShort = Page(games, [](const GameRecord& g) {
        return g.lengthSeconds < 180 ? std::vector<Sample>() : LearningTimeline(g);
    });
    EXPECT_EQ(phaseApm(page), phaseApm(withoutShort)) << "the short games' timelines change nothing";
    EXPECT_EQ(Attributes(page, "<p class=\"legend\"", "data-games"), std::vector<std::string>{"18"});

    // A steady player: 200 actions a minute, an APM of 184 after the correction, and a burst in the warm-up.
    games = CraftedGames(20);
    for (GameRecord& g : games)
        g.apm = 184;
    page = Page(games, [](const GameRecord& g) {
        std::vector<Sample> samples;
        for (uint32_t s = 0; s <= g.lengthSeconds; ++s)
            samples.push_back({s, s < 80 ? -1 : 184, s < 80 ? 400 : 200, 0});
        return samples;
    });
    std::vector<std::string> phases = phaseApm(page);
    ASSERT_EQ(phases.size(), 5u);
    EXPECT_EQ(phases[0], "184") << "the first phase at the best game's APM, not above it";
    EXPECT_EQ(phases[1], "184");
}

TEST(ReportPage, DatesCenturiesApartKeepTheDateAxisReadable) {
    std::vector<GameRecord> games = CraftedGames(5);
    games[0].started = "0001-01-01T00:00:00";
    games[4].started = "9999-12-31T23:59:59";
    std::string page = Page(games);
    std::string chart = Between(page, "<svg class=\"progress-chart\"", "</svg>");
    std::vector<std::string> ticks = Texts(chart, "xlabel");
    EXPECT_GE(ticks.size(), 3u);
    EXPECT_LE(ticks.size(), 9u);
    EXPECT_EQ(Attributes(chart, "<svg class=\"progress-chart\"", "data-points"), std::vector<std::string>{"5"});
    ExpectInsideCharts(page);
}

TEST(ReportSpam, TheFifthAnswerTheTableAndTheChartsShowTheEffectiveApmBesideTheApm) {
    // 24 games a day apart: the first kept before the effective APM was, the newest a short one.
    std::vector<GameRecord> games;
    for (int i = 0; i < 24; ++i) {
        GameRecord g = OneGame();
        char started[32];
        std::snprintf(started, sizeof started, "2026-03-%02dT05:06:07", i + 1);
        g.started = started;
        g.apm = 100 + i;
        g.actions = 1000;
        g.secondsBelow = 67;  // of 674 s after the warm-up
        g.eapm = 80;
        g.spam = 200;
        const uint32_t kinds[] = {50, 100, 20, 30};  // repeated orders the most
        std::copy(kinds, kinds + 4, g.spamByKind);
        games.push_back(g);
    }
    games[0].eapm = -1;
    games[0].spam = 0;
    games[23].lengthSeconds = 100;
    games[23].spam = 900;
    auto samples = [](const GameRecord& g) {
        std::vector<Sample> s = CraftedTimeline(g);
        for (Sample& sample : s)
            sample.effective = g.started < "2026-03-23" ? -1 : sample.recent / 2;
        return s;
    };
    std::string page = ReportHtml(games, samples, kNow);
    std::string answer = Between(page, "<section id=\"spam\">", "</section>");
    // The 20 newest games that count (3 to 22): neither the old one nor the short one.
    std::string sentence = Between(answer, "<p class=\"answer\">", "</p>");
    EXPECT_EQ(Texts(sentence, "spam-share"), std::vector<std::string>{"20 %"});
    EXPECT_EQ(Texts(sentence, "eapm"), std::vector<std::string>{"80"});
    EXPECT_EQ(Texts(sentence, "apm"), std::vector<std::string>{"113"});  // the mean of 103 to 122
    EXPECT_EQ(Texts(sentence, "most"), std::vector<std::string>{"repeated orders"});
    std::string weeks = Between(answer, "<table class=\"spam-weeks\">", "</table>");
    ASSERT_EQ(Cells(weeks, "games").size(), 4u);
    EXPECT_EQ(Cells(weeks, "games")[0], "1") << "the week of Monday the 23rd, without the short game";
    EXPECT_EQ(Cells(weeks, "below")[0], "10 %");
    EXPECT_EQ(Cells(weeks, "eapm")[1], "80");

    // Newest first: the short game and the old one have no comparison; the old one no effective APM.
    std::vector<std::string> eapm = Column(page, "eapm"), spam = Column(page, "spam"), against = Column(page, "against");
    ASSERT_EQ(eapm.size(), 24u);
    EXPECT_EQ(against[0], "\xE2\x80\x94");
    EXPECT_EQ(against[1], "+11");  // 122 against the mean of 102 to 121
    EXPECT_EQ(against[23], "\xE2\x80\x94");
    EXPECT_EQ(eapm[1], "80");
    EXPECT_EQ(spam[1], "20 %");
    EXPECT_EQ(eapm[23], "\xE2\x80\x94");
    EXPECT_EQ(spam[23], "\xE2\x80\x94");
    // Beside the APM by date: a point for each game that counts and kept it, and the weeks' averages.
    EXPECT_EQ(Attributes(page, "<circle class=\"trend-effective\"", "data-game").size(), 22u);
    EXPECT_EQ(Cells(Between(page, "<table class=\"weeks\">", "</table>"), "eapm")[0], "80");
    // The effective line on the charts of the games whose timelines kept it, drawn under the APM's.
    std::string newest = Between(page, "data-game=\"24\" data-samples", "</svg>");
    ASSERT_FALSE(newest.empty());
    EXPECT_LT(newest.find("<polyline class=\"effective\""), newest.find("<polyline class=\"recent\""));
    EXPECT_EQ(Count(page, "<polyline class=\"effective\""), 2u);
    EXPECT_EQ(Count(page, "<polyline class=\"recent\""), 20u);
}
