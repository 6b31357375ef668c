#include <algorithm>
#include <cstdarg>
#include <cstdio>

#include "tools/bench/bench.h"
#include "tools/bench/stats.h"

namespace {

std::string Format(const char* format, ...) {
    char text[512];
    va_list args;
    va_start(args, format);
    std::vsnprintf(text, sizeof text, format, args);
    va_end(args);
    return text;
}

std::string Row(const std::string& what, const std::string& cadro, const std::string& baseline,
                const std::string& target, const std::string& verdict) {
    return "| " + what + " | " + cadro + " | " + baseline + " | " + target + " | " + verdict + " |\n";
}

std::string Micros(double us) { return us < 1000 ? Format("%.1f µs", us) : Format("%.2f ms", us / 1000); }

std::string Spread(const std::vector<double>& s) {
    return Micros(Percentile(s, 50)) + " / " + Micros(Percentile(s, 99)) + " / " + Micros(Percentile(s, 100));
}

std::string Kb(size_t bytes) { return Format("%.0f KB", static_cast<double>(bytes) / 1024); }

template <class Field>
std::string Series(const Usage* use, int taken, Field field) {
    std::string out;
    for (int i = 0; i < 3; ++i)
        out += (i ? " → " : "") + (i < taken ? field(use[i]) : std::string("n/a"));
    return out;
}

// Flat: from the first short game's end to the last one's, no GUI object more and committed private memory
// grown by less than a page per game. The short games run in one game process, so a step taken once, at
// the relink to it or at a first use, stays out of the judgement and is shown on its own.
std::string MemoryVerdict(const BenchResult& r) {
    const std::vector<Usage>& g = r.perGame;
    if (g.size() < 3)
        return "not measured";
    const Usage& a = g[1];
    const Usage& b = g.back();
    double perGame = (static_cast<double>(b.committed) - static_cast<double>(a.committed)) / (g.size() - 2);
    bool flat = perGame < 4096 && b.gdi <= a.gdi && b.user <= a.user;
    return Format("short games 1 → %zu: %+.1f KB per game, GDI %+ld, USER %+ld: ", g.size() - 1, perGame / 1024,
                  static_cast<long>(b.gdi) - static_cast<long>(a.gdi),
                  static_cast<long>(b.user) - static_cast<long>(a.user)) +
           (flat ? "flat, met" : "growing, NOT met") +
           Format(" (step from the long game's end to short game 1's: %+.0f KB, GDI %+ld)",
                  (static_cast<double>(a.committed) - static_cast<double>(g[0].committed)) / 1024,
                  static_cast<long>(a.gdi) - static_cast<long>(g[0].gdi));
}

// The costliest `posted` samples: the events that found the game in front and posted a report, which are
// the ones that do more than note a key's release.
std::vector<double> Costliest(std::vector<double> s, unsigned long posted) {
    size_t keep = std::min<size_t>(posted, s.size());
    std::nth_element(s.begin(), s.begin() + (s.size() - keep), s.end());
    return std::vector<double>(s.end() - keep, s.end());
}

std::string StartupCell(const std::vector<double>& s) {
    if (s.empty())
        return "n/a";
    return Format("%.0f ms (%.0f–%.0f)", Percentile(s, 50) * 1000, *std::min_element(s.begin(), s.end()) * 1000,
                  Percentile(s, 100) * 1000);
}

// "10-minute" for whole minutes, else "95-second".
std::string Length(int seconds) {
    return seconds % 60 == 0 ? Format("%d-minute", seconds / 60) : Format("%d-second", seconds);
}

}  // namespace

