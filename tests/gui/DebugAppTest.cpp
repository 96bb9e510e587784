// A program built with the compiler system's tools, debugged in kelto.exe.
#include <gtest/gtest.h>

#include <algorithm>

#include "AppDriver.h"
#include "base/CommandIds.h"
#include "base/DebugIds.h"
#include "support/TestSupport.h"

namespace {

// The debuggee is a 32-bit program with CodeView, which only the i686 tools build.
#ifdef _WIN64
#define SKIP_ON_X86_64() GTEST_SKIP() << "the debuggee is built by the i686 tools only"
#else
#define SKIP_ON_X86_64() (void)0
#endif

const char kProgram[] =
    "int twice(int x) { return 2 * x; }\n"
    "int main(void) {\n"
    "    int n = twice(3);\n"
    "    return n + 1;\n"
    "}\n";

// The box titled "Information" whose text begins with `start`: its text, answered with OK.
std::string AnswerInformation(const KeltoApp &app, const std::string &start) {
    for (int i = 0; i < 5; i++) {
        HWND box = app.WaitForBox("Information", 20);
        if (!box)
            return "";
        std::string text = BoxText(box);
        Answer(box, IDOK);
        if (text.compare(0, start.size(), start) == 0)
            return text;
    }
    return "";
}

// PROG.EXE built from `source` with debug information.
void Build(KeltoApp &app, const char *source) {
    WriteWholeFile(app.PathOf("PROG.C"), source);
    std::string tools = BuildPath("sdk") + "\\bin\\";
    ASSERT_EQ(0, RunCaptured(tools + "bdx.exe -c -g2 PROG.C", app.dir).code);
    ASSERT_EQ(0, RunCaptured(tools + "bdxlnk -subsystem console -o PROG.EXE PROG.obj", app.dir).code);
}

// PROG.EXE built and named for the debugger; kelto.exe started on PROG.C.
void StartOn(KeltoApp &app, const char *source) {
    Build(app, source);
    app.AddSetting("DebuggerExeName", app.PathOf("PROG.EXE"));
    ASSERT_TRUE(app.Start(app.PathOf("PROG.C")));
    ASSERT_TRUE(app.WaitForEditors(1));
}

// Types a marker at the active editor's cursor and saves: PROG.C as saved, without CRs.
std::string MarkCursor(KeltoApp &app) {
    HWND editor = app.ActiveEditor();
    if (!editor)
        return "";
    app.Settle();
    KeltoApp::Type(editor, "/**/");
    app.Settle();
    KeltoApp::Key(editor, 'S', true);
    std::string marked;
    for (int i = 0; i < 20 && marked.find("/**/") == std::string::npos; i++) {
        Sleep(250);
        marked = ReadWholeFile(app.PathOf("PROG.C"));
        marked.erase(std::remove(marked.begin(), marked.end(), '\r'), marked.end());
    }
    return marked;
}

// F5 lets the stopped program run to its end: the text of the box that tells it.
std::string RunToEnd(const KeltoApp &app) {
    KeltoApp::Key(app.ActiveEditor(), VK_F5);
    return AnswerInformation(app, "Finished.");
}

// The lines of the output window's list.
std::vector<std::string> OutputList(const KeltoApp &app) {
    return ListItems(GetDlgItem(FindChild(app.frame, "KeltoOutput"), 4801));
}

bool HasLineStarting(const std::vector<std::string> &lines, const std::string &start) {
    for (const std::string &line : lines)
        if (line.compare(0, start.size(), start) == 0)
            return true;
    return false;
}

// How many of the four debugger windows exist and are shown.
int DebuggerWindows() {
    int shown = 0;
    for (const char *name : {"Disassem", "wMemory", "Watch", "MachineState"})
        if (HWND window = FindWindowA(name, nullptr))
            shown += IsWindowVisible(window) ? 1 : 0;
    return shown;
}

// Restarted (the first run ends), and stopped by the user: it leaves through its exit
// function, as if it called exit(0).
TEST(DebugApp, RestartedAndStoppedItLeavesThroughItsExit) {
    SKIP_ON_X86_64();
    KeltoApp app("debugrun");
    StartOn(app, kProgram);
    app.Command(IDM_DEBUGGER);
    Sleep(4000);
    app.Command(IDM_DEBUG_RESTART);
    HWND ask = app.WaitForBox("Information");
    ASSERT_TRUE(ask != nullptr);
    EXPECT_EQ(0u, BoxText(ask).find("Restart ")) << BoxText(ask);
    ASSERT_TRUE(Answer(ask, IDYES));
    EXPECT_NE("", AnswerInformation(app, "Finished. Return code "));
    Sleep(4000);
    app.Command(IDM_DEBUG_STOP);
    EXPECT_EQ("Finished. Return code 0", AnswerInformation(app, "Finished. Return code "));
    app.Settle();
    EXPECT_TRUE(DeleteFileA(app.PathOf("PROG.EXE").c_str())) << "the program still runs";
    EXPECT_EQ(0, app.Close());
}

// A program that crashes stops with the exception dialog at the faulting line; the debugger
// windows and the event log are there meanwhile; Stop debugging then ends it.
TEST(DebugApp, ACrashStopsTheProgramUntilStopped) {
    SKIP_ON_X86_64();
    KeltoApp app("debugcrash");
    const char crash[] = "int main(void) {\n    int *volatile p = 0;\n    return *p;\n}\n";
    StartOn(app, crash);
    EXPECT_EQ(0, DebuggerWindows());
    app.Command(IDM_DEBUGGER);
    HWND box = nullptr;
    for (int i = 0; i < 15 && !box; i++) {   // Execute from the entry, once it has stopped there
        app.Command(IDM_DEBUG_EXECUTE);
        box = app.WaitForBox("Kelto debugger: Exception.", 2);
    }
    ASSERT_TRUE(box);
    std::string text = BoxText(box);
    for (const char *part : {"EIP=", "Access Violation", "-1073741819", "PROG.EXE"})
        EXPECT_NE(std::string::npos, text.find(part)) << part << " in " << text;
    std::vector<std::string> parameters = ListItems(GetDlgItem(box, 17008));
    ASSERT_EQ(2u, parameters.size());
    EXPECT_EQ("  2 0x0 0", parameters[1]);   // the address read
    Answer(box, IDOK);
    EXPECT_EQ(std::string(crash).insert(42, "/**/"), MarkCursor(app));
    EXPECT_EQ(4, DebuggerWindows());
    std::vector<std::string> log = OutputList(app);
    EXPECT_TRUE(HasLineStarting(log, "CreateProcess:") && HasLineStarting(log, "Load DLL:"));
    EXPECT_TRUE(HasLineStarting(log, "Exception: Access Violation at address 0x"));
    // Meanwhile the Debug menu stands in place of the Compiler and Versions menus.
    std::vector<MenuItem> debug = app.MenuItems(IDM_DEBUG_STOP);
    ASSERT_EQ(12u, debug.size());
    EXPECT_EQ("Brea&kpoints", debug[5].text);
    EXPECT_EQ("Stop &debugging", debug[9].text);
    EXPECT_TRUE(app.MenuItems(IDM_MAKE).empty() && app.MenuItems(IDM_VERSIONS_GET).empty());
    app.Command(IDM_DEBUG_STOP);
    EXPECT_NE("", AnswerInformation(app, "Finished. Return code "));
    app.Settle();
    EXPECT_TRUE(app.MenuItems(IDM_DEBUG_STOP).empty());
    EXPECT_FALSE(app.MenuItems(IDM_MAKE).empty() || app.MenuItems(IDM_VERSIONS_GET).empty());
    EXPECT_EQ(0, DebuggerWindows());
    EXPECT_TRUE(DeleteFileA(app.PathOf("PROG.EXE").c_str())) << "the program still runs";
    EXPECT_EQ(0, app.Close());
}

// A program that loops: Break holds it, Execute lets it go, Stop debugging makes it leave.
TEST(DebugApp, BreakContinueAndStopARunningProgram) {
    SKIP_ON_X86_64();
    KeltoApp app("debugloop");
    StartOn(app, "int main(void) {\n    volatile int i = 0;\n    for (;;)\n        i++;\n}\n");
    app.Command(IDM_DEBUGGER);
    Sleep(3000);
    for (int command : {IDM_DEBUG_EXECUTE, IDM_DEBUG_BREAK, IDM_DEBUG_EXECUTE, IDM_DEBUG_BREAK, IDM_DEBUG_EXECUTE}) {
        app.Command(command);
        Sleep(700);
    }
    // Held by Break, it tells its modules and threads.
    app.Command(IDM_DEBUG_BREAK);
    Sleep(700);
    HWND sheet = app.OpenDialog(IDM_DEBUG_INFO, "Program information");
    ASSERT_TRUE(sheet);
    EXPECT_EQ("Close", DialogText(sheet, IDOK));
    std::vector<std::string> modules = ListItems(FindChild(sheet, "ListBox"));
    EXPECT_TRUE(HasLineStarting(modules, "Name ") && HasLineStarting(modules, "     Seg 1 start 0x"))
        << (modules.empty() ? "" : modules.back());
    Answer(sheet, IDOK);
    app.Command(IDM_DEBUG_EXECUTE);
    app.Command(IDM_DEBUG_STOP);
    EXPECT_NE("", AnswerInformation(app, "Finished. Return code "));
    app.Settle();

    // Ending the IDE while the program runs ends the program too.
    app.Command(IDM_DEBUGGER);
    Sleep(3000);
    app.Command(IDM_DEBUG_EXECUTE);
    Sleep(500);
    PostMessageA(app.frame, WM_CLOSE, 0, 0);
    ASSERT_TRUE(app.AnswerBox("Information", "This will close the debugging session", IDYES));
    int code = -1;
    for (int i = 0; i < 15 && (code = app.WaitForExit(1)) == -1; i++)
        if (HWND box = app.WaitForBox("Information", 1))   // "Finished...", should it come in time
            Answer(box, IDOK);
    EXPECT_EQ(0, code);
    Sleep(500);
    EXPECT_TRUE(DeleteFileA(app.PathOf("PROG.EXE").c_str())) << "the program still runs";
}

// A program that waits, attached to with -p: the run begins, and Stop debugging ends it.
TEST(DebugApp, AttachesToARunningProgramAndEndsIt) {
    SKIP_ON_X86_64();
    KeltoApp app("debugattach");
    Build(app, "#include <windows.h>\nint main(void) {\n    for (;;)\n        Sleep(50);\n}\n");
    STARTUPINFOA startup = {};
    startup.cb = sizeof startup;
    PROCESS_INFORMATION program = {};
    std::string path = app.PathOf("PROG.EXE");
    ASSERT_TRUE(CreateProcessA(path.c_str(), nullptr, nullptr, nullptr, FALSE, 0, nullptr, app.dir.c_str(), &startup,
                               &program));
    Sleep(1000);
    ASSERT_TRUE(app.Start("-p " + std::to_string(program.dwProcessId)));
    bool begun = false;
    for (int i = 0; i < 40 && !begun; i++, Sleep(500))
        begun = HasLineStarting(OutputList(app), "CreateProcess:");
    EXPECT_TRUE(begun);
    EXPECT_EQ(WAIT_TIMEOUT, WaitForSingleObject(program.hProcess, 0));
    app.Command(IDM_DEBUG_STOP);
    EXPECT_NE("", AnswerInformation(app, "Finished. Return code "));
    EXPECT_EQ(WAIT_OBJECT_0, WaitForSingleObject(program.hProcess, 5000)) << "the program still runs";
    if (WaitForSingleObject(program.hProcess, 0) != WAIT_OBJECT_0)
        TerminateProcess(program.hProcess, 1);
    CloseHandle(program.hProcess);
    CloseHandle(program.hThread);
    EXPECT_EQ(0, app.Close());
}

// The output window's message line (the cursor's position in the editor) once it starts
// with `start` (empty: once it is no longer `before`), or what it reads after a few seconds.
std::string StatusBecomes(const KeltoApp &app, const std::string &start, const std::string &before = "") {
    HWND output = FindChild(app.frame, "KeltoOutput");
    std::string text;
    for (int i = 0; i < 30; i++, Sleep(100)) {
        app.Settle();
        text = output ? WindowText(output) : "";
        if (start.empty() ? text != before : text.compare(0, start.size(), start) == 0)
            break;
    }
    return text;
}

// Presses `key` in the active editor and waits for the message line as above.
std::string KeyTo(KeltoApp &app, int key, const std::string &start, const std::string &before = "") {
    KeltoApp::Key(app.ActiveEditor(), key);
    return StatusBecomes(app, start, before);
}

// Opens the project "dbg" from "Open a project".
bool OpenDbgProject(const KeltoApp &app) {
    HWND dialog = app.OpenDialog(IDM_PROJECT_OPEN, "Open a project");
    HWND list = dialog ? GetDlgItem(dialog, 101) : nullptr;
    LRESULT index = SendMessageA(list, LB_FINDSTRINGEXACT, static_cast<WPARAM>(-1), reinterpret_cast<LPARAM>("dbg"));
    return index != LB_ERR && SendMessageA(list, LB_SETCURSEL, static_cast<WPARAM>(index), 0) != LB_ERR &&
           Answer(dialog, IDOK) && app.WaitForEditors(1);
}

const char kLoop[] =
    "int f(int x) {\n"
    "    int y = x * 2;\n"
    "    return y + 1;\n"
    "}\n"
    "int main(void) {\n"
    "    int s = 0, i;\n"
    "    for (i = 0; i < 5; i++)\n"
    "        s += f(i);\n"
    "    return s;\n"
    "}\n";

// Breakpoints set with F2 in a function called in a loop and on the last line; stops at the
// first three times, with steps over, out and into between; run to the cursor; the first
// cleared, the run ended with its exit code; the project reopened still has the second.
TEST(DebugApp, BreakpointsSteppingAndTheProjectKeepingThem) {
    SKIP_ON_X86_64();
    KeltoApp app("debugstep");
    Build(app, kLoop);
    app.AddSetting("Projects", "1");
    app.AddSetting("Project1", "dbg");
    app.AddKey("dbg");
    for (const auto &value : std::vector<std::pair<std::string, std::string>>{
             {"ProjectPath", app.dir}, {"MakeName", "make"}, {"MakeDir", app.dir}, {"DbgExeName", "PROG.EXE"},
             {"OpenFiles", "1"}, {"OpenFile1", app.PathOf("PROG.C") + " 1"}, {"CurrentFile", app.PathOf("PROG.C")}})
        app.AddSetting(value.first, value.second);
    ASSERT_TRUE(app.Start(""));
    ASSERT_TRUE(OpenDbgProject(app));

    EXPECT_EQ("f 2:1", KeyTo(app, VK_DOWN, "f 2:1"));
    KeltoApp::Key(app.ActiveEditor(), VK_F2);
    for (int i = 0; i < 7; i++)
        KeltoApp::Key(app.ActiveEditor(), VK_DOWN);
    EXPECT_EQ("main 9:1", StatusBecomes(app, "main 9:1"));
    KeltoApp::Key(app.ActiveEditor(), VK_F2);
    EXPECT_EQ("main 5:1", KeyTo(app, VK_F5, "main 5:1"));   // stopped at main's first line

    EXPECT_EQ("f 2:1", KeyTo(app, VK_F5, "f 2:1"));   // i = 0
    EXPECT_EQ("f 3:1", KeyTo(app, VK_F4, "f 3:1"));
    EXPECT_EQ("f 2:1", KeyTo(app, VK_F5, "f 2:1"));   // i = 1
    EXPECT_EQ("main 8:", KeyTo(app, VK_F9, "main ").substr(0, 7));   // in the middle of its line
    EXPECT_EQ("f 2:1", KeyTo(app, VK_F5, "f 2:1"));   // i = 2
    KeltoApp::Key(app.ActiveEditor(), VK_F2);          // cleared
    std::string in = KeyTo(app, VK_F9, "main ");
    for (int i = 0; i < 6 && in != "f 2:1"; i++)
        in = KeyTo(app, VK_F8, "", in);
    EXPECT_EQ("f 2:1", in);   // i = 3, stepped into
    EXPECT_EQ("main 8:", KeyTo(app, VK_F9, "main ").substr(0, 7));

    // Run to the cursor on the last line, which has a breakpoint too; then on to the end:
    // 1 + 3 + 5 + 7 + 9.
    KeltoApp::Key(app.ActiveEditor(), VK_END, true);   // the empty line after the last
    KeltoApp::Key(app.ActiveEditor(), VK_UP);
    EXPECT_EQ("main 9:1", KeyTo(app, VK_UP, "main 9:1"));
    KeltoApp::Key(app.ActiveEditor(), VK_F7);
    EXPECT_EQ(nullptr, app.WaitForBox("Information", 3)) << "ran past the cursor";
    EXPECT_EQ("Finished. Return code 25", RunToEnd(app));

    // Closed and opened again: the breakpoint on the last line stops the next run there, the
    // cleared one does not.
    app.Command(IDM_PROJECT_CLOSE);
    ASSERT_TRUE(app.AnswerBox("Information", "Close dbg?", IDYES));
    ASSERT_TRUE(OpenDbgProject(app));
    EXPECT_EQ("main 5:1", KeyTo(app, VK_F5, "main 5:1"));
    EXPECT_EQ("main 9:1", KeyTo(app, VK_F5, "main 9:1"));
    EXPECT_EQ("Finished. Return code 25", RunToEnd(app));
    EXPECT_EQ(0, app.Close());
}

// Step in on a call into a DLL without debug information: the DLL runs and the program stops
// at the next line reached after the call returns.
TEST(DebugApp, StepInRunsADllAndStopsBackInTheProgram) {
    SKIP_ON_X86_64();
    KeltoApp app("debugdll");
    StartOn(app, "#include <string.h>\nchar *volatile text = \"abc\";\nint main(void) {\n"
                 "    int n = (int)strlen(text);\n    n += 1;\n    return n;\n}\n");
    EXPECT_EQ("main 3:1", KeyTo(app, VK_F5, "main 3:1"));
    EXPECT_EQ("main 4:1", KeyTo(app, VK_F4, "main 4:1"));   // past the start-up call, the second entry of line 3
    EXPECT_EQ("main 5:1", KeyTo(app, VK_F8, "main 5:1"));
    EXPECT_EQ("main 6:1", KeyTo(app, VK_F8, "main 6:1"));
    EXPECT_EQ("Finished. Return code 4", RunToEnd(app));
    EXPECT_EQ(0, app.Close());
}

// Stopped at the entry, Edit breakpoints puts one on twice(): Execute stops there.
TEST(DebugApp, ABreakpointOnAFunctionStopsThere) {
    SKIP_ON_X86_64();
    KeltoApp app("debugbreak");
    StartOn(app, kProgram);
    std::vector<MenuItem> compiler = app.MenuItems(IDM_BREAKPOINTS);   // nothing debugged: greyed
    EXPECT_TRUE(std::any_of(compiler.begin(), compiler.end(),
                            [](const MenuItem &i) { return i.id == IDM_BREAKPOINTS && (i.state & MF_GRAYED); }));
    app.Command(IDM_DEBUGGER);
    Sleep(4000);
    HWND dialog = app.OpenDialog(IDM_BREAKPOINTS, "Edit breakpoints");
    ASSERT_TRUE(dialog);
    std::string exe = app.PathOf("prog.exe");
    std::transform(exe.begin(), exe.end(), exe.begin(), ::tolower);
    EXPECT_EQ(exe, DialogText(dialog, IDC_BREAK_MODULES));
    HWND functions = GetDlgItem(dialog, IDC_BREAK_FUNCTIONS);
    std::vector<std::string> names = ListItems(functions);
    auto twice = std::find(names.begin(), names.end(), "_twice");
    ASSERT_NE(names.end(), twice);
    SendMessageA(functions, LB_SETCURSEL, static_cast<WPARAM>(twice - names.begin()), 0);
    SendMessageA(dialog, WM_COMMAND, MAKEWPARAM(IDC_BREAK_FUNCTIONS, LBN_SELCHANGE), reinterpret_cast<LPARAM>(functions));
    std::string address = DialogText(dialog, IDC_BREAK_ADDRESS);
    EXPECT_EQ(0u, address.find("Address: 40")) << address;
    EXPECT_EQ(" 1", address.substr(address.size() - 2)) << address;
    EXPECT_EQ("PROG.C 1", DialogText(dialog, IDC_BREAK_NEW));
    Click(dialog, IDC_BREAK_ADD);
    std::vector<std::string> established = ListItems(GetDlgItem(dialog, IDC_BREAK_LIST));
    ASSERT_EQ(1u, established.size());
    EXPECT_EQ("0x" + address.substr(9, address.find(' ', 9) - 9) + " {prog.c:1}", established[0]);
    Answer(dialog, IDCANCEL);
    app.Command(IDM_DEBUG_EXECUTE);
    Sleep(3000);
    EXPECT_EQ("/**/" + std::string(kProgram), MarkCursor(app));
    // Cleared, the program runs on to its end (the byte is its own again).
    dialog = app.OpenDialog(IDM_BREAKPOINTS, "Edit breakpoints");
    ASSERT_TRUE(dialog);
    Click(dialog, IDC_BREAK_CLEAR);
    EXPECT_TRUE(ListItems(GetDlgItem(dialog, IDC_BREAK_LIST)).empty());
    Answer(dialog, IDCANCEL);
    app.Command(IDM_DEBUG_EXECUTE);
    EXPECT_EQ("Finished. Return code 7", AnswerInformation(app, "Finished."));
    EXPECT_EQ(0, app.Close());
}

// A breakpoint in a DLL's source, set before the run and moved down a line by an edit (the
// DLL built again), is placed once the DLL is loaded, on the line it moved to.
TEST(DebugApp, ABreakpointInADllStopsThere) {
    SKIP_ON_X86_64();
    KeltoApp app("debugindll");
    WriteWholeFile(app.PathOf("LIB.C"), "__declspec(dllexport) int twice(int x) {\n    int y = 2 * x;\n    return y;\n}\n");
    WriteWholeFile(app.PathOf("PROG.C"), "__declspec(dllimport) int twice(int x);\nint main(void) {\n"
                                         "    return twice(3) + 1;\n}\n");
    std::string tools = BuildPath("sdk") + "\\bin\\";
    const char *const library[] = {"bdx.exe -c -g2 LIB.C", "bdxlnk -dll -o LIB.DLL LIB.obj"};
    for (const char *step : {library[0], library[1], "bdx.exe -c -g2 PROG.C",
                             "bdxlnk -subsystem console -o PROG.EXE PROG.obj LIB.DLL"})
        ASSERT_EQ(0, RunCaptured(tools + step, app.dir).code) << step;
    app.AddSetting("DebuggerExeName", app.PathOf("PROG.EXE"));
    ASSERT_TRUE(app.Start(app.PathOf("LIB.C")));
    ASSERT_TRUE(app.WaitForEditors(1));
    EXPECT_EQ("twice 2:1", KeyTo(app, VK_DOWN, "twice 2:1"));
    KeltoApp::Key(app.ActiveEditor(), VK_F2);
    KeltoApp::Key(app.ActiveEditor(), VK_HOME, true);
    EXPECT_EQ("twice 1:1", StatusBecomes(app, "twice 1:1"));
    KeltoApp::Type(app.ActiveEditor(), "/* moved */\r");
    app.Settle();
    KeltoApp::Key(app.ActiveEditor(), 'S', true);
    std::string saved;
    for (int i = 0; i < 20 && saved.find("/* moved */") != 0; i++, Sleep(250))
        saved = ReadWholeFile(app.PathOf("LIB.C"));
    ASSERT_EQ(0u, saved.find("/* moved */"));
    for (const char *step : library)
        ASSERT_EQ(0, RunCaptured(tools + step, app.dir).code) << step;
    EXPECT_EQ("main 2:1", KeyTo(app, VK_F5, "main 2:1"));
    EXPECT_EQ("twice 3:1", KeyTo(app, VK_F5, "twice 3:1"));
    EXPECT_EQ("Finished. Return code 7", RunToEnd(app));
    EXPECT_EQ(0, app.Close());
}

}  // namespace
