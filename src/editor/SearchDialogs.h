// The Search menu's dialogs ("Search", "Search and replace", "Goto a line number") and the
// commands that open them or repeat the last search.
#pragma once

// Registers the handlers of Find, Replace, Find next, Find previous and Goto line.
void RegisterSearchCommands();
