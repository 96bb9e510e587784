// What the debugger starts: the program, its arguments and directory, and its option bits.
#pragma once

#include "settings/Fields.h"

enum { kDebugTextSize = 256, kDebugTrapExceptions = 1 };

struct DebugOptions {
    char arguments[kDebugTextSize];
    char directory[kDebugTextSize];
    char program[kDebugTextSize];
    int flags;
};

extern DebugOptions g_debugOptions;

// The settings of this folder.
extern const SettingField g_debuggerSettingFields[];
extern const int g_debuggerSettingFieldCount;
