// The debug engine: one debuggee at a time, one debug thread that receives its debug events
// and decides for each whether the debuggee goes on or stops, and the user-interface
// thread's orders (Continue, Break, Stop) to it.
//
// The logic is written against DebugPlatform, a small table of the system's debugging
// operations, and reports to the user interface through DebugEngineHooks; the Win32 side
// (DebugRun.cpp) provides both. Events arrive in the engine's own plain DebugEvent, so a
// test can replay a scripted debuggee through a fake platform.
//
// Hand-over between the threads: three events. `running` (manual reset) is set while the
// debuggee runs and the debug thread polls for debug events; when a handler stops the
// debuggee it is cleared and the debug thread blocks until `resume` (continue the pending
// debug event) or `kill` (end the debuggee). The user-interface thread touches the engine
// only while the debug thread is blocked there.
#pragma once

#include <stdint.h>

#include <atomic>
#include <functional>
#include <mutex>
#include <string>
#include <vector>

#include "debugger/DebugInfo.h"

enum DebugEventCode {
    kEventException = 1,
    kEventCreateThread = 2,
    kEventCreateProcess = 3,
    kEventExitThread = 4,
    kEventExitProcess = 5,
    kEventLoadDll = 6,
    kEventUnloadDll = 7,
    kEventDebugString = 8,
    kEventRip = 9,
};

enum : uint32_t {
    kContinue = 0x00010002,           // DBG_CONTINUE
    kNotHandled = 0x80010001,         // DBG_EXCEPTION_NOT_HANDLED
    kAccessViolation = 0xC0000005,
    kBreakpointException = 0x80000003,
    kSingleStepException = 0x80000004,
    kTrapFlag = 0x100,
    kPageNoAccess = 1,
};

// One debug event, whatever its kind; each kind fills its fields.
struct DebugEvent {
    uint32_t code = 0, processId = 0, threadId = 0;
    // Exception.
    uint32_t exceptionCode = 0, exceptionFlags = 0, exceptionAddress = 0;
    bool firstChance = false;
    uint32_t parameterCount = 0;
    uint32_t parameters[15] = {};
    // Process and thread creation, DLL load (file, base, image name, unicode).
    void *process = nullptr, *thread = nullptr, *file = nullptr;
    uint32_t base = 0, debugInfoOffset = 0, debugInfoSize = 0, localBase = 0, startAddress = 0;
    uint32_t imageName = 0;
    bool unicode = false;
    // Thread and process exit.
    uint32_t exitCode = 0;
    // Debug string: address, length in characters (terminator included), unicode above.
    uint32_t stringAddress = 0, stringLength = 0;
    // System debugging error.
    uint32_t error = 0, errorType = 0;
};

// The registers the engine reads and changes.
struct RegisterSet {
    uint32_t eax = 0, ebx = 0, ecx = 0, edx = 0, esi = 0, edi = 0;
    uint32_t ebp = 0, esp = 0, eip = 0, eflags = 0;
};

enum DebugSignal { kSignalRunning = 0, kSignalResume = 1, kSignalKill = 2, kSignalNone = -1 };

// The system's debugging operations. Handles are the system's, opaque here.
class DebugPlatform {
public:
    virtual ~DebugPlatform() {}
    // Starts the command line as a debuggee (process, thread and ids through the pointers);
    // false with the system's error code in *error.
    virtual bool CreateDebuggee(const char *commandLine, void **process, void **thread, uint32_t *processId,
                                uint32_t *threadId, uint32_t *error) = 0;
    virtual bool Attach(uint32_t processId) = 0;
    // False when no event came within the time.
    virtual bool WaitDebugEvent(DebugEvent *event, uint32_t milliseconds) = 0;
    virtual bool ContinueDebugEvent(uint32_t processId, uint32_t threadId, uint32_t status) = 0;
    virtual bool GetRegisters(void *thread, RegisterSet *registers) = 0;
    virtual bool SetRegisters(void *thread, const RegisterSet &registers) = 0;
    // The previous suspend count, or -1 on failure.
    virtual long SuspendThread(void *thread) = 0;
    virtual long ResumeThread(void *thread) = 0;
    virtual bool TerminateProcess(void *process) = 0;
    // True only when every byte was read or written; writing code keeps its protection.
    virtual bool ReadMemory(void *process, uint32_t address, void *buffer, uint32_t size) = 0;
    virtual bool WriteMemory(void *process, uint32_t address, const void *buffer, uint32_t size) = 0;
    // The run of pages around the address that share one protection: its base and size.
    virtual bool QueryRegion(void *process, uint32_t address, uint32_t *base, uint32_t *size) = 0;
    // Gives a range a protection (PAGE_... values) and tells the one it had; false on failure.
    virtual bool ProtectRegion(void *process, uint32_t address, uint32_t size, uint32_t protection,
                               uint32_t *former) = 0;
    // A child process opened for reading its memory; null on failure.
    virtual void *OpenProcessForRead(uint32_t processId) = 0;
    // From the file's start; false when the handle is no disk file or the read falls short.
    virtual bool ReadFileAt(void *file, uint32_t offset, void *buffer, uint32_t size) = 0;
    virtual void CloseHandle(void *handle) = 0;
    virtual uint32_t LastError() = 0;
    virtual std::string ErrorText(uint32_t error) = 0;
    // The three hand-over events.
    virtual void Signal(DebugSignal which) = 0;
    virtual void Reset(DebugSignal which) = 0;
    // Waits for any; `running` stays set, the others reset as they are taken. The lowest
    // signalled one wins.
    virtual DebugSignal WaitSignal() = 0;
    // UTF-16 text in the program's code page.
    virtual std::string FromUtf16(const uint16_t *text, size_t length);
    // The user-interface thread waits a little, taking the messages other threads send it.
    virtual void Pause(uint32_t milliseconds) { (void)milliseconds; }
};

