// The benchmark's results and the table made of them.
#pragma once

#include <string>
#include <vector>

#include "tools/bench/child.h"

struct BenchOptions {
    int gameSeconds = 600;   // the long game
    int shortGames = 10;     // then this many short ones
    int shortSeconds = 85;   // just over the 80 s before a game's summary counts
    int apm = 300;
    int startupRuns = 5;
    int idleSeconds = 10;    // Cadro linked and waiting before the long game begins
};

struct BenchResult {
    BenchOptions options;
    std::vector<double> cadroStartup, baselineStartup;  // seconds to a visible window
    Usage cadroUse[3], baselineUse[3];  // at the start, after the long game, after the short ones
    std::vector<Usage> perGame;         // Cadro's, after each game
    int usageTaken = 0;
    bool gdiFromTable = false;
    std::vector<double> costMicros, delayMicros;
    unsigned long probes = 0, posted = 0, dropped = 0, skippedCosts = 0, refocus = 0;
    int gamesFinished = 0, summaries = 0;
    std::string firstSummary;
    std::string failure;  // why the run stopped early, or ""
};

// The markdown table with its notes.
std::string FormatTable(const BenchResult& r);
