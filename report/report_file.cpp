#include "report/report_file.h"

#include <windows.h>

#include <new>

#include "history/csv.h"
#include "report/report.h"
#include "util/files.h"

namespace {

constexpr size_t kMostHistoryBytes = 64u << 20;
// Decades of games; only the newest are kept, so that a hostile history cannot take all the memory.
constexpr size_t kMostGames = 50000;

bool WriteReport(const std::string& reportPath, const std::string& historyPath, const std::string& timelineFolder,
                 const std::string& writtenAt, bool historyOn) {
    Files& files = TheFiles();
    std::string text;
    uint32_t error = files.ReadWhole(historyPath, kMostHistoryBytes, &text);
    // A history held by another program, too long or failing must not be reported as no games at all.
    if (error != 0 && error != ERROR_FILE_NOT_FOUND && error != ERROR_PATH_NOT_FOUND)
        return false;
    auto samples = [&files, &timelineFolder](const GameRecord& game) {
        std::string timeline;
        // Only a timeline's own name, which stays inside the folder; anything else is no timeline.
        if (!IsTimelineName(game.timeline) ||
            files.ReadWhole(timelineFolder + "\\" + game.timeline, kMostTimelineBytes, &timeline) != 0)
            return std::vector<Sample>();
        return ParseTimeline(timeline);
    };
    HistoryRows rows = ReadHistory(text, kMostGames);
    std::string().swap(text);
    std::string page = ReportHtml(rows.games, samples, writtenAt, LeftOut{rows.unreadable, rows.older}, historyOn);
    return files.WriteWhole(reportPath, page, Existing::kReplace) == 0;
}

}  // namespace

bool WriteReportFile(const std::string& reportPath, const std::string& historyPath,
                     const std::string& timelineFolder, const std::string& writtenAt, bool historyOn) {
    // Called from the window's menu: running out of memory fails the call, it does not unwind the message loop.
    try {
        return WriteReport(reportPath, historyPath, timelineFolder, writtenAt, historyOn);
    } catch (const std::bad_alloc&) {
        return false;
    }
}
