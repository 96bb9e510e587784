// make.exe run as the IDE runs it: in a directory of its own, on makefiles written as the IDE
// writes them, with testcc (beside this program) standing in for the compiler and linker.
#include <windows.h>

#include <stdlib.h>
#include <string.h>

#include <algorithm>

#include "editor/DocumentTestSupport.h"   // SetAge
#include "support/TestSupport.h"

namespace {

std::string Quoted(const std::string &s) { return "\"" + s + "\""; }

std::string TestCc() {
    char self[MAX_PATH];
    GetModuleFileNameA(nullptr, self, sizeof self);
    std::string path = self;
    return Quoted(path.substr(0, path.rfind('\\')) + "\\testcc.exe");
}

std::string WithoutCr(std::string s) {
    s.erase(std::remove(s.begin(), s.end(), '\r'), s.end());
    return s;
}

// The output window of the IDE as make sees it: a child of class KeltoOutput under a hidden
// top-level window, and the shared block "kelto". It records every text and answers 1 (stop)
// to message number `stopAt`.
struct FakeIde {
    static FakeIde *current;
    HANDLE mapping = nullptr;
    char *block = nullptr;
    HWND frame = nullptr, output = nullptr;
    std::vector<std::string> texts;
    size_t stopAt = 0;

    static LRESULT CALLBACK Proc(HWND w, UINT msg, WPARAM wp, LPARAM lp) {
        if (msg != 26024 || !current)
            return DefWindowProcA(w, msg, wp, lp);
        current->texts.push_back(std::string(current->block, strnlen(current->block, 1024)));
        return current->texts.size() == current->stopAt ? 1 : 0;
    }
    FakeIde() {
        WNDCLASSA wc = {};
        wc.lpfnWndProc = Proc;
        wc.hInstance = GetModuleHandleA(nullptr);
        wc.lpszClassName = "KeltoOutput";
        RegisterClassA(&wc);   // fails harmlessly when an earlier test registered it
        mapping = CreateFileMappingA(INVALID_HANDLE_VALUE, nullptr, PAGE_READWRITE, 0, 4096, "kelto");
        block = static_cast<char *>(MapViewOfFile(mapping, FILE_MAP_WRITE, 0, 0, 1024));
        frame = CreateWindowA("STATIC", "frame", WS_OVERLAPPEDWINDOW, 0, 0, 200, 100, nullptr,
                              nullptr, nullptr, nullptr);
        output = CreateWindowA("KeltoOutput", "", WS_CHILD, 0, 0, 100, 50, frame, nullptr,
                      GetModuleHandleA(nullptr), nullptr);
        current = this;
    }
    ~FakeIde() {
        current = nullptr;
        DestroyWindow(frame);
        UnmapViewOfFile(block);
        CloseHandle(mapping);
    }
};
FakeIde *FakeIde::current = nullptr;

class MakeTest : public KeltoTest {
protected:
    std::string cc = TestCc();

    void Write(const std::string &name, const std::string &text) { WriteWholeFile(PathOf(name), text); }
    std::string Log() { return WithoutCr(ReadWholeFile(PathOf("build.log"))); }

    // Runs make in the test's directory, pumping window messages (make sends to FakeIde's
    // window) until it ends; at most 60 seconds.
    CapturedRun Make(const std::string &args) {
        CapturedRun run = RunCaptured(Quoted(BuildPath("sdk/bin/make.exe")) + " " + args, dir, true, 60);
        EXPECT_NE(-1, run.code) << "make did not end or start: " << args;
        run.out = WithoutCr(run.out);
        run.err = WithoutCr(run.err);
        return run;
    }

