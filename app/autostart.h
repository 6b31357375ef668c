#pragma once

#include <windows.h>

#include "frame/cstring.h"

// The Run key's command for the program at programPath: the path quoted, so that a path with blanks
// cannot be read as another program's name, then " -auto"; empty for an empty path.
CString RunCommand(const char* programPath);

// Writes (on) or deletes (off) the "CADRO" value of the current user's Run key. Nothing is written
// when the program's path cannot be had whole. Returns the registry status; nothing is shown to the user.
LONG SetRunEntry(bool on);
