// Cursor movement, typing, line breaks, indentation, deletion and the tab conversions.
#include "base/Messages.h"
#include "editor/CommentSpans.h"
#include "editor/EditTestSupport.h"

// Vertical moves keep the desired visual column.
TEST_F(EditTest, MovingAcrossLinesAndOntoTheSentinel) {
    Document *doc = Doc("ab\ncd");
    At(2, 1);
    EXPECT_TRUE(CursorRight(1));
    EXPECT_TRUE(CursorRight(1));   // past the end of the last line: the sentinel
    EXPECT_TRUE(IsSentinel(doc, g_editor->view->current));
    EXPECT_FALSE(CursorRight(1));
    EXPECT_TRUE(CursorLeft(1));
    EXPECT_EQ("2:2", Where());
    EXPECT_TRUE(CursorLeft(3));    // over the line break to the end of line 1
    EXPECT_EQ("1:2", Where());
    At(1, 0);
    EXPECT_FALSE(CursorLeft(1));
    EXPECT_TRUE(CursorLeft(-2));   // a negative count moves right
    EXPECT_EQ(2, Column());

    Doc("abcdefgh\nx\n\tyz\nabcdefgh", "V.TXT");
    At(1, 6);
    std::string seen;
    for (int i = 0; i < 5; i++) {
        bool moved = CursorDown(1);
        seen += (moved ? " " : " stop ") + Where();
    }
    // Line 2 is short: its end. The tab reaches visual 4, "y" 4, "z" 5: column 3 is visual 6.
    EXPECT_EQ(" 2:1 3:3 4:6 5:0 stop 5:0", seen);
    EXPECT_TRUE(CursorUp(4));
    EXPECT_EQ(1, CurrentLineNumber());
}

TEST_F(EditTest, VisualColumnsExpandTabs) {
    Document *doc = Doc("\ta\tb");
    Line *line = FirstLine(doc);
    EXPECT_EQ(0, VisualColumnOf(line, 0));
    EXPECT_EQ(4, VisualColumnOf(line, 1));
    EXPECT_EQ(5, VisualColumnOf(line, 2));
    EXPECT_EQ(8, VisualColumnOf(line, 3));
    bool reached = false;
    EXPECT_EQ(2, ColumnAtVisual(line, 6, &reached));   // inside the second tab
    EXPECT_TRUE(reached);
    EXPECT_EQ(4, ColumnAtVisual(line, 40, &reached));
    EXPECT_FALSE(reached);
    g_tabSize = 0;   // a broken setting counts as 1
    EXPECT_EQ(3, VisualColumnOf(line, 3));
}

// Backspace and Delete join lines at a line's edge; their Undo is UndoRandomTest's.
TEST_F(EditTest, BackspaceAndDeleteJoinLinesAtTheirEdges) {
    Document *doc = Doc("abc\ndef\ngh\nij");
    At(2, 0);
    Type("\b");
    EXPECT_EQ(Lines({"abcdef", "gh", "ij"}), LinesOf(doc));
    EXPECT_EQ(3, Column());
    At(2, 1);
    EditorChar(8, 6, false);   // a repeat count, over the line break
    EXPECT_EQ(Lines({"abh", "ij"}), LinesOf(doc));
    At(1, 2);
    EditorKey(kKeyDelete, 2, false);
    EXPECT_EQ(Lines({"abij"}), LinesOf(doc));
    // At the end of the last line nothing is deleted and nothing journaled.
    int records = JournalCount();
    At(1, 4);
    EditorKey(kKeyDelete, 1, false);
    EXPECT_EQ(records, JournalCount());
}

// A first word that only begins with a keyword is no header.
TEST_F(EditTest, EnterIndentsAfterOpenersAndHeaders) {
    const struct { const char *typed; Lines lines; } cases[] = {
        {"int f()\n{\nif (a)\nx();\ny();\n}", {"int f()", "{", "\tif (a)", "\t\tx();", "\ty();", "}"}},
        {"switch (a) {\ncase 1:\nbreak;\n}\nelse\nz;\nw;",
         {"switch (a) {", "\tcase 1:", "\t\tbreak;", "\t}", "\telse", "\t\tz;", "\tw;"}},
        {"\telse_count = 1;\nx;\ny;", {"\telse_count = 1;", "\tx;", "\ty;"}}};
    int n = 0;
    for (const auto &c : cases) {
        Doc("", "T" + std::to_string(++n) + ".C")->flags |= kDocCSource;
        Type(c.typed);
        EXPECT_EQ(c.lines, LinesOf(g_editor->doc)) << n;
    }
}

