// The Project and Compiler menus as a user meets them: a console project made on the demo
// sources through the dialogs, closed, opened again from "Open a project", exported and
// imported under a new name; built with F9, a build stopped, a diagnostic followed to its line.
#include <gtest/gtest.h>

#include <stdio.h>
#include <windows.h>
#include <commctrl.h>

#include <algorithm>

#include "AppDriver.h"
#include "base/CommandIds.h"
#include "base/ResourceIds.h"
#include "support/TestSupport.h"

namespace {

// Copied into the compiler root as bin\bdx.exe, this test program plays the compiler. Alone it
// answers the makefile generation's dependency scans ("bdx.exe -M -Fo<file> ..."): the sources
// include nothing. Beside the real compiler renamed bdxreal.exe it holds each compile while a
// file "gate" lies beside it, then hands the command on: a build that lasts as long as a test needs.
const bool g_playsTheCompiler = [] {
    char self[MAX_PATH];
    GetModuleFileNameA(nullptr, self, sizeof self);
    std::string bin = self, line = GetCommandLineA();
    bin.erase(bin.find_last_of('\\') + 1);
    if (_stricmp(self + bin.size(), "bdx.exe") != 0)
        return false;
    if (GetFileAttributesA((bin + "bdxreal.exe").c_str()) == INVALID_FILE_ATTRIBUTES) {
        size_t out = line.find(" -Fo");
        std::string file = out == std::string::npos ? "" : line.substr(out + 4, line.find(' ', out + 4) - out - 4);
        FILE *f = fopen(file.c_str(), "wb");
        if (f)
            fclose(f);
        ExitProcess(f ? 0 : 1);
    }
    while (GetFileAttributesA((bin + "gate").c_str()) != INVALID_FILE_ATTRIBUTES)
        Sleep(50);
    size_t arguments = line[0] == '"' ? line.find('"', 1) + 1 : line.find(' ');
    line = "\"" + bin + "bdxreal.exe\"" + (arguments == std::string::npos ? "" : line.substr(arguments));
    STARTUPINFOA startup = {};
    startup.cb = sizeof startup;
    PROCESS_INFORMATION process = {};
    DWORD code = 1;
    if (CreateProcessA(nullptr, &line[0], nullptr, nullptr, TRUE, 0, nullptr, nullptr, &startup, &process)) {
        WaitForSingleObject(process.hProcess, INFINITE);
        GetExitCodeProcess(process.hProcess, &code);
    }
    ExitProcess(code);
    return true;
}();

// The compiler root of `app` gets this program as its bdx.exe.
bool GiveCompiler(const KeltoApp &app) {
    char self[MAX_PATH];
    return GetModuleFileNameA(nullptr, self, sizeof self) &&
           CopyFileA(self, (app.dir + "\\BDX\\BIN\\bdx.exe").c_str(), FALSE);
}

const int kListId = 101;   // the list (and the input line) of the port's own dialogs

// Chooses `name` in "Open a project" (whatever its button says).
bool ChooseProject(const KeltoApp &app, int command, const char *name) {
    HWND dialog = app.OpenDialog(command, "Open a project");
    if (!dialog)
        return false;
    HWND list = GetDlgItem(dialog, kListId);
    LRESULT index = SendMessageA(list, LB_FINDSTRINGEXACT, static_cast<WPARAM>(-1), reinterpret_cast<LPARAM>(name));
    if (index == LB_ERR)
        return false;
    SendMessageA(list, LB_SETCURSEL, static_cast<WPARAM>(index), 0);
    return Answer(dialog, IDOK);
}

std::string FrameTitle(const KeltoApp &app) {
    app.Settle();
    return WindowText(app.frame);
}

// Project > Create: the project `name` defined in `work` (the output directory follows it) and
// the wizard question answered `wizard`; false when a step failed.
bool DefineProject(const KeltoApp &app, const char *name, const std::string &work, int wizard) {
    HWND ask = app.OpenDialog(IDM_PROJECT_CREATE, "Project name?");
    if (!ask)
        return false;
    SetText(ask, kListId, name);
    HWND definition = Answer(ask, IDOK) ? app.WaitForBox("Definition of a new project") : nullptr;
    if (!definition)
        return false;
    EXPECT_EQ(name, DialogText(definition, IDC_NEW_PROJECT_NAME));
    EXPECT_TRUE(Checked(definition, IDC_NEW_PROJECT_CONSOLE));
    SetText(definition, IDC_NEW_PROJECT_DIRECTORY, work.c_str());
    EXPECT_EQ(work + "\\bdx", DialogText(definition, IDC_NEW_PROJECT_OUTPUT));
    PostMessageA(definition, WM_COMMAND, MAKEWPARAM(IDOK, BN_CLICKED), 0);
    return app.AnswerBox("Information", "Do you want to use the wizard to generate the application skeleton?", wizard);
}

// The project's makefile once written: it comes last, after the compiler's dependency scans.
std::string WaitForMakefile(const KeltoApp &app, const std::string &work) {
    std::string path = work + "\\bdx\\Makefile";
    for (int i = 0; i < 600 && GetFileAttributesA(path.c_str()) == INVALID_FILE_ATTRIBUTES; i++)
        Sleep(100);
    app.Settle();
    return ReadWholeFile(path);
}

// Goes through "Compiler system configuration", the wizard that configures a new project,
// with Next, Next and Finish.
bool FinishConfiguration(const KeltoApp &app) {
    HWND sheet = app.WaitForBox("Compiler system configuration");
    if (!sheet)
        return false;
    for (int button : {PSBTN_NEXT, PSBTN_NEXT, PSBTN_FINISH}) {
        PostMessageA(sheet, PSM_PRESSBUTTON, button, 0);
        app.Settle();
    }
    return WaitGone(sheet, 10);
}

// Makes the project "demo" of main.c, list.c and list.h in <app>\WORK (console, no wizard);
// false when a step failed.
bool CreateDemo(const KeltoApp &app, const std::string &work) {
    HWND files = DefineProject(app, "demo", work, IDNO) ? app.WaitForBox("Project files") : nullptr;
    if (!files)
        return false;
    for (const wchar_t *name : {L"main.c", L"list.c", L"list.h"})
        SendMessageW(GetDlgItem(files, kListId), LB_ADDSTRING, 0, reinterpret_cast<LPARAM>(name));
    // The makefile, which the compiler system's make reads, comes after the files are opened.
    return Answer(files, IDOK) && FinishConfiguration(app) && app.WaitForEditors(3) &&
           WaitForMakefile(app, work).compare(0, 34, "# Kelto Makefile for project demo\n") == 0;
}

void WriteDemo(const std::string &work) {
    CreateDirectoryA(work.c_str(), nullptr);
    for (const char *name : {"main.c", "list.c", "list.h"})
        WriteWholeFile(work + "\\" + name, ReadWholeFile(SourcePath(std::string("demo/") + name)));
}

HWND ResultsList(const KeltoApp &app) { return FindChild(FindChild(app.frame, "KeltoOutput"), "ListBox"); }

std::vector<std::string> Results(const KeltoApp &app) { return ListItems(ResultsList(app)); }

// Waits until the results end with a line that starts with `start`; the results then.
std::vector<std::string> WaitForResults(const KeltoApp &app, const std::string &start, int seconds = 90) {
    std::vector<std::string> lines;
    for (int i = 0; i < seconds * 10; i++) {
        lines = Results(app);
        if (!lines.empty() && lines.back().compare(0, start.size(), start) == 0)
            break;
        Sleep(100);
    }
    return lines;
}

std::string MakeItemText(const KeltoApp &app) {
    for (const MenuItem &item : app.MenuItems(IDM_MAKE))
        if (item.id == IDM_MAKE)
            return item.text;
    return "";
}

} // namespace

