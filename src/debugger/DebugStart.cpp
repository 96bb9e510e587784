#include "debugger/DebugStart.h"

// The debug engine is not part of this build; no run is started.
bool StartDebugging(const char *) { return false; }
