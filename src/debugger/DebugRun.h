// A debugging run on Win32: the system's debugging calls behind the engine's platform
// layer, the debug thread, the hand-over of its reports to the frame, and the Debug
// commands (Debugger, Execute, Break, Restart, Stop debugging).
#pragma once

#include <stdint.h>

#include <memory>

struct DebugEngine;
class DebugPlatform;
typedef struct HWND__ *HWND;

// Starts debugging "path arguments" in the current directory; false (after a message)
// when no run began.
bool StartDebugSession(HWND frame, const char *path, const char *arguments);
// The editor's hook: a command line holding a program path and its arguments.
bool StartDebuggingCommandLine(const char *commandLine);
// Ends the run: the debuggee leaves through its exit function or is terminated, and the
// debug thread is waited for. Safe to call when nothing is debugged.
void StopDebugging();
// The frame's messages from the debug thread; true (with the answer in *result) when
// `message` was one of them.
bool DebugFrameMessage(unsigned message, uintptr_t wParam, intptr_t lParam, intptr_t *result);
void RegisterEngineCommands();
// Program information (ProgramInfoSheet.cpp).
void RegisterProgramInfoCommand();
// Called when a run begins (true) or ends (false), so that the menus follow. None: nothing.
extern void (*g_debuggingChanged)(bool debugging);
// The run's engine, null between runs.
DebugEngine *CurrentEngine();
// The system's debugging calls for an engine driven outside the frame (a benchmark's), null
// when its events cannot be made; and the debug thread's procedure (its parameter the engine).
std::unique_ptr<DebugPlatform> MakeWin32DebugPlatform();
unsigned long __stdcall DebugThreadProcedure(void *engine);
