// The makefile: its text for a demo project, the option tables, and the cases where files,
// types or the compiler's dependency scan change it.
#include <windows.h>
#include <stdio.h>

#include <string>

#include "base/AppState.h"
#include "base/CommandIds.h"
#include "base/Commands.h"
#include "base/TextUtil.h"
#include "platform/Files.h"
#include "project/Makefile.h"
#include "project/ProjectCommands.h"
#include "ProjectFixture.h"
#include "ui/OutputWindow.h"

namespace {

// Started as "bdx.exe -M -Fo<file> -I<dir> ... <source>", this test program plays the
// compiler's dependency mode: it lists "<first include dir>\stdio.h" and the source. A source
// named "bad..." fails with 3; one named "long..." adds a line of 500 characters.
const bool g_actsAsCompiler = [] {
    std::string line = GetCommandLineA();
    size_t fo = line.find(" -M -Fo");
    if (fo == std::string::npos)
        return false;
    std::string out = line.substr(fo + 7, line.find(' ', fo + 7) - fo - 7);
    size_t include = line.find(" -I");
    std::string first = line.substr(include + 3, line.find(' ', include + 3) - include - 3);
    std::string source = line.substr(line.find_last_of(' ') + 1);
    if (source.find("\\bad") != std::string::npos)
        ExitProcess(3);
    if (FILE *f = fopen(out.c_str(), "w")) {
        fprintf(f, "%s\\stdio.h\n%s\n", first.c_str(), source.c_str());
        if (source.find("\\long") != std::string::npos)
            fprintf(f, "%s\n", std::string(500, 'x').c_str());
        fclose(f);
    }
    ExitProcess(0);
    return true;
}();

class MakefileTest : public ProjectFixture {
protected:
    std::string root, makefile;

