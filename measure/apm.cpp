#include <climits>

#include "app/meter_dlg.h"
#include "measure/measure.h"

int32_t RawApm(uint32_t actions, uint32_t ms) {
    uint64_t rate = static_cast<uint64_t>(actions) * 60000u / ms;
    return rate > INT32_MAX ? INT32_MAX : static_cast<int32_t>(rate);
}

int32_t CorrectApm(int32_t raw) {
    int32_t percent = raw < 50 ? 0 : raw < 100 ? 4 : raw < 150 ? 6 : 8;
    return raw - static_cast<int32_t>(static_cast<int64_t>(percent) * raw / 100);
}

int32_t RecentApm(uint32_t now) {
    if (g_nRecent == 0 || g_iOldest >= static_cast<uint32_t>(kStampCount))
        return 0;
    uint32_t age = now - g_aStamps[g_iOldest];
    if (age == 0)
        return 0;
    uint64_t recent = static_cast<uint64_t>(g_nRecent) * 60000u / age;
    return recent > 999 ? 999 : static_cast<int32_t>(recent);
}
