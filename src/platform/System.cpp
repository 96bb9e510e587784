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

namespace {
void (*g_timerTicks[4])();
unsigned g_timerIds[4];

void CALLBACK TimerTick(HWND, UINT, UINT_PTR id, DWORD) {
    for (int i = 0; i < 4; i++)
        if (g_timerIds[i] == id && g_timerTicks[i])
            g_timerTicks[i]();
}
} // namespace

unsigned StartSystemTimer(unsigned period, void (*tick)()) {
    for (int i = 0; i < 4; i++) {
        if (g_timerIds[i])
            continue;
        UINT_PTR id = SetTimer(nullptr, 0, period, TimerTick);
        if (!id)
            return 0;
        g_timerIds[i] = static_cast<unsigned>(id);
        g_timerTicks[i] = tick;
        return g_timerIds[i];
    }
    return 0;
}

void StopSystemTimer(unsigned id) {
    for (int i = 0; i < 4; i++) {
        if (id && g_timerIds[i] == id) {
            KillTimer(nullptr, id);
            g_timerIds[i] = 0;
            g_timerTicks[i] = nullptr;
        }
    }
}
