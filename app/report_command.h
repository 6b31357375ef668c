// The window menu's "Game history...": the report in the user's default browser.
#pragma once

// Writes the report first when it is missing, then asks the shell to open it; nothing when its place is
// unknown.
void OpenGameReport();
