// The commands that start programs for the debugger's user: "Execute a program" and Ctrl+F5.
#pragma once

void RegisterDebugCommands();
