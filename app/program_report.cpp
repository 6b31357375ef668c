#include "app/program_report.h"

#include <windows.h>

#include "app/program_history.h"
#include "history/store.h"
#include "report/report.h"
#include "report/report_file.h"
#include "util/files.h"
#include "util/local_time.h"

namespace {

std::string InFolder(const char* name) {
    std::string folder = ProgramHistory().Folder();
    return folder.empty() ? folder : folder + '\\' + name;
}

}  // namespace

std::string ReportPath() { return InFolder(kReportFileName); }
std::string HistoryPath() { return InFolder(kHistoryFileName); }
std::string TimelineFolder() { return InFolder(kTimelineFolderName); }

bool WriteProgramReport(bool historyOn) {
    std::string report = ReportPath();
    if (report.empty() || ProgramHistory().MakeFolder() != 0)
        return false;
    if (!WriteReportFile(report, HistoryPath(), TimelineFolder(), DateAndMinute(LocalNow()), historyOn))
        return false;
    ProgramHistory().Reported();
    return true;
}

bool ProgramReportCurrent(bool historyOn) {
    std::string report = ReportPath();
    Files& files = TheFiles();
    std::string page;
    uint64_t reportTime = 0, historyTime = 0;
    if (report.empty() || files.LastWrite(report, &reportTime) != 0 ||
        files.ReadWhole(report, kMaxReportBytes, &page) != 0)
        return false;
    // Written after every row the history holds, whoever wrote them and whatever came between; a report of
    // the same moment is made again, as a row may have followed it within the clock's step.
    uint32_t error = files.LastWrite(HistoryPath(), &historyTime);
    if (error == 0 ? historyTime >= reportTime : error != ERROR_FILE_NOT_FOUND)
        return false;
    return (page.find(kHistoryOffMark) != std::string::npos) == !historyOn;
}
