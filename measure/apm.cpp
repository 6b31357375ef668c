#include <climits>

#include "app/meter_dlg.h"
#include "measure/measure.h"
#include "record/apm_correction.h"

int32_t RawApm(uint32_t actions, uint32_t ms) {
    uint64_t rate = static_cast<uint64_t>(actions) * 60000u / ms;
    return rate > INT32_MAX ? INT32_MAX : static_cast<int32_t>(rate);
}

int32_t CorrectApm(int32_t raw) {
    int32_t percent = ApmCorrectionPercent(raw);
    return raw - static_cast<int32_t>(static_cast<int64_t>(percent) * raw / 100);
}

int32_t RecentApm(uint32_t now) {
    return StampRate(g_aStamps, kStampCount, g_iOldest, g_nRecent, now);
}

namespace {

constexpr uint32_t kWindowMs = 5000;

}  // namespace

void StampRing::Add(uint32_t now) const {
    if (*count < size)
        *count += 1;
    *newest = (*newest + 1) % size;
    stamps[*newest] = now;
    if (*oldest == UINT32_MAX || *oldest == *newest) {
        // The ring was empty, or the newest stamp has just overwritten the oldest.
        *oldest = (*oldest + 1) % size;
        if (*oldest == *newest)
            return;
    }
    while (now - stamps[*oldest] > kWindowMs) {
        *oldest = (*oldest + 1) % size;
        *count -= 1;
        if (*oldest == *newest)
            break;
    }
}

int32_t StampRate(const uint32_t* stamps, uint32_t size, uint32_t oldest, uint32_t count, uint32_t now) {
    if (count == 0 || oldest >= size)
        return 0;
    uint32_t age = now - stamps[oldest];
    if (age == 0)
        return 0;
    uint64_t recent = static_cast<uint64_t>(count) * 60000u / age;
    return recent > 999 ? 999 : static_cast<int32_t>(recent);
}
