#include "report/report_stats.h"

#include <algorithm>

namespace {

double MeanApm(const std::vector<GameRecord>& games, size_t from, size_t to) {
    if (from >= to)
        return 0;
    int64_t sum = 0;
    for (size_t i = from; i < to; ++i)
        sum += games[i].apm;
    return static_cast<double>(sum) / static_cast<double>(to - from);
}

}  // namespace

Summary Summarise(const std::vector<GameRecord>& games) {
    Summary s;
    s.games = games.size();
    for (size_t i = 0; i < games.size(); ++i) {
        s.seconds += games[i].lengthSeconds;
        if (s.best == SIZE_MAX || games[i].apm > games[s.best].apm)
            s.best = i;
    }
    size_t n = games.size();
    size_t lastFrom = n - std::min(n, kAverageGames);
    size_t beforeFrom = lastFrom - std::min(lastFrom, kAverageGames);
    s.lastCount = n - lastFrom;
    s.last = MeanApm(games, lastFrom, n);
    s.beforeCount = lastFrom - beforeFrom;
    s.before = MeanApm(games, beforeFrom, lastFrom);
    return s;
}

std::vector<double> MovingAverage(const std::vector<GameRecord>& games, size_t first) {
    std::vector<double> averages;
    if (first >= games.size())
        return averages;
    averages.reserve(games.size() - first);
    size_t from = first - std::min(first, kAverageGames - 1);
    int64_t sum = 0;
    for (size_t i = from; i < first; ++i)
        sum += games[i].apm;
    for (size_t i = first; i < games.size(); ++i) {
        sum += games[i].apm;
        if (i - from + 1 > kAverageGames)
            sum -= games[from++].apm;
        averages.push_back(static_cast<double>(sum) / static_cast<double>(i - from + 1));
    }
    return averages;
}
