// Searching and replacing in documents. Searching over all windows, as the user meets it, is
// SearchAppTest's.
#include "editor/Search.h"

#include "editor/EditTestSupport.h"
#include "editor/SearchOptions.h"
#include "ui/OutputWindow.h"

namespace {

// Every test sets the options it searches with (g_findFlags) through Set.
class SearchTest : public EditTest {
protected:
    bool Set(const char *text, unsigned short flags, const char *replacement = nullptr) {
        SearchRequest request = {text, replacement, flags, 0, 0};
        return AcceptSearchRequest(request);
    }

    // The selection as "line:start-end" (columns of its two ends, in order), or "none".
    static std::string Selected() {
        View *view = g_editor->view;
        if (!view->anchor)
            return "none";
        long line = CurrentLineNumber();
        int a = view->anchorColumn, c = view->column;
        return std::to_string(line) + ":" + std::to_string(a < c ? a : c) + "-" + std::to_string(a < c ? c : a);
    }
    // F3 and Ctrl+F3: the selected match, or "none".
    static std::string Next() { return FindNext() ? Selected() : "none"; }
    static std::string Previous() { return FindPrevious() ? Selected() : "none"; }
};

const unsigned short kForwards = kFindCurrentWindow | kFindExact | kFindForwards;

} // namespace

TEST_F(SearchTest, PlainSearchInEveryDirection) {
    Doc("abc print int\nx abc\nlast abc");
    ASSERT_TRUE(Set("abc", kForwards));
    EXPECT_EQ("1:0-3", Next());
    EXPECT_EQ("2:2-5", Next());
    EXPECT_EQ("3:5-8", Next());   // at the very end of the last line
    EXPECT_EQ("none", Next());
    EXPECT_EQ("String not found", ui.Texts().back());

    // Backwards from the cursor: the nearest text before it, never one that runs past it.
    At(2, 4);
    EXPECT_EQ("1:0-3", Previous());
    EXPECT_EQ(0, Column());   // the cursor at the start, for the next step back
    // Whole words and ignoring case are SearchAppTest's.
}

// A match outside the window scrolls it: one below ends on the last row, one above on the
// first; one inside leaves the window where it is.
TEST_F(SearchTest, TheMatchIsScrolledIntoView) {
    std::string text;
    for (int i = 1; i <= 100; i++)
        text += (i == 10 || i == 30 || i == 60 ? "key " : "line ") + std::to_string(i) + "\n";
    Doc(text);   // 20 rows
    auto top = [] { return LineNumberOf(g_editor->doc, g_editor->view->top); };
    const View *view = g_editor->view;
    // The top line and the cursor's row after each step.
    auto shown = [&](bool found) {
        return found ? std::to_string(top()) + "/" + std::to_string(view->cursorRow) : "none";
    };
    ASSERT_TRUE(Set("key", kForwards));
    EXPECT_EQ("1/9", shown(FindNext()));     // line 10 shows already
    EXPECT_EQ(3, view->cursorVisualColumn);
    EXPECT_EQ("11/19", shown(FindNext()));   // line 30 on row 20
    EXPECT_EQ("41/19", shown(FindNext()));
    At(95, 0);
    g_editor->view->top = NthLine(g_editor->doc, 80);
    EXPECT_EQ("60/0", shown(FindPrevious()));   // above the window: on the first row
    EXPECT_EQ("30/0", shown(FindPrevious()));
}

TEST_F(SearchTest, WrapGoesRoundOnceAndStops) {
    Doc("one\ntwo only\nthree");
    ASSERT_TRUE(Set("only", kFindCurrentWindow | kFindExact | kFindWrap));
    At(3, 2);
    EXPECT_EQ("2:4-8", Next());   // found on the second round
    EXPECT_EQ("2:4-8", Next());   // and again: it is the only one
    ASSERT_TRUE(Set("none", kFindCurrentWindow | kFindExact | kFindWrap));
    EXPECT_EQ("none", Next());
    EXPECT_EQ("String not found", ui.Texts().back());
    // Wrap is kept only with the current window.
    ASSERT_TRUE(Set("x", kFindAllWindows | kFindExact | kFindWrap));
    EXPECT_EQ(kFindAllWindows | kFindExact | kFindForwards, g_findFlags);
}

