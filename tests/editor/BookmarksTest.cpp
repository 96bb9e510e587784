// Bookmarks, and Copy to File of the cut buffer.
#include "base/CommandIds.h"
#include "editor/Bookmarks.h"
#include "editor/EditTestSupport.h"
#include "ui/OutputWindow.h"

TEST_F(EditTest, BookmarksAreChosenFromTheListAndFollowTheirLines) {
    EditCommand(IDM_GOTO_BOOKMARK);
    EXPECT_EQ("No book marks defined", ui.Texts().back());
    Document *doc = Doc("first\nsecond\n\tthird\n");
    At(1, 2);
    EditCommand(IDM_SET_BOOKMARK);
    At(3, 1);
    EditCommand(IDM_SET_BOOKMARK);
    EditCommand(IDM_SET_BOOKMARK);   // the same line: updated, not doubled
    EXPECT_EQ(2, BookmarkCount());
    // Their lines are drawn marked.
    auto marked = [doc](int n) { return (LineAt(doc, n - 1)->flags & kLineMarked) != 0; };
    EXPECT_TRUE(marked(1) && !marked(2) && marked(3));
    long line = 0;
    int column = 0;
    ASSERT_TRUE(FindDocumentMark(doc, &line, &column));
    EXPECT_EQ(3, line);
    EXPECT_EQ(2, column);

    At(1, 0);
    Type("a longer text that makes the first line grow ");   // replaces its record
    ui.choices.push_back(1);
    EditCommand(IDM_GOTO_BOOKMARK);
    ASSERT_EQ(1u, ui.lists.size());
    EXPECT_EQ((std::vector<std::string>{"Book marks", "T.TXT(3):  third",
                                        "T.TXT(1): a longer text that makes the first line grow first"}),
              ui.lists[0]);
    EXPECT_EQ("1:0", Where());
    EditCommand(IDM_GOTO_NEXT_BOOKMARK);   // round the list to the head
    EXPECT_EQ(3, CurrentLineNumber());

    // Deleted with their line; the dialog's Cancel deletes nothing.
    At(2, 6);
    EditorKey(kKeyDelete, 1, false);   // joins line 3 onto line 2
    EXPECT_EQ(1, BookmarkCount());
    EXPECT_FALSE(marked(2));            // the mark went with the bookmark of line 3
    EditCommand(IDM_DELETE_BOOKMARK);
    EXPECT_EQ(1, BookmarkCount());
    ui.choices.push_back(0);
    EditCommand(IDM_DELETE_BOOKMARK);
    EXPECT_EQ(0, BookmarkCount());
    EXPECT_FALSE(marked(1));
    EXPECT_FALSE(FindDocumentMark(doc, &line, &column));
}

TEST_F(EditTest, BookmarksDieWithTheirViewAndOnReload) {
    Document *doc = Doc("a\nb\n");
    View *first = g_editor->view;
    At(2, 0);
    SetBookmark();
    View *second = AttachView(nullptr, doc->path);
    GotoPosition(1, 0);
    SetBookmark();
    EXPECT_EQ(2, BookmarkCount());
    DetachView(second);
    EXPECT_EQ(1, BookmarkCount());
    MakeCurrent(first);
    ASSERT_TRUE(ReloadDocument());
    EXPECT_EQ(0, BookmarkCount());
}

TEST_F(EditTest, CopyToFileWritesTheCutBufferLineByLine) {
    Doc("x");
    EditCommand(IDM_COPY_TO_FILE);
    EXPECT_STREQ("Clipboard empty", StatusText());
    AppendCutBuffer("one\n\ttwo\nthree", 14);
    ui.fileNames.push_back(PathOf("OUT.TXT"));
    EditCommand(IDM_COPY_TO_FILE);
    EXPECT_EQ("one\r\n\ttwo\r\nthree\r\n", ReadWholeFile(PathOf("OUT.TXT")));
    ClearCutBuffer();
    AppendCutBuffer("only\n", 5);
    ui.fileNames.push_back(PathOf("OUT2.TXT"));
    EditCommand(IDM_COPY_TO_FILE);
    EXPECT_EQ("only\r\n", ReadWholeFile(PathOf("OUT2.TXT")));
    ui.fileNames.push_back(dir + "\\NO\\SUCH\\DIR\\X.TXT");
    EditCommand(IDM_COPY_TO_FILE);
    EXPECT_NE(std::string::npos, ui.Texts().back().find("for writing"));
}
