// Building the project. make runs on a thread of its own with its standard error in the
// project's error file; make reports each command it starts to the output window, whose answer
// carries the user's stop request; at the end the error file fills the results list, and a
// double click on a diagnostic opens its source at the line.
//
// The thread shares nothing with the rest of the program but the job it is handed: its texts
// are copied before it starts, and what it finds (the exit code, the time, a fallback error
// file, the notices to show) comes back in the job by a message to a window of this module,
// where the user-interface thread takes it over. The build state and the stop request are
// written on the user-interface thread only.
#include "project/Build.h"

#include <windows.h>
#include <stdio.h>
#include <string.h>
#include <strings.h>

#include <vector>

#include "base/AppState.h"
#include "base/Boxes.h"
#include "base/CommandIds.h"
#include "base/Commands.h"
#include "base/FrameMessages.h"
#include "base/MessageIds.h"
#include "base/Messages.h"
#include "base/TextUtil.h"
#include "editor/Document.h"
#include "editor/Editing.h"
#include "editor/EditorWindow.h"
#include "platform/Files.h"
#include "project/Diagnostics.h"
#include "project/Makefile.h"
#include "project/Project.h"
#include "project/ProjectCommands.h"
#include "project/Wizard.h"
#include "settings/Settings.h"
#include "ui/OutputWindow.h"

