#pragma once

#include "frame/cstring.h"

// The program file's full path; empty when it cannot be had whole (never a truncated path).
CString ProgramPath();
