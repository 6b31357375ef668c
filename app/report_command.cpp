#include "app/report_command.h"

#include <string>

#include "link/os.h"
#include "report/report_file.h"
#include "app/program_report.h"
#include "util/files.h"

void OpenGameReport(bool historyOn) {
    std::string path = ReportPath();
    // Normally written after every saved game; before the first one it says how to get one. Written again
    // when the history was written after it (at exit, while it could not be written, before a crash), or when
    // it says the history is on or off and that has changed; an old report that cannot be rewritten is still
    // opened. A report that cannot be had or opened is heard, not shown: no box comes up over the game.
    bool there = !path.empty() && TheFiles().Exists(path);
    if (!path.empty() && !ProgramReportCurrent(historyOn))
        there = WriteProgramReport(historyOn) || there;
    if (!there || !TheOs().OpenDocument(path.c_str()))
        TheOs().WarningSound();
}
