// What the simulated game plays, from its command line. Times are seconds from launch. Example:
//   sim.exe --games 2 --start-after 3 --length 100 --gap 5 --exit-after 250 --apm 120 --status Z:\tmp\s.txt
// Each game writes slot A (--player), slot B (--map) and slot C (--mode) with their echoes at its start,
// the start word a moment later, and the end word at its end. The status log has one line per event
// ("game N started", "game N ended keys=.. clicks=..", "slotB cleared" when Cadro clears a mark).
// --topmost S makes the window top-most over the whole screen, as a full-screen game's, and raises it
// again every S seconds, also while it is in front; it then takes the foreground only when it raises.
// Each raise is logged ("raise N foreground=F covers=C": F whether it was in front already, C whether
// Cadro's overlay was below it right after), and so is a loss of the foreground ("foreground lost to CLASS").
// --pause-input FROM TO and --input-until T leave stretches of a game without input (logged as "game N
// input paused keys=.." and "game N input stopped keys=.."), so that what Cadro counts after its warm-up
// and before it sees the end is known exactly.
// --pattern clean|spammer[,clean|spammer...] (one a game, the last for the rest) makes each of --apm's steps a move of a player's cycle instead of one letter:
// group keys, assignments, orders and clicks (sim_game.cpp lists them). The status lines then add
// "actions=A reselect=R order=O assign=S overflow=Q": the actions sent and how many of them are spam of
// each kind by Cadro's rules, as the steps were timed here; a clean player's cycle makes none at any pace.
// --after-link starts the plan's clock only when Cadro's log ends in "Waiting for game...": Cadro has linked
// and made its clearing writes, which would otherwise wipe a game started by a timer on a slow start.
#pragma once

#include <algorithm>
#include <string>
#include <vector>

struct SimPlan {
    int games = 1;
    double startAfter = 3;    // the first game starts this long after launch
    double length = 100;      // each game lasts this long
    double gap = 5;           // between the end of a game and the start of the next
    double exitAfter = -1;    // exit at this time (also in the middle of a game); -1: when closed
    bool mismatch = false;    // the echo texts never match: Cadro must not see a game
    bool afterLink = false;   // the times count from when Cadro is seen waiting for a game
    int apm = 0;              // letter keys (or the pattern's steps) per minute during games
    enum class Pattern { kLetters, kClean, kSpammer };
    std::vector<Pattern> patterns;  // by game; none: letters
    int clicksPerMinute = 0;  // clicks in the playing field (counted by Cadro)
    int cornerClicksPerMinute = 0;  // clicks in the minimap corner (not counted)
    double chatEvery = 0;     // every so many seconds a chat line: Enter, five letters, Enter
    double inputAfter = 0;    // input starts this long into each game
    double pauseFrom = -1, pauseTo = -1;  // --pause-input FROM TO: no input in this stretch of each game
    double inputUntil = -1;   // no input from this long into each game on; -1: to the end
    double raiseEvery = 0;    // --topmost; 0: an ordinary window of 640 x 480
    std::string player = "Player";  // slot A
    std::string map = "Lost Temple";  // slot B and its echo
    std::string mode = "Melee";       // slot C and its echo
    std::string status;       // file for the status log; empty: none

    double GameStart(int game) const { return startAfter + game * (length + gap); }
    Pattern PatternOf(int game) const {
        return patterns.empty() ? Pattern::kLetters : patterns[std::min<size_t>(game, patterns.size() - 1)];
    }
};

// Reads "--name value" options; false (with a message) for anything unknown or malformed.
bool ParsePlan(int argc, char** argv, SimPlan* plan, std::string* error);
