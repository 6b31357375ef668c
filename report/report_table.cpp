#include "report/report_table.h"

#include <algorithm>

#include "history/csv.h"
#include "report/chart.h"
#include "report/escape.h"
#include "report/formats.h"

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
void AppendSecondsCell(std::string& out, const char* cssClass, uint32_t seconds) {
    out += "<td class=\"";
    out += cssClass;
    out += '"';
    AppendAttr(out, "data-seconds", seconds);
    out += '>';
    out += Clock(seconds);
    out += "</td>";
}

}  // namespace

std::string StartedText(const GameRecord& game) {
    if (!IsStartTime(game.started))
        return Escaped(game.started, 24);
    std::string text = game.started;
    text[10] = ' ';
    return text;
}

std::string SlotsText(const GameRecord& game) {
    std::string out;
    for (const std::string* slot : {&game.slotA, &game.slotB, &game.slotC}) {
        if (slot->empty())
            continue;
        if (!out.empty())
            out += " \xC2\xB7 ";
        AppendEscaped(out, *slot, kSlotChars);
    }
    return out;
}

void AppendGameTable(std::string& out, const std::vector<GameRecord>& games, size_t count) {
    out += "<table class=\"games\">\n<thead><tr><th>#</th><th>Date and time</th><th>Length</th><th>APM</th>"
           "<th>Actions</th><th>Highest APM</th><th>at</th><th>Below the limit</th><th>Ended</th>"
           "<th>Texts</th></tr></thead>\n<tbody>\n";
    size_t last = games.size() - std::min(games.size(), count);
    for (size_t i = games.size(); i-- > last;) {
        const GameRecord& g = games[i];
        out += "<tr class=\"game\"";
        AppendAttr(out, "data-game", static_cast<int64_t>(i + 1));
        out += '>';
        AppendCell(out, "number", std::to_string(i + 1));
        AppendCell(out, "started", StartedText(g));
        AppendSecondsCell(out, "length", g.lengthSeconds);
        AppendCell(out, "apm", std::to_string(g.apm));
        AppendCell(out, "actions", std::to_string(g.actions));
        AppendCell(out, "peak", std::to_string(g.peakApm));
        AppendSecondsCell(out, "peak-at", g.peakSeconds);
        AppendSecondsCell(out, "below", g.secondsBelow);
        AppendCell(out, "end", EndText(g.end));
        AppendCell(out, "texts", SlotsText(g));
        out += "</tr>\n";
    }
    out += "</tbody>\n</table>\n";
}
