// Small system services that logic needs without including windows.h.
#pragma once

#include <stddef.h>

// Zero-filled memory straight from the system (GlobalAlloc); null when refused.
void *SystemAllocZeroed(size_t size);
// Gives it back (GlobalFree); false when the system refuses.
bool SystemFree(void *p);

// Local time as year, month (1-12), day, hour, minute, second.
void LocalTimeParts(int parts[6]);
unsigned long TickCount();
// The program's command line as Windows gave it.
const char *ProgramCommandLine();

// A system timer without a window that calls `tick` every `period` ms from the message loop;
// its identifier, or 0 when it could not be made.
unsigned StartSystemTimer(unsigned period, void (*tick)());
void StopSystemTimer(unsigned id);
