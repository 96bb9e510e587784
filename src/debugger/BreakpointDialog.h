// "Edit breakpoints" (command 1245): the user's breakpoints of the debugged program, and new
// ones on a function of the executable or of a DLL, or on a source line.
#pragma once

void RegisterBreakpointsCommand();
