#include "sim/sim_plan.h"

#include <cstdlib>
#include <cstring>

namespace {

bool Number(const char* text, double* value) {
    char* end = nullptr;
    *value = std::strtod(text, &end);
    return end != text && *end == '\0';
}

}  // namespace

bool ParsePlan(int argc, char** argv, SimPlan* plan, std::string* error) {
    for (int i = 1; i < argc; ++i) {
        std::string name = argv[i];
        if (name == "--mismatch" || name == "--after-link") {
            (name == "--mismatch" ? plan->mismatch : plan->afterLink) = true;
            continue;
        }
        if (i + 1 >= argc) {
            *error = "missing value for " + name;
            return false;
        }
        const char* text = argv[++i];
        if (name == "--player" || name == "--map" || name == "--mode") {
            (name == "--player" ? plan->player : name == "--map" ? plan->map : plan->mode) = text;
            continue;
        }
        if (name == "--pause-input") {
            if (i + 1 >= argc || !Number(text, &plan->pauseFrom) || !Number(argv[++i], &plan->pauseTo)) {
                *error = "--pause-input takes two numbers";
                return false;
            }
            continue;
        }
        if (name == "--pattern") {
            std::string list = std::string(text) + ",";
            for (size_t at = 0, comma; (comma = list.find(',', at)) != std::string::npos; at = comma + 1) {
                std::string which = list.substr(at, comma - at);
                if (which != "clean" && which != "spammer") {
                    *error = "--pattern takes clean or spammer, one a game";
                    return false;
                }
                plan->patterns.push_back(which == "clean" ? SimPlan::Pattern::kClean : SimPlan::Pattern::kSpammer);
            }
            continue;
        }
        if (name == "--status") {
            plan->status = text;
            continue;
        }
        double value = 0;
        if (!Number(text, &value)) {
            *error = "not a number for " + name + ": " + text;
            return false;
        }
        if (name == "--games") plan->games = static_cast<int>(value);
        else if (name == "--start-after") plan->startAfter = value;
        else if (name == "--length") plan->length = value;
        else if (name == "--gap") plan->gap = value;
        else if (name == "--exit-after") plan->exitAfter = value;
        else if (name == "--apm") plan->apm = static_cast<int>(value);
        else if (name == "--clicks") plan->clicksPerMinute = static_cast<int>(value);
        else if (name == "--corner-clicks") plan->cornerClicksPerMinute = static_cast<int>(value);
        else if (name == "--chat-every") plan->chatEvery = value;
        else if (name == "--input-after") plan->inputAfter = value;
        else if (name == "--input-until") plan->inputUntil = value;
        else if (name == "--topmost") plan->raiseEvery = value;
        else {
            *error = "unknown option " + name;
            return false;
        }
    }
    return true;
}