namespace {

enum {
    kNotice = WM_APP + 1,   // lParam: a text of new[] to show
    kDone = WM_APP + 2,     // lParam: the finished job
    kMaxErrorText = 32700,  // characters read from the error file at most
    kMaxErrorLine = 1400,
    kUpToDate = 0,
    kNotUpToDate = 199,     // make -q: the target is out of date
};

const char kEiffelRefused[] = "Eiffel projects are built by the Eiffel support, which is not installed";

// What the build thread is handed and what it hands back.
struct BuildJob {
    std::string command, makeDir, errorFile, project;
    HWND notify = nullptr;
    std::string fallbackErrorFile;   // set when the error file could not be created
    bool started = false;
    int exitCode = -1;
    long elapsed = 0;
};

int g_stopRequest;
ProgressLine g_progress;
HWND g_notify;

void MenusChanged() {
    if (g_projectHooks.menusChanged)
        g_projectHooks.menusChanged();
}

void PostMake() {
    if (g_app && g_app->frameWindow)
        PostMessageA(g_app->frameWindow, kMsgPostedCommand, IDM_MAKE, 0);
}

// ---- The build thread ----

void Notice(const BuildJob *job, const std::string &text) {
    char *copy = new char[text.size() + 1];
    memcpy(copy, text.c_str(), text.size() + 1);
    if (!PostMessageA(job->notify, kNotice, 0, reinterpret_cast<LPARAM>(copy)))
        delete[] copy;
}

HANDLE CreateErrorFile(const std::string &path, SECURITY_ATTRIBUTES *security) {
    return CreateFileA(path.c_str(), GENERIC_WRITE, FILE_SHARE_READ, security, CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL,
                       nullptr);
}

void RunJob(BuildJob *job) {
    DeleteFileA(job->errorFile.c_str());
    if (!IsDirectory(job->makeDir.c_str())) {
        Notice(job, "The make directory " + job->makeDir + "\ndoes not exist.\nImpossible to run make\n");
        return;
    }
    // On NT the handles make inherits get a descriptor with no access list: anyone may use them.
    SECURITY_ATTRIBUTES security = {sizeof security, nullptr, TRUE};
    SECURITY_DESCRIPTOR descriptor;
    OSVERSIONINFOA version;
    memset(&version, 0, sizeof version);
    version.dwOSVersionInfoSize = sizeof version;
    if (GetVersionExA(&version) && version.dwPlatformId == VER_PLATFORM_WIN32_NT &&
        InitializeSecurityDescriptor(&descriptor, SECURITY_DESCRIPTOR_REVISION) &&
        SetSecurityDescriptorDacl(&descriptor, TRUE, nullptr, FALSE))
        security.lpSecurityDescriptor = &descriptor;
    HANDLE errors = CreateErrorFile(job->errorFile, &security);
    if (errors == INVALID_HANDLE_VALUE) {
        std::string fallback = job->makeDir + "\\errout.err";
        Notice(job, Lowered("Unable to open messages file " + job->errorFile + " for writing\nDefaulting to " + fallback));
        job->fallbackErrorFile = fallback;
        errors = CreateErrorFile(fallback, &security);
        if (errors == INVALID_HANDLE_VALUE) {
            Notice(job, "Impossible to open that too...\nThe environment is screwed up. I quit");
            return;
        }
    }
    STARTUPINFOA startup;
    memset(&startup, 0, sizeof startup);
    startup.cb = sizeof startup;
    startup.dwFlags = STARTF_USESHOWWINDOW | STARTF_USESTDHANDLES;
    startup.wShowWindow = SW_HIDE;
    startup.hStdInput = nullptr;
    startup.hStdOutput = GetStdHandle(STD_OUTPUT_HANDLE);
    startup.hStdError = errors;
    PROCESS_INFORMATION process;
    memset(&process, 0, sizeof process);
    std::vector<char> line(job->command.begin(), job->command.end());
    line.push_back('\0');
    DWORD start = GetTickCount();
    if (!CreateProcessA(nullptr, line.data(), nullptr, nullptr, TRUE, CREATE_NEW_PROCESS_GROUP | NORMAL_PRIORITY_CLASS,
                        nullptr, job->makeDir.c_str(), &startup, &process)) {
        Notice(job, FormatMessageId(1157, job->command.c_str()));
    } else {
        job->started = true;
        CloseHandle(process.hThread);
        WaitForSingleObject(process.hProcess, INFINITE);
        job->elapsed = static_cast<long>(GetTickCount() - start);
        DWORD code = 0;
        job->exitCode = GetExitCodeProcess(process.hProcess, &code) ? static_cast<int>(code) : -1;
        CloseHandle(process.hProcess);
    }
    CloseHandle(errors);
}

DWORD WINAPI BuildThread(LPVOID parameter) {
    BuildJob *job = static_cast<BuildJob *>(parameter);
    RunJob(job);
    // The window lives as long as the program; the job is the user-interface thread's now.
    PostMessageA(job->notify, kDone, 0, reinterpret_cast<LPARAM>(job));
    return 0;
}

// ---- Back on the user-interface thread ----

void AddProgressPieces(const std::vector<std::string> &pieces) {
    for (const std::string &piece : pieces)
        AddOutputLine(piece.c_str());
    if (!pieces.empty())
        ScrollToOutputLine(OutputLineCount() - 1);
}

void BuildEnded(BuildJob *job) {
    ProjectRecord *p = CurrentProject();
    bool same = p && p->name == job->project;
    if (same) {
        if (!job->fallbackErrorFile.empty())
            p->errorFile = job->fallbackErrorFile;
        p->buildExitCode = job->exitCode;
        p->buildTime = job->elapsed;
    }
    std::vector<std::string> pieces;
    if (!g_progress.Pending().empty())
        g_progress.Append("\n", &pieces);
    AddProgressPieces(pieces);
    g_progress.Clear();
    g_stopRequest = 0;
    if (g_app) {
        g_app->buildState = kBuildIdle;
        g_app->waitingForBuild = false;
    }
    MenusChanged();
    if (job->started && same)
        ShowResults(p);
    delete job;
}

LRESULT CALLBACK NotifyProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    switch (message) {
    case kNotice: {
        char *text = reinterpret_cast<char *>(lParam);
        ErrorBox(text);
        delete[] text;
        return 0;
    }
    case kDone:
        BuildEnded(reinterpret_cast<BuildJob *>(lParam));
        return 0;
    }
    return DefWindowProcA(window, message, wParam, lParam);
}