// What the engine tells the user interface. All run on the debug thread unless said so.
struct DebugEngineHooks {
    std::function<void(int command)> post;   // a command posted to the frame
    std::function<void()> loaded;            // the program is loaded, stopped before its entry
    std::function<void(uint32_t module, int file, uint32_t line)> showLine;   // the current line
    std::function<void(const char *text)> info;    // an information box
    std::function<void(const char *text)> error;   // an error box
    std::function<void(const char *text)> status;  // the status line (user-interface thread)
    // The exception dialog for an exception that stopped the debuggee.
    std::function<void(const DebugEvent &event, const RegisterSet &registers)> exception;
    // Debug information of the executable and of DLLs (false, 0: none).
    std::function<bool(DebugInfo &info, void *file, uint32_t loadAddress, const char *name)> openExecutable;
    std::function<uint32_t(DebugInfo &info, DllRecord *dll)> openDll;
    std::function<void(DebugInfo &info, DllRecord *dll)> closeDll;
    std::function<void(DebugInfo &info)> closeAll;
    // Opens the source file of a module in an editor; false when it cannot be found.
    std::function<bool(const char *moduleName)> openSource;
    std::function<void()> bringToFront;
    std::function<void()> refreshMenu;
    // A DLL with debug information was loaded: its source lines may take breakpoints.
    std::function<void()> modulesAdded;
    // A user breakpoint was removed at the requested line: its mark goes (user-interface thread).
    std::function<void(uint32_t line)> breakpointCleared;
    // A text added to the debug event log (from either thread).
    std::function<void(const char *text)> logged;
};

struct EngineThread {
    void *handle;
    uint32_t id, localBase;
    bool stoppedByUser;
};

struct ChildProcess {
    uint32_t processId, threadId;
    void *process, *thread;
    uint32_t base, startAddress;
    std::string name;   // its image's name, when the event gave one
};

// A breakpoint the engine placed: the byte 0xCC over the instruction's first byte.
enum {
    kBreakTemporary = 0x01,
    kBreakUser = 0x02,
    kBreakByAddress = 0x08,
    kBreakStep = 0x10,      // placed by stepping: on hit the stepping goes on
    kBreakImportStub = 0x20,   // on an import stub: on hit, the program runs into the DLL
    kBreakStepOut = 0x40,   // on hit, single-step out of the function
};
struct BreakpointRecord {
    uint32_t line, address, module, flags;
    int file;
    uint8_t savedByte;
};

// Commands the engine posts to the frame.
enum {
    kEngineStopCommand = 100,       // end debugging
    kEngineExecuteCommand = 340,    // run on after the program was loaded
    kEngineShowCodeCommand = 550,   // a stop without source: show machine instructions
};

enum {
    kLanguageC = 0,
    kLanguageFortran = 3,
    kLanguageEiffel = 6,
    kDllNameLimit = 300,        // bytes of a DLL's name read from the debuggee
    kDebugStringLimit = 2048,   // characters of a debug string
    kFrameWalkLimit = 8,        // caller frames looked at for the line of a fault outside source
};

struct DebugEngine {
    DebugPlatform *platform = nullptr;
    DebugEngineHooks hooks;
    DebugInfo info;

    std::string commandLine, path, arguments;
    void *process = nullptr, *thread = nullptr, *imageFile = nullptr;
    uint32_t processId = 0, threadId = 0, loadAddress = 0, startAddress = 0;
    // Flags.
    bool active = false, stopped = false, suspendedByUser = false, processCreated = false;
    bool attached = false, noDebugInfo = false, noSource = false, profiling = false;
    bool childSinceBreakpoint = false;   // a child's own loader breakpoint is still to come
    int firstBreakpoint = 0;             // 0 none yet, 1 the loader's, 2 later ones
    int language = kLanguageC;
    unsigned flags = 0;                  // DebuggerFlags; bit 0 traps every exception
    uint32_t attachProcessId = 0;
    std::function<void()> signalAttachEvent;   // none when no event came with the process id

