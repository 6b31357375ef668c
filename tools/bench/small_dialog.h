// The benchmark's stand-ins for Cadro's window: an empty dialog (class #32770, like Cadro's) made from a
// template in memory, which ends the program when it is closed and takes kSmallDialogReport messages as
// Cadro's window takes the hook's reports. One per program.
#pragma once

#include <windows.h>

constexpr UINT kSmallDialogReport = WM_APP + 1;

// Shows the dialog with the title (at most 15 characters); null when it cannot be made.
HWND MakeSmallDialog(HINSTANCE instance, const wchar_t* title);
// True once the dialog is destroyed: a loop that drains only the dialog's messages never sees WM_QUIT.
bool SmallDialogClosed();
