#include "report/report_stats.h"

#include <algorithm>

#include "record/apm_correction.h"
#include "report/formats.h"

namespace {

// The indexes of the games that count for averages and bests.
std::vector<size_t> FullGames(const std::vector<GameRecord>& games) {
    std::vector<size_t> full;
    full.reserve(games.size());
    for (size_t i = 0; i < games.size(); ++i) {
        if (!IsShortGame(games[i]))
            full.push_back(i);
    }
    return full;
}

double MeanApm(const std::vector<GameRecord>& games, const std::vector<size_t>& full, size_t from, size_t to) {
    Mean mean;
    for (size_t i = from; i < to; ++i)
        mean.Add(games[full[i]].apm);
    return mean.Value();
}

}  // namespace

Summary Summarise(const std::vector<GameRecord>& games) {
    Summary s;
    s.games = games.size();
    for (const GameRecord& g : games) {
        s.seconds += g.lengthSeconds;
        s.shortGames += IsShortGame(g) ? 1 : 0;
    }
    std::vector<size_t> full = FullGames(games);
    for (size_t i : full) {
        if (s.best == SIZE_MAX || games[i].apm > games[s.best].apm)
            s.best = i;
    }
    size_t n = full.size();
    size_t lastFrom = n - std::min(n, kAverageGames);
    size_t beforeFrom = lastFrom - std::min(lastFrom, kAverageGames);
    s.lastCount = n - lastFrom;
    s.last = MeanApm(games, full, lastFrom, n);
    s.beforeCount = lastFrom - beforeFrom;
    s.before = MeanApm(games, full, beforeFrom, lastFrom);

    int64_t sum = 0, bestSum = 0;
    for (size_t i = 0; i < n; ++i) {
        sum += games[full[i]].apm;
        if (i >= kAverageGames)
            sum -= games[full[i - kAverageGames]].apm;
        if (i + 1 >= kAverageGames && (s.bestTenLast == SIZE_MAX || sum > bestSum)) {
            bestSum = sum;
            s.bestTenFirst = full[i + 1 - kAverageGames];
            s.bestTenLast = full[i];
        }
    }
    s.bestTen = static_cast<double>(bestSum) / kAverageGames;
    return s;
}

double CorrectedApm(double raw) {
    double percent = ApmCorrectionPercent(raw);
    return raw * (100 - percent) / 100;
}

std::string MeanText(const Mean& mean) { return mean.count ? Rounded(mean.Value()) : kNoValue; }

size_t GroupsHolding(const std::vector<Mean>& groups, uint64_t least) {
    return static_cast<size_t>(
        std::count_if(groups.begin(), groups.end(), [least](const Mean& m) { return m.count >= least; }));
}

size_t LargestFall(const std::vector<Mean>& groups, uint64_t least) {
    size_t at = SIZE_MAX;
    double most = 0;
    for (size_t i = 0; i + 1 < groups.size(); ++i) {
        if (groups[i].count < least || groups[i + 1].count < least || groups[i].Value() <= 0)
            continue;
        double fall = 1 - groups[i + 1].Value() / groups[i].Value();
        if (fall >= 0.05 && fall > most) {
            most = fall;
            at = i;
        }
    }
    return at;
}
