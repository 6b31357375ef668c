#include "app/report_command.h"

#include <string>

#include "link/os.h"
#include "report/report_file.h"
#include "report/report_path.h"
#include "util/files.h"

void OpenGameReport() {
    std::string path = ReportPath();
    if (path.empty())
        return;
    // Normally written after every saved game; before the first one it says how to get one.
    if (!TheFiles().Exists(path))
        WriteProgramReport();
    TheOs().OpenDocument(path.c_str());
}
