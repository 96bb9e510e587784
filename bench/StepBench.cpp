// Times single steps of a program run under the debug engine with the system's debugging
// calls: from the stop at main's first line, 100 steps over, then 100 steps into, each from
// the command to the next line shown. Prints median, mean and extremes in milliseconds.
//
//   stepbench PROGRAM.EXE [STEPS]
//
// With STEPS (letters o, i, u: over, into, out) it takes those steps instead and prints the
// line reached after each.
#include <windows.h>

#include <stdio.h>

#include <algorithm>
#include <string>
#include <vector>

#include "debugger/DebugEngine.h"
#include "debugger/DebugInfoFile.h"
#include "debugger/DebugRun.h"

namespace {

HANDLE g_shown;
volatile LONG g_execute;
volatile LONG g_line;

double Seconds() {
    LARGE_INTEGER now, frequency;
    QueryPerformanceCounter(&now);
    QueryPerformanceFrequency(&frequency);
    return static_cast<double>(now.QuadPart) / static_cast<double>(frequency.QuadPart);
}

// Waits for the next line shown and for the engine to stand still there.
bool WaitStopped(DebugEngine &engine) {
    if (WaitForSingleObject(g_shown, 20000) != WAIT_OBJECT_0)
        return false;
    for (int i = 0; i < 2000000 && !*static_cast<volatile bool *>(&engine.stopped); i++)
        SwitchToThread();
    return engine.stopped;
}

void Report(const char *name, std::vector<double> times, const std::string &lines) {
    std::sort(times.begin(), times.end());
    double sum = 0;
    for (double t : times)
        sum += t;
    printf("%-9s %3u steps: median %.3f ms, mean %.3f ms, min %.3f ms, max %.3f ms; lines %s...\n", name,
           static_cast<unsigned>(times.size()), times[times.size() / 2] * 1e3, sum / times.size() * 1e3,
           times.front() * 1e3, times.back() * 1e3, lines.c_str());
}

}  // namespace

int main(int argc, char **argv) {
    if (argc < 2) {
        fprintf(stderr, "usage: stepbench PROGRAM.EXE\n");
        return 2;
    }
    std::unique_ptr<DebugPlatform> platform = MakeWin32DebugPlatform();
    g_shown = CreateEventA(nullptr, FALSE, FALSE, nullptr);
    if (!platform || !g_shown)
        return 1;
    DebugEngine engine;
    engine.platform = platform.get();
    ResetEngine(engine);
    engine.path = argv[1];
    engine.commandLine = engine.path + " ";
    DebugEngineHooks &h = engine.hooks;
    h.openExecutable = [](DebugInfo &info, void *file, uint32_t load, const char *name) {
        return OpenExecutable(info, file, load, name);
    };
    h.openDll = [](DebugInfo &info, DllRecord *dll) { return OpenDllInfo(info, dll); };
    h.closeDll = [](DebugInfo &info, DllRecord *dll) { CloseDll(info, dll); };
    h.closeAll = [](DebugInfo &info) { CloseDebugInfo(info); };
    h.openSource = [](const char *) { return true; };
    h.showLine = [](uint32_t, int, uint32_t line) {
        InterlockedExchange(&g_line, static_cast<LONG>(line));
        SetEvent(g_shown);
    };
    h.post = [](int command) {
        if (command == kEngineExecuteCommand)
            InterlockedExchange(&g_execute, 1);
    };
    h.error = h.info = [](const char *text) { fprintf(stderr, "%s\n", text); };
    HANDLE thread = CreateThread(nullptr, 0, DebugThreadProcedure, &engine, 0, nullptr);
    // Execute, as the frame would: from the loader's breakpoint on to the entry.
    for (int i = 0; i < 20000 && !(g_execute && engine.stopped); i++)
        Sleep(1);
    ContinueDebuggee(engine);
    if (!WaitStopped(engine)) {
        fprintf(stderr, "the program did not stop at its entry\n");
        return 1;
    }
    printf("stopped at line %ld of main\n", static_cast<long>(g_line));
    if (argc > 2) {
        for (const char *step = argv[2]; *step; step++) {
            bool taken = *step == 'i' ? StepInto(engine) : *step == 'u' ? StepOut(engine) : StepOver(engine);
            double start = Seconds();
            printf("%c: %s", *step, taken && WaitStopped(engine) ? "" : "no stop, ");
            printf("line %ld after %.3f s\n", static_cast<long>(g_line), Seconds() - start);
        }
        RequestStop(engine);
        WaitForSingleObject(thread, 5000);
        return 0;
    }
    for (bool into : {false, true}) {
        std::vector<double> times;
        std::string lines;
        for (int i = 0; i < 100; i++) {
            double start = Seconds();
            if (!(into ? StepInto(engine) : StepOver(engine)) || !WaitStopped(engine)) {
                fprintf(stderr, "step %d did not stop\n", i + 1);
                return 1;
            }
            times.push_back(Seconds() - start);
            if (i < 12)
                lines += std::to_string(g_line) + " ";
        }
        Report(into ? "step into" : "step over", times, lines);
    }
    RequestStop(engine);
    WaitForSingleObject(thread, 5000);
    return 0;
}
