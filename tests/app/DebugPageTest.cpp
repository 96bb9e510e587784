// The "Debugger" page: what it shows of the project, and what it stores.
#include <windows.h>

#include "debugger/DebugOptions.h"
#include "debugger/DebugPage.h"
#include "project/Project.h"
#include "support/TestSupport.h"

namespace {

using DebugPageTest = KeltoTest;

TEST_F(DebugPageTest, TheProjectsProgramIsShownAndAnUntouchedValueKept) {
    g_debugOptions = DebugOptions();
    ClearProject();
    ProjectRecord &p = g_project;
    p.name = "demo";
    p.makeDir = dir;
    p.compilerFlags = kTypeConsole;
    p.debuggerArguments = "one";
    DebuggerPage opened = OpenDebuggerPage(&p);
    EXPECT_EQ(dir + "\\demo.exe", opened.executable);   // taken over: the project has a make directory
    EXPECT_EQ(dir + "\\demo.exe", p.debugExe);

    // Another page changed the arguments; left as shown here, they stay.
    p.debuggerArguments = "two";
    DebuggerPage page = opened;
    page.directory = dir + "\\NONE";
    EXPECT_FALSE(ApplyDebuggerPage(&p, page, opened));
    EXPECT_EQ((std::vector<std::string>{"Directory " + dir + "\\NONE doesn't exist"}), ui.Texts());
    page.directory = dir;
    page.trapAll = true;
    EXPECT_TRUE(ApplyDebuggerPage(&p, page, opened));
    EXPECT_EQ("two", p.debuggerArguments);
    EXPECT_STREQ(dir.c_str(), g_debugOptions.directory);
    EXPECT_EQ(kDebugTrapExceptions, g_debugOptions.flags & kDebugTrapExceptions);
    ClearProject();
}

} // namespace