TEST_F(SearchTest, ReplaceAskingThenAllAndUndoneAtOnce) {
    Doc("a int b int\nint;\nprintf int");
    At(1, 1);
    ASSERT_TRUE(Set("int", kForwards | kFindConfirm | kFindWholeWords, "long"));
    ui.replaceAnswers = {kReplaceNo, kReplaceAll};
    EXPECT_EQ(3, ReplaceAll());
    EXPECT_EQ(2, ui.replaceQuestions);
    EXPECT_EQ("a int b long\nlong;\nprintf long", Text());
    EXPECT_STREQ("3 substitutions", MessageLineText());
    EXPECT_EQ("1:1", Where());   // the cursor is back where it was
    Undo();
    EXPECT_EQ("a int b int\nint;\nprintf int", Text());

    // Ignoring case, each replaced text comes back as it was written.
    ASSERT_TRUE(Set("INT", kForwards | kFindIgnoreCase, "x"));
    At(1, 0);
    EXPECT_EQ(5, ReplaceAll());
    EXPECT_EQ("a x b x\nx;\nprxf x", Text());
    Undo();
    EXPECT_EQ("a int b int\nint;\nprintf int", Text());

    // Cancel at the first question changes nothing and says nothing.
    ASSERT_TRUE(Set("int", kForwards | kFindConfirm, "y"));
    ui.boxes.clear();
    ui.replaceAnswers = {kReplaceCancel};
    EXPECT_EQ(0, ReplaceAll());
    EXPECT_EQ("a int b int\nint;\nprintf int", Text());
    EXPECT_TRUE(ui.boxes.empty());
}

TEST_F(SearchTest, ReplacingWithTheTextItselfEndsAndWrapStopsWhereItBegan) {
    Doc("a a\na");
    At(1, 2);
    ASSERT_TRUE(Set("a", kFindCurrentWindow | kFindExact | kFindWrap, "aa"));
    EXPECT_EQ(3, ReplaceAll());
    EXPECT_EQ("aa aa\naa", Text());
    ASSERT_TRUE(Set("a+", kFindCurrentWindow | kFindRegex | kFindForwards, "<$>"));
    At(1, 0);
    EXPECT_EQ(3, ReplaceAll());
    EXPECT_EQ("<$> <$>\n<$>", Text());
    Undo();
    EXPECT_EQ("aa aa\naa", Text());
    ASSERT_TRUE(Set("zzz", kForwards, "y"));
    EXPECT_EQ(0, ReplaceAll());
    EXPECT_EQ("String not found", ui.Texts().back());
}

TEST_F(SearchTest, TheDialogValuesAreChecked) {
    // An empty text and no direction, with their messages, are SearchAppTest's.
    Doc("x");
    std::string longText(129, 'x');
    EXPECT_FALSE(Set(longText.c_str(), kForwards));
    EXPECT_FALSE(Set("x", kForwards, longText.c_str()));
    EXPECT_EQ(2u, ui.boxes.size());
    EXPECT_STREQ("", g_search->text);   // nothing taken from a refused dialog
    // By function: no wrap, no backwards, no other windows.
    SearchRequest request = {"x", "y", kFindAllWindows | kFindExact | kFindBackwards | kFindByFunction, 3, 9};
    ASSERT_TRUE(AcceptSearchRequest(request));
    EXPECT_EQ(kFindCurrentWindow | kFindExact | kFindForwards | kFindByFunction, g_findFlags);
    // The history keeps each text once, the newest first.
    for (const char *text : {"a", "b", "a"})
        ASSERT_TRUE(Set(text, kForwards));
    EXPECT_EQ(3, g_search->historyCount);
    EXPECT_STREQ("a", g_search->history[0]);
    EXPECT_STREQ("b", g_search->history[1]);
    EXPECT_STREQ("x", g_search->history[2]);
}

