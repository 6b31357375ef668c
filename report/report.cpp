#include "report/report.h"

#include <algorithm>
#include <cmath>

#include "report/by_text.h"
#include "report/escape.h"
#include "report/formats.h"
#include "report/game_chart.h"
#include "report/page_style.h"
#include "report/phases.h"
#include "report/plausible.h"
#include "report/progress.h"
#include "report/report_stats.h"
#include "report/report_table.h"
#include "report/sessions.h"
#include "report/spam_answer.h"
#include "util/local_time.h"

namespace {

constexpr char kNotKept[] =
    "Games shorter than the 80-second warm-up, and games of 10 APM or less, log no summary and are not kept.";

constexpr char kNoGames[] =
    "<section class=\"empty\" id=\"no-games\">\n<p><strong>No games yet.</strong></p>\n"
    "<p>Keep Cadro running and start a game: Cadro finds the game by itself, measures it, and when the "
    "game ends it is added here with its chart. Choose \"Game history...\" from Cadro's window menu to "
    "open this page again.</p>\n<p class=\"not-kept\">";

constexpr char kHistoryOff[] =
    ">\n<p><strong>History is off:</strong> new games are not kept, "
    "so this page shows only the games kept before. \"Keep game history\" in Cadro's window menu turns it "
    "on again (it is the DWORD value <code>history</code> in Cadro's settings key, its <code>MAIN</code> "
    "section).</p>\n</section>\n";

constexpr char kNav[] =
    "<nav><a href=\"#progress\">Getting faster?</a><a href=\"#phases\">Phases of a game</a>"
    "<a href=\"#sessions\">Sessions</a><a href=\"#by-text\">Maps and game types</a><a href=\"#spam\">Spam</a>"
    "<a href=\"#table\">Games</a>"
    "<a href=\"#charts\">Charts</a><a href=\"#terms\">What the numbers mean</a></nav>\n";

constexpr char kTerms[] =
    "<section id=\"terms\">\n<h2>What the numbers mean</h2>\n<dl class=\"terms\">\n"
    "<dt>APM</dt><dd>Actions per minute over the whole game: the key presses and clicks Cadro counts from the end "
    "of the warm-up to the end of the game, per minute, less a correction of 4 % from 50 APM, 6 % from 100 and "
    "8 % from 150. It is the number the overlay shows after the warm-up and the log's \"APM =\" line.</dd>\n"
    "<dt>Warm-up</dt><dd>The first 80 seconds of a game, while the overlay shows \"---\"; their actions are not "
    "counted.</dd>\n"
    "<dt>Short-term APM</dt><dd>The actions of the last 5 seconds (at most 100) per minute, up to 999: the "
    "number in parentheses on the overlay, and what the alert limit is checked against.</dd>\n"
    "<dt>Highest APM</dt><dd>The highest short-term APM after the first 85 seconds, and when in the game it came, "
    "as in the log's \"Highest APM\" line.</dd>\n"
    "<dt>Alert limit, below the limit</dt><dd>The short-term APM under which the warning and the sound come "
    "(0 turns them off); the time below it is counted after the warm-up, and an alert is one sound played.</dd>\n"
    "<dt>Short game</dt><dd>A game under 3 minutes: its APM rests on less than 100 seconds of play, so it is "
    "shown apart and left out of every average, best and phase on this page.</dd>\n"
    "<dt>Which APM each chart shows</dt><dd>By date, the sessions and the maps and game types: each game's APM and "
    "averages of it. The phases: the APM of each phase of a game, counted as a game's APM is (its actions per "
    "minute after the warm-up, less the same correction), so a phase compares with a game. Each game's chart: "
    "its short-term APM with its effective short-term APM under it, and its APM as it stood at each moment after the "
    "warm-up.</dd>\n"
    "<dt>Effective APM, spam</dt><dd>The APM of the actions that were not spam, over the same time and with the "
    "same correction: a group key tapped a 3rd time within 336 ms of the tap before, a group assigned again with "
    "nothing between, a right click within 420 ms of the one before, and a letter key's 6th and later press in a "
    "row (each within 1,050 ms of the one before) are spam. The effective short-term APM is the short-term APM "
    "of the actions that were not.</dd>\n"
    "<dt>Session</dt><dd>Games with less than 30 minutes between one's end and the next one's start.</dd>\n"
    "<dt>Times</dt><dd>Times into a game are hours:minutes:seconds, as in Cadro's log; dates are year-month-day."
    "</dd>\n</dl>\n<p class=\"not-kept\">";

void AppendFigure(std::string& out, const char* cssClass, const char* title, const std::string& value,
                  const std::string& detail = {}) {
    out += "<div class=\"";
    out += cssClass;
    out += "\"><dt>";
    out += title;
    out += "</dt><dd>";
    out += value;
    if (!detail.empty())
        out += " <span class=\"detail\">" + detail + "</span>";
    out += "</dd></div>\n";
}

std::string DateOf(const GameRecord& game) { return StartedText(game).substr(0, 10); }

void AppendSummary(std::string& out, const std::vector<GameRecord>& games, const Summary& s) {
    out += "<section id=\"summary\">\n<dl class=\"summary\">\n";
    AppendFigure(out, "games", "Games played", std::to_string(s.games),
                 s.shortGames ? std::to_string(s.shortGames) + " short" : "");
    AppendFigure(out, "time", "Time played", Duration(s.seconds));
    if (s.lastCount == 0) {
        AppendFigure(out, "average", "Average APM", kNoValue, "no game of 3 minutes or more yet");
        out += "</dl>\n</section>\n";
        return;
    }
    std::string against;
    if (s.beforeCount > 0) {
        against = "the " + std::to_string(s.beforeCount) + " before: <span class=\"before\">" + Rounded(s.before) +
                  "</span> (" + Signed(std::lround(s.last) - std::lround(s.before)) + ")";
    }
    std::string title = "Average APM, last " + Games(s.lastCount);
    AppendFigure(out, "average", title.c_str(), "<span class=\"last\">" + Rounded(s.last) + "</span>", against);
    const GameRecord& best = games[s.best];
    AppendFigure(out, "best", "Best game", "<span class=\"apm\">" + std::to_string(best.apm) + "</span> APM",
                 "game " + std::to_string(s.best + 1) + ", " + StartedText(best));
    if (s.bestTenLast != SIZE_MAX) {
        AppendFigure(out, "best-ten", "Best 10 games in a row",
                     "<span class=\"apm\">" + Rounded(s.bestTen) + "</span> APM",
                     "games " + std::to_string(s.bestTenFirst + 1) + " to " + std::to_string(s.bestTenLast + 1) +
                         ", up to " + DateOf(games[s.bestTenLast]));
    }
    out += "</dl>\n</section>\n";
}

void AppendCharts(std::string& out, const std::vector<GameRecord>& games,
                  const std::vector<std::vector<Sample>>& timelines) {
    out += "<section id=\"charts\">\n<h2>Each of the last " + Games(timelines.size()) +
           "</h2>\n<p class=\"legend\"><span class=\"key recent\"></span>short-term APM"
           "<span class=\"key effective\"></span>effective short-term APM"
           "<span class=\"key whole\"></span>APM after the warm-up<span class=\"key limit\"></span>"
           "alert limit<span class=\"key below\"></span>below the limit<span class=\"key alert\"></span>an alert; "
           "the circle marks the highest APM</p>\n";
    for (size_t k = 0; k < timelines.size(); ++k) {
        size_t i = games.size() - 1 - k;
        const GameRecord& g = games[i];
        out += "<figure class=\"game\" data-game=\"" + std::to_string(i + 1) + "\">\n<figcaption>Game " +
               std::to_string(i + 1) + ", " + StartedText(g) + ": " + std::to_string(g.apm) + " APM over " +
               ClockText(g.lengthSeconds) + (IsShortGame(g) ? " (short)" : "");
        if (g.limit > 0)
            out += ", " + ClockText(g.secondsBelow) + " below " + std::to_string(g.limit);
        if (g.alerts > 0)
            out += ", " + std::to_string(g.alerts) + (g.alerts == 1 ? " alert" : " alerts");
        std::string slots = SlotsText(g);
        if (!slots.empty())
            out += "; " + slots;
        out += "</figcaption>\n";
        if (timelines[k].empty())
            out += "<p class=\"no-timeline\">No timeline was kept for this game.</p>\n";
        else
            AppendGameChart(out, g, i + 1, timelines[k]);
        out += "</figure>\n";
    }
    out += "</section>\n";
}

// So that the games counted here never silently disagree with the rows of history.csv.
void AppendLeftOut(std::string& out, size_t unreadable, size_t older) {
    if (unreadable == 0 && older == 0)
        return;
    out += "<section class=\"empty\" id=\"left-out\">\n";
    if (unreadable > 0) {
        out += "<p class=\"unreadable\" data-rows=\"" + std::to_string(unreadable) + "\">" +
               std::to_string(unreadable) + (unreadable == 1 ? " row" : " rows") +
               " of history.csv could not be read and " + (unreadable == 1 ? "is" : "are") + " left out.</p>\n";
    }
    if (older > 0) {
        out += "<p class=\"older\" data-rows=\"" + std::to_string(older) + "\">The " + Games(older) +
               " before these are left out: the page is made from the newest games only.</p>\n";
    }
    out += "</section>\n";
}

}  // namespace

