// The debug information reader's Win32 side: images are read through a read-only mapping
// of the file handle the system passes with the load event.
#pragma once

#include "debugger/DebugInfo.h"

// Maps the executable and reads it (ReadExecutable); the mapping stays until CloseDebugInfo.
bool OpenExecutable(DebugInfo &info, void *file, uint32_t loadAddress, const char *name);
// Maps dll->file and reads the DLL's information (LoadDllInfo): the modules added.
uint32_t OpenDllInfo(DebugInfo &info, DllRecord *dll);
// A DLL unloads: its view goes, then its information.
void CloseDll(DebugInfo &info, DllRecord *dll);
// Debugging ends: every view goes, then all the information. The file handles are the
// engine's to close.
void CloseDebugInfo(DebugInfo &info);
