#include "debugger/DebugRun.h"

#include <windows.h>

#include <stdio.h>
#include <stdlib.h>
#include <string.h>

#include <memory>
#include <string>

#include "base/AppState.h"
#include "base/Boxes.h"
#include "base/CommandIds.h"
#include "base/Commands.h"
#include "base/DebugIds.h"
#include "base/FrameMessages.h"
#include "debugger/DebugEngine.h"
#include "debugger/DebugInfoFile.h"
#include "debugger/DebugOptions.h"
#include "debugger/DebugWindows.h"
#include "editor/BreakpointLines.h"
#include "editor/Document.h"
#include "editor/Editing.h"
#include "editor/Search.h"
#include "platform/UiPort.h"
#include "project/Build.h"
#include "project/Project.h"
#include "ui/Dialogs.h"
#include "ui/Pages.h"
#include "ui/OutputWindow.h"

namespace {

// The frame comes to the front, or the box it shows: a box that the end of the run brought
// up ("Finished. Return code") must not go behind the frame.
void BringFrameForward(HWND frame) {
    HWND popup = GetLastActivePopup(frame);
    SetForegroundWindow(popup && popup != frame && IsWindowVisible(popup) ? popup : frame);
}

// The registers of a 32-bit debuggee: its CONTEXT, or through WOW64 from a 64-bit IDE.
#ifdef _WIN64
typedef WOW64_CONTEXT DebuggeeContext;
typedef BOOL(WINAPI *ContextCall)(HANDLE, WOW64_CONTEXT *);
bool GetDebuggeeContext(HANDLE thread, DebuggeeContext *context) {
    static ContextCall call = reinterpret_cast<ContextCall>(
        reinterpret_cast<void *>(GetProcAddress(GetModuleHandleA("kernel32.dll"), "Wow64GetThreadContext")));
    return call && call(thread, context);
}
bool SetDebuggeeContext(HANDLE thread, DebuggeeContext *context) {
    static ContextCall call = reinterpret_cast<ContextCall>(
        reinterpret_cast<void *>(GetProcAddress(GetModuleHandleA("kernel32.dll"), "Wow64SetThreadContext")));
    return call && call(thread, context);
}
#else
typedef CONTEXT DebuggeeContext;
bool GetDebuggeeContext(HANDLE thread, DebuggeeContext *context) { return GetThreadContext(thread, context); }
bool SetDebuggeeContext(HANDLE thread, DebuggeeContext *context) { return SetThreadContext(thread, context); }
#endif
const DWORD kContextFlags = 0x1000F;   // i386 context: control, integer, segments, FPU

uint32_t Address(const void *pointer) { return static_cast<uint32_t>(reinterpret_cast<uintptr_t>(pointer)); }
void *Pointer(uint32_t address) { return reinterpret_cast<void *>(static_cast<uintptr_t>(address)); }

class Win32DebugPlatform : public DebugPlatform {
public:
    HANDLE events[3] = {};
    bool nativeLoaderSeen = false;

