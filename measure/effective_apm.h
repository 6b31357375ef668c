// The effective figures: the rates of the actions that were not spam, by the same arithmetic as the APM's.
#pragma once

#include <cstdint>

#include "measure/spam.h"

// The whole-game effective APM: the APM of actions less spam over the same ms, with the same correction.
// ms must not be 0.
int32_t EffectiveApm(uint32_t actions, uint32_t spam, uint32_t ms);

// A ring of recent effective action times, kept and read exactly as the APM's own ring: at most 100
// stamps, none more than 5000 ms older than the newest when it was added.
class ActionRing {
public:
    void Add(uint32_t now);
    // Short-term rate at now, at most 999; 0 for an empty ring or no time passed.
    int32_t Recent(uint32_t now) const;
    void Reset() { *this = ActionRing(); }

private:
    static constexpr uint32_t kSize = 100;
    static constexpr uint32_t kEmpty = UINT32_MAX;
    uint32_t m_stamps[kSize] = {};
    uint32_t m_newest = kEmpty;
    uint32_t m_oldest = kEmpty;
    uint32_t m_count = 0;
};

// The game's spam beside the action count and ring: every counted action is judged, the effective ones
// go into a ring of their own.
struct EffectiveTally {
    SpamRules rules;
    ActionRing ring;
    uint32_t spam = 0;                  // counted as g_nActions is: from the warm-up's end
    uint32_t byKind[kSpamKinds] = {};   // the same, by kind (re-select, repeated order, assignment, overflow)

    void Count(uint32_t now, const ActionInput& action);
    // The counts start again (the warm-up discards its actions); the runs and the ring go on.
    void ClearCounts();
    void Reset() { *this = EffectiveTally(); }
};

extern EffectiveTally g_effective;