TEST(ProjectApp, CreateCloseReopenExportAndImport) {
    KeltoApp app("project");
    std::string work = app.dir + "\\WORK";
    WriteDemo(work);
    ASSERT_TRUE(GiveCompiler(app));
    ASSERT_TRUE(app.Start());
    ASSERT_TRUE(CreateDemo(app, work));
    EXPECT_EQ("kelto-demo", FrameTitle(app).substr(0, 10));
    std::string makefile = ReadWholeFile(work + "\\bdx\\Makefile");   // make reads it in the F9 test

    // Close: asked, the windows go, the title too.
    app.Command(IDM_PROJECT_CLOSE);
    ASSERT_TRUE(app.AnswerBox("Information", "Close demo?", IDYES));
    ASSERT_TRUE(app.WaitForEditors(0));
    EXPECT_EQ("kelto", FrameTitle(app));

    // Open: the files come back, with the title; Generate Makefile writes it again.
    ASSERT_TRUE(ChooseProject(app, IDM_PROJECT_OPEN, "demo"));
    ASSERT_TRUE(app.WaitForEditors(3)) << app.Editors().size();
    EXPECT_EQ("kelto-demo", FrameTitle(app).substr(0, 10));
    ASSERT_TRUE(DeleteFileA((work + "\\bdx\\Makefile").c_str()));
    app.Command(IDM_GENERATE_MAKEFILE);
    app.Settle();
    EXPECT_FILE(work + "\\bdx\\Makefile", makefile);   // the scans let the test in meanwhile

    // Export writes demo.prj in the project's directory; the file, renamed inside, comes back
    // as a second project.
    ASSERT_TRUE(ChooseProject(app, IDM_PROJECT_EXPORT, "demo"));
    app.Settle();
    std::string exported = ReadWholeFile(work + "\\demo.prj");
    ASSERT_EQ(0u, exported.find("Kelto project file. Do NOT edit\nSOFTWARE\\bdx\\Kelto\\demo\n")) << exported;
    exported.replace(exported.find("Kelto\\demo\n"), 11, "Kelto\\copy\n");
    WriteWholeFile(work + "\\copy.prj", exported);
    app.Command(IDM_PROJECT_IMPORT);
    HWND open = app.WaitForBox("Import a project file");
    ASSERT_TRUE(open != nullptr);
    SetText(open, 0x47c, (work + "\\copy.prj").c_str());   // the file name box
    PostMessageA(open, WM_COMMAND, MAKEWPARAM(IDOK, BN_CLICKED), 0);
    HWND browse = app.WaitForBox("Browse for Folder");
    ASSERT_TRUE(browse != nullptr);
    ASSERT_TRUE(Answer(browse, IDOK));
    EXPECT_EQ("kelto-copy", FrameTitle(app).substr(0, 10));
    EXPECT_EQ(0, app.Close());
}

