// The project's workspace and content values in the store: every field written in its
// encoding and read back the same, over a store in memory.
#include <windows.h>

#include <algorithm>
#include <string>
#include <vector>

#include "base/AppState.h"
#include "project/Project.h"
#include "settings/Settings.h"
#include "settings/Store.h"
#include "ProjectFixture.h"
#include "support/TestSupport.h"

namespace {

const char kKey[] = "Software\\bdx\\Kelto\\demo";

class ProjectStoreTest : public ProjectFixture {
protected:
    using ProjectFixture::Get;
    std::string Get(const char *name) { return Get("demo", name); }
    // Every value of the project's key, "name=text" a line, in the store's order (sorted:
    // the registry keeps an order of its own).
    std::string AllValues(SettingsStore *from = nullptr, bool sorted = false) {
        SettingsStore &s = from ? *from : store;
        StoreKey k = s.Open(nullptr, kKey, false, nullptr);
        std::vector<std::string> lines;
        char name[200], text[600];
        for (int i = 0; k && s.EnumValue(k, i, name, sizeof name, text, sizeof text) == kStoreOk; i++)
            lines.push_back(std::string(name) + "=" + text + "\n");
        if (k)
            s.Close(k);
        if (sorted)
            std::sort(lines.begin(), lines.end());
        std::string all;
        for (const std::string &line : lines)
            all += line;
        return all;
    }
};

void FillProject(ProjectRecord &p) {
    p.name = "demo";
    p.files = {"main.c", "list.c", "demo.rc"};
    p.dependencies = {{"LIST.C", {"list.h", "stdio.h"}}, {"other.c", {"x.h"}}};
    p.cmsDirectory = "C:\\WORK\\CMS";
    p.hasMake = true;
    p.makeName = "C:\\BDX\\bin\\make.exe";
    p.makeArgs = "-s";
    p.makeDir = "C:\\WORK\\BDX";
    p.executable = "demo.exe";
    p.debuggerArguments = "a b";
    p.debugExe = "demo.exe";
    p.includes = "C:\\BDX\\include;C:\\WORK";
    p.defines = "DEBUG";
    p.libraries = "KERNEL32.LIB";
    p.sourcesDir = "C:\\WORK";
    p.errorFile = "C:\\WORK\\BDX\\demo.err";
    p.compilerFlags = kTypeConsole | kCompilerDebugInfo;
    p.projectFlags = kProjectFlagsDefault | kProjectEiffel | kProjectFortran;
    p.eiffelFlags = 3;
    p.fortranFlags = 5;
    p.eiffelRootClass = "ROOT";
    p.eiffelRootProcedure = "make";
    p.breakpoints = {{"C:\\WORK\\MAIN.C", 12}};
    SetRememberedBreakpoints(p.breakpoints);   // a save takes them from the editor
    p.fileProcessors = {{"*.y", "yacc %s", "%s.c"}};
    p.putOptions = 1, p.getOptions = 2, p.fileOptions = 3, p.lockOptions = 4, p.usersOptions = 5;
    OpenFileEntry open;
    ParseOpenFile("\"C:\\MY WORK\\MAIN.C\" 12 1 2 -300 400", &open);
    p.openFiles = {open};
    p.currentFile = "C:\\MY WORK\\MAIN.C";
}

TEST_F(ProjectStoreTest, WorkspaceAndContentValuesRoundTripByteForByte) {
    FillProject(g_project);
    g_projectUsers = {"ann", "bob"};
    g_userName = "ann";
    g_app->frameX = 10, g_app->frameY = 20, g_app->frameWidth = 300, g_app->frameHeight = 200;
    g_app->toolbarRect[2] = 7;
    ASSERT_EQ(1, SaveProjectContent(1));
    ASSERT_TRUE(SaveProjectWorkspace());   // no editor windows: no open files are collected
    EXPECT_EQ("10 20 300 200", Get("Frame"));
    EXPECT_EQ("0,0,7,0", Get("StatusBar"));
    EXPECT_EQ("demo", Get("Name"));
    EXPECT_EQ("3", Get("PrjFiles"));
    EXPECT_EQ("demo.rc", Get("File3"));
    EXPECT_EQ("2", Get("File2Dependencies"));   // matched without regard to case
    EXPECT_EQ("stdio.h", Get("File2Dependencies2"));
    EXPECT_EQ("<missing>", Get("File1Dependencies"));
    EXPECT_EQ("C:\\WORK\\MAIN.C@12", Get("BreakPoint1"));
    EXPECT_EQ("*.y#yacc %s#%s.c", Get("FileProcessor1"));
    EXPECT_EQ("5", Get("UsersOptions"));
    EXPECT_EQ("a b", Get("DebuggerArguments"));
    EXPECT_EQ("C:\\WORK\\BDX", Get("DbgDir"));   // none set: the make directory
    EXPECT_EQ("ann", Get("UserName"));

    // Read back into an empty record, then written again: the same values, byte for byte.
    std::string before = AllValues();
    std::string path = g_project.path;
    ClearProject();
    g_userName.clear();
    g_project.name = "demo";
    ASSERT_TRUE(LoadProjectWorkspace());
    ASSERT_TRUE(LoadProjectContent());
    ProjectRecord &p = g_project;
    EXPECT_EQ(path, p.path);
    EXPECT_EQ((std::vector<std::string>{"main.c", "list.c", "demo.rc"}), p.files);
    ASSERT_EQ(1u, p.dependencies.size());
    EXPECT_EQ("list.c", p.dependencies[0].file);
    EXPECT_EQ((std::vector<std::string>{"ann", "bob"}), g_projectUsers);
    EXPECT_EQ("make", p.eiffelRootProcedure);
    EXPECT_EQ(300, p.frameWidth);
    EXPECT_EQ("ann", g_userName);
    ASSERT_EQ(1, SaveProjectContent(1));
    ASSERT_TRUE(SaveProjectWorkspace());
    EXPECT_EQ(before, AllValues());

    // Without the make record none of its values is written; saving disabled writes nothing.
    g_project.hasMake = false;
    g_project.name = "other";
    ASSERT_TRUE(SaveProjectWorkspace());
    g_saveEnabled = false;
    EXPECT_EQ(0, SaveProjectContent(1));
    EXPECT_FALSE(SaveProjectWorkspace());
}

// The same record written to the Windows registry (below a key of the test's own) holds the
// same values.
TEST_F(ProjectStoreTest, TheRegistryHoldsTheSameValues) {
    FillProject(g_project);
    g_userName = "ann";
    ASSERT_EQ(1, SaveProjectContent(1));
    ASSERT_TRUE(SaveProjectWorkspace());
    std::string base = "Software\\KeltoProjectTest" + std::to_string(GetCurrentProcessId());
    SettingsStore *registry = NewRegistryStore(base.c_str());
    SetStore(registry);
    StoreKey compiler = registry->Open(nullptr, "Software\\bdx\\Compiler", true, nullptr);
    registry->Set(compiler, "includepath", "C:\\BDX\\include");
    registry->Close(compiler);
    ASSERT_EQ(1, SaveProjectContent(1));
    ASSERT_TRUE(SaveProjectWorkspace());
    std::string written = AllValues(registry, true);
    ClearProject();
    g_project.name = "demo";
    ASSERT_TRUE(LoadProjectWorkspace());
    ASSERT_TRUE(LoadProjectContent());
    ASSERT_EQ(1u, g_project.breakpoints.size());
    EXPECT_EQ(12, g_project.breakpoints[0].line);
    SetStore(&store);
    delete registry;
    EXPECT_TRUE(DeleteRegistryTree(base.c_str()));
    EXPECT_EQ(AllValues(nullptr, true), written);
    EXPECT_TRUE(ui.boxes.empty());
}

TEST_F(ProjectStoreTest, AFileProcessorWithoutItsSeparatorsEndsTheList) {
    g_project.name = "demo";
    StoreKey k = store.Open(nullptr, kKey, true, nullptr);
    store.Set(k, "NrOfFileProcessors", "3");
    store.Set(k, "FileProcessor1", "a#b#c");
    store.Set(k, "FileProcessor2", "a#b");
    store.Set(k, "FileProcessor3", "d#e#f");
    ASSERT_TRUE(LoadProjectWorkspace());
    ASSERT_EQ(1u, g_project.fileProcessors.size());
    EXPECT_EQ("b", g_project.fileProcessors[0].command);
    ASSERT_EQ(1u, ui.boxes.size());
    EXPECT_NE(std::string::npos, ui.boxes[0].text.find("Incorrect format in key 'FileProcessor'"));
}

} // namespace
