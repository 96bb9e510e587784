// Key matching, the no-document rule, the command line and the closed files. (The closing
// questions are AppTest's, end to end.)
#include <string>
#include <vector>

#include "app/Dispatch.h"
#include "app/Frame.h"
#include "app/KeyTable.h"
#include "app/Startup.h"
#include "app/Wiring.h"
#include "base/AppState.h"
#include "base/CommandIds.h"
#include "base/Memory.h"
#include "base/ResourceIds.h"
#include "debugger/DebugEngine.h"
#include "debugger/DebugRun.h"
#include "editor/DocumentTestSupport.h"
#include "editor/EditorWindow.h"

namespace {

std::vector<int> g_ran;

void Record(int command, intptr_t) { g_ran.push_back(command); }

class DispatchTest : public DocumentTest {
protected:
    void SetUp() override {
        DocumentTest::SetUp();
        InstallHooks();
        ResetCommandTable();
        ClearHandlers();
        g_ran.clear();
        for (int command : {IDM_SAVE, IDM_FILE_NEW, IDM_GOTO_BOOKMARK, IDM_GOTO_NEXT_BOOKMARK,
                            IDM_WORD_RIGHT, IDM_EXTEND_WORD_RIGHT, IDM_EXTEND_TO_END, IDM_GOTO_END,
                            IDM_EXTEND_LINE_END, IDM_EXIT, IDM_DEBUG_EXECUTE, IDM_WORD_HELP})
            RegisterHandler(command, Record);
    }
    void TearDown() override {
        ClearHandlers();
        DocumentTest::TearDown();
    }
};

} // namespace

TEST_F(DispatchTest, KeysFindTheirRowsMostModifiersFirst) {
    ASSERT_TRUE(OpenFile("A.C", "x\n"));
    const struct { int key; bool ctrl, alt, shift; int command; } keys[] = {
        {0x76, true, false, true, IDM_GOTO_NEXT_BOOKMARK},   // Ctrl+Shift+F7, not Ctrl+F7
        {0x76, true, false, false, IDM_GOTO_BOOKMARK},
        // Ctrl+Shift+Right, not Ctrl+Right or Shift+Right
        {39, true, false, true, IDM_EXTEND_WORD_RIGHT},
        {39, true, false, false, IDM_WORD_RIGHT},
        {35, true, false, true, IDM_EXTEND_TO_END},          // Ctrl+Shift+End
        {35, true, false, false, IDM_GOTO_END},
        {35, false, false, true, IDM_EXTEND_LINE_END},
        {'S', true, false, false, IDM_SAVE},
        {'X', false, true, false, IDM_EXIT},
    };
    for (const auto &k : keys) {
        g_ran.clear();
        KeyDown(k.key, 1, k.ctrl, k.alt, k.shift);
        EXPECT_EQ(std::vector<int>{k.command}, g_ran) << k.key << " " << k.ctrl << k.alt << k.shift;
    }
    g_ran.clear();
    KeyDown('S', 1, false, false, false);   // a row with Ctrl needs Ctrl
    KeyDown(0x76, 1, false, false, true);   // no Shift+F7 row
    EXPECT_TRUE(g_ran.empty());
    // While debugging the debugger's keys come first; function-key commands follow them.
    g_app->debugging = true;
    KeyDown(0x74, 1, false, false, false);
    EXPECT_TRUE(DispatchCommand(IDM_FIRST_FUNCTION_KEY + 4, 0));   // F5
    EXPECT_EQ((std::vector<int>{IDM_DEBUG_EXECUTE, IDM_DEBUG_EXECUTE}), g_ran);
    g_app->debugging = false;
    g_ran.clear();
    EXPECT_TRUE(DispatchCommand(IDM_FIRST_FUNCTION_KEY, 0));   // F1
    EXPECT_EQ(std::vector<int>{IDM_WORD_HELP}, g_ran);
}

// Save and New without a document, as the user meets them, are AppTest's; here the commands
// that are nobody's or not built.
TEST_F(DispatchTest, CommandsThatAreNobodysOrNotBuilt) {
    EXPECT_FALSE(DispatchCommand(1999, 0));
    EXPECT_FALSE(CommandAvailable(IDM_GREP));   // allowed without a document, but not built
    ASSERT_TRUE(OpenFile("B.C", "x\n"));
    EXPECT_TRUE(DispatchCommand(IDM_PRINT, 0));   // a tool that is not part of the program
    EXPECT_EQ("This tool is not available in this version of Kelto", ui.Texts().back());
}

TEST_F(DispatchTest, TheCommandLineHoldsAtMostFiftyArguments) {
    char *arguments[kMaxArguments];
    std::string line = "one \"two three\"  -f";
    for (int i = 0; i < 60; i++)
        line += " x" + std::to_string(i);
    int count = SplitCommandLine(line.c_str(), arguments);
    ASSERT_EQ(kMaxArguments, count);
    EXPECT_STREQ("one", arguments[0]);
    EXPECT_STREQ("\"two three\"", arguments[1]);
    EXPECT_STREQ("-f", arguments[2]);
    EXPECT_STREQ("x46", arguments[49]);
    for (int i = 0; i < count; i++)
        Release(arguments[i]);
    EXPECT_EQ(1, SplitCommandLine("  \"unterminated quote", arguments));
    EXPECT_STREQ("\"unterminated quote", arguments[0]);
    Release(arguments[0]);
}

// A program on the command line starts a debugging run with the arguments after it; a run
// whose program cannot start ends with Stop debugging, its thread gone.
TEST_F(DispatchTest, AProgramOnTheCommandLineIsDebugged) {
    WriteWholeFile(PathOf("PROG.EXE"), "MZ");
    WriteWholeFile(PathOf("A.C"), "a\n");
    snprintf(g_app->startDirectory, sizeof g_app->startDirectory, "%s", dir.c_str());
    EXPECT_EQ(0, ProcessCommandLine("prog.exe a.c"));
    EXPECT_EQ(nullptr, g_editor->doc);
    ASSERT_NE(nullptr, CurrentEngine());
    EXPECT_EQ(0, _stricmp((PathOf("PROG.EXE") + " a.c").c_str(), CurrentEngine()->commandLine.c_str()));
    EXPECT_TRUE(g_app->debugging);
    StopDebugging();
    EXPECT_EQ(nullptr, CurrentEngine());
    EXPECT_FALSE(g_app->debugging);
}

TEST_F(DispatchTest, ClosedFilesAreNewestFirstWithoutDuplicates) {
    for (int i = 0; i < 12; i++)
        RememberClosedFile(("C:\\F" + std::to_string(i) + ".C").c_str());
    RememberClosedFile("C:\\F5.C");
    EXPECT_STREQ("C:\\F5.C", ClosedFile(0));
    EXPECT_STREQ("C:\\F11.C", ClosedFile(1));
    EXPECT_STREQ("C:\\F4.C", ClosedFile(7));   // F5 left its place
    EXPECT_STREQ("C:\\F2.C", ClosedFile(9));
    EXPECT_EQ(nullptr, ClosedFile(10));
}
