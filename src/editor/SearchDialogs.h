// The Search menu's dialogs ("Search", "Search and replace", "Goto a line number") and the
// commands that open them or repeat the last search.
#pragma once

// Registers the handlers of Find (1137), Replace (1120), Find next (1135), Find previous (1136)
// and Goto line (1123).
void RegisterSearchCommands();
