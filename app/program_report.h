// The program's own report: report.html beside its history, in the program's history folder. Paths are
// UTF-8; each is "" when the folder cannot be known.
#pragma once

#include <string>

constexpr char kReportFileName[] = "report.html";

std::string ReportPath();
std::string HistoryPath();
std::string TimelineFolder();

// The report made again from the history's files, in the program's folder, which is made when missing;
// false when it could not be written (the store then still says it is unreported).
bool WriteProgramReport(bool historyOn = true);
// True when the report is there, was written after the history last was (so holds every row, also those a
// crash kept from a report) and says whether the history is on as it is now; false also when it cannot be read.
bool ProgramReportCurrent(bool historyOn);
