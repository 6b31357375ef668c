#include "report/by_text.h"

#include <algorithm>
#include <map>

#include "report/escape.h"
#include "report/formats.h"
#include "report/report_stats.h"

const TextColumn kTextColumns[3] = {
    {"Player", "player", &GameRecord::slotA},
    {"Map", "map", &GameRecord::slotB},
    {"Game type", "mode", &GameRecord::slotC},
};

namespace {

constexpr size_t kTextChars = 40;
constexpr uint64_t kLeastGames = 3;  // of a text before it is named fastest or slowest

struct Played {
    std::string text;
    size_t games = 0;
    Mean apm;  // of the games that are not short
    int32_t best = 0;
};

std::vector<Played> ByText(const std::vector<GameRecord>& games, const TextColumn& column) {
    std::map<std::string, Played> byText;
    for (const GameRecord& g : games) {
        const std::string& text = g.*column.text;
        if (text.empty())
            continue;
        Played& p = byText[text];
        ++p.games;
        if (!IsShortGame(g)) {
            p.apm.Add(g.apm);
            p.best = std::max(p.best, g.apm);
        }
    }
    std::vector<Played> played;
    played.reserve(byText.size());
    for (auto& [text, p] : byText) {
        p.text = text;
        played.push_back(std::move(p));
    }
    std::stable_sort(played.begin(), played.end(), [](const Played& a, const Played& b) { return a.games > b.games; });
    return played;
}

std::string Named(const Played& p) {
    std::string named = "<strong>";
    AppendIsolated(named, p.text, kTextChars);
    return named + "</strong> (" + MeanText(p.apm) + " APM over " + Games(p.apm.count) + ")";
}

void AppendAnswer(std::string& out, const TextColumn& column, const std::vector<Played>& played) {
    const Played* fastest = nullptr;
    const Played* slowest = nullptr;
    for (const Played& p : played) {
        if (p.apm.count < kLeastGames)
            continue;
        if (!fastest || p.apm.Value() > fastest->apm.Value())
            fastest = &p;
        if (!slowest || p.apm.Value() < slowest->apm.Value())
            slowest = &p;
    }
    if (!fastest || fastest == slowest)
        return;
    out += "<p class=\"answer\" data-column=\"";
    out += column.cssClass;
    out += "\">";
    out += column.name;
    out += ": fastest on " + Named(*fastest) + ", slowest on " + Named(*slowest) + ".</p>\n";
}

void AppendTable(std::string& out, const TextColumn& column, const std::vector<Played>& played) {
    out += "<table class=\"by-text\" data-column=\"";
    out += column.cssClass;
    out += "\">\n<thead><tr><th>";
    out += column.name;
    out += "</th><th>Games</th><th>Average APM</th><th>Best APM</th></tr></thead>\n<tbody>\n";
    for (size_t i = 0; i < played.size() && i < kTextRows; ++i) {
        const Played& p = played[i];
        out += "<tr class=\"text\"><td class=\"text\">";
        AppendEscaped(out, p.text, kTextChars);
        out += "</td><td class=\"games\">";
        AppendInt(out, static_cast<int64_t>(p.games));
        out += "</td><td class=\"apm\">";
        out += MeanText(p.apm);
        out += "</td><td class=\"best\">";
        out += p.apm.count ? std::to_string(p.best) : kNoValue;
        out += "</td></tr>\n";
    }
    if (played.size() > kTextRows)
        out += "<tr class=\"more\"><td colspan=\"4\">and " + std::to_string(played.size() - kTextRows) +
               " more</td></tr>\n";
    out += "</tbody>\n</table>\n";
}

}  // namespace

void AppendByText(std::string& out, const std::vector<GameRecord>& games) {
    out += "<section id=\"by-text\">\n<h2>Which maps and game types suit me?</h2>\n";
    bool any = false;
    std::string tables;
    for (const TextColumn& column : kTextColumns) {
        std::vector<Played> played = ByText(games, column);
        if (played.empty())
            continue;
        any = true;
        AppendAnswer(out, column, played);
        AppendTable(tables, column, played);
    }
    if (!any) {
        out += "<p class=\"none\">No texts were read from the game for these games.</p>\n</section>\n";
        return;
    }
    out += "<p class=\"legend\">The average leaves out short games; a text needs 3 games that are not short to be "
           "named fastest or slowest.</p>\n<div class=\"tables\">\n" + tables + "</div>\n</section>\n";
}
