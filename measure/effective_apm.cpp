#include "measure/effective_apm.h"

#include "measure/measure.h"

EffectiveTally g_effective;

int32_t EffectiveApm(uint32_t actions, uint32_t spam, uint32_t ms) {
    return CorrectApm(RawApm(spam < actions ? actions - spam : 0, ms));
}

void ActionRing::Add(uint32_t now) { StampRing{m_stamps, kSize, &m_newest, &m_oldest, &m_count}.Add(now); }

int32_t ActionRing::Recent(uint32_t now) const { return StampRate(m_stamps, kSize, m_oldest, m_count, now); }

void EffectiveTally::Count(uint32_t now, const ActionInput& action) {
    Spam kind = rules.Classify(now, action);
    if (kind == Spam::kNone) {
        ring.Add(now);
        return;
    }
    spam += 1;
    byKind[static_cast<int>(kind) - 1] += 1;
}

void EffectiveTally::ClearCounts() {
    spam = 0;
    for (uint32_t& n : byKind)
        n = 0;
}