std::string FormatTable(const BenchResult& r) {
    const BenchOptions& o = r.options;
    std::string t;
    t += "Simulated play: one " + Length(o.gameSeconds) +
         Format(" game at %d APM, then %d games of %d s.\n\n", o.apm, o.shortGames, o.shortSeconds);
    t += "Memory, GUI objects, start-up and the input hook, Cadro beside a baseline (a dialog that waits "
         "250 ms and drains its messages). CPU is compared in sessions of their own (the table above).\n\n";
    t += Row("measure", "Cadro", "baseline", "target", "result");
    t += "|---|---|---|---|---|\n";
    bool costMet = !r.costMicros.empty() && Percentile(r.costMicros, 50) < 20;
    t += Row(Format("Hook callback per event, median / p99 / max (%zu events)", r.costMicros.size()),
             r.costMicros.empty() ? "n/a" : Spread(r.costMicros), "—", "median < 20 µs",
             r.costMicros.empty() ? "not measured" : costMet ? "met" : "NOT met");
    std::vector<double> reported = Costliest(r.costMicros, r.posted);
    t += Row(Format("Hook callback per reported event, median / p99 / max (the costliest %zu)", reported.size()),
             reported.empty() ? "n/a" : Spread(reported), "—", "—", "—");
    t += Row(Format("Input event → report at the target window, median / p99 / max (%zu probes)",
                    r.delayMicros.size()),
             r.delayMicros.empty() ? "n/a" : Spread(r.delayMicros), "—", "—",
             "Cadro counts it at its next pump: + 0–250 ms");
    const char* points = "start → after the long game → after the short games";
    t += Row(Format("Private bytes, %s", points),
             Series(r.cadroUse, r.usageTaken, [](const Usage& u) { return Kb(u.privateBytes); }),
             Series(r.baselineUse, r.usageTaken, [](const Usage& u) { return Kb(u.privateBytes); }), "—", "—");
    t += Row(Format("Committed private memory, %s", points),
             Series(r.cadroUse, r.usageTaken, [](const Usage& u) { return Kb(u.committed); }),
             Series(r.baselineUse, r.usageTaken, [](const Usage& u) { return Kb(u.committed); }),
             "flat across games (with GDI and USER)", MemoryVerdict(r));
    t += Row(Format("Working set, %s", points),
             Series(r.cadroUse, r.usageTaken, [](const Usage& u) { return Kb(u.workingSet); }),
             Series(r.baselineUse, r.usageTaken, [](const Usage& u) { return Kb(u.workingSet); }), "—", "—");
    auto gdi = [](const Usage& u) { return Format("%lu", u.gdi); };
    auto user = [](const Usage& u) { return Format("%lu", u.user); };
    t += Row(Format("GDI objects, %s", points), Series(r.cadroUse, r.usageTaken, gdi),
             Series(r.baselineUse, r.usageTaken, gdi), "flat across games", "—");
    t += Row(Format("USER objects, %s", points), Series(r.cadroUse, r.usageTaken, user),
             Series(r.baselineUse, r.usageTaken, user), "flat across games", "—");
    std::string startup = "not measured";
    if (!r.cadroStartup.empty() && !r.baselineStartup.empty()) {
        double ratio = Percentile(r.cadroStartup, 50) / Percentile(r.baselineStartup, 50);
        startup = Format("%.2f×, ", ratio) + (ratio <= 1.2 ? "met" : "NOT met");
    }
    t += Row(Format("Start-up to a visible window, median (min–max of %zu)", r.cadroStartup.size()),
             StartupCell(r.cadroStartup), StartupCell(r.baselineStartup), "≤ 1.2× baseline", startup);
    t += "\n";
    t += Format("- Games finished in Cadro's log: %d, summaries logged: %d (of %d).", r.gamesFinished, r.summaries,
                1 + o.shortGames);
    if (!r.firstSummary.empty())
        t += " The long game's summary: \"" + r.firstSummary + "\".";
    t += "\n";
    t += Format("- Bench hook: %lu reports posted, %lu dropped; %lu cost samples missed between reads; "
                "the game window was brought back to the front %lu times. Most events are key releases and "
                "pointer moves, which post nothing and take the short path.\n",
                r.posted, r.dropped, r.skippedCosts, r.refocus);
    t += Format("- Delay probes: %lu numeric-keypad presses injected with SendInput (no action for Cadro), "
                "one a second, timed by QueryPerformanceCounter and paired with their reports by order.\n",
                r.probes);
    if (r.gdiFromTable)
        t += "- GetGuiResources is a stub here (it returns 0): GDI objects are counted in the process's GDI handle "
             "table, USER objects as the windows the process owns.\n";
    t += "- Private bytes: GetProcessMemoryInfo's PrivateUsage, or where that is 0 (Wine) PagefileUsage, which "
         "Wine fills with the resident anonymous memory. Committed private memory adds up the committed "
         "private regions (VirtualQueryEx), the definition of private bytes, and is what \"flat\" is judged on.\n";
    if (!r.perGame.empty()) {
        t += "- Cadro after each game, committed private KB / GDI / USER:";
        for (const Usage& u : r.perGame)
            t += Format(" %.0f/%lu/%lu", static_cast<double>(u.committed) / 1024, u.gdi, u.user);
        t += ".\n";
    }
    if (!r.failure.empty())
        t += "- The run stopped early: " + r.failure + "\n";
    return t;
}
