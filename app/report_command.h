// The window menu's "Game history...": the report in the user's default browser.
#pragma once

// Writes the report first when it is missing or out of date, then asks the shell to open it. When its place
// is unknown, it cannot be written or the shell does not take it, plays the warning sound instead.
// historyOn: whether games are being kept, which the page says.
void OpenGameReport(bool historyOn);
