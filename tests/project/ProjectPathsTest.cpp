// Project paths, the default make record, outside programs and the wizard's output.
#include <windows.h>
#include <stdio.h>

#include <string>

#include "base/AppState.h"
#include "platform/Files.h"
#include "project/Project.h"
#include "project/Wizard.h"
#include "settings/Store.h"
#include "ProjectFixture.h"
#include "support/TestSupport.h"
#include "ui/OutputWindow.h"

namespace {

// Started as "wizard.exe", this test program plays the wizard: it answers in its /out: file
// with a name, a file below the project path and one elsewhere, and ends with 5.
const bool g_actsAsWizard = [] {
    std::string line = GetCommandLineA();
    size_t path = line.find(" /prjpath:"), out = line.find(" /out:");
    if (path == std::string::npos || out == std::string::npos)
        return false;
    std::string dir = line.substr(path + 10, out - path - 10);
    std::string file = line.substr(out + 6, line.find(" /", out + 1) - out - 6);
    if (FILE *f = fopen(file.c_str(), "wb")) {
        fprintf(f, "Name: Wiz\r\nSource: %s\\wiz.c\r\nSource:D:\\other\\wiz.rc\r\n", dir.c_str());
        fclose(f);
    }
    ExitProcess(5);
    return true;
}();

class ProjectPathsTest : public ProjectFixture {
protected:
    void SetUp() override {
        ProjectFixture::SetUp();
        SetCurrentDirectoryA(dir.c_str());
    }
};

TEST_F(ProjectPathsTest, MakeFullPath) {
    CreateDirectoryA(PathOf("A").c_str(), nullptr);
    CreateDirectoryA(PathOf("A\\B").c_str(), nullptr);
    SetCurrentDirectoryA(PathOf("A\\B").c_str());
    std::string drive = dir.substr(0, 2);
    EXPECT_EQ(dir + "\\A\\B\\x.c", MakeFullPath(".\\x.c"));
    EXPECT_EQ(dir + "\\A\\B\\x.c", MakeFullPath("x.c"));
    EXPECT_EQ(dir + "\\A\\B\\x.c", MakeFullPath(drive + "x.c"));
    EXPECT_EQ(dir + "\\x.c", MakeFullPath("..\\..\\x.c"));
    EXPECT_EQ(dir + "\\A\\sub\\x.c", MakeFullPath("..\\sub\\x.c"));
    EXPECT_EQ(drive + "\\t\\x.c", MakeFullPath("\\t\\x.c"));
    EXPECT_EQ("sub\\x.c", MakeFullPath("sub\\x.c"));
    SetCurrentDirectoryA((drive + "\\").c_str());
    EXPECT_EQ(drive + "\\x.c", MakeFullPath("x.c"));
    EXPECT_EQ(drive + "\\x.c", MakeFullPath("..\\..\\x.c"));   // no higher than the root
}

TEST_F(ProjectPathsTest, CheckDirectories) {
    std::string a = PathOf("A"), b = PathOf("B"), c = PathOf("NO\\C");
    EXPECT_TRUE(CheckDirectories(dir + ";;" + dir, false));
    EXPECT_FALSE(CheckDirectories(dir + ";" + a + ";" + b, false));
    ui.Answer(kAnswerYes);   // then No for b: the check stops there
    EXPECT_FALSE(CheckDirectories(a + ";" + b + ";" + c, true));
    ui.Answer(kAnswerYes);
    EXPECT_FALSE(CheckDirectories(c, true));
    EXPECT_EQ((std::vector<std::string>{"Directory " + a + " doesn't exist", "Directory " + a + " does not exist. Create it?",
                                        "Directory " + b + " does not exist. Create it?", "Directory " + c +
                                        " does not exist. Create it?", "Impossible to create " + c}), ui.Texts());
    EXPECT_TRUE(PathExists(a) && !PathExists(b));
}

TEST_F(ProjectPathsTest, DefaultMakeSetupNumbersTheMakeDirectory) {
    g_project.name = "Demo";
    g_project.compilerFlags = kTypeDll;
    ASSERT_TRUE(DefaultMakeSetup(&g_project));
    const ProjectRecord &d = g_project;
    EXPECT_EQ(dir + "\\bdx|Demo.dll|LibMain|" + dir + "\\bdx\\Demo.err|C:\\BDX\\bin\\make.exe|C:\\BDX\\include|",
              d.makeDir + "|" + d.executable + "|" + d.entryPoint + "|" + d.errorFile + "|" + d.makeName + "|" +
                  d.includes + "|" + d.debugExe);   // a DLL is not the program to debug
    EXPECT_EQ(kTypeDll | kCompilerDebugInfo, d.compilerFlags);
    EXPECT_EQ(0, OutputLineCount());
    for (int n = 1; n <= 8; n++) {
        ProjectRecord c;
        c.name = "sub\\Tool";
        c.compilerFlags = kTypeConsole;
        c.debuggerArguments = "-x";
        ASSERT_TRUE(DefaultMakeSetup(&c));
        std::string made = dir + "\\bdx" + std::to_string(n);
        EXPECT_EQ(made + "|" + made + "\\Tool.err|sub\\Tool.exe|",
                  c.makeDir + "|" + c.errorFile + "|" + c.debugExe + "|" + c.debuggerArguments);
        EXPECT_STREQ(made.c_str(), OutputLine(2 * n - 1));
    }
    EXPECT_STREQ("Project directory is:", OutputLine(0));
    ProjectRecord tenth;
    tenth.sourcesDir = dir;
    EXPECT_FALSE(DefaultMakeSetup(&tenth));
    EXPECT_EQ("Impossible to create a project subdir in\n" + dir, ui.Texts().back());
    EXPECT_FALSE(tenth.hasMake);
}

TEST_F(ProjectPathsTest, TitleWizardCommandAndOutput) {
    EXPECT_EQ("kelto", ProjectFrameTitle());
    g_project.name = "C:\\Work\\VeryLongProjectName.prj";
    EXPECT_EQ("kelto-verylongprojec", ProjectFrameTitle());
    ProjectRecord p;
    p.name = "Demo";
    p.path = "C:\\Work";
    p.compilerFlags = kTypeDll | kTypeConsole;
    EXPECT_EQ("C:\\BDX\\bin\\wizard.exe /kelto:66 /prjname:Demo /prjpath:C:\\Work /out:C:\\o /dll",
              WizardCommandLine(p, "C:\\BDX", 66, "C:\\o"));
    p.compilerFlags = kTypeConsole;
    EXPECT_EQ("R\\bin\\wizard.exe /kelto:1 /prjname:Demo /prjpath:C:\\Work /out:o /console",
              WizardCommandLine(p, "R", 1, "o"));
    p.compilerFlags = kTypeWindows;
    EXPECT_EQ("R\\bin\\wizard.exe /kelto:1 /prjname:Demo /prjpath:C:\\Work /out:o", WizardCommandLine(p, "R", 1, "o"));

    p.files = {"old.c"};
    ApplyWizardOutput("Name:App\r\nFile: c:\\WORK\\app.c\r\nFile:C:\\Workshop\\b.c\nFile:c.c\n", &p);
    EXPECT_EQ("App", p.name);
    EXPECT_EQ((std::vector<std::string>{"old.c", "app.c", "C:\\Workshop\\b.c"}), p.files);
    ApplyWizardOutput("Name:\nno colon\nFile:OLD.C", &p);
    EXPECT_EQ("App", p.name);
    EXPECT_EQ(3u, p.files.size());
    std::string big = "Name:" + std::string(kProjectWizardOutput, 'n') + "\nFile:x.c\n";
    ApplyWizardOutput(big.c_str(), &p);
    EXPECT_EQ(static_cast<size_t>(kProjectWizardOutput - 5), p.name.size());
    EXPECT_EQ(3u, p.files.size());
}

TEST_F(ProjectPathsTest, RunAndWaitAndTheWizard) {
    EXPECT_EQ(3, RunAndWait("cmd.exe /c exit 3", SW_HIDE));
    EXPECT_EQ(-1, RunAndWait((dir + "\\missing.exe").c_str(), SW_HIDE));
    EXPECT_TRUE(ui.boxes.empty());

    ProjectRecord p;
    p.name = "Demo";
    p.path = dir;
    snprintf(g_app->compilerRoot, sizeof g_app->compilerRoot, "%s", dir.c_str());
    EXPECT_EQ(-1, RunWizard(&p));
    EXPECT_EQ("Impossible to start " + dir + "\\bin\\wizard.exe", ui.Texts().back());
    char self[MAX_PATH];
    GetModuleFileNameA(nullptr, self, sizeof self);
    CreateDirectoryA(PathOf("BIN").c_str(), nullptr);
    ASSERT_TRUE(CopyFileA(self, PathOf("BIN\\wizard.exe").c_str(), FALSE));
    EXPECT_EQ(5, RunWizard(&p));
    EXPECT_EQ("Wiz", p.name);
    EXPECT_EQ((std::vector<std::string>{"wiz.c", "D:\\other\\wiz.rc"}), p.files);
    EXPECT_EQ(0, ForEachFile(dir.c_str(), [](const char *, void *) {}, nullptr));   // output file gone
}

} // namespace
