#include "platform/System.h"

#include <windows.h>

void *SystemAllocZeroed(size_t size) { return GlobalAlloc(GMEM_FIXED | GMEM_ZEROINIT, size); }

bool SystemFree(void *p) { return GlobalFree(p) == nullptr; }

void LocalTimeParts(int parts[6]) {
    SYSTEMTIME t;
    GetLocalTime(&t);
    parts[0] = t.wYear;
    parts[1] = t.wMonth;
    parts[2] = t.wDay;
    parts[3] = t.wHour;
    parts[4] = t.wMinute;
    parts[5] = t.wSecond;
}

unsigned long TickCount() { return GetTickCount(); }

const char *ProgramCommandLine() { return GetCommandLineA(); }