HWND NotifyWindow() {
    if (g_notify)
        return g_notify;
    WNDCLASSA windowClass;
    memset(&windowClass, 0, sizeof windowClass);
    windowClass.lpfnWndProc = NotifyProc;
    windowClass.hInstance = GetModuleHandleA(nullptr);
    windowClass.lpszClassName = "KeltoBuildEnd";
    RegisterClassA(&windowClass);
    g_notify = CreateWindowExA(0, "KeltoBuildEnd", nullptr, 0, 0, 0, 0, 0, HWND_MESSAGE, nullptr,
                               GetModuleHandleA(nullptr), nullptr);
    return g_notify;
}

// make's message 26024: the text it put into the shared block goes to the list; the answer is
// the stop request, which is then cleared.
LRESULT BuildProgress() {
    if (!g_app || g_app->buildState != kBuildRunning)
        return 0;
    LRESULT answer = g_stopRequest;
    g_stopRequest = 0;
    std::string text;
    if (const char *block = g_app->sharedBlock)
        text.assign(block, strnlen(block, kSharedBlockMapped - 1));
    ReplyMessage(answer);   // make goes on while the list is filled
    std::vector<std::string> pieces;
    bool kept = g_progress.Append(text.c_str(), &pieces);
    AddProgressPieces(pieces);
    if (!kept)
        ErrorBox("Overflow reading error message");
    return answer;
}

// The Eiffel test; an Eiffel project cannot be built here.
bool RefuseEiffel(ProjectRecord *p) {
    if (!ApplyEiffelTest(p))
        return false;
    ErrorBox(kEiffelRefused);
    return true;
}

void DiagnosticChosen(int index, const char *, LPARAM) { GoToDiagnostic(index); }

void AddWrapped(const std::string &line) {
    for (const std::string &piece : WrapResultLine(line, OutputListFits))
        AddOutputLine(piece.c_str());
}

// The error file's lines into the list; false when it was too big (the lines so far stay).
bool ReadErrorFile(FILE *in) {
    std::string line;
    long total = 0;
    int c;
    while ((c = fgetc(in)) != EOF) {
        if (++total > kMaxErrorText)
            return false;
        if (c == '\n') {
            if (!line.empty() && line.back() == '\r')
                line.pop_back();
            AddWrapped(line);
            line.clear();
        } else if (line.size() >= kMaxErrorLine) {
            return false;
        } else {
            line += static_cast<char>(c);
        }
    }
    if (!line.empty())
        AddWrapped(line);
    return true;
}

void MakeHandler(int, intptr_t) { MakeCommand(); }

void ShowResultsHandler(int, intptr_t) {
    if (g_app && g_app->buildState != kBuildIdle) {
        ErrorMessage(4565);
        return;
    }
    if (ProjectRecord *p = CurrentProject())
        ShowResults(p);
    else
        ErrorMessage(kStrNoProject);
}

void LinkHandler(int, intptr_t) { LinkCommand(); }
void RebuildHandler(int, intptr_t) { RebuildAllCommand(); }

// Changes to `directory` for as long as it lives, unless it is the current one already.
class InDirectory {
public:
    explicit InDirectory(const std::string &directory) {
        GetCurrentDirectoryA(sizeof previous_, previous_);
        changed_ = strcasecmp(previous_, directory.c_str()) != 0 && SetCurrentDirectoryA(directory.c_str());
    }
    ~InDirectory() {
        if (changed_)
            SetCurrentDirectoryA(previous_);
    }

private:
    char previous_[MAX_PATH] = "";
    bool changed_ = false;
};

} // namespace

int BuildStopRequest() { return g_stopRequest; }

void MakeCommand() {
    ProjectRecord *p = CurrentProject();
    if (!p) {
        ErrorMessage(kStrNoProject);
        return;
    }
    if (g_app->buildState == kBuildGenerating) {
        ErrorBox("Makefile is being generated. Wait till that finishes.");
        return;
    }
    if (g_app->buildState == kBuildRunning) {
        g_stopRequest = 1;   // answered to make's next progress message
        return;
    }
    // The option saves every document without asking.
    if (g_app->optionByte & kOptionSaveBeforeBuild)
        SaveAll();
    if (!SaveModifiedDocuments())
        return;
    if (!(p->projectFlags & kProjectEiffel) && !p->makeDir.empty()) {
        InDirectory inMakeDir(p->makeDir);
        if (!FileExists((p->makeDir + "\\makefile").c_str())) {
            if (!Confirm("Makefile doesn't exist. Generate it?") || !GenerateMakefile(p))
                return;
            SaveProjectContent(1);
        }
    }
    if (g_saveEnabled && g_projectHooks.saveAllSettings)
        g_projectHooks.saveAllSettings();
    p->buildExitCode = -1;
    StartBuild();
}

