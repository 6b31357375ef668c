// The report made from the history's files, and written beside them.
#pragma once

#include <string>

// history.csv's path, the folder of the timeline files, and the local time to show.
std::string ReportFromFiles(const std::string& historyPath, const std::string& timelineFolder,
                            const std::string& writtenAt);
bool WriteReportFile(const std::string& reportPath, const std::string& historyPath,
                     const std::string& timelineFolder, const std::string& writtenAt);
// The program's own report, made again from its history's files; false when it could not be written.
bool WriteProgramReport();
