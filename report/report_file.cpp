#include "report/report_file.h"

#include <windows.h>

#include "history/csv.h"
#include "history/program_history.h"
#include "report/report.h"
#include "report/report_path.h"
#include "util/files.h"
#include "util/local_time.h"

namespace {

constexpr size_t kMostHistoryBytes = 64u << 20;
constexpr size_t kMostTimelineBytes = 16u << 20;

}  // namespace

bool WriteReportFile(const std::string& reportPath, const std::string& historyPath,
                     const std::string& timelineFolder, const std::string& writtenAt) {
    Files& files = TheFiles();
    std::string text;
    uint32_t error = files.ReadWhole(historyPath, kMostHistoryBytes, &text);
    // A history held by another program must not be reported as no games at all.
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
    std::string page = ReportHtml(ParseHistory(text), samples, writtenAt);
    return files.WriteWhole(reportPath, page, Existing::kReplace) == 0;
}

bool WriteProgramReport() {
    std::string report = ReportPath();
    if (report.empty() || ProgramHistory().MakeFolder() != 0)
        return false;
    if (!WriteReportFile(report, HistoryPath(), TimelineFolder(), DateAndMinute(LocalNow())))
        return false;
    ProgramHistory().Reported();
    return true;
}
