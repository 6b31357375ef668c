#include "app/report_command.h"

#include <string>

#include "history/program_history.h"
#include "link/os.h"
#include "report/report_file.h"
#include "report/report_path.h"
#include "util/files.h"

void OpenGameReport() {
    std::string path = ReportPath();
    if (path.empty())
        return;
    // Normally written after every saved game; before the first one it says how to get one. Written again
    // when rows were saved since it was last written (at exit, or while it could not be written).
    if (!TheFiles().Exists(path) || ProgramHistory().unreported())
        WriteProgramReport();
    TheOs().OpenDocument(path.c_str());
}
