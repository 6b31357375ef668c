// Action capture, the ring of recent actions and the measurement's arithmetic.
// One thread only: the ring and the banner change in message handlers dispatched between two passes of the
// link's loops, so nothing is locked.
#pragma once

#include <cstdint>

constexpr int kStampCount = 100;

// The game's action count, and the ring of its recent action times.
extern uint32_t g_nActions;
extern uint32_t g_aStamps[kStampCount];
extern uint32_t g_iNewest;
extern uint32_t g_iOldest;
extern uint32_t g_nRecent;
// A line the overlay shows for the next g_nBannerTicks ticks in place of the APM.
extern int g_nBannerTicks;
extern char g_szBanner[128];

// Records one action: the game's count and the ring of recent action times (at most 100 stamps, none
// more than 5000 ms older than the newest at the moment it was recorded).
void CountAction();
// Empties the ring (stamps zero, indices -1, count 0).
void ResetActionRing();

// Whole-game rate in actions per minute, truncated; the product is taken in 64 bits so that long games
// do not wrap. ms must not be 0.
int32_t RawApm(uint32_t actions, uint32_t ms);
// Takes 0, 4, 6 or 8 percent off by band (below 50, 50-99, 100-149, 150 and above).
int32_t CorrectApm(int32_t raw);
// Short-term rate from the ring at now, at most 999; 0 for an empty ring or no time passed.
int32_t RecentApm(uint32_t now);

// A ring of action times (the APM's and the effective one): size stamps, the newest and oldest index
// (UINT32_MAX while empty) and how many are recent. Add drops the stamps more than 5000 ms older than now.
struct StampRing {
    uint32_t* stamps;
    uint32_t size;
    uint32_t* newest;
    uint32_t* oldest;
    uint32_t* count;
    void Add(uint32_t now) const;
};
// The rate of such a ring at now, at most 999; 0 for an empty ring or no time passed.
int32_t StampRate(const uint32_t* stamps, uint32_t size, uint32_t oldest, uint32_t count, uint32_t now);

// The numbers of a game's summary lines, as they were logged.
struct GameSummary {
    uint32_t lengthMs = 0;     // from the start to the summary
    int32_t apm = 0;
    uint32_t actions = 0;
    int32_t peakApm = 0;
    uint32_t peakSeconds = 0;  // the time in the "Highest APM" line
    int32_t effectiveApm = 0;  // not logged: the history's
    uint32_t spam = 0;
    uint32_t spamByKind[4] = {};
};
