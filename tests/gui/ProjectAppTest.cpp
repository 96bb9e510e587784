// The Project menu as a user meets it: a console project made on the demo sources through the
// dialogs, closed, opened again from "Open a project", exported and imported under a new name.
#include <gtest/gtest.h>

#include <stdio.h>

#include "AppDriver.h"
#include "base/CommandIds.h"
#include "base/ResourceIds.h"
#include "support/TestSupport.h"

namespace {

// Copied into the compiler root as bin\bdx.exe, this test program answers the makefile
// generation's dependency scans ("bdx.exe -M -Fo<file> ..."): the sources include nothing.
const bool g_actsAsCompiler = [] {
    std::string line = GetCommandLineA();
    size_t out = line.find(" -Fo");
    if (line.find(" -M ") == std::string::npos || out == std::string::npos)
        return false;
    std::string file = line.substr(out + 4, line.find(' ', out + 4) - out - 4);
    if (FILE *f = fopen(file.c_str(), "wb"))
        fclose(f);
    ExitProcess(0);
    return true;
}();

// The compiler root of `app` gets this program as its bdx.exe.
bool GiveCompiler(const KeltoApp &app) {
    char self[MAX_PATH];
    return GetModuleFileNameA(nullptr, self, sizeof self) &&
           CopyFileA(self, (app.dir + "\\BDX\\BIN\\bdx.exe").c_str(), FALSE);
}

const int kListId = 101;   // the list (and the input line) of the port's own dialogs

bool AnswerQuestion(const KeltoApp &app, const char *text, int answer) {
    HWND box = app.WaitForBox("Information");
    if (!box)
        return false;
    EXPECT_EQ(text, BoxText(box));
    return Answer(box, answer);
}

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

// Project > Create up to "Definition of a new project", the name given; null when it did not come.
HWND DefineProject(const KeltoApp &app, const char *name) {
    HWND ask = app.OpenDialog(IDM_PROJECT_CREATE, "Project name?");
    if (!ask)
        return nullptr;
    SetText(ask, kListId, name);
    return Answer(ask, IDOK) ? app.WaitForBox("Definition of a new project") : nullptr;
}

} // namespace

TEST(ProjectApp, CreateCloseReopenExportAndImport) {
    KeltoApp app("project");
    std::string work = app.dir + "\\WORK";
    CreateDirectoryA(work.c_str(), nullptr);
    for (const char *name : {"main.c", "list.c", "list.h"})
        WriteWholeFile(work + "\\" + name, ReadWholeFile(SourcePath(std::string("demo/") + name)));
    ASSERT_TRUE(GiveCompiler(app));
    ASSERT_TRUE(app.Start());
    EXPECT_EQ("kelto", FrameTitle(app));

    // Create: the name, the definition (the output directory follows the working one), no
    // wizard, the files chosen.
    HWND definition = DefineProject(app, "demo");
    ASSERT_TRUE(definition != nullptr);
    EXPECT_EQ("demo", DialogText(definition, IDC_NEW_PROJECT_NAME));
    EXPECT_TRUE(Checked(definition, IDC_NEW_PROJECT_CONSOLE));
    SetText(definition, IDC_NEW_PROJECT_DIRECTORY, work.c_str());
    EXPECT_EQ(work + "\\bdx", DialogText(definition, IDC_NEW_PROJECT_OUTPUT));
    PostMessageA(definition, WM_COMMAND, MAKEWPARAM(IDOK, BN_CLICKED), 0);
    ASSERT_TRUE(AnswerQuestion(app, "Do you want to use the wizard to generate the application skeleton?", IDNO));
    HWND files = app.WaitForBox("Project files");
    ASSERT_TRUE(files != nullptr);
    for (const wchar_t *name : {L"main.c", L"list.c", L"list.h"})
        SendMessageW(GetDlgItem(files, kListId), LB_ADDSTRING, 0, reinterpret_cast<LPARAM>(name));
    ASSERT_TRUE(Answer(files, IDOK));
    ASSERT_TRUE(app.WaitForEditors(3)) << app.Editors().size();
    EXPECT_EQ("kelto-demo", FrameTitle(app).substr(0, 10));
    // The new project's makefile, which the compiler system's make reads.
    std::string makefile = ReadWholeFile(work + "\\bdx\\Makefile");
    EXPECT_EQ(0u, makefile.find("# Kelto Makefile for project demo\n")) << makefile;
    CapturedRun make = RunCaptured(BuildPath("sdk/bin/make.exe") + " -n", work + "\\bdx");
    EXPECT_EQ(0, make.code) << make.err;
    EXPECT_NE(std::string::npos, make.out.find("-o demo.exe")) << make.out;

    // Close: asked, the windows go, the title too.
    app.Command(IDM_PROJECT_CLOSE);
    ASSERT_TRUE(AnswerQuestion(app, "Close demo?", IDYES));
    ASSERT_TRUE(app.WaitForEditors(0));
    EXPECT_EQ("kelto", FrameTitle(app));

    // Open: the files come back, with the title; Generate Makefile writes it again.
    ASSERT_TRUE(ChooseProject(app, IDM_PROJECT_OPEN, "demo"));
    ASSERT_TRUE(app.WaitForEditors(3)) << app.Editors().size();
    EXPECT_EQ("kelto-demo", FrameTitle(app).substr(0, 10));
    ASSERT_TRUE(DeleteFileA((work + "\\bdx\\Makefile").c_str()));
    app.Command(IDM_GENERATE_MAKEFILE);
    app.Settle();
    EXPECT_EQ(makefile, ReadWholeFile(work + "\\bdx\\Makefile"));

    // Export writes demo.prj in the project's directory; the file, renamed inside, comes back
    // as a second project.
    ASSERT_TRUE(ChooseProject(app, IDM_PROJECT_EXPORT, "demo"));
    app.Settle();
    std::string exported = ReadWholeFile(work + "\\demo.prj");
    ASSERT_EQ(0u, exported.find("Kelto project file. Do NOT edit\nSOFTWARE\\bdx\\Kelto\\demo\n")) << exported;
    size_t key = exported.find("Kelto\\demo\n");
    exported.replace(key, 11, "Kelto\\copy\n");
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
    HWND definition = DefineProject(app, "hello");
    ASSERT_TRUE(definition != nullptr);
    SetText(definition, IDC_NEW_PROJECT_DIRECTORY, work.c_str());
    PostMessageA(definition, WM_COMMAND, MAKEWPARAM(IDOK, BN_CLICKED), 0);
    ASSERT_TRUE(AnswerQuestion(app, "Do you want to use the wizard to generate the application skeleton?", IDYES));
    ASSERT_TRUE(app.WaitForEditors(1)) << app.Editors().size();
    EXPECT_EQ("kelto-hello", FrameTitle(app).substr(0, 11));
    EXPECT_NE(std::string::npos, ReadWholeFile(work + "\\hello.c").find("int main(int argc"));
    EXPECT_EQ(0, app.Close());
}
