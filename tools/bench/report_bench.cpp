// The game report's cost, measured in-process with the program's own code: a history of 10,000 games
// written to real files (history.csv and the timelines of the last games), then the report made from
// them and written beside them, as the end of a game does. Usage: report_bench.exe [--games N]; prints
// markdown table rows.
#include <windows.h>

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>
#include <vector>

#include "history/csv.h"
#include "report/report.h"
#include "report/report_file.h"
#include "tools/bench/clock.h"
#include "tools/bench/crafted_games.h"
#include "tools/bench/stats.h"
#include "util/files.h"

namespace {

constexpr int kRuns = 5;

std::string TempFolder() {
    char temp[MAX_PATH];
    GetTempPathA(sizeof temp, temp);
    std::string folder = std::string(temp) + "cadro-report-bench";
    CreateDirectoryA(folder.c_str(), nullptr);
    CreateDirectoryA((folder + "\\timelines").c_str(), nullptr);
    return folder;
}

}  // namespace

int main(int argc, char** argv) {
    size_t count = 10000;
    for (int i = 1; i + 1 < argc; ++i)
        if (std::strcmp(argv[i], "--games") == 0)
            count = static_cast<size_t>(std::atoi(argv[i + 1]));
    std::string folder = TempFolder();
    std::vector<GameRecord> games = CraftedGames(count);
    std::string history = HistoryHeader();
    for (size_t i = 0; i < games.size(); ++i) {
        if (i + kChartGames >= games.size()) {
            games[i].timeline = TimelineName(games[i].started, 1);
            TheFiles().WriteWhole(folder + "\\timelines\\" + games[i].timeline, TimelineText(CraftedTimeline(games[i])),
                                  Existing::kReplace);
        }
        history += HistoryRow(games[i]);
    }
    TheFiles().WriteWhole(folder + "\\history.csv", history, Existing::kReplace);

    std::vector<double> seconds;
    bool written = true;
    for (int run = 0; run < kRuns; ++run) {
        int64_t begin = QpcNow();
        written = WriteReportFile(folder + "\\report.html", folder + "\\history.csv", folder + "\\timelines",
                                  "2026-12-09 04:12") && written;
        seconds.push_back(QpcSeconds(QpcNow() - begin));
    }
    WIN32_FILE_ATTRIBUTE_DATA page{};
    GetFileAttributesExA((folder + "\\report.html").c_str(), GetFileExInfoStandard, &page);
    std::printf("| report measure | median (min–max of %d) | target | result |\n|---|---|---|---|\n", kRuns);
    double median = Percentile(seconds, 50);
    std::printf("| Game report written from %zu games in history.csv (%zu KB) and %zu timelines; page %lu KB | "
                "%.1f ms (%.1f–%.1f) | < 200 ms | %s |\n",
                games.size(), history.size() / 1024, static_cast<size_t>(kChartGames),
                static_cast<unsigned long>(page.nFileSizeLow / 1024), median * 1000, Percentile(seconds, 0) * 1000,
                Percentile(seconds, 100) * 1000, written && median < 0.2 ? "met" : "NOT met");
    return written ? 0 : 1;
}
