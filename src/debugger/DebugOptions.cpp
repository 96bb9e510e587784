#include "debugger/DebugOptions.h"

DebugOptions g_debugOptions;

const SettingField g_debuggerSettingFields[] = {
    TextField("DebuggerArguments", g_debugOptions.arguments, sizeof g_debugOptions.arguments, "", 300),
    TextField("DebuggerDir", g_debugOptions.directory, sizeof g_debugOptions.directory, "", 310),
    TextField("DebuggerExeName", g_debugOptions.program, sizeof g_debugOptions.program, "", 320),
    NumberField("DebuggerFlags", &g_debugOptions.flags, 0, 330),
};
const int g_debuggerSettingFieldCount = sizeof g_debuggerSettingFields / sizeof g_debuggerSettingFields[0];
