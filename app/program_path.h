#pragma once

#include "frame/cstring.h"

// The program file's full path; empty when it cannot be had whole (never a truncated path).
CString ProgramPath();
// A sound shipped beside the program: the file name in its apmsounds folder; empty when the program's
// path cannot be had whole (better no sound than a wrong path).
CString ProgramSound(const char* name);
