// Building: the build thread and its results, make's progress messages and the stop request,
// going to a diagnostic, Rebuild all and Link, and the project made for a lone document.
#include <windows.h>
#include <stdio.h>
#include <stdlib.h>
#include <string.h>

#include <string>

#include "base/AppState.h"
#include "base/ResourceIds.h"
#include "base/TextUtil.h"
#include "editor/Document.h"
#include "editor/DocumentTestSupport.h"
#include "editor/Editing.h"
#include "platform/Files.h"
#include "project/Build.h"
#include "project/CompileFile.h"
#include "project/Project.h"
#include "ProjectFixture.h"
#include "settings/ProjectNames.h"
#include "ui/OutputWindow.h"

namespace {

// Started as "<this program> plays-make <code> <text>", this test program plays make: it
// writes the text to its standard error ("|" for a line feed) and exits with the code.
const bool g_playsMake = [] {
    std::string line = GetCommandLineA();
    size_t at = line.find(" plays-make ");
    if (at == std::string::npos)
        return false;
    char *rest = nullptr;
    int code = static_cast<int>(strtol(line.c_str() + at + 12, &rest, 10));
    std::string text = *rest ? rest + 1 : "";
    for (char &c : text)
        if (c == '|')
            c = '\n';
    fputs(text.c_str(), stderr);
    ExitProcess(static_cast<UINT>(code));
    return true;
}();

// Copied as "<root>\bin\make.exe" and started with -q, it exits with the number in the file
// QCODE of its current directory.
const bool g_answersQuestion = [] {
    char self[MAX_PATH];
    GetModuleFileNameA(nullptr, self, sizeof self);
    const char *name = strrchr(self, '\\');
    if (!name || _stricmp(name + 1, "make.exe") != 0 || !strstr(GetCommandLineA(), " -q"))
        return false;
    int code = 0;
    if (FILE *f = fopen("QCODE", "r")) {
        if (fscanf(f, "%d", &code) != 1)
            code = 0;
        fclose(f);
    }
    ExitProcess(static_cast<UINT>(code));
    return true;
}();

class BuildTest : public ProjectFixture {
protected:
    std::string self, makeDir;

    void SetUp() override {
        ProjectFixture::SetUp();
        char path[MAX_PATH];
        GetModuleFileNameA(nullptr, path, sizeof path);
        self = path;
        makeDir = dir + "\\BDX";
        CreateDirectoryA(makeDir.c_str(), nullptr);
        ProjectRecord &p = g_project;
        p.name = "demo";
        p.path = p.sourcesDir = dir;
        p.files = {"a.c"};
        p.hasMake = true;
        p.makeDir = makeDir;
        p.errorFile = makeDir + "\\demo.err";
        RegisterBuildCommands();
    }

    // Builds with make played as `code` and `text`; the results list afterwards.
    std::vector<std::string> Build(int code, const std::string &text) {
        g_project.makeName = "\"" + self + "\" plays-make " + std::to_string(code) + " " + text;
        if (!StartBuild())
            return {"(not started)"};
        WaitIdle();
        return Results();
    }

    void WaitIdle() {
        while (g_app->buildState != kBuildIdle) {
            MSG message;
            if (GetMessageA(&message, nullptr, 0, 0) > 0)
                DispatchMessageA(&message);
        }
    }

