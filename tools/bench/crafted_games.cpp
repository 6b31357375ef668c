#include "tools/bench/crafted_games.h"

#include <cstdio>
#include <string>

namespace {

class Random {
public:
    explicit Random(unsigned seed) : state_(seed * 2654435761u + 1) {}
    unsigned Next(unsigned below) {
        state_ = state_ * 1664525u + 1013904223u;
        return (state_ >> 8) % below;
    }

private:
    unsigned state_;
};

std::string Stamp(size_t hour, unsigned minute = 0) {
    static const int kDays[] = {31, 28, 31, 30, 31, 30, 31, 31, 30, 31, 30, 31};
    size_t day = hour / 24, year = 2026;
    for (;;) {
        size_t inYear = (year % 4 == 0) ? 366 : 365;
        if (day < inYear)
            break;
        day -= inYear;
        ++year;
    }
    int month = 0;
    for (; month < 12; ++month) {
        size_t inMonth = static_cast<size_t>(kDays[month]) + (month == 1 && year % 4 == 0 ? 1 : 0);
        if (day < inMonth)
            break;
        day -= inMonth;
    }
    char text[32];
    std::snprintf(text, sizeof text, "%04zu-%02d-%02zuT%02zu:%02u:00", year, month + 1, day + 1, hour % 24,
                  minute);
    return text;
}

}  // namespace

std::vector<GameRecord> CraftedGames(size_t count, unsigned seed) {
    static const char* const kMaps[] = {"Lost Temple", "Python", "Fighting Spirit", "Circuit Breaker"};
    Random random(seed);
    std::vector<GameRecord> games(count);
    for (size_t i = 0; i < count; ++i) {
        GameRecord& g = games[i];
        g.started = Stamp(i);
        g.lengthSeconds = 300 + random.Next(1500);
        g.apm = 80 + static_cast<int32_t>(random.Next(220));
        g.actions = static_cast<uint32_t>(g.apm) * (g.lengthSeconds - 80) / 60;
        g.peakApm = g.apm + 40 + static_cast<int32_t>(random.Next(120));
        g.peakSeconds = 90 + random.Next(g.lengthSeconds - 90);
        g.limit = i % 7 == 3 ? 0 : 60 + 20 * static_cast<int32_t>(random.Next(4));
        g.secondsBelow = g.limit ? random.Next(120) : 0;
        g.alerts = g.secondsBelow / 2;
        g.end = static_cast<GameEnd>(i % 4);
        g.slotA = "Player";
        g.slotB = kMaps[i % 4];
        g.slotC = i % 2 ? "Melee" : "Top vs Bottom";
        g.timeline = "game-" + std::to_string(i + 1) + ".csv";
    }
    return games;
}

std::vector<Sample> CraftedTimeline(const GameRecord& game) {
    std::vector<Sample> samples;
    samples.reserve(game.lengthSeconds + 1);
    for (uint32_t s = 0; s <= game.lengthSeconds; ++s) {
        Sample sample;
        sample.seconds = s;
        int32_t swing = static_cast<int32_t>((s * 37) % 61) - 30;  // within a tenth of the APM, under the peak
        sample.recent = game.apm + swing * game.apm / 300;
        if (s % 240 >= 200 && s % 240 < 215)
            sample.recent = game.limit / 2;  // a pause: below the limit for 15 s
        if (s == game.peakSeconds)
            sample.recent = game.peakApm;
        if (s >= 80)
            sample.apm = game.apm + static_cast<int32_t>(game.apm * 30 / (s - 70)) / 10;
        samples.push_back(sample);
    }
    return samples;
}

std::vector<GameRecord> LearningGames() {
    // 2026-10-05, a Monday, is 277 days after 2026-01-01.
    constexpr size_t kFirstMonday = 277 * 24;
    constexpr size_t kSessionDays[] = {1, 3, 5};  // Tuesday, Thursday, Saturday
    std::vector<GameRecord> games;
    int session = 0;
    for (size_t week = 0; week < 8; ++week) {
        for (size_t day : kSessionDays) {
            for (unsigned place = 0; place < 5; ++place) {
                GameRecord g;
                unsigned minute = place * 20;  // 15-minute games, 5 minutes apart
                g.started = Stamp(kFirstMonday + (week * 7 + day) * 24 + 19 + minute / 60, minute % 60);
                g.lengthSeconds = 900;
                bool temple = (session + place) % 2 == 0;
                g.apm = 100 + 8 * static_cast<int32_t>(week) - (place >= 3 ? 20 : 0) + (temple ? 15 : 0);
                g.actions = static_cast<uint32_t>(g.apm) * (g.lengthSeconds - 80) / 60;
                g.peakApm = g.apm + 60;
                g.peakSeconds = 200;
                g.limit = 100;
                g.secondsBelow = 20;  // the pause in its timeline
                g.alerts = 1;
                g.slotA = "Ann";
                g.slotB = temple ? "Lost Temple" : "Python";
                g.slotC = "Melee";
                g.timeline = "learning.csv";
                games.push_back(g);
            }
            ++session;
        }
        if (week >= 6) {  // a short game on each of the last two Sundays, the second the newest game
            GameRecord brief = games.back();
            brief.started = Stamp(kFirstMonday + (week * 7 + 6) * 24 + 10);
            brief.lengthSeconds = week == 6 ? 100 : 170;
            brief.apm = week == 6 ? 400 : 900;
            brief.actions = static_cast<uint32_t>(brief.apm) * (brief.lengthSeconds - 80) / 60;
            brief.peakApm = 0;
            brief.peakSeconds = 0;
            games.push_back(brief);
        }
    }
    return games;
}

std::vector<Sample> LearningTimeline(const GameRecord& game) {
    std::vector<Sample> samples;
    for (uint32_t s = 0; s <= game.lengthSeconds; ++s) {
        Sample sample;
        sample.seconds = s;
        sample.recent = s < 600 ? game.apm * 11 / 10 : game.apm * 8 / 10;
        if (s >= 80)
            sample.apm = game.apm;
        // A pause of 20 s below the limit after 12 minutes, with an alert at its end.
        if (s >= 720 && s < 740)
            sample.recent = game.limit / 2;
        if (s == game.peakSeconds)
            sample.recent = game.peakApm;
        sample.alerts = s == 739 ? 1 : 0;
        samples.push_back(sample);
    }
    return samples;
}