std::string ReportHtml(const std::vector<GameRecord>& history, const SampleSource& samples,
                       const std::string& writtenAt, const LeftOut& leftOut, bool historyOn) {
    std::vector<GameRecord> games = PlausibleGames(history);
    std::string out;
    out.reserve(512 * 1024);
    out += kPageHead;
    out += "<p class=\"written\">Written ";
    AppendEscaped(out, writtenAt, 40);
    out += "</p>\n";
    if (!historyOn) {
        out += "<section class=\"empty\" ";
        out += kHistoryOffMark;
        out += kHistoryOff;
    }
    AppendLeftOut(out, leftOut.unreadable + (history.size() - games.size()), leftOut.older);
    if (games.empty()) {
        out += kNoGames;
        out += kNotKept;
        out += "</p>\n</section>\n";
    } else {
        out += kNav;
        Summary summary = Summarise(games);
        AppendSummary(out, games, summary);
        std::vector<std::vector<Sample>> timelines(std::min(games.size(), kChartGames));
        for (size_t k = 0; k < timelines.size() && samples; ++k)
            timelines[k] = PlausibleSamples(samples(games[games.size() - 1 - k]));
        AppendProgress(out, games, summary);
        AppendPhases(out, games, timelines);
        AppendSessions(out, games);
        AppendByText(out, games);
        AppendSpamAnswer(out, games);
        out += "<section id=\"table\">\n<h2>The last " + Games(std::min(games.size(), kTableGames)) +
               ", newest first</h2>\n";
        out += "<div class=\"wide\">\n";
        AppendGameTable(out, games, kTableGames);
        out += "</div>\n<p class=\"legend\">Grey rows are short games (under 3 minutes).</p>\n</section>\n";
        AppendCharts(out, games, timelines);
    }
    out += kTerms;
    out += kNotKept;
    out += "</p>\n</section>\n</body>\n</html>\n";
    return out;
}