// With the wizard: the skeleton it writes is the project's file, opened at once.
TEST(ProjectApp, TheWizardGivesTheFirstFile) {
    KeltoApp app("wizard");
    ASSERT_TRUE(CopyFileA(BuildPath("sdk/bin/wizard.exe").c_str(), (app.dir + "\\BDX\\BIN\\wizard.exe").c_str(), FALSE));
    std::string work = app.dir + "\\WORK";
    ASSERT_TRUE(GiveCompiler(app));
    ASSERT_TRUE(app.Start());
    ASSERT_TRUE(DefineProject(app, "hello", work, IDYES));
    ASSERT_TRUE(FinishConfiguration(app));
    ASSERT_TRUE(app.WaitForEditors(1)) << app.Editors().size();
    EXPECT_EQ("kelto-hello", FrameTitle(app).substr(0, 11));
    EXPECT_NE(std::string::npos, ReadWholeFile(work + "\\hello.c").find("int main(int argc"));
    EXPECT_EQ(0, app.Close());
}

// The compiler system's own tools in the root: F9 builds the demo, a build stopped with F9
// ends at once, the editor takes keys meanwhile, and a diagnostic leads to its line.
TEST(ProjectApp, F9BuildsStopsAndLeadsToTheDiagnostics) {
    KeltoApp app("build");
    std::string bin = app.dir + "\\BDX\\BIN\\";
    for (const char *tool : {"bdxlnk.exe", "bdxlib.exe", "brc.exe", "make.exe"})
        ASSERT_TRUE(CopyFileA(BuildPath((std::string("sdk/bin/") + tool).c_str()).c_str(), (bin + tool).c_str(), FALSE));
    ASSERT_TRUE(CopyFileA(BuildPath("sdk/bin/bdx.exe").c_str(), (bin + "bdxreal.exe").c_str(), FALSE));
    ASSERT_TRUE(GiveCompiler(app));   // holds the compiles while bin\gate exists
    WriteWholeFile(app.dir + "\\BDX\\INCLUDE\\WINDOWS.H", ReadWholeFile(BuildPath("sdk/include/windows.h")));
    std::string work = app.dir + "\\WORK", objects = work + "\\bdx\\";
    WriteDemo(work);
    ASSERT_TRUE(app.Start());
    ASSERT_TRUE(CreateDemo(app, work));
    HWND editor = app.Editor("main.c");
    ASSERT_TRUE(editor != nullptr) << WindowText(app.Editors()[0]);

    KeltoApp::Key(editor, VK_F9);
    std::vector<std::string> results = WaitForResults(app, "demo.exe built sucessfully. (");
    ASSERT_EQ(1u, results.size()) << (results.empty() ? "" : results.back());
    EXPECT_EQ("2 arguments\r\n", RunCaptured(objects + "demo.exe one two", work).out);

    // Rebuild all starts over; while it runs the editor takes keys, and F9 stops it.
    WriteWholeFile(bin + "gate", "");
    app.Command(IDM_REBUILD_ALL);
    for (int i = 0; i < 100 && MakeItemText(app) != "Stop build"; i++)
        Sleep(50);
    KeltoApp::Key(editor, VK_HOME, true);
    app.Settle();
    KeltoApp::Type(editor, "// typed while building\n");
    app.Settle();
    EXPECT_EQ("Stop build", MakeItemText(app));
    KeltoApp::Key(editor, VK_F9);
    app.Settle();
    DeleteFileA((bin + "gate").c_str());
    results = WaitForResults(app, "Compilation + link time:");
    ASSERT_LE(2u, results.size());
    EXPECT_EQ("make: stopped", results[results.size() - 2]);
    EXPECT_NE(std::string::npos, results.back().find("Return code: 1")) << results.back();
    EXPECT_EQ(INVALID_FILE_ATTRIBUTES, GetFileAttributesA((objects + "main.obj").c_str()));   // nothing after the stop
    Sleep(1000);
    EXPECT_EQ(results, Results(app));
    EXPECT_EQ("&Make\tF9", MakeItemText(app));

    // An error: F9 saves (asked), the diagnostic shows; a double click puts the caret on its
    // line, where "//" mends it.
    KeltoApp::Key(editor, VK_END, true);
    app.Settle();
    KeltoApp::Type(editor, "\nint broken = ;");
    app.Settle();
    KeltoApp::Key(editor, VK_F9);
    HWND modified = app.WaitForBox("Modified files");
    ASSERT_TRUE(modified != nullptr);
    ASSERT_TRUE(Answer(modified, IDOK));
    results = WaitForResults(app, "Compilation + link time:");
    auto error = std::find_if(results.begin(), results.end(),
                              [](const std::string &line) { return line.compare(0, 6, "Error ") == 0; });
    ASSERT_NE(results.end(), error) << results.back();
    EXPECT_NE(std::string::npos, error->find(": 18  ")) << *error;
    // Another window in front: the diagnostic brings main.c back.
    SendMessageA(app.client, WM_MDIACTIVATE, reinterpret_cast<WPARAM>(app.Editor("list.c")), 0);
    HWND list = ResultsList(app);
    SendMessageA(list, LB_SETCURSEL, error - results.begin(), 0);
    PostMessageA(GetParent(list), WM_COMMAND, MAKEWPARAM(GetDlgCtrlID(list), LBN_DBLCLK), reinterpret_cast<LPARAM>(list));
    app.Settle();
    ASSERT_EQ(editor, app.ActiveEditor());
    KeltoApp::Type(editor, "//");
    KeltoApp::Key(editor, 'S', true);
    app.Settle();
    std::string text = ReadWholeFile(work + "\\main.c");
    EXPECT_EQ(0u, text.find("// typed while building\r\n/* A small program"));
    EXPECT_NE(std::string::npos, text.find("}\r\n\r\n//int broken = ;\r\n")) << text;
    KeltoApp::Key(editor, VK_F9);
    results = WaitForResults(app, "demo.exe built sucessfully. (");
    EXPECT_EQ(1u, results.size()) << results.back();
    EXPECT_EQ(0, app.Close());
}

