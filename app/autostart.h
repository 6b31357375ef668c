#pragma once

#include <windows.h>

// Writes (on) or deletes (off) the "CADRO" value of the current user's Run key. The value is the
// quoted program path followed by " -auto"; nothing is written when the path cannot be had whole.
// Returns the registry status; nothing is shown to the user.
LONG SetRunEntry(bool on);
