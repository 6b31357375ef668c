#include "hook/ravik.h"

DWORD nvHookWin::SetMyHook(bool, HWND) { return 0; }
