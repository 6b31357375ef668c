#include "report/report_path.h"

#include "history/program_history.h"
#include "history/store.h"

namespace {

std::string InFolder(const char* name) {
    std::string folder = ProgramHistory().Folder();
    return folder.empty() ? folder : folder + '\\' + name;
}

}  // namespace

std::string ReportPath() { return InFolder(kReportFileName); }
std::string HistoryPath() { return InFolder(kHistoryFileName); }
std::string TimelineFolder() { return InFolder(kTimelineFolderName); }