    bool CreateEvents() {
        events[kSignalRunning] = CreateEventA(nullptr, TRUE, FALSE, nullptr);
        events[kSignalResume] = CreateEventA(nullptr, FALSE, FALSE, nullptr);
        events[kSignalKill] = CreateEventA(nullptr, FALSE, FALSE, nullptr);
        if (events[0] && events[1] && events[2])
            return true;
        CloseEvents();   // all three or none
        return false;
    }
    void CloseEvents() {
        for (HANDLE &event : events) {
            if (event)
                ::CloseHandle(event);
            event = nullptr;
        }
    }
    bool CreateDebuggee(const char *commandLine, void **process, void **thread, uint32_t *processId,
                        uint32_t *threadId, uint32_t *error) override {
        STARTUPINFOA startup = {};
        startup.cb = sizeof startup;
        startup.dwFlags = STARTF_USESHOWWINDOW;
        startup.wShowWindow = SW_SHOWDEFAULT;
        PROCESS_INFORMATION created = {};
        char line[2048];
        snprintf(line, sizeof line, "%s", commandLine);
        if (!CreateProcessA(nullptr, line, nullptr, nullptr, FALSE, DEBUG_PROCESS | DEBUG_ONLY_THIS_PROCESS, nullptr,
                            nullptr, &startup, &created)) {
            *error = GetLastError();
            return false;
        }
        *process = created.hProcess, *thread = created.hThread;
        *processId = created.dwProcessId, *threadId = created.dwThreadId;
        return true;
    }
    bool Attach(uint32_t processId) override { return DebugActiveProcess(processId); }
    bool WaitDebugEvent(DebugEvent *out, uint32_t milliseconds) override {
        DEBUG_EVENT event;
        if (!WaitForDebugEvent(&event, milliseconds))
            return false;
#ifdef _WIN64
        // A 32-bit debuggee seen from a 64-bit debugger: the 64-bit loader's breakpoint comes
        // first and is passed over; the 32-bit side's breakpoint and single step have codes of
        // their own.
        if (event.dwDebugEventCode == EXCEPTION_DEBUG_EVENT) {
            DWORD &code = event.u.Exception.ExceptionRecord.ExceptionCode;
            if (code == 0x80000003 && !nativeLoaderSeen) {
                nativeLoaderSeen = true;
                ::ContinueDebugEvent(event.dwProcessId, event.dwThreadId, DBG_CONTINUE);
                return false;
            }
            if (code == 0x4000001F)
                code = 0x80000003;
            else if (code == 0x4000001E)
                code = 0x80000004;
        }
#endif
        *out = DebugEvent();
        out->code = event.dwDebugEventCode;
        out->processId = event.dwProcessId;
        out->threadId = event.dwThreadId;
        switch (event.dwDebugEventCode) {
        case EXCEPTION_DEBUG_EVENT: {
            const EXCEPTION_RECORD &record = event.u.Exception.ExceptionRecord;
            out->exceptionCode = record.ExceptionCode;
            out->exceptionFlags = record.ExceptionFlags;
            out->exceptionAddress = Address(record.ExceptionAddress);
            out->firstChance = event.u.Exception.dwFirstChance != 0;
            out->parameterCount = record.NumberParameters < 15 ? record.NumberParameters : 15;
            for (uint32_t i = 0; i < out->parameterCount; i++)
                out->parameters[i] = static_cast<uint32_t>(record.ExceptionInformation[i]);
            break;
        }
        case CREATE_THREAD_DEBUG_EVENT:
            out->thread = event.u.CreateThread.hThread;
            out->localBase = Address(event.u.CreateThread.lpThreadLocalBase);
            out->startAddress = Address(reinterpret_cast<void *>(event.u.CreateThread.lpStartAddress));
            break;
        case CREATE_PROCESS_DEBUG_EVENT: {
            const CREATE_PROCESS_DEBUG_INFO &info = event.u.CreateProcessInfo;
            out->process = info.hProcess, out->thread = info.hThread, out->file = info.hFile;
            out->base = Address(info.lpBaseOfImage);
            out->debugInfoOffset = info.dwDebugInfoFileOffset, out->debugInfoSize = info.nDebugInfoSize;
            out->localBase = Address(info.lpThreadLocalBase);
            out->startAddress = Address(reinterpret_cast<void *>(info.lpStartAddress));
            out->imageName = Address(info.lpImageName);
            out->unicode = info.fUnicode != 0;
            break;
        }
        case EXIT_THREAD_DEBUG_EVENT:
            out->exitCode = event.u.ExitThread.dwExitCode;
            break;
        case EXIT_PROCESS_DEBUG_EVENT:
            out->exitCode = event.u.ExitProcess.dwExitCode;
            break;
        case LOAD_DLL_DEBUG_EVENT:
            out->file = event.u.LoadDll.hFile;
            out->base = Address(event.u.LoadDll.lpBaseOfDll);
            out->imageName = Address(event.u.LoadDll.lpImageName);
            out->unicode = event.u.LoadDll.fUnicode != 0;
            break;
        case UNLOAD_DLL_DEBUG_EVENT:
            out->base = Address(event.u.UnloadDll.lpBaseOfDll);
            break;
        case OUTPUT_DEBUG_STRING_EVENT:
            out->stringAddress = Address(event.u.DebugString.lpDebugStringData);
            out->stringLength = event.u.DebugString.nDebugStringLength;
            out->unicode = event.u.DebugString.fUnicode != 0;
            break;
        case RIP_EVENT:
            out->error = event.u.RipInfo.dwError, out->errorType = event.u.RipInfo.dwType;
            break;
        }
        return true;
    }
    bool ContinueDebugEvent(uint32_t processId, uint32_t threadId, uint32_t status) override {
        return ::ContinueDebugEvent(processId, threadId, status);
    }
    bool GetRegisters(void *thread, RegisterSet *r) override {
        DebuggeeContext context = {};
        context.ContextFlags = kContextFlags;
        if (!GetDebuggeeContext(thread, &context))
            return false;
        r->eax = context.Eax, r->ebx = context.Ebx, r->ecx = context.Ecx, r->edx = context.Edx;
        r->esi = context.Esi, r->edi = context.Edi, r->ebp = context.Ebp, r->esp = context.Esp;
        r->eip = context.Eip, r->eflags = context.EFlags;
        return true;
    }
    bool SetRegisters(void *thread, const RegisterSet &r) override {
        DebuggeeContext context = {};
        context.ContextFlags = kContextFlags;
        if (!GetDebuggeeContext(thread, &context))
            return false;
        context.Eax = r.eax, context.Ebx = r.ebx, context.Ecx = r.ecx, context.Edx = r.edx;
        context.Esi = r.esi, context.Edi = r.edi, context.Ebp = r.ebp, context.Esp = r.esp;
        context.Eip = r.eip, context.EFlags = r.eflags;
        return SetDebuggeeContext(thread, &context);
    }
    long SuspendThread(void *thread) override {
        DWORD count = ::SuspendThread(thread);
        return count == static_cast<DWORD>(-1) ? -1 : static_cast<long>(count);
    }
    long ResumeThread(void *thread) override {
        DWORD count = ::ResumeThread(thread);
        return count == static_cast<DWORD>(-1) ? -1 : static_cast<long>(count);
    }
    bool TerminateProcess(void *process) override { return ::TerminateProcess(process, 0); }
    bool ReadMemory(void *process, uint32_t address, void *buffer, uint32_t size) override {
        SIZE_T read = 0;
        return ReadProcessMemory(process, Pointer(address), buffer, size, &read) && read == size;
    }
    // Code pages are made writable for the write and get their protection back whatever it did.
    bool WriteMemory(void *process, uint32_t address, const void *buffer, uint32_t size) override {
        DWORD old = 0;
        bool unprotected = VirtualProtectEx(process, Pointer(address), size, PAGE_EXECUTE_READWRITE, &old);
        SIZE_T written = 0;
        bool done = WriteProcessMemory(process, Pointer(address), buffer, size, &written) && written == size;
        if (unprotected)
            VirtualProtectEx(process, Pointer(address), size, old, &old);
        FlushInstructionCache(process, Pointer(address), size);
        return done;
    }
    bool QueryRegion(void *process, uint32_t address, uint32_t *base, uint32_t *size) override {
        MEMORY_BASIC_INFORMATION region = {};
        if (VirtualQueryEx(process, Pointer(address), &region, sizeof region) != sizeof region)
            return false;
        *base = Address(region.BaseAddress);
        *size = static_cast<uint32_t>(region.RegionSize);
        return true;
    }
    bool ProtectRegion(void *process, uint32_t address, uint32_t size, uint32_t protection, uint32_t *former) override {
        DWORD old = 0;
        if (!VirtualProtectEx(process, Pointer(address), size, protection, &old))
            return false;
        *former = old;
        return true;
    }
    void *OpenProcessForRead(uint32_t processId) override { return OpenProcess(PROCESS_VM_READ, FALSE, processId); }
    bool ReadFileAt(void *file, uint32_t offset, void *buffer, uint32_t size) override {
        if (!file || GetFileType(file) != FILE_TYPE_DISK)
            return false;
        OVERLAPPED at = {};
        at.Offset = offset;
        DWORD read = 0;
        return ReadFile(file, buffer, size, &read, &at) && read == size;
    }
    void CloseHandle(void *handle) override {
        if (handle)
            ::CloseHandle(handle);
    }
    uint32_t LastError() override { return GetLastError(); }
    std::string ErrorText(uint32_t error) override {
        char text[512] = "";
        FormatMessageA(FORMAT_MESSAGE_FROM_SYSTEM | FORMAT_MESSAGE_IGNORE_INSERTS, nullptr, error, 0, text, sizeof text,
                       nullptr);
        return text;
    }
    void Signal(DebugSignal which) override { SetEvent(events[which]); }
    void Pause(uint32_t milliseconds) override {
        MsgWaitForMultipleObjects(0, nullptr, FALSE, milliseconds, QS_SENDMESSAGE);
        MSG message;
        PeekMessageA(&message, nullptr, 0, 0, PM_NOREMOVE | PM_QS_SENDMESSAGE);
    }
    void Reset(DebugSignal which) override { ResetEvent(events[which]); }
    DebugSignal WaitSignal() override {
        DWORD got = WaitForMultipleObjects(3, events, FALSE, INFINITE);
        return got < WAIT_OBJECT_0 + 3 ? static_cast<DebugSignal>(got - WAIT_OBJECT_0) : kSignalNone;
    }
    std::string FromUtf16(const uint16_t *text, size_t length) override {
        if (!length)
            return "";
        std::string out(length * 2 + 1, '\0');
        int n = WideCharToMultiByte(CP_ACP, 0, reinterpret_cast<const wchar_t *>(text), static_cast<int>(length),
                                    &out[0], static_cast<int>(out.size()), nullptr, nullptr);
        out.resize(n > 0 ? static_cast<size_t>(n) : 0);
        return out;
    }
};

struct DebugRun {
    Win32DebugPlatform platform;
    DebugEngine engine;
    HANDLE thread = nullptr;
    HWND frame = nullptr;
    bool stopping = false;
    Document *shown = nullptr;   // the document whose line carries the current-line mark
    Line *shownLine = nullptr;
};

std::unique_ptr<DebugRun> g_run;

// What the debug thread posts to the frame (kMsgDebugNotice): a box, the exception dialog, a
// line of the debug event log for the output window.
enum { kNoticeInfo = 0, kNoticeError = 1, kNoticeException = 2, kNoticeLog = 3 };

struct ExceptionReport {
    DebugEvent event;
    RegisterSet registers;
    std::string commandLine;
};

// The output list draws a tab as a box: tabs become spaces up to the next multiple of 8.
std::string ExpandTabs(const char *text) {
    std::string out;
    size_t column = 0;
    for (const char *p = text; *p; p++) {
        if (*p == '\t') {
            do
                out += ' ';
            while (++column % 8);
            continue;
        }
        out += *p;
        column = *p == '\n' ? 0 : column + 1;
    }
    return out;
}


INT_PTR CALLBACK ExceptionProc(HWND dialog, UINT message, WPARAM wParam, LPARAM lParam) {
    if (message != WM_INITDIALOG)
        return DefaultDialogProc(dialog, message, wParam, lParam);
    const ExceptionReport &report = *reinterpret_cast<const ExceptionReport *>(lParam);
    const RegisterSet &r = report.registers;
    const DebugEvent &e = report.event;
    SetItemText(dialog, IDC_EXCEPTION_REGISTERS,
                FormatText("EIP=%08x\tESP=%08x\nEBP=%08x\tESI=%08x\nEDI=%08x\tEAX=%08x\nEBX=%08x\tECX=%08x", r.eip,
                           r.esp, r.ebp, r.esi, r.edi, r.eax, r.ebx, r.ecx));
    SetItemText(dialog, IDC_EXCEPTION_COMMAND, report.commandLine);
    SetItemText(dialog, IDC_EXCEPTION_NAME, ExceptionName(e.exceptionCode));
    SetItemText(dialog, IDC_EXCEPTION_CODE, FormatText("%d", static_cast<int>(e.exceptionCode)));
    SetItemText(dialog, IDC_EXCEPTION_FLAGS, FormatText("0x%x", e.exceptionFlags));
    SetItemText(dialog, IDC_EXCEPTION_ADDRESS, FormatText("0x%x", e.exceptionAddress));
    SetItemText(dialog, IDC_EXCEPTION_COUNT, FormatText("%d", static_cast<int>(e.parameterCount)));
    HWND list = GetDlgItem(dialog, IDC_EXCEPTION_PARAMETERS);
    for (uint32_t i = 0; i < e.parameterCount && i < 15; i++)
        SendMessageA(list, LB_ADDSTRING, 0,
                     reinterpret_cast<LPARAM>(FormatText("%3d 0x%X %d", static_cast<int>(i + 1), e.parameters[i],
                                                         static_cast<int>(e.parameters[i]))
                                                  .c_str()));
    SetForegroundWindow(dialog);
    return TRUE;
}

// Boxes the debug thread asks for are shown by the user-interface thread.
void Notice(HWND frame, int kind, const char *text) {
    char *copy = strdup(text ? text : "");
    if (copy && !PostMessageA(frame, kMsgDebugNotice, static_cast<WPARAM>(kind), reinterpret_cast<LPARAM>(copy)))
        free(copy);
}

// Bounded, so that the debug thread never waits forever on a user-interface thread that
// waits for it.
LRESULT SendToFrame(HWND frame, UINT message, WPARAM wParam, LPARAM lParam) {
    DWORD_PTR result = 0;
    SendMessageTimeoutA(frame, message, wParam, lParam, SMTO_NORMAL, 10000, &result);
    return static_cast<LRESULT>(result);
}

DWORD WINAPI DebugThread(void *parameter) {
    DebugEngine &engine = *static_cast<DebugEngine *>(parameter);
    if (BeginDebugThread(engine))
        while (DebugThreadStep(engine)) {
        }
    EndDebugThread(engine);
    return 0;
}

// The path of a module's source file as the debug information names it, opened.
bool OpenModuleSource(const char *name) {
    return name && name[0] && OpenPath(name);
}

void ClearCurrentLine() {
    if (g_run && g_run->shownLine && g_run->shown) {
        for (Document *doc = g_editor ? g_editor->documents : nullptr; doc; doc = doc->next)
            if (doc == g_run->shown)
                g_run->shownLine->flags &= ~kLineExecuting;
    }
    if (g_run)
        g_run->shown = nullptr, g_run->shownLine = nullptr;
}

// The current line (4074): its file opens, the cursor goes there and the line is marked.
void ShowCurrentLine(long line) {
    DebugEngine &engine = g_run->engine;
    ModuleRecord *module = ModuleAt(engine.info, engine.info.currentModule);
    if (!module || module->files.empty())
        return;
    int file = module->currentFile >= 0 && module->currentFile < static_cast<int>(module->files.size())
                   ? module->currentFile
                   : 0;
    ClearCurrentLine();
    if (!OpenPath(module->files[static_cast<size_t>(file)].name.c_str()) || !g_editor || !g_editor->view)
        return;
    GotoLineNumber(line);
    g_run->shown = g_editor->view->doc;
    g_run->shownLine = g_editor->view->current;
    if (g_run->shownLine)
        g_run->shownLine->flags |= kLineExecuting;
    InvalidateRect(g_editor->view->window, nullptr, FALSE);
}

// The hooks run on the debug thread and reach the frame through messages only.
void InstallHooks(DebugRun &run) {
    DebugEngineHooks &h = run.engine.hooks;
    HWND frame = run.frame;
    DebugEngine *engine = &run.engine;
    h.post = [frame](int command) { PostMessageA(frame, WM_COMMAND, static_cast<WPARAM>(command), 0); };
    h.loaded = [frame] { SendToFrame(frame, kMsgDebugLoaded, 0, 0); };
    h.modulesAdded = [frame] { SendToFrame(frame, kMsgDebugLoaded, 3, 0); };
    h.showLine = [frame, engine](uint32_t module, int file, uint32_t line) {
        engine->info.currentModule = module;
        if (ModuleRecord *m = ModuleAt(engine->info, module))
            m->currentFile = file;
        SendToFrame(frame, kMsgDebugShowLine, line, 0);
    };
    h.info = [frame](const char *text) { Notice(frame, kNoticeInfo, text); };
    h.error = [frame](const char *text) { Notice(frame, kNoticeError, text); };
    h.status = [](const char *text) { ShowStatus(text); };
    // The exception dialog, shown by the user-interface thread from its own copy.
    h.exception = [frame, engine](const DebugEvent &event, const RegisterSet &r) {
        auto report = std::make_unique<ExceptionReport>();
        report->event = event, report->registers = r, report->commandLine = engine->commandLine;
        if (PostMessageA(frame, kMsgDebugNotice, kNoticeException, reinterpret_cast<LPARAM>(report.get())))
            (void)report.release();
    };
    h.logged = [frame](const char *text) { Notice(frame, kNoticeLog, text); };
    h.openExecutable = [](DebugInfo &info, void *file, uint32_t load, const char *name) {
        return OpenExecutable(info, file, load, name);
    };
    h.openDll = [](DebugInfo &info, DllRecord *dll) { return OpenDllInfo(info, dll); };
    h.closeDll = [](DebugInfo &info, DllRecord *dll) { CloseDll(info, dll); };
    h.closeAll = [](DebugInfo &info) { CloseDebugInfo(info); };
    h.openSource = [frame](const char *name) {
        char copy[MAX_PATH];
        snprintf(copy, sizeof copy, "%s", name);
        return SendToFrame(frame, kMsgDebugLoaded, 1, reinterpret_cast<LPARAM>(copy)) != 0;
    };
    h.bringToFront = [frame] { PostMessageA(frame, kMsgDebugLoaded, 2, 0); };
    h.breakpointCleared = [frame](uint32_t line) { SendMessageA(frame, kMsgBreakpointCleared, line, 0); };
    run.engine.info.report = [frame](DebugInfoMessage, const char *text) { Notice(frame, kNoticeError, text); };
}

void FreeRun() {
    DestroyDebuggerWindows();
    if (!g_run)
        return;
    g_run->platform.CloseEvents();
    g_run.reset();
}

void ExecuteCommand(int, intptr_t) {
    if (g_run)
        ContinueDebuggee(g_run->engine);
}

void DebuggerCommand(int, intptr_t) {
    if (g_run) {
        ContinueDebuggee(g_run->engine);
        return;
    }
    char path[MAX_PATH + 400] = "";
    const char *program = g_debugOptions.program;
    std::string directory = g_debugOptions.directory;
    const ProjectRecord *project = CurrentProject();
    if (!program[0] && project && !project->debugExe.empty()) {
        // Nothing named on the Debugger page: the project's program, in its debugging
        // directory (the make directory when none is set), where the build put it.
        if (directory.empty())
            directory = project->debugDir.empty() ? project->makeDir : project->debugDir;
        if (project->debugExe.find('\\') == std::string::npos && !directory.empty())
            snprintf(path, sizeof path, "%s\\%s", directory.c_str(), project->debugExe.c_str());
        else
            snprintf(path, sizeof path, "%s", project->debugExe.c_str());
    } else if (!program[0]) {
        if (!CurrentUiPort()->AskFileName(false, "Program to debug", "*.exe", path, sizeof path))
            return;
    } else if (!strchr(program, '\\') && !g_project.path.empty())
        snprintf(path, sizeof path, "%s\\%s", g_project.path.c_str(), program);
    else
        snprintf(path, sizeof path, "%s", program);
    if (!CheckUpToDate())
        return;
    if (!directory.empty())
        SetCurrentDirectoryA(directory.c_str());
    StartDebugSession(g_app->frameWindow, path, g_debugOptions.arguments);
}

void BreakCommand(int, intptr_t) {
    if (g_run && g_run->engine.active)
        BreakDebuggee(g_run->engine, true);
}

void StopCommand(int, intptr_t) { StopDebugging(); }

void RestartCommand(int, intptr_t) {
    if (!g_run)
        return;
    char question[1200];
    snprintf(question, sizeof question, "Restart %s?", g_run->engine.commandLine.c_str());
    if (!Confirm(question))
        return;
    SendMessageA(g_app->frameWindow, WM_COMMAND, IDM_DEBUG_STOP, 0);
    PostMessageA(g_app->frameWindow, WM_COMMAND, IDM_DEBUGGER, 0);
}

// Line `number` (from 1) of a document; null past its end.
Line *LineOfNumber(Document *doc, long number) {
    Line *line = number > 0 ? NthLine(doc, number - 1) : doc->sentinel;
    return IsSentinel(doc, line) ? nullptr : line;
}

// The breakpoints the editor remembers go into the program as it starts and as DLLs with
// debug information come, each at the nearest line with code (where its mark moves); those
// that cannot be placed are forgotten. Those of files that are no module (yet: a DLL's
// sources, headers) are kept for later.
void ApplyEditorBreakpoints(DebugEngine &engine) {
    for (const BreakpointLine &b : AllBreakpoints()) {
        if (!ModuleOfFileName(engine.info, b.file.c_str(), nullptr))
            continue;
        bool removed = false;
        uint32_t used = ToggleBreakpoint(engine, b.file.c_str(), static_cast<uint32_t>(b.line), true, &removed);
        if (used)
            MoveBreakpoint(b.file.c_str(), b.line, static_cast<int>(used));
        else
            ForgetBreakpoint(b.file.c_str(), b.line);
    }
    for (View *view = g_editor ? g_editor->views : nullptr; view; view = view->next)
        InvalidateRect(view->window, nullptr, FALSE);
}

// F2: while debugging the breakpoint goes into the program (at the nearest line with code,
// which the editor marks); otherwise the editor only remembers the line.
void BreakpointCommand(int, intptr_t) {
    if (!g_editor || !g_editor->view || !g_editor->view->current)
        return;
    Document *doc = g_editor->view->doc;
    long number = CurrentLineNumber();
    if (!g_run || !g_run->engine.active) {
        g_editor->view->current->flags ^= kLineBreakpoint;
        InvalidateRect(g_editor->view->window, nullptr, FALSE);
        return;
    }
    bool removed = false;
    uint32_t used = ToggleBreakpoint(g_run->engine, DiskPath(doc), static_cast<uint32_t>(number), false, &removed);
    Line *line = used ? LineOfNumber(doc, static_cast<long>(used)) : nullptr;
    if (line) {
        if (removed)
            line->flags &= ~kLineBreakpoint;
        else
            line->flags |= kLineBreakpoint;
    }
    InvalidateRect(g_editor->view->window, nullptr, FALSE);
}

void StepInCommand(int, intptr_t) {
    if (g_run)
        StepInto(g_run->engine);
}

void SameLevelCommand(int, intptr_t) {
    if (g_run)
        StepOver(g_run->engine);
}

void StepOutCommand(int, intptr_t) {
    if (g_run)
        StepOut(g_run->engine);
}

void RunToCursorCommand(int, intptr_t) {
    if (g_run && g_editor && g_editor->view)
        RunToCursor(g_run->engine, static_cast<uint32_t>(CurrentLineNumber()), DiskPath(g_editor->view->doc));
}

void SetNextStatementCommand(int, intptr_t) {
    if (g_run && g_editor && g_editor->view)
        SetNextStatement(g_run->engine, static_cast<uint32_t>(CurrentLineNumber()));
}

}  // namespace

