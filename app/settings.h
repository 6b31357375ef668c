// The player's settings as the profile keeps them, in its section MAIN. A new setting is a field here and a
// line in each of ReadSettings and WriteSettings.
#pragma once

#include "frame/afxwin.h"

constexpr char kProfileSection[] = "MAIN";

struct Settings {
    int autoStart = 0;
    int apmLimit = 0;
    int beepEvery = 0;
    CString sound;
    int showApm = 0;
    int showAlert = 0;
    int showTimer = 0;
    int history = 1;  // keep every summarised game in the history folder
    int backSound = 0;  // a sound when the APM climbs back to the limit after an alert
};

// The profile's values, each its default where missing (or, for a check box, out of 0..1).
Settings ReadSettings(CWinApp& app);
void WriteSettings(CWinApp& app, const Settings& settings);
