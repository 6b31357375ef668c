#include "report/plausible.h"

#include <algorithm>

namespace {

// Far more than a second can hold; keeps a column's sum of them from wrapping.
constexpr uint32_t kMostAlerts = 1000;

int32_t Apm(int32_t value) { return std::clamp<int32_t>(value, 0, kMaxApm); }

// The most actions a game of that length can hold at the highest APM shown.
uint32_t MostActions(uint32_t seconds) {
    return static_cast<uint32_t>((static_cast<uint64_t>(seconds) * kMaxApm + 59) / 60);
}

std::string Cut(const std::string& text) { return text.substr(0, kTextBytes); }

}  // namespace

std::vector<GameRecord> PlausibleGames(const std::vector<GameRecord>& games) {
    std::vector<GameRecord> kept;
    kept.reserve(games.size());
    for (const GameRecord& game : games) {
        if (game.lengthSeconds > kLongestGame)
            continue;
        GameRecord g;
        g.started = Cut(game.started);
        g.lengthSeconds = game.lengthSeconds;
        g.apm = Apm(game.apm);
        g.actions = std::min(game.actions, MostActions(game.lengthSeconds));
        g.peakApm = Apm(game.peakApm);
        g.peakSeconds = std::min(game.peakSeconds, game.lengthSeconds);
        g.limit = Apm(game.limit);
        g.secondsBelow = std::min(game.secondsBelow, game.lengthSeconds);
        g.alerts = game.alerts;
        g.end = game.end;
        g.slotA = Cut(game.slotA);
        g.slotB = Cut(game.slotB);
        g.slotC = Cut(game.slotC);
        g.timeline = Cut(game.timeline);
        g.eapm = game.eapm < 0 ? -1 : Apm(game.eapm);
        g.spam = std::min(game.spam, g.actions);
        for (int k = 0; k < 4; ++k)
            g.spamByKind[k] = std::min(game.spamByKind[k], g.spam);
        kept.push_back(std::move(g));
    }
    return kept;
}

uint32_t SecondsStoodFor(const std::vector<Sample>& samples, size_t i) {
    uint32_t seconds = i + 1 < samples.size() ? samples[i + 1].seconds - samples[i].seconds : 1;
    return std::clamp<uint32_t>(seconds, 1, kLongestStep);
}

std::vector<Sample> PlausibleSamples(std::vector<Sample> samples) {
    samples.erase(std::remove_if(samples.begin(), samples.end(),
                                 [](const Sample& s) { return s.seconds > kLongestGame; }),
                  samples.end());
    for (Sample& s : samples) {
        s.apm = s.apm < 0 ? -1 : std::min(s.apm, kMaxApm);
        s.recent = Apm(s.recent);
        s.effective = s.effective < 0 ? -1 : std::min(s.effective, kMaxApm);
        s.alerts = std::min(s.alerts, kMostAlerts);
    }
    auto earlier = [](const Sample& a, const Sample& b) { return a.seconds < b.seconds; };
    if (!std::is_sorted(samples.begin(), samples.end(), earlier))
        std::stable_sort(samples.begin(), samples.end(), earlier);
    return samples;
}