void (*g_debuggingChanged)(bool debugging);

namespace {

// Waits for the debug thread, taking the messages it sends meanwhile (a current line to
// show), so that neither thread waits for the other.
bool WaitForThread(HANDLE thread, DWORD milliseconds) {
    DWORD end = GetTickCount() + milliseconds;
    for (;;) {
        DWORD now = GetTickCount();
        DWORD left = static_cast<int>(end - now) > 0 ? end - now : 0;
        DWORD got = MsgWaitForMultipleObjects(1, &thread, FALSE, left, QS_SENDMESSAGE);
        if (got == WAIT_OBJECT_0)
            return true;
        if (got != WAIT_OBJECT_0 + 1)
            return false;
        MSG message;
        PeekMessageA(&message, nullptr, 0, 0, PM_NOREMOVE | PM_QS_SENDMESSAGE);
    }
}

}  // namespace

DebugEngine *CurrentEngine() { return g_run ? &g_run->engine : nullptr; }

bool StartDebugSession(HWND frame, const char *path, const char *arguments) {
    if (g_run)
        return false;
    g_run = std::make_unique<DebugRun>();
    DebugRun &run = *g_run;
    run.frame = frame;
    run.engine.platform = &run.platform;
    ResetEngine(run.engine);
    InstallHooks(run);
    run.engine.path = path;
    run.engine.arguments = arguments ? arguments : "";
    run.engine.commandLine = run.engine.path + " " + run.engine.arguments;
    run.engine.flags = static_cast<unsigned>(g_debugOptions.flags);
    if (g_app && g_app->attachProcess) {
        run.engine.attachProcessId = static_cast<uint32_t>(g_app->attachProcess);
        long event = g_app->attachEvent;
        g_app->attachProcess = 0;
        if (event)
            run.engine.signalAttachEvent = [event] { SetEvent(reinterpret_cast<HANDLE>(static_cast<intptr_t>(event))); };
    }
    DWORD id = 0;
    // The debugger windows belong to the frame: a run without one (a test's) has none.
    if (!run.platform.CreateEvents() || (frame && !CreateDebuggerWindows(frame, run.engine.profiling)) ||
        !(run.thread = CreateThread(nullptr, 0, DebugThread, &run.engine, 0, &id))) {
        ErrorBox("Impossible to start the debugger");
        FreeRun();
        return false;
    }
    if (g_app)
        g_app->debugging = true;
    if (g_debuggingChanged)
        g_debuggingChanged(true);
    return true;
}

