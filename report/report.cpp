#include "report/report.h"

#include <algorithm>
#include <cmath>

#include "report/escape.h"
#include "report/formats.h"
#include "report/game_chart.h"
#include "report/plausible.h"
#include "report/report_stats.h"
#include "report/report_table.h"
#include "report/trend_chart.h"

namespace {

// Nothing may run or be fetched, even if some text escaped its escaping.
constexpr char kHead[] =
    "<!DOCTYPE html>\n<html lang=\"en\">\n<head>\n<meta charset=\"utf-8\">\n"
    "<meta http-equiv=\"Content-Security-Policy\" content=\"default-src 'none'; style-src 'unsafe-inline'\">\n"
    "<meta name=\"viewport\" content=\"width=device-width, initial-scale=1\">\n"
    "<title>Cadro: game history</title>\n<style>\n"
    "body{font:14px/1.4 system-ui,sans-serif;color:#222;background:#fafafa;margin:0 auto;max-width:960px;"
    "padding:16px}\n"
    "h1{font-size:22px;margin:0}h2{font-size:17px;margin:28px 0 8px}.written{color:#777;margin:2px 0 16px}\n"
    ".summary{display:flex;flex-wrap:wrap;gap:12px;margin:0}.summary div{background:#fff;border:1px solid #ddd;"
    "border-radius:6px;padding:8px 14px}.summary dt{color:#666;font-size:12px}.summary dd{margin:0;"
    "font-size:18px;font-weight:600}.summary .detail{font-size:12px;font-weight:400;color:#555}\n"
    "svg{display:block;width:100%;height:auto;background:#fff;border:1px solid #ddd;border-radius:6px}\n"
    "svg text{font:11px system-ui,sans-serif;fill:#555}.ylabel{text-anchor:end}.xlabel{text-anchor:middle}"
    ".xname{text-anchor:end}\n"
    ".grid{stroke:#eee}.tick{stroke:#999}.limit,.trend-limit{stroke:#c0392b;stroke-dasharray:5 4;fill:none;"
    "stroke-width:1.5}\n"
    ".below{fill:#c0392b;fill-opacity:.12}.recent{stroke:#2a7ab8;fill:none;stroke-width:1.2}"
    ".whole,.trend-average{stroke:#d9822b;fill:none;stroke-width:2}\n"
    ".trend-point{fill:#2a7ab8}.peak{fill:#fff;stroke:#222;stroke-width:2}svg .peak-label{fill:#222;"
    "font-weight:600}\n"
    "table{border-collapse:collapse;width:100%;background:#fff;font-size:13px}th,td{border-bottom:1px solid #eee;"
    "padding:4px 6px;text-align:left;white-space:nowrap}td.texts{white-space:normal;overflow-wrap:anywhere}\n"
    "td.number,td.length,td.apm,td.actions,td.peak,td.peak-at,td.below{text-align:right;"
    "font-variant-numeric:tabular-nums}\n"
    ".legend{color:#555;font-size:12px;margin:4px 0 10px}.key{display:inline-block;width:18px;height:0;"
    "border-top:3px solid;vertical-align:middle;margin:0 4px 0 12px}\n"
    ".key.recent{border-color:#2a7ab8}.key.whole{border-color:#d9822b}.key.limit{border-top-style:dashed;"
    "border-color:#c0392b}.key.below{height:10px;border:0;background:#c0392b;opacity:.2}\n"
    "figure{margin:0 0 18px}figcaption{font-size:13px;margin:0 0 4px}.no-timeline{color:#777;margin:0}\n"
    ".empty{background:#fff;border:1px solid #ddd;border-radius:6px;padding:12px 16px}\n"
    "</style>\n</head>\n<body>\n<h1>Game history</h1>\n";

constexpr char kNoGames[] =
    "<section class=\"empty\" id=\"no-games\">\n<p><strong>No games yet.</strong></p>\n"
    "<p>Keep Cadro running and start a game: Cadro finds the game by itself, measures it, and when the "
    "game ends it is added here with its chart. Choose \"Game history...\" from Cadro's window menu to "
    "open this page again.</p>\n</section>\n";

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

std::string Rounded(double value) { return std::to_string(std::lround(value)); }

void AppendSummary(std::string& out, const std::vector<GameRecord>& games) {
    Summary s = Summarise(games);
    out += "<section id=\"summary\">\n<dl class=\"summary\">\n";
    AppendFigure(out, "games", "Games played", std::to_string(s.games));
    AppendFigure(out, "time", "Time played", Duration(s.seconds));
    std::string against;
    if (s.beforeCount > 0) {
        long change = std::lround(s.last) - std::lround(s.before);
        against = "the " + std::to_string(s.beforeCount) + " before: <span class=\"before\">" + Rounded(s.before) +
                  "</span> (" +
                  (change >= 0 ? "+" : "") + std::to_string(change) + ")";
    }
    std::string title = "Average APM, last " + Games(s.lastCount);
    AppendFigure(out, "average", title.c_str(), "<span class=\"last\">" + Rounded(s.last) + "</span>", against);
    const GameRecord& best = games[s.best];
    std::string slots = SlotsText(best);
    AppendFigure(out, "best", "Best game", "<span class=\"apm\">" + std::to_string(best.apm) + "</span> APM",
                 "game " + std::to_string(s.best + 1) + ", " + StartedText(best) +
                     (slots.empty() ? "" : ", " + slots));
    out += "</dl>\n</section>\n";
}

void AppendCharts(std::string& out, const std::vector<GameRecord>& games, const SampleSource& samples) {
    size_t last = games.size() - std::min(games.size(), kChartGames);
    out += "<section id=\"charts\">\n<h2>APM over time, the last " + Games(games.size() - last) +
           "</h2>\n<p class=\"legend\"><span class=\"key recent\"></span>short-term APM"
           "<span class=\"key whole\"></span>whole-game APM after the warm-up<span class=\"key limit\"></span>"
           "alert limit<span class=\"key below\"></span>below the limit; the circle marks the highest APM</p>\n";
    for (size_t i = games.size(); i-- > last;) {
        const GameRecord& g = games[i];
        out += "<figure class=\"game\" data-game=\"" + std::to_string(i + 1) + "\">\n<figcaption>Game " +
               std::to_string(i + 1) + ", " + StartedText(g) + ": " + std::to_string(g.apm) + " APM over " +
               Clock(g.lengthSeconds);
        std::string slots = SlotsText(g);
        if (!slots.empty())
            out += ", " + slots;
        out += "</figcaption>\n";
        std::vector<Sample> timeline = samples ? PlausibleSamples(samples(g)) : std::vector<Sample>();
        if (timeline.empty())
            out += "<p class=\"no-timeline\">No timeline was kept for this game.</p>\n";
        else
            AppendGameChart(out, g, i + 1, timeline);
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
                       const std::string& writtenAt, const LeftOut& leftOut) {
    std::vector<GameRecord> games = PlausibleGames(history);
    std::string out;
    out.reserve(256 * 1024);
    out += kHead;
    out += "<p class=\"written\">Written ";
    AppendEscaped(out, writtenAt, 40);
    out += "</p>\n";
    AppendLeftOut(out, leftOut.unreadable + (history.size() - games.size()), leftOut.older);
    if (games.empty()) {
        out += kNoGames;
    } else {
        AppendSummary(out, games);
        size_t trend = std::min(games.size(), kTrendGames);
        out += "<section id=\"trend\">\n<h2>APM of the last " + Games(trend) + "</h2>\n";
        AppendTrendChart(out, games);
        out += "<p class=\"legend\"><span class=\"key recent\"></span>each game's APM<span class=\"key whole\">"
               "</span>average of 10 games<span class=\"key limit\"></span>alert limit</p>\n</section>\n";
        out += "<section id=\"table\">\n<h2>The last " + Games(std::min(games.size(), kTableGames)) +
               ", newest first</h2>\n";
        AppendGameTable(out, games, kTableGames);
        out += "</section>\n";
        AppendCharts(out, games, samples);
    }
    out += "</body>\n</html>\n";
    return out;
}