    std::vector<std::string> Results() const {
        std::vector<std::string> lines;
        for (int i = 0; i < OutputLineCount(); i++)
            lines.push_back(OutputLine(i));
        return lines;
    }
};

// A build that succeeds, as the user meets it, is ProjectAppTest's (F9).
TEST_F(BuildTest, TheThreadRunsMakeIntoTheErrorFileAndTheResultsShowIt) {
    // Diagnostics and the summary; an error file that cannot be made falls back to errout.err.
    g_project.errorFile = dir + "\\MISSING\\demo.err";
    std::vector<std::string> lines = Build(2, "Error a.c: 3  bad|make: stopped");
    ASSERT_EQ(3u, lines.size());
    EXPECT_EQ("Error a.c: 3  bad", lines[0]);
    EXPECT_EQ("make: stopped", lines[1]);
    EXPECT_EQ(0u, lines[2].find("Compilation + link time:"));
    EXPECT_EQ(lines[2].size() - 20, lines[2].find(" sec, Return code: 2")) << lines[2];
    EXPECT_EQ(makeDir + "\\errout.err", g_project.errorFile);
    std::string lowered = Lowered(dir);
    EXPECT_EQ((std::vector<std::string>{"unable to open messages file " + lowered + "\\missing\\demo.err for writing\n"
                                        "defaulting to " + lowered + "\\bdx\\errout.err"}),
              ui.Texts());

    // A make that fails without a word is no success.
    EXPECT_EQ(1u, Build(1, "").size());

    // Failures before make starts: no results, the state idle again.
    ui.boxes.clear();
    g_project.makeDir = dir + "\\NONE";
    Build(0, "");
    g_project.makeDir = makeDir;
    g_project.makeName = dir + "\\nothing.exe";
    ASSERT_TRUE(StartBuild());
    WaitIdle();
    EXPECT_EQ((std::vector<std::string>{"The make directory " + dir + "\\NONE\ndoes not exist.\nImpossible to run make\n",
                                        "Impossible to execute '" + dir + "\\nothing.exe'"}),
              ui.Texts());
}

TEST_F(BuildTest, MakesMessagesShowItsCommandsAndCarryTheStopRequest) {
    ui.boxes.clear();
    g_project.name.clear();
    MakeCommand();
    g_project.name = "demo";
    g_app->buildState = kBuildGenerating;
    MakeCommand();
    EXPECT_EQ((std::vector<std::string>{"No project defined", "Makefile is being generated. Wait till that finishes."}),
              ui.Texts());

    // While a build runs F9 is the stop request: the next message is answered 1, the one after 0.
    g_app->buildState = kBuildRunning;
    char block[kSharedBlockMapped] = "c:\\bdx\\bin\\bdx.exe -c -g2 c:\\demo\\a.c\nmake: demo.exe is up";
    g_app->sharedBlock = block;
    MakeCommand();
    EXPECT_EQ(1, BuildStopRequest());
    EXPECT_EQ(1, OutputWindowProc(nullptr, 26024, 0, 0));
    snprintf(block, sizeof block, " to date\n");
    EXPECT_EQ(0, OutputWindowProc(nullptr, 26024, 0, 0));
    EXPECT_EQ((std::vector<std::string>{"-g2 c:\\demo\\a.c", "make: demo.exe is up to date"}), Results());
    g_app->buildState = kBuildIdle;
    g_app->sharedBlock = nullptr;
}

TEST_F(BuildTest, TheResultsStopAtTheirLimits) {
    std::string big(140, 'x');
    std::string text;
    while (text.size() <= 32700)
        text += big + "\n";
    WriteWholeFile(g_project.errorFile, text);
    g_project.buildExitCode = 2;
    ShowResults(&g_project);
    EXPECT_EQ("Message file " + g_project.errorFile + " too big", ui.Texts().at(0));
    EXPECT_EQ(32700u / 141 + 1, Results().size());   // the lines read, then the summary

    // A line of more than 1400 characters; the error file found in the make directory.
    g_project.errorFile = "demo.err";
    WriteWholeFile(makeDir + "\\demo.err", "first\n" + std::string(1401, 'y') + "\nlast\n");
    ShowResults(&g_project);
    EXPECT_EQ(2u, Results().size());
    EXPECT_EQ("first", Results()[0]);

    DeleteFileA((makeDir + "\\demo.err").c_str());
    ShowResults(&g_project);
    EXPECT_EQ((std::vector<std::string>{"Diagnostics file demo.err doesn't exist"}), Results());
}

TEST_F(BuildTest, ADiagnosticOpensItsFileAtItsLine) {
    std::string source = PathOf("SRC.C");
    WriteWholeFile(source, "one\ntwo\nthree\nfour\n");
    std::string lower = Lowered(source);
    for (const std::string &line : {"Error " + lower + ": 3  undeclared ", std::string(" + identifier 'x'"),
                                    std::string("src.c(0) : error C2065: 'x' : undeclared"), "Error " + lower + ": 0  none"})
        AddOutputLine(line.c_str());
    GoToDiagnostic(1);   // the continuation goes to the same line
    ASSERT_TRUE(HasFileDocument());
    EXPECT_EQ(source, g_editor->doc->path);
    EXPECT_EQ(3, CurrentLineNumber());
    EXPECT_EQ(g_editor->view->current, g_editor->view->highlight);
    EXPECT_STREQ("[3]:undeclared identifier 'x'", MessageLineText());
    SetCurrentDirectoryA(dir.c_str());
    GoToDiagnostic(2);   // line 0 of this form: the first line
    EXPECT_EQ(1, CurrentLineNumber());
    GotoLine(4);
    GoToDiagnostic(3);   // line 0 of the compiler form: nothing
    EXPECT_EQ(4, CurrentLineNumber());
}

TEST_F(BuildTest, RebuildAllDeletesTheCompiledObjectsOnly) {
    g_project.files = {"a.c", "b.asm", "mine.obj", "c.h"};
    for (const char *name : {"a.obj", "b.obj", "mine.obj", "c.obj"})
        WriteWholeFile(makeDir + "\\" + name, "");
    RebuildAllCommand();
    EXPECT_EQ((std::vector<std::string>{"C.OBJ", "MINE.OBJ"}), FilesIn(makeDir));
    EXPECT_STREQ("2 object files deleted", StatusText());

    g_project.hasMake = false;
    RebuildAllCommand();
    LinkCommand();
    g_project.hasMake = true;
    g_project.executable.clear();
    LinkCommand();
    EXPECT_EQ((std::vector<std::string>{"Make parameters not defined", "Make parameters not defined",
                                        "Executable name not defined\nChange this in the linker options."}),
              ui.Texts());
}

TEST_F(BuildTest, ALoneDocumentBecomesAProjectByItsMainFunction) {
    ClearProject();
    SetCurrentDirectoryA(dir.c_str());
    struct Case { const char *file, *text; unsigned type; const char *refusal; } cases[] = {
        {"Hello.c", "#include <stdio.h>\nstatic int helper(int x);\nint\nmain(void)\n{\n    return 0;\n}\n", kTypeConsole,
         nullptr},
        {"win.c", "int WINAPI WinMain(HINSTANCE a, HINSTANCE b, LPSTR c, int d)\n{\n    if (a)\n        return 0;\n}\n",
         kTypeWindows, nullptr},
        {"hello.h", "int x;\n", 0, "A project with the name 'hello' exists already"},
        {"lib.c", "int twice(int x)\n{\n    return 2 * x;\n}\n", 0,
         "Neither 'main' nor 'WinMain' defined in lib\nImpossible to generate default project"},
        {"empty.c", "/* nothing */\n", 0, "No functions defined in empty.c\nImpossible to generate default project"},
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(c.file);
        WriteWholeFile(dir + "\\" + c.file, c.text);
        ASSERT_TRUE(OpenPath((dir + "\\" + c.file).c_str()));
        ui.boxes.clear();
        EXPECT_EQ(c.refusal == nullptr, MakeDefaultProject());
        if (c.refusal) {
            EXPECT_EQ((std::vector<std::string>{c.refusal}), ui.Texts());
            EXPECT_EQ(nullptr, CurrentProject());
            continue;
        }
        ASSERT_TRUE(CurrentProject());
        EXPECT_EQ(c.type, g_project.compilerFlags & (kTypeConsole | kTypeWindows));
        EXPECT_EQ((std::vector<std::string>{c.file}), g_project.files);
        EXPECT_TRUE(HasName(g_projectNames, g_project.name.c_str()));
        EXPECT_TRUE(IsDirectory(g_project.makeDir.c_str()));
    }
}

TEST_F(BuildTest, TheTargetIsCheckedBeforeDebuggingWhenAsked) {
    snprintf(g_app->compilerRoot, sizeof g_app->compilerRoot, "%s", dir.c_str());
    CreateDirectoryA(PathOf("BIN").c_str(), nullptr);
    ASSERT_TRUE(CopyFileA(self.c_str(), PathOf("BIN\\make.exe").c_str(), FALSE));
    g_project.executable = "demo.exe";
    WriteWholeFile(makeDir + "\\QCODE", "199");
    EXPECT_TRUE(CheckUpToDate());   // not asked without the option
    g_app->optionByte |= kOptionTestTarget;
    EXPECT_TRUE(CheckUpToDate());   // No: debug what there is
    EXPECT_EQ((std::vector<std::string>{"demo.exe is not up-to-date.\nRebuild?"}), ui.Texts());
    WriteWholeFile(makeDir + "\\QCODE", "1");
    EXPECT_TRUE(CheckUpToDate());
    EXPECT_EQ(1u, ui.boxes.size());

    // Yes rebuilds first (the option saves the documents without asking); a failed build
    // stops the debugging.
    WriteWholeFile(makeDir + "\\QCODE", "199");
    WriteWholeFile(makeDir + "\\makefile", "");
    WriteWholeFile(PathOf("A.C"), "old\n");
    ASSERT_TRUE(OpenPath(PathOf("A.C").c_str()));
    InsertText("new ", 4);
    g_app->optionByte |= kOptionSaveBeforeBuild;
    g_project.makeName = "\"" + self + "\" plays-make 2 Error";
    ui.Answer(kAnswerYes);
    EXPECT_FALSE(CheckUpToDate());
    EXPECT_EQ("new old\r\n", ReadWholeFile(PathOf("A.C")));
    EXPECT_TRUE(ui.fileLists.empty());
    EXPECT_EQ(2, g_project.buildExitCode);
}

TEST_F(BuildTest, CompilingAFileTheProjectLacksAsksFirst) {
    WriteWholeFile(PathOf("OTHER.C"), "int main(void) { return 0; }\n");
    ASSERT_TRUE(OpenPath(PathOf("OTHER.C").c_str()));
    CompileCurrentFile();   // Cancel
    ui.fileListAnswers = {IDC_COMPILE_ADD};
    g_project.makeName = "\"" + self + "\" plays-make 0";
    WriteWholeFile(makeDir + "\\OTHER.OBJ", "");
    CompileCurrentFile();
    WaitIdle();
    EXPECT_EQ((std::vector<std::vector<std::string>>{{"18400"}, {"18400"}}), ui.fileLists);
    EXPECT_EQ((std::vector<std::string>{"a.c", PathOf("OTHER.C")}), g_project.files);
    EXPECT_FALSE(FileExists((makeDir + "\\OTHER.OBJ").c_str()));   // so make compiles it again
    EXPECT_EQ(0, g_project.buildExitCode);
}

} // namespace
