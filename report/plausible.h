// What the report shows of the history: its records made safe to draw. A record from a damaged or
// foreign file can hold anything; a game longer than any real one is left out, every other number is
// held to a range in which the page still makes sense, and texts are cut before they are copied.
#pragma once

#include <cstddef>
#include <cstdint>
#include <vector>

#include "record/record.h"

constexpr int32_t kMaxApm = 10000;
constexpr uint32_t kLongestGame = 12 * 3600;  // seconds; a longer "game" is a broken record
constexpr size_t kTextBytes = 256;            // of each text kept; the page shows fewer characters

// The games fit to show, in their order.
std::vector<GameRecord> PlausibleGames(const std::vector<GameRecord>& games);
// The seconds sample i of samples (in time order) stands for: up to the next one, 1 for the last; a longer gap
// than kLongestStep is missing data, not play.
constexpr uint32_t kLongestStep = 64;
uint32_t SecondsStoodFor(const std::vector<Sample>& samples, size_t i);
// A game's samples in time order, those past the longest game left out, values held to their range.
std::vector<Sample> PlausibleSamples(std::vector<Sample> samples);
