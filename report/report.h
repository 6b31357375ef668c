// The game report, report.html: one self-contained page (inline CSS and SVG, no script, nothing fetched)
// made from the history, answering what a player who wants to get faster asks: am I getting faster, where
// in a game do I slow down, do I tire over a session, on which maps and game types am I fastest. Then the
// table of the last 100 games, a chart of each of the last 20 and what the terms mean. Whatever the
// history holds the page stays under 2 MB: records are checked (plausible.h), texts escaped and cut, and
// charts bounded by their width.
#pragma once

#include <cstddef>
#include <functional>
#include <string>
#include <vector>

#include "record/record.h"

constexpr size_t kTableGames = 100;
constexpr size_t kChartGames = 20;
constexpr size_t kMaxReportBytes = 2u << 20;

// A game's timeline; no samples when it has none or it cannot be read.
using SampleSource = std::function<std::vector<Sample>(const GameRecord&)>;

// The rows of history.csv not among the games, which the page says it leaves out.
struct LeftOut {
    size_t unreadable = 0;  // rows that could not be read
    size_t older = 0;       // games older than those read
};

// Marks a page written while the history was off; no text of the history can hold it, quotes being escaped.
constexpr char kHistoryOffMark[] = "id=\"history-off\"";

// The whole page. games: the history as read, oldest first. samples is asked only for the newest 20 games,
// newest first. writtenAt: the local time the page is written, shown as given. Games that are not plausible
// are left out as unreadable rows. historyOn: whether new games are being kept.
std::string ReportHtml(const std::vector<GameRecord>& games, const SampleSource& samples,
                       const std::string& writtenAt, const LeftOut& leftOut = {}, bool historyOn = true);