TEST_F(SearchTest, SimilarWords) {
    EXPECT_TRUE(SimilarWord("print", "x = prnt(1);", 12));    // one left out
    EXPECT_TRUE(SimilarWord("print", "PRIINT", 6));           // one more, case aside
    EXPECT_TRUE(SimilarWord("print", "pirnt", 5));            // two swapped
    EXPECT_TRUE(SimilarWord("print", "prine", 5));            // one changed
    EXPECT_TRUE(SimilarWord("print", "a prints b", 10));
    EXPECT_FALSE(SimilarWord("print", "pr", 2));
    EXPECT_FALSE(SimilarWord("int", "in ant", 6));            // short texts must be equal
    EXPECT_TRUE(SimilarWord("int", "x INT", 5));
    EXPECT_FALSE(SimilarWord("print", "printer", 7));
    EXPECT_TRUE(SimilarWord("a->b", "x = A->b;", 9));   // not one word: found as it stands
}

// Expressions work line by line; backwards, empty matches, ignoring case.
TEST_F(SearchTest, ExpressionsLineByLineBackwardsEmptyAndIgnoringCase) {
    const unsigned short regex = kFindCurrentWindow | kFindRegex | kFindForwards;
    Doc("int a;\nintx b;\nend: int c");
    ASSERT_TRUE(Set("^int[^x]", regex));
    EXPECT_EQ("1:0-4", Next());
    // "^" is the start of the line, not of the walk: nothing more, though "int " follows.
    EXPECT_EQ("none", Next());
    ASSERT_TRUE(Set("[a-z]+;?$", regex));
    At(3, 0);
    EXPECT_EQ("3:9-10", Next());   // a match on the last line
    ui.boxes.clear();
    ASSERT_TRUE(Set("(a", regex));
    EXPECT_EQ("none", Next());
    EXPECT_EQ(std::vector<std::string>{"Mismatched ()"}, ui.Texts());

    ui.boxes.clear();
    Doc("abcabc\nabx\nInt a_b\nx[y", "EXPR.TXT");
    ASSERT_TRUE(Set("abc", regex));
    At(1, 4);
    EXPECT_EQ("1:0-3", Previous());   // the match must end before the cursor
    // F3 with an expression that can match nothing moves on instead of staying put: the
    // empty match at the cursor is passed over, one at the end of a line counts as none.
    ASSERT_TRUE(Set("x*", regex));
    At(2, 0);
    std::string seen;
    for (int i = 0; i < 3 && FindNext(); i++)
        seen += Selected() + " ";
    EXPECT_EQ("2:1-1 2:2-3 3:0-0 ", seen);

    // Ignoring case folds letters, not ranges: [A-z] still holds "_", [_-a] is no fault.
    At(1, 0);
    for (const char *pattern : {"^i[a-z]+ ", "A[A-z]B", "[_-a]_", "X\\[Y"}) {
        SCOPED_TRACE(pattern);
        ASSERT_TRUE(Set(pattern, regex | kFindIgnoreCase));
        At(1, 0);
        EXPECT_TRUE(FindNext());
    }
    EXPECT_EQ("4:0-3", Selected());
    ASSERT_TRUE(Set("[_-a]_", regex | kFindIgnoreCase));
    At(1, 0);
    EXPECT_EQ("3:4-6", Next());   // "a_": "a" lies in [_-a]
    EXPECT_TRUE(ui.boxes.empty());

    // A NUL byte in a line ends the text an expression sees.
    Doc("abxcbx\nc", "ZERO.TXT");
    ReplaceLine(g_editor->doc, 0, std::string("ab\0cb", 5));
    ASSERT_TRUE(Set("b.*", regex));
    EXPECT_EQ("1:1-2", Next());
    ASSERT_TRUE(Set("c", regex));
    At(1, 0);
    EXPECT_EQ("2:0-1", Next());
    At(1, 5);
    EXPECT_EQ("none", Previous());
    ASSERT_TRUE(Set("b", regex));
    At(1, 5);
    EXPECT_EQ("1:1-2", Previous());
}

