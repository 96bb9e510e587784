// Starting a debugging run from the editor's open path.
#pragma once

// Starts debugging the program named by `commandLine` (a path holding ".EXE" and its
// arguments). False when no run was started.
bool StartDebugging(const char *commandLine);
