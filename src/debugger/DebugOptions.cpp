#include "debugger/DebugOptions.h"

DebugOptions g_debugOptions;