    // The makefile the IDE writes for a console project "demo" of demo.c and util.c, demo.c
    // including demo.h, with testcc as the compiler and linker.
    void WriteDemo() {
        Write("demo.c", "int main() { return 0; }\n");
        Write("util.c", "int util;\n");
        Write("demo.h", "#define DEMO\n");
        Write("Makefile",
              "# Kelto Makefile for project demo\n"
              "CFLAGS=-I" + dir + "\\include  -g2\n"
              "CC=" + cc + "\n"
              "OBJS=\\\n\tdemo.obj \\\n\tutil.obj\n"
              "\nLIBS=\n"
              "\ndemo.exe:\t$(OBJS) Makefile\n"
              "\t" + cc + "  -subsystem console -o demo.exe $(OBJS) $(LIBS)\n"
              "\n# Build demo.c\nDEMO_C=\\\n\t" + dir + "\\demo.h\\\n"
              "\ndemo.obj: $(DEMO_C) " + dir + "\\demo.c\n\t$(CC) -c $(CFLAGS) " + dir + "\\demo.c\n"
              "\n# Build util.c\nUTIL_C=\\\n"
              "\nutil.obj: $(UTIL_C) " + dir + "\\util.c\n\t$(CC) -c $(CFLAGS) " + dir + "\\util.c\n"
              "\n");
        for (const char *name : {"demo.c", "util.c", "demo.h", "Makefile"})
            SetAge(PathOf(name), 3);
    }
    // The compiler's command line for `source`.
    std::string Compile(const char *source) {
        return cc + " -c -I" + dir + "\\include  -g2 " + dir + "\\" + source + "\n";
    }
};

TEST_F(MakeTest, BuildsTheIdesMakefileInOrderAndThenOnlyWhatIsOutOfDate) {
    WriteDemo();
    CapturedRun run = Make("");
    EXPECT_EQ(run.code, 0) << run.err;
    EXPECT_EQ(Log(), "cc demo.c\ncc util.c\nlink demo.exe\n");
    std::string link = cc + "  -subsystem console -o demo.exe demo.obj util.obj \n";
    EXPECT_EQ(run.out, Compile("demo.c") + Compile("util.c") + link);
    EXPECT_EQ(run.err, "");
    EXPECT_EQ(ReadWholeFile(PathOf("demo.exe")), "int main() { return 0; }\nint util;\n");

    for (const char *name : {"demo.obj", "util.obj", "demo.exe"})
        SetAge(PathOf(name), 2);
    run = Make("");
    EXPECT_EQ(run.code, 0);
    EXPECT_EQ(run.out, "make: demo.exe is up to date\n");
    EXPECT_EQ(Make("-q").code, 0);

    // A header named in the dependency macro is newer than demo.obj: demo.c again, and the link.
    SetAge(PathOf("demo.h"), 1);
    run = Make("-q");
    EXPECT_EQ(run.code, 199);
    EXPECT_EQ(run.out, "");
    run = Make("-n -s");
    EXPECT_EQ(run.code, 0);
    EXPECT_EQ(run.out, Compile("demo.c") + link);
    EXPECT_EQ(Log(), "cc demo.c\ncc util.c\nlink demo.exe\n");   // -q and -n ran nothing
    run = Make("-s");
    EXPECT_EQ(run.code, 0);
    EXPECT_EQ(run.out, "");
    EXPECT_EQ(Log(), "cc demo.c\ncc util.c\nlink demo.exe\ncc demo.c\nlink demo.exe\n");
    EXPECT_EQ(Make("-q").code, 0);

    // A target named on the command line, from a makefile chosen with -f.
    Write("other.mk", "demo.exe: util.obj\n\techo never\nutil.obj: util.c\n\t$(CC) -c util.c\n");
    SetAge(PathOf("util.c"), 0);
    run = Make("-f other.mk CC=" + cc + " util.obj");
    EXPECT_EQ(run.code, 0) << run.err;
    EXPECT_EQ(run.out, cc.substr(1, cc.size() - 2) + " -c util.c\n");   // the quotes went
}

TEST_F(MakeTest, FailuresStopTheBuildWithAReason) {
    WriteDemo();
    Write("util.c", "error\n");
    CapturedRun run = Make("");
    EXPECT_EQ(run.code, 1);
    EXPECT_EQ(Log(), "cc demo.c\ncc util.c\n");   // no link after the failure
    // The compiler's diagnostic reaches make's standard error, which the IDE reads.
    EXPECT_EQ(run.err, "Error " + dir + "\\util.c: 1 syntax error\n"
                       "make: util.obj: the command exited with code 3\n");

    DeleteFileA(PathOf("util.c").c_str());
    run = Make("");
    EXPECT_EQ(run.code, 2);
    EXPECT_EQ(run.err, "make: don't know how to make " + dir + "\\util.c\n");
    EXPECT_EQ(Make("-q").code, 2);
    EXPECT_EQ(Make("nothing.obj").err, "make: don't know how to make nothing.obj\n");
    EXPECT_EQ(Make("-f missing.mk").err, "make: cannot read the makefile missing.mk\n");
    EXPECT_EQ(Make("-x").code, 2);

    struct { const char *text, *error; } bad[] = {
        {"\techo x\nall:\n", "make: Makefile:1: command outside a rule\n"},
        {"A=$(B)\nB=x $(A)\nall:\n\techo $(A)\n", "make: a macro refers to itself"},
        {"all: x\nthis line has no separator\n", "make: Makefile:2: missing separator\n"},
        {"a: b\nb: a\n", "make: a depends on itself\n"},
    };
    for (const auto &b : bad) {
        Write("Makefile", b.text);
        run = Make("");
        EXPECT_EQ(run.code, 2) << b.text;
        EXPECT_EQ(run.err.substr(0, strlen(b.error)), b.error) << b.text;
    }
    EXPECT_EQ(Log(), "cc demo.c\ncc util.c\n");
}

TEST_F(MakeTest, ReadsMacrosContinuationsAndComments) {
    Write("Makefile",
          "# macros may come after their use; F2C comes from the environment\n"
          "all:\tfirst second   # a comment\n"
          "\techo all $(LATER) $@ from $<\n"
          "first: ; echo first $(F2C) $$HOME ${LIST}\n"
          "\n"
          "second:\n"
          "\techo $(LIST) \\\n"
          "\t  tail $(OBJS:.obj=.c)\n"
          "# a comment between commands\n"
          "\t@echo quiet\n"
          "LIST=a \\\n"
          "\tb\\\n"
          "\n"
          "LATER=$(PART)-done\n"
          "PART=late\n"
          "OBJS=x.obj y.obj\n");
    SetEnvironmentVariableA("F2C", "f2c.exe");
    SetEnvironmentVariableA("PART", "from-environment");
    CapturedRun run = Make("-n");
    EXPECT_EQ(run.code, 0) << run.err;
    EXPECT_EQ(run.out, "echo first f2c.exe $HOME a b\n"
                       "echo a b tail x.c y.c\n"
                       "echo quiet\n"
                       "echo all late-done all from first\n");
    // A macro on the command line wins over the file's; each target is made once.
    run = Make("-n PART=command-line second all");
    EXPECT_EQ(run.out, "echo a b tail x.c y.c\necho quiet\necho first f2c.exe $HOME a b\n"
                       "echo all command-line-done all from first\n");
    SetEnvironmentVariableA("F2C", nullptr);
    SetEnvironmentVariableA("PART", nullptr);
    EXPECT_EQ(Make("-n first").out, "echo first  $HOME a b\n");
}

TEST_F(MakeTest, ReportsEachCommandToTheOutputWindowAndStopsWhenAsked) {
    Write("a.c", "int a;\n");
    Write("b.c", "int b;\n");
    std::string longOptions(1500, 'x');
    std::string first = cc + " -c a.c";
    std::string second = cc + " -c -D" + longOptions + " b.c";
    Write("Makefile", "all: a.obj b.obj\na.obj: a.c\n\t" + first + "\nb.obj: b.c\n\t" + second + "\n");
    {
        FakeIde ide;
        if (!ide.frame && !getenv("DISPLAY"))
            GTEST_SKIP() << "no display for windows: sdk_gui_tests runs this under Xvfb";
        ASSERT_TRUE(ide.frame && ide.output && ide.block);
        CapturedRun run = Make("");
        EXPECT_EQ(run.code, 0) << run.err;
        // The long line arrives in pieces the block can hold; the IDE joins them up to "\n".
        ASSERT_EQ(ide.texts.size(), 3u) << run.err << run.out;
        EXPECT_EQ(ide.texts[0], first + "\n");
        EXPECT_EQ(ide.texts[1].size(), 1023u);
        EXPECT_EQ(ide.texts[1] + ide.texts[2], second + "\n");
        EXPECT_EQ(Log(), "cc a.c\ncc b.c\n");

        ide.texts.clear();
        CapturedRun again = Make("");
        EXPECT_EQ(ide.texts, std::vector<std::string>{"make: all is up to date\n"});
    }
    DeleteFileA(PathOf("a.obj").c_str());
    DeleteFileA(PathOf("b.obj").c_str());
    DeleteFileA(PathOf("build.log").c_str());
    {
        // "Stop build" answered to the second command's text: it does not run.
        FakeIde ide;
        ide.stopAt = 2;
        CapturedRun run = Make("");
        EXPECT_EQ(run.code, 1);
        EXPECT_EQ(run.err, "make: stopped\n");
        EXPECT_EQ(ide.texts.size(), 2u);
        EXPECT_EQ(Log(), "cc a.c\n");
    }
}

}  // namespace