bool StartDebuggingCommandLine(const char *commandLine) {
    // The path ends where ".EXE" does; what follows are the program's arguments.
    const char *text = commandLine ? commandLine : "";
    const char *end = nullptr;
    for (const char *p = text; *p; p++)
        if (_strnicmp(p, ".EXE", 4) == 0)
            end = p + 4;
    if (!end)
        return false;
    std::string path(text, static_cast<size_t>(end - text));
    while (*end == ' ')
        end++;
    return StartDebugSession(g_app ? g_app->frameWindow : nullptr, path.c_str(), end);
}

void StopDebugging() {
    if (!g_run || g_run->stopping)
        return;
    g_run->stopping = true;
    DebugRun &run = *g_run;
    RequestStop(run.engine);
    // The debug thread takes the debuggee's exit in at most about 2 s; should it not end,
    // the debuggee is terminated, which ends every wait of the thread.
    bool ended = WaitForThread(run.thread, 4000);
    if (!ended && run.engine.process) {
        ::TerminateProcess(run.engine.process, 0);
        ended = WaitForThread(run.thread, 4000);
    }
    ClearCurrentLine();
    if (g_app)
        g_app->debugging = false;
    if (g_debuggingChanged)
        g_debuggingChanged(false);
    HWND frame = run.frame;
    DestroyDebuggerWindows();
    if (!ended) {
        // The thread still uses the run: it is left to the end of the program.
        (void)g_run.release();
    } else {
        CloseHandle(run.thread);
        FreeRun();
    }
    if (frame) {
        SendMessageA(frame, kMsgDebugEnded, 0, 0);
        if (IsIconic(frame))
            ShowWindow(frame, SW_RESTORE);
        BringFrameForward(frame);
    }
}

