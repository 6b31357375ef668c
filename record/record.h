// One measured game as every part keeps it (the history, the report), and its APM over time.
// The numbers are those of the game's summary lines in the event log, to the unit; texts are UTF-8.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "record/game_end.h"

struct GameRecord {
    std::string started;      // local date and time the game was recognised, "2026-12-09T04:12:33"
    uint32_t lengthSeconds = 0;
    int32_t apm = 0;          // "APM = %d (%d actions)"
    uint32_t actions = 0;
    int32_t peakApm = 0;      // "Highest APM = %d at %02d:%02d:%02d:"
    uint32_t peakSeconds = 0; // the time of that line, in seconds
    int32_t limit = 0;        // the alert limit in force at the end
    uint32_t secondsBelow = 0;  // after the warm-up, below the limit
    uint32_t alerts = 0;      // alert sounds played
    GameEnd end = GameEnd::kGameOver;
    std::string slotA, slotB, slotC;  // the texts captured when the game was recognised
    std::string timeline;     // the timeline's file name in the timelines folder; "" when none
    // The effective APM (over the same time, with the same correction as apm) and the spam, in all and by
    // kind: re-selects, repeated orders, repeated assignments, overflowing queues. Rows written before they
    // were kept read as eapm -1 and no spam.
    int32_t eapm = -1;
    uint32_t spam = 0;
    uint32_t spamByKind[4] = {};
};

// The game's APM at one moment.
struct Sample {
    uint32_t seconds = 0;  // into the game
    int32_t apm = -1;      // the whole-game APM as shown; -1 during the warm-up
    int32_t recent = 0;    // the short-term APM
    uint32_t alerts = 0;   // alert sounds played since the sample before
    int32_t effective = -1;  // the effective short-term APM; -1 in timelines written before it was kept
};
