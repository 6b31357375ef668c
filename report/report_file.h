// The report made from the history's files, and written beside them.
#pragma once

#include <string>

// Writes the page made from history.csv at historyPath and the timelines in timelineFolder, with the local time
// to show. A missing history.csv is a history of no games; one there that cannot be read leaves the report as
// it was, as does a page that cannot be written or made (memory running out), and the call is false.
bool WriteReportFile(const std::string& reportPath, const std::string& historyPath,
                     const std::string& timelineFolder, const std::string& writtenAt, bool historyOn = true);