bool DebugFrameMessage(unsigned message, uintptr_t wParam, intptr_t lParam, intptr_t *result) {
    *result = 0;
    switch (message) {
    case kMsgDebugNotice: {
        if (wParam == kNoticeException) {
            std::unique_ptr<ExceptionReport> report(reinterpret_cast<ExceptionReport *>(lParam));
            RunDialog(ExceptionProc, IDD_DEBUG_EXCEPTION, lParam);
            return true;
        }
        char *text = reinterpret_cast<char *>(lParam);
        if (wParam == kNoticeInfo)
            InfoBox(text);
        else if (wParam == kNoticeError)
            ErrorBox(text);
        else
            AddOutputLines(ExpandTabs(text).c_str());
        free(text);
        return true;
    }
    case kMsgDebugShowLine:
        if (g_run)
            ShowCurrentLine(static_cast<long>(wParam));
        return true;
    case kMsgDebugLoaded:
        if (wParam == 1) {   // the entry module's source is wanted
            *result = OpenModuleSource(reinterpret_cast<const char *>(lParam));
            return true;
        }
        if (wParam == 2 && g_run && g_run->frame)
            BringFrameForward(g_run->frame);
        if ((wParam == 0 || wParam == 3) && g_run)
            ApplyEditorBreakpoints(g_run->engine);
        return true;
    case kMsgDebugEnded:
        return true;
    case kMsgBreakpointCleared:
        if (g_editor && g_editor->view && g_editor->view->doc) {
            if (Line *line = LineOfNumber(g_editor->view->doc, static_cast<long>(wParam)))
                line->flags &= ~kLineBreakpoint;
            InvalidateRect(g_editor->view->window, nullptr, FALSE);
        }
        return true;
    }
    return false;
}

