// Program information: the texts of the pages "Executable", "Threads" and "Dlls" made from
// the engine's state, and the stopping and resuming of one debuggee thread. The sheet that
// shows them (and the page of the debuggee's windows) is ProgramInfoSheet.cpp.
#pragma once

#include <string>
#include <vector>

#include "debugger/DebugEngine.h"

// A page: its text above, and the rows of its list (a header row first where it has one).
struct InfoPage {
    std::string text;
    std::vector<std::string> rows;
};

InfoPage ExecutableInfo(const DebugEngine &engine);
// Rows: "Child processes:", one per child, then one per thread (the last threads.size() rows).
InfoPage ThreadsInfo(const DebugEngine &engine);
InfoPage DllsInfo(const DebugEngine &engine);
std::string ThreadRow(const EngineThread &thread);
// "Stop thread %d?" or "Resume thread %d?".
std::string ThreadQuestion(const EngineThread &thread);
// Suspends a running thread, or resumes a stopped one until its count is 0 (at most 20
// calls); false, with the thread as it was, when the system refuses.
bool ToggleThread(DebugEngine &engine, EngineThread &thread);
