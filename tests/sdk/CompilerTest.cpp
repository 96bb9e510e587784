// The compiler system's tools (bdx.exe, bdxlnk, bdxlib) run as the makefile runs them, with
// the host compiler behind the compiler service that tests/sdk/with-cc-service.sh starts. The
// demo built from the IDE's makefile, dependency scans and all, is ProjectAppTest's (F9).
#include "support/TestSupport.h"

#include <windows.h>

#include <gtest/gtest.h>

#include <string>

namespace {

// The compiler root of this build tree, as Wine sees it.
std::string SdkRoot() { return BuildPath("sdk"); }


class CompilerTest : public KeltoTest {
protected:
    // Runs a command line in the test's directory.
    CapturedRun Tool(const std::string &commandLine) { return RunCaptured(commandLine, dir); }
    CapturedRun Sdk(const std::string &tool, const std::string &arguments) {
        return Tool(SdkRoot() + "\\bin\\" + tool + " " + arguments);
    }
    // Names keep their case: gcc on Linux finds an included file only under its own case.
    void Write(const std::string &name, const std::string &text) { WriteWholeFile(dir + "\\" + name, text); }
    // The name of a file in the test's directory as it is stored on disk (its case).
    std::string StoredName(const std::string &name) {
        WIN32_FIND_DATAA found;
        HANDLE h = FindFirstFileA(PathOf(name).c_str(), &found);
        if (h == INVALID_HANDLE_VALUE)
            return "";
        FindClose(h);
        return found.cFileName;
    }
};

TEST_F(CompilerTest, CompilesArchivesLinksAndTheProgramRuns) {
    Write("Hello.C",
          "#include <windows.h>\n#include <stdio.h>\nint Twice(int);\n"
          "int main(void) { printf(\"twice %d, pid %d\\n\", Twice(21), GetCurrentProcessId() > 0); return 3; }\n");
    Write("util.c", "int Twice(int x) { return 2 * x; }\n");
    std::string include = " -I" + SdkRoot() + "\\include ";
    CapturedRun c = Sdk("bdx.exe", "-c" + include + "-g2 -A -O -Zp4 -p6 -x " + dir + "\\Hello.C");
    EXPECT_EQ(0, c.code) << c.err;
    EXPECT_EQ("", c.err);
    EXPECT_EQ("hello.obj", StoredName("hello.obj"));
    EXPECT_EQ(0, Sdk("bdx.exe", "-c -S " + dir + "\\util.c").code);
    EXPECT_NE(std::string::npos, ReadWholeFile(PathOf("util.asm")).find("Twice"));
    CapturedRun lib = Sdk("bdxlib", "/OUT:util.lib util.obj");
    EXPECT_EQ(0, lib.code) << lib.err;

    CapturedRun link = Sdk("bdxlnk", " -subsystem console -map hello.map -o hello.exe hello.obj util.lib KERNEL32.LIB");
    ASSERT_EQ(0, link.code) << link.err;
    EXPECT_TRUE(PathExists(PathOf("hello.map")));
    CapturedRun program = Tool(PathOf("hello.exe"));
    EXPECT_EQ(3, program.code);
    EXPECT_EQ("twice 42, pid 1\r\n", program.out);

    // The entry point of a DLL is the one named: this one refuses to load.
    Write("d.c", "int __stdcall Refuse(void *h, unsigned r, void *p) { (void)h; (void)r; (void)p; return 0; }\n");
    EXPECT_EQ(0, Sdk("bdx.exe", "-c d.c").code);
#ifdef _WIN64
    CapturedRun dll = Sdk("bdxlnk", "-dll -entry Refuse -o d.dll d.obj");
#else
    CapturedRun dll = Sdk("bdxlnk", "-dll -entry Refuse@12 -o d.dll d.obj");
#endif
    EXPECT_EQ("", dll.err);
    ASSERT_TRUE(PathExists(PathOf("d.dll")));
    EXPECT_EQ(nullptr, LoadLibraryA(PathOf("d.dll").c_str()));

    // An unresolved symbol fails the link and leaves no executable.
    CapturedRun unresolved = Sdk("bdxlnk", "-subsystem console -o hello.exe hello.obj");
    EXPECT_NE(0, unresolved.code);
    EXPECT_NE(std::string::npos, unresolved.err.find("bdxlnk: hello.obj: in function `main':\n" + dir +
                                                      "\\Hello.C:4: undefined reference to `Twice'"))
        << unresolved.err;
    EXPECT_FALSE(PathExists(PathOf("hello.exe")));
}

TEST_F(CompilerTest, DiagnosticsNameTheWindowsFileAndLine) {
    Write("bad.c", "int f(void) {\n  int unused;\n  return missing;\n}\n");
    CapturedRun r = Sdk("bdx.exe", "-c -A " + dir + "\\bad.c");
    EXPECT_NE(0, r.code);
    EXPECT_NE(std::string::npos, r.err.find("Warning " + dir + "\\bad.c: 2  unused variable 'unused'")) << r.err;
    EXPECT_NE(std::string::npos, r.err.find("\nError " + dir + "\\bad.c: 3  'missing' undeclared")) << r.err;
    EXPECT_FALSE(PathExists(PathOf("bad.obj")));

    Write("inc.c", "\n#include \"nothere.h\"\n");
    r = Sdk("bdx.exe", "-c inc.c");
    EXPECT_NE(0, r.code);
    EXPECT_EQ("Error inc.c: 2  nothere.h: No such file or directory\n", r.err);

    r = Sdk("bdx.exe", "-c " + dir + "\\absent.c");
    EXPECT_NE(0, r.code);
    EXPECT_EQ("Error " + dir + "\\absent.c: cannot read the source file\n", r.err);
    EXPECT_EQ(2, Sdk("bdx.exe", "-c -Q x.c").code);
}

TEST_F(CompilerTest, DependenciesAreOneWindowsPathPerLine) {
    CreateDirectoryA(PathOf("inc").c_str(), nullptr);
    Write("main.c", "#include <stdio.h>\n#include \"a.h\"\n#include \"a.h\"\nint main(void) { return 0; }\n");
    Write("a.h", "#include <b.h>\n");
    Write("inc\\b.h", "#include \"c.h\"\n");
    Write("inc\\c.h", "/* last */\n");
    CapturedRun r = Sdk("bdx.exe", "-M -F" "o$x8856455.723 -I" + dir + "\\inc -DX=1 " + dir + "\\main.c");
    EXPECT_EQ(0, r.code) << r.err;
    EXPECT_EQ(dir + "\\a.h\n" + dir + "\\inc\\b.h\n" + dir + "\\inc\\c.h\n",
              ReadWholeFile(PathOf("$x8856455.723")));

    EXPECT_NE(0, Sdk("bdx.exe", "-M -Fodeps.txt " + dir + "\\none.c").code);
    Write("gone.c", "#include \"gone.h\"\n");
    EXPECT_NE(0, Sdk("bdx.exe", "-M -Fodeps.txt " + dir + "\\gone.c").code);
}

TEST_F(CompilerTest, AMissingServiceIsReportedAtOnce) {
    Write("x.c", "int x;\n");
    char saved[32] = "";
    GetEnvironmentVariableA("KELTO_CC_PORT", saved, sizeof saved);
    SetEnvironmentVariableA("KELTO_CC_PORT", "1");
    DWORD start = GetTickCount();
    CapturedRun r = Sdk("bdx.exe", "-c x.c");
    DWORD elapsed = GetTickCount() - start;
    SetEnvironmentVariableA("KELTO_CC_PORT", saved);
    EXPECT_EQ(2, r.code);
    EXPECT_EQ("cannot reach the compiler service on 127.0.0.1:1\n", r.err);
    EXPECT_LT(elapsed, 10000u);
}

}   // namespace