bool StartBuild() {
    ProjectRecord *p = CurrentProject();
    if (!p) {
        ErrorMessage(kStrNoProject);
        return false;
    }
    if (g_app->buildState != kBuildIdle || RefuseEiffel(p))
        return false;
    if (p->errorFile.empty())
        p->errorFile = ErrorFileDefault(*p);
    HWND notify = NotifyWindow();
    if (!notify)
        return false;
    BuildJob *job = new BuildJob;
    job->command = p->hasMake && !p->makeName.empty() ? p->makeName : "make";
    if (p->hasMake && !p->makeArgs.empty())
        job->command += " " + p->makeArgs;
    job->makeDir = p->makeDir;
    job->errorFile = p->errorFile;
    job->project = p->name;
    job->notify = notify;
    p->buildTime = 0;
    g_stopRequest = 0;
    g_progress.Clear();
    ClearOutputList();
    g_app->buildState = kBuildRunning;
    g_app->waitingForBuild = true;
    HANDLE thread = CreateThread(nullptr, 0, BuildThread, job, 0, nullptr);
    if (!thread) {
        g_app->buildState = kBuildIdle;
        g_app->waitingForBuild = false;
        delete job;
        ErrorBox(FormatMessageId(1157, p->makeName.c_str()));
        return false;
    }
    CloseHandle(thread);
    MenusChanged();
    return true;
}

void ShowResults(ProjectRecord *p) {
    ClearOutputList();
    SetOutputRoutine(DiagnosticChosen, 0);
    FILE *in = fopen(p->errorFile.c_str(), "rb");
    if (!in)
        in = fopen((p->makeDir + "\\" + LastComponent(p->errorFile)).c_str(), "rb");
    if (!in) {
        AddOutputLine(("Diagnostics file " + p->errorFile + " doesn't exist").c_str());
        return;
    }
    double seconds = p->buildTime / 1000.0;
    char text[600];
    fseek(in, 0, SEEK_END);
    bool empty = ftell(in) == 0;
    rewind(in);
    // A failed build that left no message is not shown as a success.
    if (empty && p->buildExitCode == 0) {
        fclose(in);
        snprintf(text, sizeof text, "%s built sucessfully. (%3.1f sec).", LastComponent(ProjectExecutable(*p)).c_str(),
                 seconds);
        AddOutputLine(text);
        return;
    }
    bool whole = ReadErrorFile(in);
    fclose(in);
    if (!whole)
        ErrorBox(FormatMessageId(411, p->errorFile.c_str()));
    snprintf(text, sizeof text, "Compilation + link time:%3.1f sec, Return code: %d", seconds, p->buildExitCode);
    AddOutputLine(text);
    SelectOutputLine(OutputLineCount() - 1);
}

void GoToDiagnostic(int index) {
    std::vector<std::string> lines;
    for (int i = 0; i < OutputLineCount(); i++)
        lines.push_back(OutputLine(i));
    if (index < 0 || index >= static_cast<int>(lines.size()))
        return;
    const ProjectRecord *p = CurrentProject();
    char current[MAX_PATH] = "";
    GetCurrentDirectoryA(sizeof current, current);
    Diagnostic found;
    if (!ParseDiagnostic(JoinWrappedLines(lines, static_cast<size_t>(index)), p && (p->projectFlags & kProjectEiffel),
                         current, &found))
        return;
    std::string path = Uppered(MakeFullPath(found.file));
    if (!OpenPath(path.c_str()) || !HasFileDocument())
        return;
    if (found.line < 1 || !GotoLine(found.line))
        GotoTop();
    // The caret at the line's start, the line highlighted until the caret leaves it.
    CancelSelection();
    GotoPosition(CurrentLineNumber(), 0);
    View *view = g_editor->view;
    view->highlight = view->current;
    view->state |= kViewRedrawAll | kViewCaretMoved;
    KeepCursorVisible(view);
    RefreshEditorWindow(view);
    ShowBlueMessage(found.message.c_str());
}

