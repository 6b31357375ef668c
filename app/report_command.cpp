#include "app/report_command.h"

#include <string>

#include "link/os.h"
#include "report/report_file.h"
#include "report/report_path.h"
#include "util/files.h"

void OpenGameReport() {
    std::string path = ReportPath();
    // Normally written after every saved game; before the first one it says how to get one. A report that
    // cannot be had or opened is heard, not shown: no box comes up over the game.
    bool there = !path.empty() && (TheFiles().Exists(path) || WriteProgramReport());
    if (!there || !TheOs().OpenDocument(path.c_str()))
        TheOs().WarningSound();
}
