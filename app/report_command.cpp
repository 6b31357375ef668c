#include "app/report_command.h"

#include <ctime>
#include <string>

#include "history/report.h"
#include "history/report_path.h"
#include "history/text_file.h"
#include "link/os.h"

namespace {

std::string LocalTimeText() {
    std::time_t now = std::time(nullptr);
    char text[32] = "";
    if (const std::tm* local = std::localtime(&now))
        std::strftime(text, sizeof text, "%Y-%m-%d %H:%M", local);
    return text;
}

}  // namespace

void OpenGameReport() {
    std::string path = ReportPath();
    if (path.empty())
        return;
    if (!FileExists(path))
        WriteWholeFile(path, ReportHtml({}, nullptr, LocalTimeText()));
    TheOs().OpenDocument(path.c_str());
}
