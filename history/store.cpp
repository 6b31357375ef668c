#include "history/store.h"

#include <windows.h>

#include <algorithm>
#include <new>
#include <set>

#include "history/csv.h"
#include "util/files.h"

namespace {

// Copies of one name tried when games started in the same second (two programs, or a clock set back).
constexpr int kNameCopies = 100;

// The newest rows of the history, read from its end only (kPruneTailBytes, kPruneRows at most); none when it
// cannot be read.
std::vector<GameRecord> NewestRows(const std::string& historyPath) {
    std::string text;
    if (TheFiles().ReadTail(historyPath, kPruneTailBytes, &text) != 0)
        return {};
    if (text.size() == kPruneTailBytes)
        text.erase(0, text.find('\n') + 1);  // the first row may have been cut
    return ReadHistory(text, kPruneRows).games;
}

bool SameGame(const GameRecord& a, const GameRecord& b) {
    return a.started == b.started && a.lengthSeconds == b.lengthSeconds && a.actions == b.actions;
}

// A temporary file the seam's WriteWhole makes for a timeline: "<timeline name without .csv>.<process id>.tmp".
bool IsTimelineTemporary(const std::string& name) {
    size_t dot = name.find('.');
    size_t tmp = name.size() < 4 ? std::string::npos : name.size() - 4;
    if (dot == std::string::npos || tmp == std::string::npos || name.compare(tmp, 4, ".tmp") != 0 || dot + 1 >= tmp)
        return false;
    for (size_t i = dot + 1; i < tmp; ++i) {
        if (name[i] < '0' || name[i] > '9')
            return false;
    }
    return IsTimelineName(name.substr(0, dot) + ".csv");
}

// Temporary timelines left by a program that ended mid-write. One that another program is writing is open
// without sharing, and stays.
void RemoveStaleTemporaries(const std::string& timelines) {
    Files& files = TheFiles();
    std::vector<std::string> names;
    if (files.List(timelines, "*.tmp", &names) != 0)
        return;
    for (const std::string& name : names) {
        if (IsTimelineTemporary(name))
            files.Remove(timelines + '\\' + name);
    }
}

}  // namespace

std::string HistoryStore::Folder() const {
    std::string folder = TheFiles().DataFolder();
    if (folder.empty() || m_folders.empty())
        return std::string();
    for (const std::string& part : m_folders) {
        if (part.empty())
            return std::string();
        folder += '\\' + part;
    }
    return folder;
}

uint32_t HistoryStore::Save(GameRecord record, std::vector<Sample> samples) {
    m_waiting.push_back({std::move(record), std::move(samples), false});
    CapWaitingSamples();
    return SaveWaiting();
}

uint32_t HistoryStore::SaveWaiting() {
    std::string folder = Folder();
    if (!m_keptTaken && !folder.empty())
        TakeKeptGames(folder);
    if (m_waiting.empty())
        return 0;
    if (uint32_t error = MakeFolder())
        return error;
    Files& files = TheFiles();
    std::string timelines = folder + '\\' + kTimelineFolderName;
    // Rows never wait on their timelines: without the folder they go without them.
    bool timelinesThere = files.MakeFolder(timelines) == 0;
    if (timelinesThere)
        RemoveStaleTemporaries(timelines);
    while (!m_waiting.empty()) {
        Game& game = m_waiting.front();
        // A timeline that cannot be written leaves the row's timeline empty; it is tried again only while
        // the row waits too.
        if (timelinesThere)
            WriteTimeline(game, timelines);
        std::string history = folder + '\\' + kHistoryFileName;
        if (uint32_t error = files.AppendRow(history, HistoryHead(), HistoryRow(game.record)))
            return error;
        m_unreported = true;
        if (game.timelineWritten && timelinesThere) {
            try {
                Prune(history, timelines, game.record.timeline);
            } catch (const std::bad_alloc&) {
                // Memory running out: the old timelines go at a later save.
            }
        }
        m_waiting.pop_front();
        if (m_kept > 0) {
            --m_kept;
            RewriteKept(folder);
        }
    }
    return 0;
}

uint32_t HistoryStore::KeepWaiting() {
    if (m_waiting.empty())
        return 0;
    if (uint32_t error = MakeFolder())
        return error;
    std::string folder = Folder();
    std::string timelines = folder + '\\' + kTimelineFolderName;
    if (TheFiles().MakeFolder(timelines) == 0) {
        for (Game& game : m_waiting)
            WriteTimeline(game, timelines);
    }
    std::string text = HistoryHead();
    for (const Game& game : m_waiting)
        text += HistoryRow(game.record);
    if (uint32_t error = TheFiles().WriteWhole(folder + '\\' + kWaitingFileName, text, Existing::kReplace))
        return error;
    m_kept = m_waiting.size();
    return 0;
}