// Project > Configuration: an option changed on the "Compiler" page, Yes to the rebuild
// question, and the makefile carries it.
TEST(ProjectApp, TheConfigurationSheetRebuildsTheMakefile) {
    KeltoApp app("config");
    std::string work = app.dir + "\\WORK";
    WriteDemo(work);
    ASSERT_TRUE(GiveCompiler(app));
    WriteWholeFile(app.dir + "\\BDX\\BIN\\make.exe", "");   // the "Project" page checks it is there
    ASSERT_TRUE(app.Start());
    ASSERT_TRUE(CreateDemo(app, work));
    EXPECT_EQ(std::string::npos, ReadWholeFile(work + "\\bdx\\Makefile").find(" -O "));
    // The makefile open in an editor window: the new one must not meet an old copy.
    HWND open = app.OpenDialog(IDM_FILE_OPEN, "Open");
    ASSERT_TRUE(open != nullptr);
    SetText(open, 0x47c, (work + "\\bdx\\Makefile").c_str());   // the file name box
    PostMessageA(open, WM_COMMAND, MAKEWPARAM(IDOK, BN_CLICKED), 0);
    ASSERT_TRUE(app.WaitForEditors(4));
    HWND sheet = app.OpenDialog(IDM_PROJECT_CONFIGURATION, "Configuration of Kelto");
    ASSERT_TRUE(sheet != nullptr);
    HWND page = nullptr;
    for (int i = 0; i < 13 && WindowText(page) != "Compiler"; i++) {
        SendMessageA(sheet, PSM_SETCURSEL, i, 0);
        page = reinterpret_cast<HWND>(SendMessageA(sheet, PSM_GETCURRENTPAGEHWND, 0, 0));
    }
    ASSERT_EQ("Compiler", WindowText(page));
    EXPECT_TRUE(Checked(page, IDC_CC_DEBUG));
    Click(page, IDC_CC_OPTIMIZE);
    PostMessageA(sheet, PSM_PRESSBUTTON, PSBTN_OK, 0);
    ASSERT_TRUE(app.AnswerBox("Information", "Project has changed. Rebuild the makefile?", IDYES));
    std::string makefile;
    for (int i = 0; i < 100 && makefile.find(" -O ") == std::string::npos; i++) {
        makefile = ReadWholeFile(work + "\\bdx\\Makefile");
        Sleep(100);
    }
    EXPECT_NE(std::string::npos, makefile.find("CFLAGS=-I" + app.dir + "\\BDX\\include  -O  -g2 \n")) << makefile;
    EXPECT_TRUE(app.WaitForEditors(3));
    EXPECT_EQ(0, app.Close());
}
