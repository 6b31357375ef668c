// Where the report lives: report.html beside the history, in the program's history folder. Paths are
// UTF-8; each is "" when the folder cannot be known.
#pragma once

#include <string>

constexpr char kReportFileName[] = "report.html";

std::string ReportPath();
std::string HistoryPath();
std::string TimelineFolder();
