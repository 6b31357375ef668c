// One game as it is measured, for the history: a sample a second, the time below the limit, the
// alerts, and once the summary is logged the game's record. No call touches a file, and the samples
// never take more than kMaxSamples places: when full, every other one goes and the step doubles.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

#include "record/record.h"
#include "measure/measure.h"

class GameRecorder {
public:
    static constexpr size_t kMaxSamples = 4096;  // 64 KB; a second apart for the first 68 minutes

    // A game recognised now, with the texts captured for it (in the system's code page). Nothing is
    // kept unless keep.
    void Start(bool keep, const char* slotA, const char* slotB, const char* slotC);
    // One tick, elapsed ms into the game: shownApm is -1 while the overlay shows "---"; below says
    // whether the tick counted as below the limit; effective is the effective short-term APM.
    void Tick(uint32_t elapsedMs, int32_t shownApm, int32_t recent, bool below, int32_t effective = 0);
    // An alert sounded; it is marked on the newest sample.
    void Alert();
    // The summary was logged: the game's record is complete.
    void Finish(const GameSummary& summary, GameEnd end, int32_t limit);

    // The finished game, handed over once; false when there is none (not kept, or no summary).
    bool Take(GameRecord* record, std::vector<Sample>* samples);
    const std::vector<Sample>& samples() const { return m_samples; }
    uint32_t step() const { return m_step; }

private:
    bool m_keep = false;
    bool m_finished = false;
    uint32_t m_step = 1;        // seconds between samples
    uint32_t m_nextSecond = 0;  // of the next sample
    uint32_t m_lastElapsed = 0;
    uint64_t m_belowMs = 0;
    uint32_t m_alerts = 0;
    GameRecord m_record;
    std::vector<Sample> m_samples;
};