// The wizard's skeletons: its answer file as the IDE reads it, each kind builds (the console
// one runs), and a file of the user's is never written over.
TEST_F(CompilerTest, TheWizardsSkeletonsBuild) {
    struct Kind {
        const char *option, *link;
    };
    for (const Kind &kind : {Kind{"/console", "-subsystem console"}, Kind{"/dll", "-dll"}, Kind{"", "-subsystem windows"}}) {
        SCOPED_TRACE(kind.option);
        std::string name = std::string("w") + (kind.option[0] ? kind.option + 1 : "windows");
        CapturedRun wizard = Sdk("wizard.exe", "/kelto:0 /prjname:" + name + " /prjpath:" + dir + " /out:" + dir +
                                               "\\answer.txt " + kind.option);
        ASSERT_EQ(1, wizard.code) << wizard.err;
        EXPECT_EQ("Project: " + name + "\r\nSource: " + dir + "\\" + name + ".c\r\n", ReadWholeFile(PathOf("ANSWER.TXT")));
        CapturedRun compile = Sdk("bdx.exe", "-c " + dir + "\\" + name + ".c");
        ASSERT_EQ(0, compile.code) << compile.err;
        std::string output = name + (kind.option == std::string("/dll") ? ".dll" : ".exe");
        CapturedRun link = Sdk("bdxlnk", std::string(kind.link) + " -o " + output + " " + name + ".obj");
        ASSERT_EQ(0, link.code) << link.err;
    }
    EXPECT_EQ("wconsole: 2 arguments\r\n", Tool(dir + "\\wconsole.exe a b").out);
    Write("mine.c", "int main(void) { return 7; }\n");
    EXPECT_EQ(1, Sdk("wizard.exe", "/kelto:0 /prjname:mine /prjpath:" + dir + " /out:" + dir + "\\a.txt /console").code);
    EXPECT_EQ("int main(void) { return 7; }\n", ReadWholeFile(PathOf("MINE.C")));
}