TEST_F(EditTest, EnterKeepsIndentationOfTheLineAboveAndSubtractsBlanksAfterTheBreak) {
    Document *doc = Doc("      abc  def\n\n");
    g_tabSize = 4;
    At(1, 9);
    Type("\n");   // width 6: one tab and two blanks, less the two blanks already there
    EXPECT_EQ(Lines({"      abc", "\t  def", ""}), LinesOf(doc));
    At(3, 0);
    Type("\n");   // an empty line takes the indentation of the nearest line above with text
    EXPECT_EQ(Lines({"      abc", "\t  def", "", "\t  "}), LinesOf(doc));
    g_autoIndent = false;
    At(1, 3);
    Type("\n");
    EXPECT_EQ(Lines({"   ", "   abc", "\t  def", "", "\t  "}), LinesOf(doc));
}

// Undoing the outdent is UndoRandomTest's (CSourceWithBraces).
TEST_F(EditTest, ClosingBraceOutdentsOneLevelInCSource) {
    Document *doc = Doc("\t\t\nx", "T.C");
    doc->flags |= kDocCSource;
    At(1, 2);
    Type("}");
    EXPECT_EQ(Lines({"\t}", "x"}), LinesOf(doc));
    // Blanks: the cut is one tab width of visual columns.
    Doc("        \nx", "U.C")->flags |= kDocCSource;
    At(1, 5);
    Type("}");
    EXPECT_EQ(Lines({" }", "x"}), LinesOf(g_editor->doc));
    // At the start of a blank line the whole line is cut.
    Doc("\t\t\nx", "W.C")->flags |= kDocCSource;
    Type("}");
    EXPECT_EQ(Lines({"}", "x"}), LinesOf(g_editor->doc));
    // Not C, or text on the line: no outdent.
    doc = Doc("\t\tx", "V.TXT");
    At(1, 2);
    Type("}");
    EXPECT_EQ(Lines({"\t\t}x"}), LinesOf(doc));
}

// Insert switches to overwriting; Undo there is UndoRandomTest's.
TEST_F(EditTest, OverwriteModeReplacesCharactersAndEnterOnlyMovesDown) {
    Document *doc = Doc("abcd\n\tx\nlast");
    EditorKey(kKeyInsert, 1, false);
    ASSERT_TRUE(g_editor->view->state & kViewOverwrite);
    At(1, 1);
    EditorChar('X', 2, false);
    EXPECT_EQ(Lines({"aXXd", "\tx", "last"}), LinesOf(doc));
    // A tab wider than one column absorbs the typed character.
    At(2, 0);
    Type("y");
    EXPECT_EQ(Lines({"aXXd", "y\tx", "last"}), LinesOf(doc));
    At(2, 2);
    Type("\n");
    EXPECT_EQ("3:0", Where());
    EXPECT_EQ(3, doc->lineCount);
}

TEST_F(EditTest, LongLinesBreakBeforeTypingAndInsertionStopsAtColumn1000) {
    Document *doc = Doc("");
    InsertChars(512, 'a');
    Type("b");
    EXPECT_EQ(Lines({std::string(512, 'a'), "b"}), LinesOf(doc));
    EXPECT_EQ(std::vector<std::string>{"Line too long!"}, ui.Texts());

    Doc("", "W.TXT");
    InsertChars(1200, 'c');
    g_editor->view->column = 1001;
    EXPECT_FALSE(InsertChars(1, 'x'));
    EXPECT_EQ("InternalError 29512", ui.Texts().back());
    EXPECT_EQ(1200, FirstLine(g_editor->doc)->length);
    g_editor->view->column = 1000;
    EXPECT_TRUE(InsertChars(1, 'x'));
    EXPECT_EQ('x', FirstLine(g_editor->doc)->text[1000]);
}

TEST_F(EditTest, GrowingALineMovesEveryReferenceToTheNewRecord) {
    Document *doc = Doc("abc\nline two");
    View *first = g_editor->view;   // a bookmark follows its line's new record: BookmarksTest
    Line *old = FirstLine(doc);
    View *second = AttachView(nullptr, doc->path);
    ASSERT_NE(first, second);
    second->visibleRows = 20;
    second->current = second->top = old;
    second->column = 2;
    CommentSpan span = {nullptr, nullptr, old, old, 1, 2, 0};
    doc->comments = &span;
    MakeCurrent(first);
    GotoPosition(1, 0);
    InsertChars(40, 'z');
    Line *now = FirstLine(doc);
    ASSERT_NE(old, now);   // capacity 16 did not hold 43 characters
    EXPECT_EQ(now, second->current);
    EXPECT_EQ(now, second->top);
    EXPECT_EQ(42, second->column);
    EXPECT_EQ(now, span.firstLine);
    EXPECT_EQ(41, span.firstColumn);
    EXPECT_EQ(42, span.lastColumn);
    doc->comments = nullptr;
}

