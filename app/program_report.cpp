#include "app/program_report.h"

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
    std::string page;
    if (report.empty() || ProgramHistory().unreported() || TheFiles().ReadWhole(report, kMaxReportBytes, &page) != 0)
        return false;
    return (page.find(kHistoryOffMark) != std::string::npos) == !historyOn;
}