void LinkCommand() {
    ProjectRecord *p = CurrentProject();
    if (!p) {
        ErrorMessage(kStrNoProject);
        return;
    }
    if (!p->hasMake) {
        ErrorBox("Make parameters not defined");
        return;
    }
    if (p->executable.empty()) {
        ErrorBox("Executable name not defined\nChange this in the linker options.");
        return;
    }
    std::string executable = InMakeDirectory(*p, p->executable);
    if (!DeleteFileA(executable.c_str()) && GetLastError() == ERROR_ACCESS_DENIED) {
        ErrorBox(("Impossible to erase " + executable).c_str());
        return;
    }
    PostMake();
}

void RebuildAllCommand() {
    ProjectRecord *p = CurrentProject();
    if (!p) {
        ErrorMessage(kStrNoProject);
        return;
    }
    if (RefuseEiffel(p))
        return;
    if (!p->hasMake) {
        ErrorBox("Make parameters not defined");
        return;
    }
    if (p->objectNames.empty() && p->files.empty()) {
        ErrorBox("No object files defined in this project");
        return;
    }
    // Only the objects the makefile compiles: an object file the user lists is no product.
    if (p->objectNames.empty())
        p->objectNames = CompiledObjects(*p);
    int deleted = 0;
    bool refused = false;
    for (const std::string &object : p->objectNames) {
        if (object.find(".obj") == std::string::npos && object.find(".OBJ") == std::string::npos)
            continue;
        std::string path = Lowered(InMakeDirectory(*p, object));
        if (DeleteFileA(path.c_str())) {
            deleted++;
        } else if (GetLastError() == ERROR_ACCESS_DENIED && !refused) {
            refused = true;
            ErrorBox(("Impossible to delete " + path).c_str());
        }
    }
    if (deleted > 0) {
        char text[64];
        snprintf(text, sizeof text, "%d object files deleted", deleted);
        ShowStatus(text);
    }
    PostMake();
}

bool CheckUpToDate() {
    ProjectRecord *p = CurrentProject();
    if (!p || !p->hasMake || !g_app || !(g_app->optionByte & kOptionTestTarget))
        return true;
    int code;
    {
        InDirectory inMakeDir(p->makeDir);
        code = RunAndWait((std::string(g_app->compilerRoot) + "\\bin\\make.exe -q").c_str(), SW_HIDE);
    }
    if (code != kNotUpToDate)
        return true;
    std::string executable = p->debugExe.empty() ? ProjectExecutable(*p) : p->debugExe;
    if (!Confirm((executable + " is not up-to-date.\nRebuild?").c_str()))
        return true;
    p->buildExitCode = -1;   // a build that does not start leaves the target out of date
    MakeCommand();
    Sleep(500);
    MSG message;
    while (g_app->buildState != kBuildIdle) {
        int got = GetMessageA(&message, nullptr, 0, 0);
        if (got <= 0) {
            if (got == 0)
                PostQuitMessage(static_cast<int>(message.wParam));
            break;
        }
        TranslateMessage(&message);
        DispatchMessageA(&message);
    }
    Sleep(500);
    p = CurrentProject();
    return p && p->buildExitCode == kUpToDate;
}

void RegisterBuildCommands() {
    RegisterHandler(IDM_MAKE, MakeHandler);
    RegisterHandler(IDM_SHOW_RESULTS, ShowResultsHandler);
    RegisterHandler(IDM_LINK, LinkHandler);
    RegisterHandler(IDM_REBUILD_ALL, RebuildHandler);
    SetProgressHandler(BuildProgress);
}