    void SetUp() override {
        ProjectFixture::SetUp();
        SetCurrentDirectoryA(dir.c_str());
        root = dir;
        snprintf(g_app->compilerRoot, sizeof g_app->compilerRoot, "%s", root.c_str());
        ProjectRecord &p = g_project;
        p.name = "demo";
        p.path = dir;
        p.makeDir = dir + "\\BDX";
        p.hasMake = true;
        p.compilerFlags = kTypeConsole | kCompilerDebugInfo;
        CreateDirectoryA(p.makeDir.c_str(), nullptr);
        makefile = p.makeDir + "\\MAKEFILE";
    }
    // The compiler double in <root>\bin and the sources it scans.
    void InstallCompiler(const std::vector<std::string> &sources) {
        char self[MAX_PATH];
        GetModuleFileNameA(nullptr, self, sizeof self);
        CreateDirectoryA((root + "\\bin").c_str(), nullptr);
        ASSERT_TRUE(CopyFileA(self, (root + "\\bin\\bdx.exe").c_str(), FALSE));
        for (const std::string &s : sources)
            WriteWholeFile(dir + "\\" + s, "int x;\n");
    }
    std::string Generate(std::vector<std::string> files, int expected = 1) {
        g_project.files = files;
        EXPECT_EQ(expected, GenerateMakefile(&g_project));
        return ReadWholeFile(makefile);
    }
    bool Has(const std::string &text, const std::string &part) { return text.find(part) != std::string::npos; }
};

TEST_F(MakefileTest, TheDemoProjectByteForByte) {
    InstallCompiler({"demo.c", "util.c"});
    std::string src = Lowered(dir), text = Generate({"demo.c", "util.c"});
    auto block = [&](const std::string &name, const std::string &macro) {
        return "\n# Build " + name + ".c\n" + macro + "=\\\n\t" + root + "\\include\\stdio.h\\\n\t" + dir + "\\" +
               name + ".c\\\n\n" + name + ".obj: $(" + macro + ") " + src + "\\" + name + ".c\n\t$(CC) -c $(CFLAGS) " +
               src + "\\" + name + ".c\n";
    };
    EXPECT_EQ("# Kelto Makefile for project demo\nCFLAGS=-I" + root + "\\include  -g2 \nCC=" + root +
                  "\\bin\\bdx.exe\nOBJS=\\\n\tdemo.obj \\\n\tutil.obj\n\nLIBS=\n\ndemo.exe:\t$(OBJS) Makefile\n\t" + root +
                  "\\bin\\bdxlnk  -subsystem console -o demo.exe $(OBJS) $(LIBS)\n" + block("demo", "DEMO_C") +
                  block("util", "UTIL_C") + "\n",
              text);
    EXPECT_TRUE(ui.boxes.empty());
    EXPECT_FALSE(PathPresent("$x8856455.723"));
    EXPECT_EQ(kBuildIdle, g_app->buildState);

    // The command saves the content and says so; a project of Eiffel sources gets no makefile.
    RemoveFile(makefile.c_str());
    RegisterProjectCommands();
    FindHandler(IDM_GENERATE_MAKEFILE)(IDM_GENERATE_MAKEFILE, 0);
    EXPECT_STREQ("Makefile generation successful", StatusText());
    EXPECT_EQ(text, ReadWholeFile(makefile));
    EXPECT_EQ("2", Get("demo", "PrjFiles"));
    for (auto files : {std::vector<std::string>{}, std::vector<std::string>{"a.e", "B.E"}}) {
        RemoveFile(makefile.c_str());
        g_project.files = files;
        GenerateMakefileCommand();
        EXPECT_TRUE(g_project.projectFlags & kProjectEiffel);
        EXPECT_FALSE(PathPresent(makefile.c_str()));
    }
    g_project.files = {"a.e", "b.ee"};
    EXPECT_FALSE(ApplyEiffelTest(&g_project));
    EXPECT_FALSE(g_project.projectFlags & kProjectEiffel);
}

TEST_F(MakefileTest, OptionTables) {
    // Every bit at once: each option in its place, -g4 before -g3 before -g2 (the demo's).
    EXPECT_EQ(" -O  -x  -g4  -S  -A  -Zp1  -Zp2  -Zp4  -Zp8  -Zp16  -z  -p6", CompilerOptions(0xffffffff));
    EXPECT_EQ(" -g3 ", CompilerOptions(0x808));
    EXPECT_EQ(" -u -U -R -r -a -c -g -C", FortranOptions(0xff));

    ProjectRecord p;
    p.compilerFlags = kTypeConsole | 0x01 | 0x2000 | 0x400000;
    p.linkerArgs = "-stack 9";
    EXPECT_EQ(" -s -subsystem console -map out\\demo.map -stack 9 -nounderscores", LinkerOptions(p, "out\\demo.exe"));
    EXPECT_EQ(" -s -subsystem console -stack 9 -nounderscores", LinkerOptions(p, "out.d\\demo"));
    p = ProjectRecord();
    p.compilerFlags = kTypeDll;
    p.entryPoint = "LibMain";
    EXPECT_EQ(" -dll", LinkerOptions(p, "d.dll"));
    p.entryPoint = "Start";
    EXPECT_EQ(" -dll -entry Start", LinkerOptions(p, "d.dll"));
    p.compilerFlags = kTypeWindows;
    p.files = {"w.c", "W.RES"};
    EXPECT_EQ(" -subsystem windows", LinkerOptions(p, "w.exe"));
    EXPECT_TRUE(ui.boxes.empty());
    p.files = {"w.c"};
    EXPECT_EQ(" -subsystem windows", LinkerOptions(p, "w.exe"));
    EXPECT_EQ((std::vector<std::string>{"Windows program but no resources defined?"}), ui.Texts());

    EXPECT_EQ("-Ia -Ib c -Id ", IncludeOptions("a; b c;;d;"));
    EXPECT_EQ("-DA=1 -DB C ", DefineOptions("A=1;B C"));
    EXPECT_EQ("-DA -DB C ", DefineOptions("A, B C"));
    EXPECT_EQ("-DA -DB ", DefineOptions(" A  B "));
    EXPECT_EQ("", DefineOptions(""));
}

TEST_F(MakefileTest, ResourcesTypesAndFortran) {
    g_project.compilerFlags = kTypeWindows;
    std::string text = Generate({"a.rc", "B.RC", "m.asm"});
    EXPECT_EQ((std::vector<std::string>{"You have already defined resources for this project.\nB.RC will be ignored"}),
              ui.Texts());   // no message 61: there is a resource script
    std::string src = Lowered(dir);
    EXPECT_TRUE(Has(text, "OBJS=\\\n\ta.res \\\n\tm.obj\n"));
    EXPECT_TRUE(Has(text, "\n# Build b.res\nB_RC=\\\n\nb.res:\t$(B_RC) " + src + "\\b.rc\n\tbrc -I" + dir + " -I" +
                              root + "\\include  " + src + "\\b.rc\n"));
    EXPECT_TRUE(Has(text, "\nm.obj: " + src + "\\m.asm\n\t$(CC) -c $(CFLAGS) " + src + "\\m.asm\n\n"));
    ui.boxes.clear();
    text = Generate({"x.res", "y.rc", "x.c"});
    EXPECT_EQ(1u, ui.boxes.size());
    EXPECT_TRUE(Has(text, "OBJS=\\\n\t" + dir + "\\x.res \\\n\tx.obj\n"));
    EXPECT_FALSE(Has(text, "y.res"));

    ui.boxes.clear();
    g_project.compilerFlags = kTypeLibrary;
    g_project.executable = "out\\demo.exe";
    EXPECT_TRUE(Has(Generate({"f.f", "g.F"}), "\nFFLAGS=\n\nLIBS=libf77.lib\n\nout\\demo.lib:\t$(OBJS) Makefile\n\t" +
                                                  root + "\\bin\\bdxlib /OUT:out\\demo.lib $(OBJS)\n"));
    g_project.fortranFlags = 0x41;
    text = Generate({"f.f"});
    EXPECT_EQ("libf77.lib", g_project.libraries);
    EXPECT_TRUE(Has(text, "\nFFLAGS= -u -g\n"));
    EXPECT_TRUE(Has(text, "\nf.obj: " + src + "\\f.f\n\t$(F2C) $(FFLAGS) " + src + "\\f.f\n"));
    g_project.libraries = "A.LIB " + root + "\\LIB\\LibF77.Lib";
    Generate({"f.f"});
    EXPECT_EQ("A.LIB " + root + "\\LIB\\LibF77.Lib", g_project.libraries);

    g_project.compilerFlags = kTypeDll | 0x2000;
    g_project.executable = "";
    g_project.fileProcessors = {{"Gen.TXT", "Tool GEN.TXT", "GEN.OBJ"}};
    text = Generate({"gen.txt", "d.def", "lib.obj"});
    EXPECT_TRUE(Has(text, "OBJS=\\\n\tlib.obj\n"));
    EXPECT_TRUE(Has(text, "\\bdxlnk  -dll -map demo.map -o demo.dll"));
    EXPECT_TRUE(Has(text, "\ngen.obj:\tgen.txt\n\ttool gen.txt\n\n"));
    EXPECT_TRUE(ui.boxes.empty());
}

TEST_F(MakefileTest, FailuresKeepTheUsersMakefileAndReportOnce) {
    WriteWholeFile(makefile, "all:\n");
    std::string good = Generate({"a.c"});
    EXPECT_EQ("all:\n", ReadWholeFile(dir + "\\BDX\\Makefile.old"));
    EXPECT_EQ(1u, ui.boxes.size());
    EXPECT_EQ(good, Generate({"a.c"}));   // its own makefile is replaced quietly
    EXPECT_EQ(1u, ui.boxes.size());

    // A file nobody knows how to build: the previous makefile stays.
    EXPECT_EQ(good, Generate({"a.c", "notes.txt"}, 0));
    EXPECT_EQ("Cannot generate the makefile", ui.boxes.back().text);
    EXPECT_STREQ("I do not know how to handle notes.txt", OutputLine(0));
    EXPECT_EQ((std::vector<std::string>{dir + "\\notes.txt"}), ui.processorInputs);
    EXPECT_EQ(good, Generate({"a.c", std::string(255, 'n') + ".c"}, 0));
    EXPECT_EQ(kBuildIdle, g_app->buildState);
    // Told how, with a blank field refused first, the file gets its rule.
    ui.processorAnswers = {{"fmt notes.txt", " "}, {"fmt notes.txt", "notes.doc"}};
    EXPECT_TRUE(Has(Generate({"a.c", "notes.txt"}), "\nnotes.doc:\t" + Lowered(dir) + "\\notes.txt\n\tfmt notes.txt\n"));
    EXPECT_EQ("You must fill both fields", ui.boxes.back().text);
    EXPECT_EQ(1u, g_project.fileProcessors.size());

    // The first failed scan is reported; the macros after it stay empty.
    ui.boxes.clear();
    InstallCompiler({"long.c", "bad.c", "ok.c"});
    std::string text = Generate({"long.c", "bad.c", "ok.c"});
    std::string command = root + "\\bin\\bdx.exe -M -Fo$x8856455.723 -I" + root + "\\include  " + dir + "\\bad.c";
    std::string message = "Impossible to execute\n" + command + "\nto find out the dependencies.\nError code 3";
    EXPECT_EQ((std::vector<std::string>{message.substr(0, 254)}), ui.Texts());   // error boxes hold 254 characters
    EXPECT_TRUE(Has(text, "\t" + dir + "\\long.c\\\n\t" + std::string(400, 'x') + "\\\n\n"));
    EXPECT_TRUE(Has(text, "BAD_C=\\\n\nbad.obj"));
    EXPECT_TRUE(Has(text, "OK_C=\\\n\nok.obj"));
}

TEST_F(MakefileTest, TheInformationDialogEditsAFilesProcessor) {
    ProjectRecord &p = g_project;
    EXPECT_EQ("brc.exe", OpenProcessorFields(p, "C:\\W\\App.RC").command);
    EXPECT_EQ("app.res", OpenProcessorFields(p, "C:\\W\\App.RC").output);
    EXPECT_EQ("", OpenProcessorFields(p, "C:\\W\\x.f").output);
    std::string notes = "C:\\W\\NOTES.TXT";
    ProcessorFields fields = OpenProcessorFields(p, notes);
    EXPECT_EQ("", fields.command);
    EXPECT_TRUE(ApplyProcessorFields(&p, "C:\\W\\a.c", {"BDX.EXE", "", false}));   // the default tool: nothing
    EXPECT_FALSE(ApplyProcessorFields(&p, notes, {"fmt", "", false}));               // no output: stays
    EXPECT_TRUE(ApplyProcessorFields(&p, notes, {"fmt", "notes.doc", false}));
    ASSERT_EQ(1u, p.fileProcessors.size());
    fields = OpenProcessorFields(p, Lowered(notes));
    EXPECT_TRUE(fields.existing);
    EXPECT_EQ("notes.doc", fields.output);
    EXPECT_FALSE(ApplyProcessorFields(&p, notes, {"", "notes.doc", true}));   // delete? No
    ui.Answer(kAnswerYes);
    EXPECT_TRUE(ApplyProcessorFields(&p, notes, {"", "notes.doc", true}));
    EXPECT_TRUE(p.fileProcessors.empty());
    std::string must = "You must enter the name of the output file that this processor will produce";
    EXPECT_EQ((std::vector<std::string>{must, "Delete this file processor?", "Delete this file processor?"}), ui.Texts());
}

} // namespace