TEST_F(EditTest, TabConversionsTouchOnlyLeadingWhiteSpace) {
    Document *doc = Doc("\t  x\ty\n          z\n  w\n\tv");
    g_tabSize = 8;
    At(2, 10);
    TabsToSpaces();
    EXPECT_EQ(Lines({"          x\ty", "          z", "  w", "        v"}), LinesOf(doc));
    EXPECT_EQ("2:10", Where());
    SpacesToTabs();
    EXPECT_EQ(Lines({"\t  x\ty", "\t  z", "  w", "\tv"}), LinesOf(doc));
    EXPECT_EQ(3, Column());   // back at visual column 10
    EXPECT_TRUE(doc->flags & kDocModified);
}

TEST_F(EditTest, RecentrePutsTheCursorOnTheMiddleRow) {
    std::string text;
    for (int i = 1; i <= 400; i++)
        text += "line " + std::to_string(i) + "\n";
    Doc(text);
    View *view = g_editor->view;
    view->visibleRows = 10;
    GotoLine(50);
    Recentre();
    EXPECT_EQ(45, LineNumberOf(view->doc, view->top));
    view->state = 0;
    Recentre();
    EXPECT_EQ(0, view->state & kViewRedrawAll);   // already there: nothing happens
    GotoLine(2);
    Recentre();
    EXPECT_EQ(1, LineNumberOf(view->doc, view->top));
    // The end of the document, from near its top: the window ends with the row after the
    // last line, where the cursor stands, and shows the lines before it.
    view->top = FirstLine(view->doc);
    GotoEnd();
    KeepCursorVisible(view);
    EXPECT_EQ(392, LineNumberOf(view->doc, view->top));
    EXPECT_EQ(9, view->cursorRow);
    // A window of more than 255 rows shows line 280 without scrolling.
    view->visibleRows = 300;
    view->top = FirstLine(view->doc);
    GotoLine(280);
    KeepCursorVisible(view);
    EXPECT_EQ(FirstLine(view->doc), view->top);
    EXPECT_EQ(279, view->cursorRow);
}

// A document's lines come from its arena with no more room than they need. They grow into
// larger records (one too long for the arena into a guarded block), split and join, a line
// given back twice is refused, and the large edited document gives every byte back with its
// last view.
TEST_F(EditTest, ArenaLinesGrowSplitJoinAndGoBackWithTheDocument) {
    std::string text;
    Lines expected;
    for (int i = 0; i < 20000; i++) {
        expected.push_back("line " + std::to_string(i) + (i % 3 ? " holds some text" : ""));
        text += expected.back() + "\n";
    }
    RememberRecentFile(PathOf("BIG.C").c_str());   // the recent-files copy outlives the document
    FormatScratch("%s", "");
    MemoryStatistics before = g_memoryStats;
    Document *doc = Doc(text, "BIG.C");
    ASSERT_NE(nullptr, doc);
    ASSERT_EQ(20000, doc->lineCount);
    EXPECT_GT(g_memoryStats.arenaChunks, before.arenaChunks + long(text.size()));
    for (Line *line : {LineAt(doc, 0), LineAt(doc, 1)})
        EXPECT_LE(line->capacity, line->length + kArenaAlign) << std::string(line->text, line->length);
    long inUse = g_memoryStats.inUse;

    At(1, 6);
    Type(" grows");
    expected[0] += " grows";
    At(2, 0);
    ASSERT_TRUE(InsertChars(1000, 'x'));
    expected[1].insert(0, 1000, 'x');
    EXPECT_GE(g_memoryStats.inUse, inUse + 1000);   // the long line is a guarded block
    At(3, 4);
    Type("\n");
    At(5, 0);
    Type("\b");   // joins line 5 to the lower half of the split
    expected[3] = expected[2].substr(4) + expected[3];
    expected[2] = "line";
    EXPECT_EQ(expected, LinesOf(doc));

    Line *last = doc->sentinel->prev;
    last->prev->next = doc->sentinel;
    doc->sentinel->prev = last->prev;
    doc->lineCount--;
    FreeLine(doc, last);
    EXPECT_TRUE(ui.boxes.empty());
    FreeLine(doc, last);
    EXPECT_EQ(std::vector<std::string>{"Wrong block passed to release"}, ui.Texts());

    DetachView(g_editor->view);
    EXPECT_EQ(before.inUse, g_memoryStats.inUse);
    EXPECT_EQ(before.arenaChunks, g_memoryStats.arenaChunks);
}