void HistoryStore::TakeKeptGames(const std::string& folder) {
    std::string text;
    uint32_t error = TheFiles().ReadWhole(folder + '\\' + kWaitingFileName, kMostWaitingBytes, &text);
    if (error == ERROR_FILE_NOT_FOUND || error == ERROR_PATH_NOT_FOUND) {
        m_keptTaken = true;
        return;
    }
    if (error)
        return;  // tried again at the next save
    std::vector<GameRecord> kept = ParseHistory(text);
    // A kept row that a save wrote just before the program ended (a crash or power cut before the kept file
    // was written again) is in the history already: it is not written twice.
    std::vector<GameRecord> newest = NewestRows(folder + '\\' + kHistoryFileName);
    kept.erase(std::remove_if(kept.begin(), kept.end(),
                              [&newest](const GameRecord& row) {
                                  return std::any_of(newest.begin(), newest.end(),
                                                     [&row](const GameRecord& n) { return SameGame(n, row); });
                              }),
               kept.end());
    // Named timelines were written before their rows were kept.
    for (auto row = kept.rbegin(); row != kept.rend(); ++row)
        m_waiting.push_front({std::move(*row), {}, !row->timeline.empty()});
    m_kept = kept.size();
    m_keptTaken = true;
    if (kept.empty())
        RewriteKept(folder);
}

void HistoryStore::RewriteKept(const std::string& folder) {
    std::string path = folder + '\\' + kWaitingFileName;
    if (m_kept == 0) {
        TheFiles().Remove(path);
        return;
    }
    std::string text = HistoryHead();
    for (size_t i = 0; i < m_kept; ++i)
        text += HistoryRow(m_waiting[i].record);
    TheFiles().WriteWhole(path, text, Existing::kReplace);
}

uint32_t HistoryStore::MakeFolder() const {
    if (Folder().empty())
        return ERROR_PATH_NOT_FOUND;
    Files& files = TheFiles();
    std::string folder = files.DataFolder();
    for (const std::string& part : m_folders) {
        folder += '\\' + part;
        if (uint32_t error = files.MakeFolder(folder))
            return error;
    }
    return 0;
}

uint32_t HistoryStore::WriteTimeline(Game& game, const std::string& timelines) {
    if (game.timelineWritten || game.samples.empty())
        return 0;
    if (TimelineName(game.record.started).empty())
        return 0;  // no date to name it by: the row goes without it
    std::string text = TimelineText(game.samples);
    std::string name;
    // A file of the name already there is another game's (or another program's): the next copy is tried.
    uint32_t error = ERROR_ALREADY_EXISTS;
    for (int copy = 1; copy <= kNameCopies && error == ERROR_ALREADY_EXISTS; ++copy) {
        name = TimelineName(game.record.started, copy);
        error = TheFiles().WriteWhole(timelines + '\\' + name, text, Existing::kKeep);
    }
    if (error)
        return error;
    game.record.timeline = name;
    game.timelineWritten = true;
    std::vector<Sample>().swap(game.samples);  // on disk now: a waiting row needs no more than itself
    return 0;
}

void HistoryStore::CapWaitingSamples() {
    size_t kept = 0;
    for (auto game = m_waiting.rbegin(); game != m_waiting.rend(); ++game) {
        if (game->timelineWritten || game->samples.empty())
            continue;
        if (++kept > kWaitingTimelines)
            std::vector<Sample>().swap(game->samples);
    }
}

void HistoryStore::Prune(const std::string& historyPath, const std::string& timelines, const std::string& newest) {
    Files& files = TheFiles();
    std::vector<std::string> names;
    if (files.List(timelines, "*.csv", &names) != 0)
        return;
    names.erase(std::remove_if(names.begin(), names.end(), [](const std::string& n) { return !IsTimelineName(n); }),
                names.end());
    if (names.size() <= kKeptTimelines)
        return;
    // The names are local start times, which a clock set back or the autumn hour puts out of order; the
    // rows are in the order the games were saved. Files that no row names go first, in their names' order.
    std::sort(names.begin(), names.end());
    std::set<std::string> unnamed(names.begin(), names.end());
    std::vector<std::string> inRows;
    // Only the history's end: the rows of older games name no timeline still there, or one that is older.
    for (const GameRecord& row : NewestRows(historyPath)) {
        if (unnamed.erase(row.timeline))
            inRows.push_back(row.timeline);
    }
    std::vector<std::string> order(unnamed.begin(), unnamed.end());
    order.insert(order.end(), inRows.begin(), inRows.end());
    size_t excess = names.size() - kKeptTimelines;
    for (size_t i = 0; i < order.size() && excess > 0; ++i) {
        if (order[i] == newest)
            continue;
        files.Remove(timelines + '\\' + order[i]);
        --excess;
    }
}

std::string SaveFailure(uint32_t error) {
    switch (error) {
    case ERROR_SHARING_VIOLATION:
    case ERROR_LOCK_VIOLATION:
        return "history file in use";
    case ERROR_ACCESS_DENIED:
    case ERROR_WRITE_PROTECT:
        return "history folder is read-only";
    case ERROR_DISK_FULL:
    case ERROR_HANDLE_DISK_FULL:
        return "disk full";
    case ERROR_PATH_NOT_FOUND:
    case ERROR_FILE_NOT_FOUND:
        return "history folder not found";
    default:
        return "error " + std::to_string(error);
    }
}
