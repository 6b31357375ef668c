#include "report/report_table.h"

#include <algorithm>
#include <cmath>

#include "history/csv.h"
#include "report/by_text.h"
#include "report/chart.h"
#include "report/escape.h"
#include "report/formats.h"
#include "report/report_stats.h"
#include "report/spam_answer.h"
#include "util/local_time.h"

namespace {

constexpr size_t kSlotChars = 40;

void AppendCell(std::string& out, const char* cssClass, const std::string& text) {
    out += "<td class=\"";
    out += cssClass;
    out += "\">";
    out += text;
    out += "</td>";
}

// A time cell that also carries its seconds, for readers of the page's markup.
void AppendSecondsCell(std::string& out, const char* cssClass, uint32_t seconds, const char* after = "") {
    out += "<td class=\"";
    out += cssClass;
    out += '"';
    AppendAttr(out, "data-seconds", seconds);
    out += '>';
    out += ClockText(seconds);
    out += after;
    out += "</td>";
}

// The game's APM less the mean of the (up to) 20 games before it that are not short; empty when there are
// none, or the game is short itself.
std::string AgainstBefore(const std::vector<GameRecord>& games, size_t i) {
    if (IsShortGame(games[i]))
        return {};
    Mean before;
    for (size_t j = i; j-- > 0 && before.count < kSpamGames;) {
        if (!IsShortGame(games[j]))
            before.Add(games[j].apm);
    }
    return before.count ? Signed(std::lround(games[i].apm - before.Value())) : std::string();
}

}  // namespace

std::string StartedText(const GameRecord& game) {
    if (!IsStartTime(game.started)) {
        std::string text;
        AppendIsolated(text, game.started, 24);
        return text;
    }
    std::string text = game.started;
    text[10] = ' ';
    return text;
}

std::string SlotsText(const GameRecord& game) {
    std::string out;
    for (const TextColumn& column : kTextColumns) {
        const std::string& text = game.*column.text;
        if (text.empty())
            continue;
        if (!out.empty())
            out += ", ";
        out += column.name;
        out += ": ";
        AppendIsolated(out, text, kSlotChars);
    }
    return out;
}

void AppendGameTable(std::string& out, const std::vector<GameRecord>& games, size_t count) {
    out += "<table class=\"games\">\n<thead><tr><th>#</th><th>Date and time</th><th>Length</th><th>APM</th>"
           "<th>Effective APM</th><th>Spam</th><th>Against the 20 before</th><th>Actions</th><th>Highest APM</th><th>at</th><th>Below limit</th><th>Alerts</th><th>Ended</th>";
    for (const TextColumn& column : kTextColumns)
        out += std::string("<th>") + column.name + "</th>";
    out += "</tr></thead>\n<tbody>\n";
    size_t last = games.size() - std::min(games.size(), count);
    for (size_t i = games.size(); i-- > last;) {
        const GameRecord& g = games[i];
        bool brief = IsShortGame(g);
        out += brief ? "<tr class=\"game short\"" : "<tr class=\"game\"";
        AppendAttr(out, "data-game", static_cast<int64_t>(i + 1));
        out += '>';
        AppendCell(out, "number", std::to_string(i + 1));
        AppendCell(out, "started", StartedText(g));
        AppendSecondsCell(out, "length", g.lengthSeconds, brief ? " <span class=\"tag\">short</span>" : "");
        AppendCell(out, "apm", std::to_string(g.apm));
        AppendCell(out, "eapm", g.eapm < 0 ? std::string(kNoValue) : std::to_string(g.eapm));
        AppendCell(out, "spam", SpamShareText(g));
        std::string against = AgainstBefore(games, i);
        AppendCell(out, "against", against.empty() ? std::string(kNoValue) : against);
        AppendCell(out, "actions", std::to_string(g.actions));
        if (g.peakApm > 0) {
            AppendCell(out, "peak", std::to_string(g.peakApm));
            AppendSecondsCell(out, "peak-at", g.peakSeconds);
        } else {
            AppendCell(out, "peak", kNoValue);
            AppendCell(out, "peak-at", kNoValue);
        }
        AppendSecondsCell(out, "below", g.secondsBelow);
        AppendCell(out, "alerts", std::to_string(g.alerts));
        AppendCell(out, "end", EndText(g.end));
        for (const TextColumn& column : kTextColumns)
            AppendCell(out, column.cssClass, Escaped(g.*column.text, kSlotChars));
        out += "</tr>\n";
    }
    out += "</tbody>\n</table>\n";
}
