#include <string>

#include "history/report.h"
#include "tools/bench/bench.h"
#include "tools/bench/clock.h"
#include "tools/bench/crafted_games.h"

namespace {

constexpr size_t kGames = 10000;
constexpr int kRuns = 5;

}  // namespace

void MeasureReport(BenchResult& r) {
    std::vector<GameRecord> games = CraftedGames(kGames);
    r.reportGames = games.size();
    for (int run = 0; run < kRuns; ++run) {
        int64_t begin = QpcNow();
        std::string page = ReportHtml(games, CraftedTimeline, "2026-12-09 04:12");
        r.reportSeconds.push_back(QpcSeconds(QpcNow() - begin));
        r.reportBytes = page.size();
    }
}