    RegisterSet context;                 // of the thread that stopped
    uint32_t stackTop = 0;
    uint32_t waitTime = 100;
    // A breakpoint lifted to run its instruction, written back at the next single step.
    bool pendingValid = false;
    uint32_t pendingAddress = 0;
    // The code-region trap: while the program runs in code without debug information, the
    // executable's code is inaccessible, so that its coming back faults. The region's former
    // protection is kept from the first time it is armed in a run.
    bool codeTrapArmed = false, codeTrapProtectionKnown = false;
    uint32_t codeTrapBase = 0, codeTrapSize = 0, codeTrapProtection = 0;
    // Step in met a call through an import stub to a DLL without debug information: at the
    // next single step the program goes into the DLL with the trap armed.
    bool continueIntoDll = false;
    // Stepping: the trap flag is set for a step (not only to write a breakpoint back).
    bool stepping = false, stepInto = false, stepTrap = false;   // not into: Same Level
    uint32_t stepOrigin = 0, stepModule = 0, stepLine = 0;
    uint32_t stepStack = 0;   // ESP before the call stepped over: deeper hits are recursion
    // Values returned by the calls stepped over: (callee, EAX after the call).
    std::vector<std::pair<uint32_t, uint32_t>> returned;

    // The pending debug event while the debuggee is stopped at one.
    bool eventPending = false;
    uint32_t eventProcessId = 0, eventThreadId = 0;
    uint32_t eventStatus = 0;   // how it is continued: an exception that stopped goes back to the program
    bool exited = false;

    std::vector<EngineThread> threads;
    std::vector<ChildProcess> children;
    std::vector<BreakpointRecord> breakpoints;

    // Counted by the debug thread each time it comes to wait for a signal: a change after
    // `running` was reset tells that it no longer handles an event.
    std::atomic<uint32_t> parkedTurns{0};

    std::mutex logLock;
    std::vector<std::string> log;
};

// Exception names: "Unknown (code %d)" for a code not in the table.
std::string ExceptionName(uint32_t code);

// Clears everything of an earlier run and keeps platform and hooks.
void ResetEngine(DebugEngine &engine);
void AddLog(DebugEngine &engine, const std::string &text);

// The debug thread. Begin starts or attaches (false: the thread ends); Step runs one turn
// of the loop (false: it ends); End releases the run's handles and information.
bool BeginDebugThread(DebugEngine &engine);
bool DebugThreadStep(DebugEngine &engine);
void EndDebugThread(DebugEngine &engine);
// One debug event (when one comes within the wait time).
void HandleOneEvent(DebugEngine &engine);
// Makes the debuggee leave through its own exit function, or terminates it.
void EndDebuggee(DebugEngine &engine);
// The address whose source line is shown for a stop at the current context: EIP when it lies
// in code with lines, else the nearest return address with lines found by following the EBP
// chain of the stopped thread upwards; 0 when there is none.
uint32_t SourceAddressOfStop(DebugEngine &engine);

// User-interface thread, while the debug thread waits.
void ContinueDebuggee(DebugEngine &engine);
bool BreakDebuggee(DebugEngine &engine, bool display);
// Holds a running program while the user-interface thread changes its breakpoints: the debug
// thread first finishes an event it may be handling (and when that event stops the program,
// nothing more is needed), then the program is suspended and the code-region trap lifted.
// False when it cannot be held. Release undoes what Hold did.
struct DebuggeeHold {
    bool held = false, rearm = false;
};
bool HoldDebuggee(DebugEngine &engine, DebuggeeHold *hold);
void ReleaseDebuggee(DebugEngine &engine, const DebuggeeHold &hold);
// Orders the debug thread to end the debuggee (it must then be waited for).
void RequestStop(DebugEngine &engine);

// Breakpoints.
// Writes one byte of the debuggee's code; a failure goes into the debug log as "Error %d in
// debug, line %d" with the caller's line.
bool WriteCodeByte(DebugEngine &engine, uint32_t address, uint8_t byte, int line);
BreakpointRecord *FindBreakpoint(DebugEngine &engine, uint32_t address);
bool InsertBreakpoint(DebugEngine &engine, uint32_t address, uint32_t flags, uint32_t module, int file,
                      uint32_t line);
void RemoveBreakpoint(DebugEngine &engine, uint32_t address);
// User breakpoints by file name and line. Returns the line used (the nearest line with
// code), 0 when nothing was set; *removed tells a removal. setOnly keeps an existing one and
// writes what could not be placed into the log rather than a box.
uint32_t ToggleBreakpoint(DebugEngine &engine, const char *fileName, uint32_t line, bool setOnly, bool *removed);
// Stepping commands, user-interface thread, while stopped; false when refused.
bool StepInto(DebugEngine &engine);
bool StepOver(DebugEngine &engine);
bool StepOut(DebugEngine &engine);
// Run to cursor: `line` of `fileName` (null: of the current module's file).
bool RunToCursor(DebugEngine &engine, uint32_t line, const char *fileName = nullptr);
bool SetNextStatement(DebugEngine &engine, uint32_t line);
// The address the engine lets the program leave through (ExitProcess, exit...), 0: none.
uint32_t ExitAddress(DebugEngine &engine);

std::string FormatText(const char *format, ...) __attribute__((format(printf, 1, 2)));
