// The undo journal: its ring, the special records, replace groups, several windows and the
// records that no longer fit the document. That each ordinary action (typing, keys, clicks, cut
// and paste) is taken back whole and in order is UndoRandomTest's.
#include "base/CommandIds.h"
#include "editor/Bookmarks.h"
#include "editor/EditTestSupport.h"
#include "editor/EditorHooks.h"

// An automatic record stays with its action when the ring starts again; a record for message
// 10000 is refused.
TEST_F(EditTest, TheRingStartsAgainAfter255RecordsAndUndoStopsThere) {
    Document *doc = Doc("");
    for (int i = 0; i < 254; i++)
        Type("x");
    EXPECT_EQ(254, JournalCount());
    Type("y");   // the 255th record: history before it is given up
    EXPECT_EQ(0, JournalCount());
    Type("z");
    EXPECT_EQ(1, JournalCount());
    UndoAll();
    EXPECT_EQ(std::string(254, 'x') + "y", Text());
    Undo();      // nothing further back
    EXPECT_EQ(255u, std::string(FirstLine(doc)->text, FirstLine(doc)->length).size());

    doc = Doc("ab\ncd", "A.TXT");
    for (int i = 0; i < 254; i++)
        Journal(kMsgKeyDown, kKeyHome, 1);
    EditorKey(kKeyInsert, 1, false);
    GotoPosition(1, 2);
    Type("\n");   // the automatic record is the 255th; the ring starts again after the Enter
    EXPECT_EQ(0, JournalCount());
    Undo();
    EXPECT_EQ(Lines({"ab", "cd"}), LinesOf(doc));

    NoteMessage(10000, 0, 0);
    EXPECT_EQ(nullptr, JournalNoted());
    EXPECT_EQ("Registering 10000", ui.Texts().back());
}

// Cut takes the selection into the cut buffer, and so does typing over it; paste puts the
// buffer in, over the selection when there is one. Backspace with a selection only deletes it;
// Escape only cancels it.
TEST_F(EditTest, CutPasteAndTypingOverASelection) {
    Document *doc = Doc("one\ntwo\nthree");
    At(1, 1);
    EditCommand(IDM_EXTEND_DOWN);
    EditCommand(IDM_EXTEND_RIGHT);
    EditCommand(IDM_CUT);
    EXPECT_EQ(Lines({"oo", "three"}), LinesOf(doc));
    EXPECT_EQ("ne\ntw", CutBuffer());
    GotoEnd();
    EditCommand(IDM_PASTE);
    EXPECT_EQ(Lines({"oo", "three", "ne", "tw"}), LinesOf(doc));
    At(2, 0);
    EditCommand(IDM_EXTEND_LINE_END);
    EditCommand(IDM_PASTE);
    EXPECT_EQ(Lines({"oo", "ne", "tw", "ne", "tw"}), LinesOf(doc));

    doc = Doc("hello world", "H.TXT");
    At(1, 6);
    EditCommand(IDM_EXTEND_LINE_END);
    Type("there");
    EXPECT_EQ(Lines({"hello there"}), LinesOf(doc));
    EXPECT_EQ("world", CutBuffer());
    At(1, 0);
    EditCommand(IDM_EXTEND_RIGHT);
    EditorChar(27, 1, false);
    EXPECT_FALSE(HasSelection());
    EditCommand(IDM_EXTEND_RIGHT);
    Type("\b");
    EXPECT_EQ(Lines({"hllo there"}), LinesOf(doc));
}

TEST_F(EditTest, ReplaceGroupsAreUndoneWhole) {
    Document *doc = Doc("a cat, a cat\ncat");
    // Each replacement as a replace-all makes it: the cursor at the match, then the change.
    auto replace = [](long line, int column, bool variable, int index, const char *found, const char *made) {
        GotoPosition(line, column);
        JournalReplacement(variable, index, found, made);
        DeleteChars(static_cast<int>(strlen(found)), false);
        InsertText(made, static_cast<long>(strlen(made)));
    };
    // A fixed group.
    replace(1, 2, false, 0, "cat", "tiger");
    replace(1, 11, false, 1, "cat", "tiger");
    replace(2, 0, false, 2, "cat", "tiger");
    EXPECT_EQ(Lines({"a tiger, a tiger", "tiger"}), LinesOf(doc));
    Type("!");
    Undo();
    Undo();
    EXPECT_EQ(Lines({"a cat, a cat", "cat"}), LinesOf(doc));
    EXPECT_EQ(0, JournalCount());
    // A variable group keeps each record's own texts.
    replace(1, 2, true, 0, "cat", "CAT1");
    replace(1, 10, true, 1, "cat", "C");
    EXPECT_EQ(Lines({"a CAT1, a C", "cat"}), LinesOf(doc));
    Undo();
    EXPECT_EQ(Lines({"a cat, a cat", "cat"}), LinesOf(doc));
    // A group whose first records are gone (the journal gave up its history in between) goes
    // on as a new group with its own texts, and is still undone.
    replace(2, 0, false, 3, "cat", "dog");
    Undo();
    EXPECT_EQ(Lines({"a cat, a cat", "cat"}), LinesOf(doc));
    EXPECT_TRUE(ui.boxes.empty());
}