void RegisterEngineCommands() {
    RegisterHandler(IDM_DEBUGGER, DebuggerCommand);
    RegisterHandler(IDM_DEBUG_EXECUTE, ExecuteCommand);
    RegisterHandler(IDM_DEBUG_BREAK, BreakCommand);
    RegisterHandler(IDM_DEBUG_RESTART, RestartCommand);
    RegisterHandler(IDM_DEBUG_STOP, StopCommand);
    RegisterHandler(IDM_DEBUG_BREAKPOINT, BreakpointCommand);
    RegisterHandler(IDM_SET_BREAKPOINT, BreakpointCommand);
    RegisterHandler(IDM_DEBUG_STEP_IN, StepInCommand);
    RegisterHandler(IDM_DEBUG_SAME_LEVEL, SameLevelCommand);
    RegisterHandler(IDM_DEBUG_STEP_OUT, StepOutCommand);
    RegisterHandler(IDM_DEBUG_RUN_TO_CURSOR, RunToCursorCommand);
    RegisterHandler(IDM_DEBUG_SET_NEXT_STATEMENT, SetNextStatementCommand);
    RegisterProgramInfoCommand();
}

std::unique_ptr<DebugPlatform> MakeWin32DebugPlatform() {
    auto platform = std::make_unique<Win32DebugPlatform>();
    if (!platform->CreateEvents())
        return nullptr;
    return platform;
}

unsigned long __stdcall DebugThreadProcedure(void *engine) { return DebugThread(engine); }
