// The report made from the history's files, and written beside them.
#pragma once

#include <string>

// Writes the page made from history.csv at historyPath and the timelines in timelineFolder, with the local time
// to show. A missing history.csv is a history of no games; one there that cannot be read leaves the report as
// it was, as does a page that cannot be written or made (memory running out), and the call is false.
bool WriteReportFile(const std::string& reportPath, const std::string& historyPath,
                     const std::string& timelineFolder, const std::string& writtenAt, bool historyOn = true);
// The program's own report, made again from its history's files in its folder, which is made when missing;
// false when it could not be written (the store then still says it is unreported).
bool WriteProgramReport(bool historyOn = true);
// True when the program's report is there, holds every saved game and says whether the history is on as it
// is now; false also when it cannot be read.
bool ProgramReportCurrent(bool historyOn);
