#include "app/report_command.h"

#include <string>

#include "history/report_file.h"
#include "history/report_path.h"
#include "link/os.h"
#include "util/text_file.h"

void OpenGameReport() {
    std::string path = ReportPath();
    if (path.empty())
        return;
    // Normally written after every saved game; before the first one it says how to get one.
    if (!FileExists(path))
        WriteProgramReport();
    TheOs().OpenDocument(path.c_str());
}
