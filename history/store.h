// The history on disk: history.csv in the program's folder, and each game's timeline in its timelines
// folder. Games that could not be written wait in memory, oldest first, and are written before any
// newer one, so the rows keep the order the games were played in. A row whose timeline cannot be written
// (the timelines folder failing too) goes without it (its timeline column empty) rather than hold back the
// rows after it. Only the newest kWaitingTimelines waiting games keep their samples in memory; older ones
// wait as their row alone. Games still waiting when the program ends are kept in waiting.csv beside the
// history, with their timelines written, and are the first written by the next store. Rows are never
// removed; timelines beyond kKeptTimelines are, those of the oldest rows first.
#pragma once

#include <cstddef>
#include <cstdint>
#include <deque>
#include <string>
#include <vector>

#include "record/record.h"

constexpr size_t kKeptTimelines = 1000;
constexpr size_t kWaitingTimelines = 8;
constexpr char kHistoryFileName[] = "history.csv";
constexpr char kTimelineFolderName[] = "timelines";
constexpr char kWaitingFileName[] = "waiting.csv";
// What is read of the history's end to tell which timelines are the oldest: thousands of rows, of which
// the newest kPruneRows are kept.
constexpr size_t kPruneTailBytes = 1u << 20;
constexpr size_t kPruneRows = 2 * kKeptTimelines;
// The most waiting.csv is read up to: far more rows than ever wait.
constexpr size_t kMostWaitingBytes = 4u << 20;

class HistoryStore {
public:
    // The program's folder is these folders below the user's data folder, made one by one when needed.
    explicit HistoryStore(std::vector<std::string> folders) : m_folders(std::move(folders)) {}

    // Queues the game, then writes every waiting one: 0 when all rows are written (a timeline that could
    // not be written is left out), else the error that stopped the writing (that game and the newer ones wait).
    uint32_t Save(GameRecord record, std::vector<Sample> samples);
    // The first call takes in the games an earlier program kept in waiting.csv, before any of this one's.
    uint32_t SaveWaiting();
    // At exit, when SaveWaiting failed: writes the waiting games' timelines, and their rows into waiting.csv
    // (in place of what it held); 0 or the error that kept them from the disk.
    uint32_t KeepWaiting();
    size_t waiting() const { return m_waiting.size(); }
    // True from a row written until Reported(): the report, written after that row, must be written again.
    bool unreported() const { return m_unreported; }
    void Reported() { m_unreported = false; }
    // The program's folder, "" when it cannot be known.
    std::string Folder() const;
    // Makes the program's folder, and the folders above it below the data folder, where missing: 0 or the
    // error of the first that could not be made.
    uint32_t MakeFolder() const;

private:
    struct Game {
        GameRecord record;
        std::vector<Sample> samples;
        bool timelineWritten = false;
    };
    uint32_t WriteTimeline(Game& game, const std::string& timelines);
    // Drops the samples of the oldest waiting games beyond kWaitingTimelines.
    void CapWaitingSamples();
    // Removes the oldest timelines beyond kKeptTimelines, never newest (the one just written).
    void Prune(const std::string& historyPath, const std::string& timelines, const std::string& newest);
    void TakeKeptGames(const std::string& folder);
    // Writes the first m_kept waiting games' rows into waiting.csv, or removes it when there are none.
    void RewriteKept(const std::string& folder);

    std::vector<std::string> m_folders;
    std::deque<Game> m_waiting;
    bool m_keptTaken = false;  // waiting.csv has been read
    size_t m_kept = 0;         // the oldest waiting games that waiting.csv holds
    bool m_unreported = false;
};

// Why a game could not be saved, for the log: "history file in use".
std::string SaveFailure(uint32_t error);