TEST_F(EditTest, RecordsThatNoLongerFitTheDocumentAreSkippedOrForgotten) {
    Document *doc = OpenFile("R.TXT", "one\ntwo\nthree\n");
    GotoPosition(3, 5);
    Type("xyz\nmore");
    At(1, 0);
    EditorKey(kKeyDelete, 1, false);
    // Lines taken away behind the journal's back: its records point past the end.
    At(2, 0);
    DeleteChars(100, false);
    ASSERT_EQ(Lines({"ne"}), LinesOf(doc));
    UndoAll();
    EXPECT_EQ(Lines({"one"}), LinesOf(doc));
    // A reload forgets what was journaled in the document's windows.
    Type("abc");
    WriteWholeFile(PathOf("R.TXT"), "short\n");
    ASSERT_TRUE(ReloadDocument());
    EXPECT_EQ(0, JournalCount());
    EXPECT_TRUE(ui.boxes.empty());

    // An inserted file is no record: Undo skips it.
    doc = Doc("l1\nzzb\nab");
    WriteWholeFile(PathOf("ONE.TXT"), "inserted\n");
    GotoPosition(3, 2);
    Type("b");
    GotoPosition(1, 0);
    ASSERT_TRUE(InsertFile(PathOf("ONE.TXT").c_str()));
    Undo();
    EXPECT_EQ(Lines({"inserted", "l1", "zzb", "abb"}), LinesOf(doc));
    // A cut holding a NUL byte comes back whole.
    doc = OpenFile("ZERO.TXT", std::string("a\0b\ncd\n", 7));
    ASSERT_EQ(Lines({std::string("a\0b", 3), "cd"}), LinesOf(doc));
    EditCommand(IDM_EXTEND_LINE_END);
    EditCommand(IDM_CUT);
    Undo();
    EXPECT_EQ(Lines({std::string("a\0b", 3), "cd"}), LinesOf(doc));
}

// Undo takes back the current window's records: another document's are skipped, and another
// window's change to the same document stops it (the record behind would land on the wrong
// line).
TEST_F(EditTest, UndoInOneWindowOfSeveral) {
    Document *a = Doc("aaa", "A.TXT");
    View *viewA = g_editor->view;
    viewA->window = reinterpret_cast<HWND>(0x100);
    Document *b = Doc("bbb\ny", "B.TXT");
    View *viewB = g_editor->view;
    viewB->window = reinterpret_cast<HWND>(0x200);
    View *viewB2 = AttachView(reinterpret_cast<HWND>(0x300), b->path);
    auto typeIn = [this](View *view, long line, int column, const char *text) {
        MakeCurrent(view);
        GotoPosition(line, column);
        Type(text);
    };
    typeIn(viewA, 1, 3, "1");
    typeIn(viewB, 1, 3, "2");
    MakeCurrent(viewA);
    Undo();   // A's record lies behind B's
    EXPECT_EQ(Lines({"aaa"}), LinesOf(a));
    EXPECT_EQ(Lines({"bbb2", "y"}), LinesOf(b));
    EXPECT_EQ(1, JournalCount());
    Undo();   // nothing of A's is left
    EXPECT_EQ(Lines({"bbb2", "y"}), LinesOf(b));

    typeIn(viewB, 2, 1, "y");
    typeIn(viewB2, 1, 0, "\n");
    MakeCurrent(viewB);
    Undo();   // stopped by the other window's line break
    EXPECT_EQ(Lines({"", "bbb2", "yy"}), LinesOf(b));
    MakeCurrent(viewB2);
    Undo();
    MakeCurrent(viewB);
    Undo();
    Undo();
    EXPECT_EQ(Lines({"bbb", "y"}), LinesOf(b));
}

// Home goes to the first character, then to the line's start; a move that stays put writes
// no record.
TEST_F(EditTest, HomeEndAndLeftWithASelection) {
    Doc("  first\nsecond line\nthird");
    At(1, 5);
    EditorKey(kKeyHome, 1, false);
    EXPECT_EQ(2, Column());
    EditorKey(kKeyHome, 1, false);
    EXPECT_EQ(0, Column());
    EditorKey(kKeyEnd, 1, false);
    int records = JournalCount();
    EditorKey(kKeyEnd, 1, false);
    EXPECT_EQ(records, JournalCount());
    // Left with a selection goes to its anchor.
    At(1, 5);
    EditCommand(IDM_EXTEND_RIGHT);
    EditCommand(IDM_EXTEND_RIGHT);
    EditorKey(kKeyLeft, 1, false);
    EXPECT_EQ(5, Column());
    EXPECT_FALSE(HasSelection());
}

