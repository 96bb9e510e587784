// The user's breakpoint lines: they move onto an opened file's lines, follow those lines
// through edits and a reload, and go back to the list when the document is closed.
#include "editor/BreakpointLines.h"
#include "editor/EditTestSupport.h"

namespace {

class BreakpointLinesTest : public EditTest {
protected:
    void SetUp() override {
        EditTest::SetUp();
        AddBuiltinLanguages();
    }
    void TearDown() override {
        SetRememberedBreakpoints({});
        FreeLanguages();
        EditTest::TearDown();
    }
    static std::vector<std::pair<std::string, int>> All() {
        std::vector<std::pair<std::string, int>> all;
        for (const BreakpointLine &b : AllBreakpoints())
            all.push_back({b.file, b.line});
        return all;
    }
};

TEST_F(BreakpointLinesTest, MarksFollowTheirLinesAndComeBackOnClose) {
    std::string path = PathOf("Loop.c"), other = PathOf("OTHER.C");
    WriteWholeFile(path, "int f;\nint g;\nint h;\n");
    // Entries past the end of the text, and those of a file not open, are kept apart.
    SetRememberedBreakpoints({{Lowered(path), 2}, {path, 9}, {other, 4}});
    ASSERT_TRUE(OpenDocument(path.c_str()));
    Document *doc = g_editor->doc;
    EXPECT_EQ(kLineBreakpoint, LineAt(doc, 1)->flags & kLineBreakpoint);
    EXPECT_EQ(0, LineAt(doc, 0)->flags & kLineBreakpoint);

    // Two lines typed above it, and the marked line itself grown past its room.
    Type("a\nb\n");
    At(3, 5);
    Type(std::string(200, 'x'));
    EXPECT_EQ(kLineBreakpoint, LineAt(doc, 3)->flags & kLineBreakpoint);
    EXPECT_EQ((std::vector<std::pair<std::string, int>>{{other, 4}, {path, 4}}), All());

    // A reload keeps it on the same line number; moving and forgetting work on the marks.
    WriteWholeFile(path, "a\nb\nint f;\nint g;\nint h;\n");
    ASSERT_TRUE(ReloadDocument());
    EXPECT_EQ(kLineBreakpoint, LineAt(doc, 3)->flags & kLineBreakpoint);
    MoveBreakpoint(path.c_str(), 4, 3);
    ForgetBreakpoint(other.c_str(), 4);
    EXPECT_EQ((std::vector<std::pair<std::string, int>>{{path, 3}}), All());

    // Closed: the list holds it as the disk spells the name, and opening marks it again.
    DetachView(g_editor->view);
    EXPECT_EQ((std::vector<std::pair<std::string, int>>{{path, 3}}), All());
    ASSERT_TRUE(OpenDocument(path.c_str()));
    EXPECT_EQ(kLineBreakpoint, LineAt(g_editor->doc, 2)->flags & kLineBreakpoint);
    ForgetBreakpoint(path.c_str(), 3);
    EXPECT_TRUE(All().empty());

    // Remembered from the debugger: a mark when open, an entry (once) when not.
    for (int line : {1, 9})
        RememberBreakpoint(Lowered(path).c_str(), line);
    RememberBreakpoint(other.c_str(), 7), RememberBreakpoint(other.c_str(), 7);
    EXPECT_EQ((std::vector<std::pair<std::string, int>>{{other, 7}, {path, 1}}), All());
    // Any file shows them, not only C sources.
    SetRememberedBreakpoints({{PathOf("F.FOR"), 1}});
    OpenFile("F.FOR", "      END\n");
    EXPECT_EQ(kLineBreakpoint, LineAt(g_editor->doc, 0)->flags & kLineBreakpoint);
}

}  // namespace
