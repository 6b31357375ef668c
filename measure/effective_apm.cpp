#include "measure/effective_apm.h"

#include "measure/measure.h"

namespace {

constexpr uint32_t kWindowMs = 5000;

}  // namespace

EffectiveTally g_effective;

int32_t EffectiveApm(uint32_t actions, uint32_t spam, uint32_t ms) {
    return CorrectApm(RawApm(spam < actions ? actions - spam : 0, ms));
}

void ActionRing::Add(uint32_t now) {
    if (m_count < kSize)
        m_count += 1;
    m_newest = (m_newest + 1) % kSize;
    m_stamps[m_newest] = now;
    if (m_oldest == kEmpty || m_oldest == m_newest) {
        m_oldest = (m_oldest + 1) % kSize;
        if (m_oldest == m_newest)
            return;
    }
    while (now - m_stamps[m_oldest] > kWindowMs) {
        m_oldest = (m_oldest + 1) % kSize;
        m_count -= 1;
        if (m_oldest == m_newest)
            break;
    }
}

int32_t ActionRing::Recent(uint32_t now) const {
    if (m_count == 0)
        return 0;
    uint32_t age = now - m_stamps[m_oldest];
    if (age == 0)
        return 0;
    uint64_t recent = static_cast<uint64_t>(m_count) * 60000u / age;
    return recent > 999 ? 999 : static_cast<int32_t>(recent);
}

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
