// The "Compiler" and "Linker" pages and the check of a compiler root.
#include <string>

#include "ProjectFixture.h"
#include "project/ConfigPages.h"
#include "project/Makefile.h"
#include "project/Project.h"
#include "project/ProjectPages.h"
#include "base/TextUtil.h"
#include "support/TestSupport.h"

namespace {

using ConfigPagesTest = ProjectFixture;

TEST_F(ConfigPagesTest, CompilerRootIsCheckedInOrder) {
    std::string missing = dir + "\\NONE";
    EXPECT_FALSE(CheckCompilerRoot("\\bdx"));
    EXPECT_FALSE(CheckCompilerRoot("C"));
    EXPECT_FALSE(CheckCompilerRoot(missing));
    EXPECT_FALSE(CheckCompilerRoot(dir));
    CreateDirectoryA(PathOf("bin").c_str(), nullptr);
    WriteWholeFile(PathOf("bin\\bdx.exe"), "");
    EXPECT_FALSE(CheckCompilerRoot(dir));
    CreateDirectoryA(PathOf("lib").c_str(), nullptr);
    WriteWholeFile(PathOf("lib\\kernel32.lib"), "");
    EXPECT_TRUE(CheckCompilerRoot(dir));
    EXPECT_EQ((std::vector<std::string>{"Missing drive name in \\bdx", "Missing drive name in C",
                                        "Directory " + missing + " doesn't exist", "Can't find " + dir + "\\bin\\bdx.exe",
                                        "Can't find " + dir + "\\lib\\kernel32.lib"}),
              ui.Texts());
}

TEST_F(ConfigPagesTest, CompilerPageShowsTheBitsAndCouplesTheDebugBoxes) {
    struct Case { unsigned flags; bool g4, g3, debug; int alignment; };
    const Case cases[] = {
        {0x1808 | 0x10000, true, true, true, kAlign4},
        {0x800, false, true, false, kAlignDefault},        // debug levels disabled without 0x08
        {0x4000 | 0x40000, false, false, false, kAlignNone},
        {0x08 | 0x40000, false, false, true, kAlign16},
    };
    g_project.makeDir = "C:\\P\\BDX";
    g_project.name = "C:\\P\\demo";
    for (const Case &c : cases) {
        g_project.compilerFlags = c.flags;
        CompilerPage page = OpenCompilerPage(&g_project);
        EXPECT_TRUE(c.g4 == page.g4 && c.g3 == page.g3 && c.debug == page.debugInfo) << c.flags;
        EXPECT_EQ(c.debug, page.g3Enabled && page.g4Enabled) << c.flags;
        EXPECT_EQ(c.alignment, page.alignment) << c.flags;
    }
    CompilerPage page = OpenCompilerPage(&g_project);
    EXPECT_EQ("C:\\BDX\\include|C:\\P\\BDX\\demo.err", g_project.includes + "|" + g_project.errorFile);
    EXPECT_EQ(g_project.includes + g_project.errorFile, page.includes + page.errorFile);

    // The debug boxes follow each other ("D34": the boxes checked).
    struct Click { const char *before; CompilerBox clicked; const char *after; };
    const Click clicks[] = {{"-34", kBoxDebugInfo, "---"}, {"D--", kBoxDebugInfo, "D--"}, {"-3-", kBoxG3, "D3-"},
                            {"D34", kBoxG3, "D3-"}, {"--4", kBoxG4, "D34"}};
    for (const Click &c : clicks) {
        CompilerPage boxes;
        boxes.debugInfo = c.before[0] == 'D', boxes.g3 = c.before[1] == '3', boxes.g4 = c.before[2] == '4';
        CoupleCompilerBoxes(&boxes, c.clicked);
        std::string after = std::string(boxes.debugInfo ? "D" : "-") + (boxes.g3 ? "3" : "-") + (boxes.g4 ? "4" : "-");
        EXPECT_EQ(c.after, after) << c.before;
        EXPECT_EQ(boxes.debugInfo, boxes.g3Enabled && boxes.g4Enabled) << c.before;
    }
}

TEST_F(ConfigPagesTest, CompilerPageRebuildsItsBitsOnly) {
    g_project.compilerFlags = kTypeDll | 0x01 | 0x2000 | 0x400000 | 0x20 | 0x4000 | 0x800 | 0x08;
    g_project.errorFile = "c:\\p\\demo.err";
    CompilerPage page = OpenCompilerPage(&g_project);
    ApplyCompilerPage(&g_project, page);
    EXPECT_FALSE(g_project.changed);   // nothing edited
    g_project.compilerFlags |= 0x4000 | 0x8000 | 0x10000 | 0x20000 | 0x40000;
    page.generateAsm = false;
    page.alignment = kAlignDefault;
    page.g4 = true;
    CoupleCompilerBoxes(&page, kBoxG4);
    page.includes = "  C:\\a \t C:\\b ";
    page.errorFile = "C:\\P\\Demo.ERR";   // the same name
    ApplyCompilerPage(&g_project, page);
    EXPECT_EQ(kTypeDll | 0x01 | 0x2000 | 0x400000 | 0x1808, g_project.compilerFlags);   // 0x1808: -g4
    EXPECT_EQ("C:\\a;C:\\b|c:\\p\\demo.err", g_project.includes + "|" + g_project.errorFile);
    EXPECT_TRUE(g_project.changed);
    page.errorFile = "C:\\P\\other.err";
    ApplyCompilerPage(&g_project, page);
    EXPECT_EQ("C:\\P\\OTHER.ERR", g_project.errorFile);
}

TEST_F(ConfigPagesTest, LinkerPageOpensAndStores) {
    g_project.makeDir = "C:\\P\\BDX";
    g_project.executable = "Lib.lib";
    g_project.compilerFlags = kTypeConsole | kTypeLibrary | 0x2000;
    LinkerPage page = OpenLinkerPage(&g_project);
    EXPECT_EQ(kTypeLibrary | 0x2000, g_project.compilerFlags);
    EXPECT_EQ("C:\\P\\BDX\\Lib.lib", page.output);
    EXPECT_TRUE(page.mapFile && page.type == kLinkLibrary && !page.librariesEnabled && !page.entryEnabled);
    ChooseLinkerType(&page, kLinkDll);
    EXPECT_TRUE(page.librariesEnabled && page.entryEnabled && page.entryPoint == "LibMain");
    ChooseLinkerType(&page, kLinkConsole);
    EXPECT_FALSE(page.entryEnabled);

    // OK stores the type, the output and the libraries.
    struct Case { int type; unsigned before, after; };
    const Case cases[] = {
        {kLinkWindows, kTypeConsole | 0x01, kTypeWindows | 0x01},
        {kLinkConsole, kTypeDll | 0x2000, kTypeConsole | 0x2000},
        {kLinkDll, kTypeWindows | 0x400000, kTypeDll | 0x400000},
        {kLinkLibrary, kTypeWindows | 0x01 | 0x2000, kTypeLibrary | 0x2000},
    };
    for (const Case &c : cases) {
        g_project.compilerFlags = c.before | 0x1808;
        LinkerPage typed = OpenLinkerPage(&g_project);
        typed.type = c.type;
        ASSERT_TRUE(ApplyLinkerPage(&g_project, typed));
        EXPECT_EQ(c.after | 0x1808, g_project.compilerFlags) << c.type;
    }
    g_project = ProjectRecord();
    g_project.makeDir = "C:\\P\\BDX";
    g_project.executable = "C:\\P\\BDX\\demo.dll";
    g_project.compilerFlags = kTypeDll;
    page = OpenLinkerPage(&g_project);
    page.output = "MyLib.EXE";
    page.libraries = "a.lib,b.lib;c.lib";
    ASSERT_TRUE(ApplyLinkerPage(&g_project, page));
    EXPECT_EQ("c:\\p\\bdx\\mylib.dll|LibMain|a.lib b.lib c.lib|", g_project.executable + "|" + g_project.entryPoint +
                                                                   "|" + g_project.libraries + "|" + g_project.debugExe);
    EXPECT_TRUE(g_project.changed);

    // A program: the debugger's own choice stays until the output is renamed.
    g_project.changed = false;
    g_project.debugExe = "C:\\HOST.EXE";
    page = OpenLinkerPage(&g_project);
    page.type = kLinkConsole;
    ASSERT_TRUE(ApplyLinkerPage(&g_project, page));
    EXPECT_EQ("C:\\HOST.EXE", g_project.debugExe);
    g_project.changed = false;
    page = OpenLinkerPage(&g_project);
    ASSERT_TRUE(ApplyLinkerPage(&g_project, page));
    EXPECT_FALSE(g_project.changed);   // nothing edited
    page.output = "C:\\" + std::string(398, 'x');
    EXPECT_FALSE(ApplyLinkerPage(&g_project, page));
    EXPECT_EQ("c:\\p\\bdx\\mylib.dll", g_project.executable);
    EXPECT_FALSE(g_project.changed);
    page.output.pop_back();
    ASSERT_TRUE(ApplyLinkerPage(&g_project, page));
    EXPECT_EQ(page.output + "|" + page.output, g_project.executable + "|" + g_project.debugExe);
    EXPECT_EQ(std::vector<std::string>{"The output file name is longer than 400 characters"}, ui.Texts());
}


TEST_F(ConfigPagesTest, TheProjectPageChecksMakeAndTheDirectories) {
    ProjectRecord &p = g_project;
    p.name = "demo";
    p.errorFile = dir + "\\demo.err";
    CreateDirectoryA(PathOf("BDX").c_str(), nullptr);
    WriteWholeFile(PathOf("MAKER.EXE"), "");
    ProjectPage page = OpenProjectPage(&p);
    EXPECT_EQ("<not defined>", page.executable);
    EXPECT_EQ("Windows application", page.type);
    page.makeDirectory = PathOf("bdx");
    page.sourcesDirectory = dir;
    page.executable = "demo";
    struct Case { std::string command, error; } cases[] = {
        {PathOf("maker.x") + " -s", "File " + PathOf("maker.x") + " not found!"},   // a "." gets no ".EXE"
        {PathOf("NONE") + " -s", "File " + PathOf("NONE") + " not found!"},
        {Lowered(PathOf("maker")) + " -s all", ""},
    };
    for (const Case &c : cases) {
        ui.boxes.clear();
        page.makeCommand = c.command;
        EXPECT_EQ(c.error.empty(), ApplyProjectPage(&p, page)) << c.command;
        EXPECT_EQ(c.error.empty() ? std::vector<std::string>{} : std::vector<std::string>{c.error}, ui.Texts());
    }
    EXPECT_EQ(PathOf("MAKER.EXE"), p.makeName);
    EXPECT_EQ("-s all", p.makeArgs);
    EXPECT_EQ(PathOf("BDX\\DEMO.EXE"), p.executable);

    ui.boxes.clear();
    page.makeDirectory = PathOf("none");
    EXPECT_FALSE(ApplyProjectPage(&p, page));
    page.makeDirectory = PathOf("bdx");
    p.errorFile = "c:\\bad.exe.err";
    EXPECT_FALSE(ApplyProjectPage(&p, page));
    EXPECT_EQ((std::vector<std::string>{"Directory " + PathOf("NONE") + " doesn't exist",
                                        "Message file name c:\\bad.exe.err incorrect"}),
              ui.Texts());
}

TEST_F(ConfigPagesTest, TheGeneralPageKeepsTheRootItCannotUse) {
    GeneralPage page = OpenGeneralPage();
    page.compilerPath = dir;   // no bin\bdx.exe there
    EXPECT_FALSE(ApplyGeneralPage(page));
    EXPECT_STREQ("C:\\BDX", g_app->compilerRoot);
    page.compilerPath = "C:\\BDX";
    page.currentDirectory = Lowered(dir);
    page.saveEnabled = false;
    EXPECT_TRUE(ApplyGeneralPage(page));
    EXPECT_FALSE(g_saveEnabled);
    char current[MAX_PATH];
    GetCurrentDirectoryA(sizeof current, current);
    EXPECT_STREQ(dir.c_str(), current);
}

} // namespace