// A resource script compiled by brc is linked into the program, which finds its string; an
// error names the script's line in the IDE's form.
TEST_F(CompilerTest, ResourceScriptsCompileAndLink) {
    Write("Strings.rc", "#include <windows.h>\nSTRINGTABLE\nBEGIN\n    1, \"from the resources\"\nEND\n");
    Write("Show.c", "#include <windows.h>\n#include <stdio.h>\nint main(void) { char s[64] = \"\";\n"
                    "LoadStringA(GetModuleHandleA(0), 1, s, sizeof s); printf(\"%s\\n\", s); return 0; }\n");
    CapturedRun rc = Sdk("brc", "-I" + dir + " -I" + SdkRoot() + "\\include " + dir + "\\Strings.rc");
    ASSERT_EQ(0, rc.code) << rc.err;
    ASSERT_TRUE(PathExists(PathOf("strings.res")));
    ASSERT_EQ(0, Sdk("bdx.exe", "-c " + dir + "\\Show.c").code);
    CapturedRun link = Sdk("bdxlnk", "-subsystem console -o show.exe show.obj strings.res");
    ASSERT_EQ(0, link.code) << link.err;
    EXPECT_EQ("from the resources\r\n", Tool(dir + "\\show.exe").out);

    Write("Bad.rc", "STRINGTABLE\nBEGIN\n    1, \"ok\"\n    what is this\nEND\n");
    CapturedRun bad = Sdk("brc", dir + "\\Bad.rc");
    EXPECT_NE(0, bad.code);
    EXPECT_EQ("Error " + dir + "\\" + StoredName("Bad.rc") + ": 4  syntax error\n", bad.err);
    EXPECT_FALSE(PathExists(PathOf("bad.res")));
}

// Without Wine (here forced with KELTO_CC_DIRECT) the tools run the MinGW programs of the PATH
// themselves: a stand-in gcc.exe gets the arguments, and a missing one is said.
TEST_F(CompilerTest, OnWindowsTheToolsRunTheCompilerOfThePath) {
    std::string bin = dir + "\\PATHBIN";
    CreateDirectoryA(bin.c_str(), nullptr);
    ASSERT_TRUE(CopyFileA(BuildPath("tests/testcc.exe").c_str(), (bin + "\\gcc.exe").c_str(), FALSE));
    char path[8192] = "";
    GetEnvironmentVariableA("PATH", path, sizeof path);
    SetEnvironmentVariableA("KELTO_CC_DIRECT", "1");
    SetEnvironmentVariableA("PATH", bin.c_str());
    Write("ok.c", "int x;\n");
    CapturedRun compiled = Sdk("bdx.exe", "-c " + dir + "\\ok.c");
    std::string log = ReadWholeFile(PathOf("BUILD.LOG"));
    DeleteFileA((bin + "\\gcc.exe").c_str());
    CapturedRun missing = Sdk("bdx.exe", "-c " + dir + "\\ok.c");
    SetEnvironmentVariableA("PATH", path);
    SetEnvironmentVariableA("KELTO_CC_DIRECT", nullptr);
    EXPECT_EQ(0, compiled.code) << compiled.err;
    EXPECT_TRUE(PathExists(PathOf("OK.OBJ")));
    EXPECT_NE(std::string::npos, log.find("ok.obj")) << log;
    EXPECT_EQ(2, missing.code);
    EXPECT_NE(std::string::npos, missing.err.find("cannot find gcc.exe on the PATH")) << missing.err;
}
