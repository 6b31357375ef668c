#include "report/report_file.h"

#include <ctime>

#include "history/csv.h"
#include "report/report.h"
#include "report/report_path.h"
#include "util/text_file.h"

namespace {

constexpr size_t kMostHistoryBytes = 64u << 20;
constexpr size_t kMostTimelineBytes = 16u << 20;

// A name that stays inside the folder; anything else is read as no timeline.
bool PlainName(const std::string& name) {
    return !name.empty() && name.find_first_of("\\/:") == std::string::npos && name != "." && name != "..";
}

}  // namespace

std::string ReportFromFiles(const std::string& historyPath, const std::string& timelineFolder,
                            const std::string& writtenAt) {
    std::string text;
    ReadWholeFile(historyPath, kMostHistoryBytes, text);
    auto samples = [&timelineFolder](const GameRecord& game) {
        std::string timeline;
        if (!PlainName(game.timeline) || !ReadWholeFile(timelineFolder + "\\" + game.timeline, kMostTimelineBytes,
                                                        timeline))
            return std::vector<Sample>();
        return ParseTimeline(timeline);
    };
    return ReportHtml(ParseHistory(text), samples, writtenAt);
}

bool WriteReportFile(const std::string& reportPath, const std::string& historyPath,
                     const std::string& timelineFolder, const std::string& writtenAt) {
    return WriteWholeFile(reportPath, ReportFromFiles(historyPath, timelineFolder, writtenAt));
}

bool WriteProgramReport() {
    std::string report = ReportPath();
    if (report.empty())
        return false;
    std::time_t now = std::time(nullptr);
    char writtenAt[32] = "";
    if (const std::tm* local = std::localtime(&now))
        std::strftime(writtenAt, sizeof writtenAt, "%Y-%m-%d %H:%M", local);
    return WriteReportFile(report, HistoryPath(), TimelineFolder(), writtenAt);
}