TEST_F(EditTest, MacrosAndCompletionsInsertTextThatUndoTakesBack) {
    Document *doc = Doc("x");
    TextMacro macro = {nullptr, 'f', 4, 13, DupString("for (;;) {\n}\n")};
    g_textMacros = &macro;
    At(1, 1);
    EditorChar(6, 1, true);   // Ctrl+F
    EXPECT_EQ(Lines({"xfor (;;) {", "}", ""}), LinesOf(doc));
    EXPECT_EQ(5, Column());
    Undo();
    EXPECT_EQ(Lines({"x"}), LinesOf(doc));
    EditorChar(7, 1, true);   // no macro for Ctrl+G: nothing
    EXPECT_EQ(Lines({"x"}), LinesOf(doc));
    g_textMacros = nullptr;
    Release(macro.text);

    g_editorHooks.completionSource = [](const char *prefix, const char *, char **names, int) {
        names[0] = DupString(std::string(prefix).append("_value").c_str());
        return 1;
    };
    At(1, 1);
    SymbolCompletion();
    g_editorHooks.completionSource = nullptr;
    EXPECT_EQ(Lines({"x_value"}), LinesOf(doc));
    Undo();
    EXPECT_EQ(Lines({"x"}), LinesOf(doc));
    EditorKey(kKeyEscape, 1, false);   // no source: a beep
    EXPECT_EQ(1, ui.beeps);
}

TEST_F(EditTest, MouseClicksSelectAndDoubleClicksTakeTheWord) {
    Doc("int value = 42;\n\tother;\n");
    EditorMetrics m = {16, 8, 0, 800};
    EditorButtonDown(true, 8 * 6, 5, false, m);   // on "value"
    EXPECT_EQ(6, Column());
    EXPECT_TRUE(EditorDragging());
    EditorMouseMove(8 * 11, 20, m);   // drag to the second line (visual 11 is past its end)
    EditorButtonUp();
    EXPECT_FALSE(EditorDragging());
    EXPECT_EQ("lue = 42;\n\tother;", Selection());
    EditorButtonDown(true, 8 * 2, 0, true, m);    // Shift: from the last position to here
    EXPECT_EQ("t value = 42;\n\tother;", Selection());
    const struct { int column; const char *word; } clicks[] = {
        {11, ""},        // the blank after "=": passed backwards to "=", no word there
        {12, "42"},
        {4, "value"},    // on a word's first letter: that word, not the one before
        {9, "value"},    // the blank after "value"
    };
    for (const auto &click : clicks) {
        EditorDoubleClick(8 * click.column, 3, m);
        EXPECT_EQ(click.word, Selection()) << click.column;
    }
    // Near the right edge the view scrolls sideways instead.
    g_editor->view->firstColumn = 0;
    GotoPosition(1, 0);
    EditorButtonDown(true, 790, 0, false, m);
    EXPECT_EQ(10, g_editor->view->firstColumn);
    EXPECT_EQ(10, Column());
}

// Lines longer than 1000 characters (longer than UndoRandomTest makes) get their deleted text
// back.
TEST_F(EditTest, UndoRestoresTextBeyondColumn1000) {
    Document *doc = Doc("", "L.TXT");
    EditorChar('q', 1100, false);
    EditorChar(8, 1, false);
    EditCommand(IDM_EXTEND_LEFT);
    EditCommand(IDM_CUT);
    At(1, 1050);
    EditorKey(kKeyDelete, 1, false);
    while (JournalCount() > 1)   // all but the typing
        Undo();
    EXPECT_EQ(Lines({std::string(1100, 'q')}), LinesOf(doc));
    EXPECT_TRUE(ui.boxes.empty());
}

TEST_F(EditTest, ABreakLeavesTheLinesMarksAbove) {
    Document *doc = Doc("foo();\nbar();");
    FirstLine(doc)->flags = kLineBreakpoint;
    SetBookmark();
    EditorKey(kKeyEnd, 1, false);
    Type("\n");
    EXPECT_EQ(kLineBreakpoint | kLineMarked, FirstLine(doc)->flags);   // the bookmark's mark too
    EXPECT_EQ(0, FirstLine(doc)->next->flags);
    EXPECT_EQ(FirstLine(doc), FirstBookmark()->line);
}