// An expression that backtracks without end on a line stops the search and says where; the
// text is not called a bad expression, for it compiled.
TEST_F(SearchTest, AnExpressionThatTakesTooLongStopsTheSearch) {
    Doc("aac\n" + std::string(60, 'a') + "b c\naac", "SLOW.TXT");
    ASSERT_TRUE(Set("(a|aa)*c", kFindCurrentWindow | kFindRegex | kFindForwards, "x"));
    At(1, 3);
    EXPECT_FALSE(FindNext());
    ASSERT_EQ(1u, ui.boxes.size());
    const std::string &text = ui.boxes[0].text;
    EXPECT_EQ(0u, text.find("The search was stopped: the expression takes too long on line 2 of ")) << text;
    EXPECT_NE(std::string::npos, text.find("slow.txt")) << text;
    EXPECT_EQ("none", Selected());
    // A replace stops at that line too: what came before it is replaced, nothing after.
    At(1, 0);
    EXPECT_EQ(1, ReplaceAll());
    EXPECT_EQ("x\n" + std::string(60, 'a') + "b c\naac", Text());
    EXPECT_EQ(2u, ui.boxes.size());
}

TEST_F(SearchTest, LongReplacesAreUndoneExactly) {
    // A match longer than the search text comes back whole.
    std::string line(200, 'a');
    Doc(line);
    ASSERT_TRUE(Set("a+", kFindCurrentWindow | kFindRegex | kFindForwards, "b"));
    EXPECT_EQ(1, ReplaceAll());
    Undo();
    EXPECT_EQ(line, Text());

    // Replaces of more than the journal holds: each Undo takes back the newest group only.
    std::string text;
    for (int i = 0; i < 300; i++)
        text += "ab\n";
    for (int i = 0; i < 256; i++)
        text += "cd\n";
    Doc(text + "end", "LONG.TXT");
    ASSERT_TRUE(Set("ab", kForwards, "x"));
    EXPECT_EQ(300, ReplaceAll());
    Undo();
    ASSERT_TRUE(Set("cd", kForwards, "y"));
    EXPECT_EQ(256, ReplaceAll());
    Undo();
    Lines lines = LinesOf(g_editor->doc);
    EXPECT_EQ("y", lines[300]);        // the first group of the second replace stays
    EXPECT_EQ("cd", lines[555]);       // its last group was taken back
    EXPECT_TRUE(ui.boxes.empty());
}

TEST_F(SearchTest, CancelEndsAReplaceOverAllWindowsAndByFunctionTakesTheWholeFunction) {
    Document *a = Doc("x x", "A.TXT");
    Document *b = Doc("x", "B.TXT");
    MakeCurrent(FirstViewOf(a));
    ASSERT_TRUE(Set("x", kFindAllWindows | kFindExact | kFindForwards | kFindConfirm, "y"));
    ui.replaceAnswers = {kReplaceYes, kReplaceCancel, kReplaceYes};
    EXPECT_EQ(1, ReplaceAll());
    EXPECT_EQ(2, ui.replaceQuestions);
    EXPECT_EQ(Lines{"x"}, LinesOf(b));

    // A replacement that would make a line too long leaves the line as it was.
    Doc("aa", "W.TXT");
    At(1, 1);
    InsertChars(32700, 'x');
    std::string wide = Text();
    ASSERT_TRUE(Set("a", kForwards, std::string(128, 'b').c_str()));
    GotoTop();
    EXPECT_EQ(0, ReplaceAll());
    EXPECT_EQ(wide, Text());
    EXPECT_EQ("Line too long!", ui.Texts().back());

    Doc("int\nint\nint\nint\nint", "F.TXT");
    SearchRequest request = {"int", "long", kFindCurrentWindow | kFindExact | kFindForwards | kFindByFunction, 2, 4};
    ASSERT_TRUE(AcceptSearchRequest(request));
    At(5, 0);   // below the function
    EXPECT_EQ(3, ReplaceAll());
    EXPECT_EQ("int\nlong\nlong\nlong\nint", Text());
}
