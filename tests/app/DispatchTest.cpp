// Key matching, the no-document rule, the command line and the closing questions.
#include <string>
#include <vector>

#include "app/Dispatch.h"
#include "app/Frame.h"
#include "app/KeyTable.h"
#include "app/Startup.h"
#include "app/Wiring.h"
#include "base/AppState.h"
#include "base/Memory.h"
#include "base/ResourceIds.h"
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
        for (int command : {1103, 1101, 1143, 1144, 1163, 1165, 1172, 1122, 1188, 1106, 340, 1296})
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
        {0x76, true, false, true, 1144},    // Ctrl+Shift+F7, not Ctrl+F7
        {0x76, true, false, false, 1143},
        {39, true, false, true, 1165},      // Ctrl+Shift+Right, not Ctrl+Right or Shift+Right
        {39, true, false, false, 1163},
        {35, true, false, true, 1172},      // Ctrl+Shift+End
        {35, true, false, false, 1122},
        {35, false, false, true, 1188},
        {'S', true, false, false, 1103},
        {'X', false, true, false, 1106},
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
    EXPECT_TRUE(DispatchCommand(1004, 0));   // F5
    EXPECT_EQ((std::vector<int>{340, 340}), g_ran);
    g_app->debugging = false;
    g_ran.clear();
    EXPECT_TRUE(DispatchCommand(1000, 0));   // F1
    EXPECT_EQ(std::vector<int>{1296}, g_ran);
}

TEST_F(DispatchTest, WithoutADocumentOnlyTheAllowedCommandsRun) {
    g_ran.clear();
    EXPECT_TRUE(DispatchCommand(1103, 0));   // Save: taken, but nothing runs
    EXPECT_TRUE(DispatchCommand(1101, 0));   // New runs
    EXPECT_FALSE(DispatchCommand(1999, 0));  // nobody's
    EXPECT_EQ(std::vector<int>{1101}, g_ran);
    EXPECT_FALSE(CommandAvailable(1103));
    EXPECT_TRUE(CommandAvailable(1101));
    EXPECT_FALSE(CommandAvailable(1150));    // allowed without a document, but not built
    ASSERT_TRUE(OpenFile("B.C", "x\n"));
    EXPECT_TRUE(CommandAvailable(1103));
    EXPECT_TRUE(DispatchCommand(1105, 0));   // a tool that is not part of the program
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

TEST_F(DispatchTest, ClosingAsksAboutModifiedFiles) {
    Document *a = OpenFile("A.C", "a\n");
    View *viewA = g_editor->view;
    Document *b = OpenFile("B.C", "b\n");
    a->flags |= kDocModified;
    b->flags |= kDocModified;
    ui.Answer(kAnswerCancel);
    EXPECT_FALSE(CloseEditorWindow(viewA));
    EXPECT_EQ("The file " + Lower(PathOf("A.C")) + " has been changed. Save modifications?", ui.Texts().back());
    EXPECT_EQ("Information", ui.boxes.back().title);
    ui.Answer(kAnswerYes);
    EXPECT_TRUE(CloseEditorWindow(viewA));
    EXPECT_FALSE(a->flags & kDocModified);
    EXPECT_STREQ(PathOf("A.C").c_str(), ClosedFile(0));

    // Everything at once: the list of modified files, then the chosen answer.
    ui.fileListAnswers.push_back(IDCANCEL);
    EXPECT_FALSE(QueryCloseAll());
    ASSERT_EQ(1u, ui.fileLists.size());
    EXPECT_EQ((std::vector<std::string>{std::to_string(IDD_MODIFIED_FILES), PathOf("B.C")}), ui.fileLists[0]);
    ui.fileListAnswers.push_back(IDC_FORGET);
    EXPECT_TRUE(QueryCloseAll());
    EXPECT_TRUE(b->flags & kDocModified);
    ui.fileListAnswers.push_back(IDOK);
    ReplaceLine(b, 0, "saved");
    EXPECT_TRUE(QueryCloseAll());
    EXPECT_EQ("saved\r\n", ReadWholeFile(PathOf("B.C")));
    EXPECT_EQ(viewA, g_editor->view);   // the view current before the question
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
