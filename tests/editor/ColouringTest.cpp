// Which stretches of a line get which colour.
#include "editor/Colouring.h"
#include "editor/CommentScan.h"
#include "editor/CommentSpans.h"
#include "editor/DocumentTestSupport.h"
#include "editor/Editing.h"
#include "editor/Language.h"

namespace {

class ColouringTest : public LanguageDocumentTest {
protected:
    // The line as "text[kind]" pieces: K keyword, C comment, M magenta, B breakpoint, T text.
    static std::string Pieces(const Language *language, const std::string &text) {
        ColourRun runs[kMaxColourRuns];
        int n = ColourStretch(language, true, text.data(), static_cast<int>(text.size()), runs, kMaxColourRuns);
        return Describe(text, runs, n);
    }
    static std::string Describe(const std::string &text, const ColourRun *runs, int n) {
        static const char kinds[] = "TKCMB";
        std::string out;
        for (int i = 0; i < n; i++)
            out += text.substr(runs[i].start, runs[i].length) + "[" + kinds[runs[i].kind] + "]";
        return out;
    }
};

} // namespace

TEST_F(ColouringTest, CWordsStringsDirectivesAndFortran) {
    const Language *c = FindLanguage("C Language");
    ASSERT_TRUE(c);
    EXPECT_EQ("int[K](x);[T]", Pieces(c, "int(x);"));
    EXPECT_EQ("intx = 1;[T]", Pieces(c, "intx = 1;"));
    EXPECT_EQ("s = \"int while\";[T]", Pieces(c, "s = \"int while\";"));
    EXPECT_EQ("\t[T]return[K] 'i';[T]", Pieces(c, "\treturn 'i';"));
    EXPECT_EQ("#  define[K] X 1[T]", Pieces(c, "#  define X 1"));
    EXPECT_EQ("# defin X[T]", Pieces(c, "# defin X"));
    EXPECT_EQ("  [T]#if[K] int[T]", Pieces(c, "  #if int"));   // nothing else on a directive line
    EXPECT_EQ("my_int = [T]sizeof[K] a;[T]", Pieces(c, "my_int = sizeof a;"));
    EXPECT_EQ("a = \"esc\\\"aped int\" + 2; [T]for[K]", Pieces(c, "a = \"esc\\\"aped int\" + 2; for"));
    EXPECT_EQ("x1int = 0;[T]", Pieces(c, "x1int = 0;"));
    EXPECT_EQ("x[T]", Pieces(nullptr, "x"));
    EXPECT_TRUE(IsDirective("ifdef", 5));
    EXPECT_FALSE(IsDirective("ifdefx", 6));

    // Fortran: the continuation mark in column 6, keywords in capitals.
    const Language *fortran = FindLanguage("Fortran");
    ASSERT_TRUE(fortran);
    EXPECT_EQ("     [T]&[M] X[T]", Pieces(fortran, "     & X"));
    EXPECT_EQ("      [T]IF[K] (X) [T]GOTO[K] 10[T]", Pieces(fortran, "      IF (X) GOTO 10"));
    EXPECT_EQ("    & X[T]", Pieces(fortran, "    & X"));   // four blanks: no mark
}

TEST_F(ColouringTest, CommentSpansAndBreakpointsOfALine) {
    Document *doc = OpenFile("A.C", "int a; /* one\nint two */ int b;\nint c; // end\n");
    ASSERT_TRUE(doc->language);
    Line *one = FirstLine(doc), *two = one->next, *three = two->next;
    CommentSpan block = {nullptr, nullptr, one, two, 7, 9, 0};
    CommentSpan slashes = {nullptr, nullptr, three, three, 7, 12, 0};
    block.next = &slashes;
    doc->comments = &block;
    ColourRun runs[kMaxColourRuns];
    auto line = [&](Line *l) {
        int n = ColourLine(doc, l, true, false, runs, kMaxColourRuns);
        return Describe(std::string(l->text, l->length), runs, n);
    };
    EXPECT_EQ("int[K] a; [T]/* one[C]", line(one));
    EXPECT_EQ("int two */[C] [T]int[K] b;[T]", line(two));
    EXPECT_EQ("int[K] c; [T]// end[C]", line(three));
    three->flags |= kLineBreakpoint;
    EXPECT_EQ("int c; // end[B]", line(three));
    EXPECT_EQ(3, ColourLine(doc, three, true, true, runs, kMaxColourRuns));   // debugging: coloured as usual
    doc->comments = nullptr;
    // No room for every run: the last one takes the rest.
    EXPECT_EQ(2, ColourLine(doc, two, true, false, runs, 2));
    EXPECT_EQ(two->length, runs[1].start + runs[1].length);
}

namespace {

std::string Span(long first, const CommentSpan *span, long last) {
    return std::to_string(first) + ":" + std::to_string(span->firstColumn) + "-" + std::to_string(last) + ":" +
           std::to_string(span->lastColumn) + " ";
}

// The spans as "first line:column-last line:column" with lines counted from 1.
std::string Spans(const Document *doc) {
    std::string out;
    for (const CommentSpan *span = doc->comments; span; span = span->next)
        out += Span(LineNumberOf(doc, span->firstLine), span, LineNumberOf(doc, span->lastLine));
    return out;
}

} // namespace

TEST_F(ColouringTest, CommentSpansOfEachLanguage) {
    Document *c = OpenFile("S.C", "int a; /* one\n two\n three */ int b;\n"
                                  "s = \"/* no */\"; c = '\"'; // end \\\n"
                                  "still comment\nx = 1; // done\n");
    ASSERT_TRUE(BuildCommentSpans(c));
    EXPECT_EQ("1:7-3:8 4:25-5:12 6:7-6:13 ", Spans(c));
    EXPECT_TRUE(c->flags & kDocCommentsValid);   // typing drops it: the two tests below

    Document *fortran = OpenFile("F.FOR", "C comment\n      X = 1\n* star\n10    CONTINUE\n");
    BuildCommentSpans(fortran);
    EXPECT_EQ("1:0-1:8 3:0-3:5 ", Spans(fortran));
    Document *pascalDoc = OpenFile("P.PAS", "x := 'a{b'; { one\ntwo } (* three *)\n");
    BuildCommentSpans(pascalDoc);
    EXPECT_EQ("1:12-2:4 2:6-2:16 ", Spans(pascalDoc));
    Document *eiffel = OpenFile("E.E", "x := \"--\" -- note\n'-' -- two\n");
    BuildCommentSpans(eiffel);
    EXPECT_EQ("1:10-1:16 2:4-2:9 ", Spans(eiffel));
    // The language follows the extension: C++ is C, a text file has none.
    OpenFile("B.CPP", "x\n");
    EXPECT_STREQ("C Language", g_editor->doc->language->name);
    EXPECT_TRUE(g_editor->doc->flags & kDocCSource);
    OpenFile("C.TXT", "x\n");
    EXPECT_EQ(nullptr, g_editor->doc->language);
}

TEST_F(ColouringTest, TypingScansOnlyAsFarAsTheCommentsChangedAndABrokenCountGivesUp) {
    Document *doc = OpenFile("T.C", "/* a\nb\nc */\nint d;\nint e;\n");
    ASSERT_TRUE(BuildCommentSpans(doc));
    long first = 0, end = 0;
    GotoPosition(2, 1);   // inside the comment, at the end of its line
    InsertChars(1, 'x');
    BuildCommentSpans(doc);
    LastScannedLines(&first, &end);
    EXPECT_EQ(1, first);
    EXPECT_EQ(2, end);
    EXPECT_EQ("1:0-3:3 ", Spans(doc));
    GotoPosition(4, 0);   // an opener: everything below becomes comment
    InsertChars(1, '/');
    InsertChars(1, '*');
    BuildCommentSpans(doc);
    LastScannedLines(&first, &end);
    EXPECT_EQ(3, first);
    EXPECT_EQ(doc->lineCount, end);
    EXPECT_EQ("1:0-3:3 4:0-5:5 ", Spans(doc));

    // A line count that has gone wrong cannot make the scan run on: it gives up and says so,
    // once, not on every paint.
    doc = OpenFile("I.C", "a /* b */\nc\n");
    doc->lineCount = -99;
    InvalidateCommentSpans(doc);
    EXPECT_FALSE(BuildCommentSpans(doc));
    EXPECT_EQ("InternalError 1050", ui.Texts().back());
    EXPECT_EQ(nullptr, doc->comments);
    EXPECT_TRUE(doc->flags & kDocCommentsValid);
    doc->lineCount = 2;
}

// After any run of edits, rebuilding only between the changed lines must give the same spans
// as scanning the whole text again.
TEST_F(ColouringTest, RebuildingBetweenChangedLinesMatchesAFullScan) {
    const char *alphabet = "ab /*/*\"'\\(*){}-";
    const char *starts[] = {"int a; /* one\n two */ x\n// line \\\nmore\ns = \"/*\";\n/* open\n",
                            "x := 1; { a\nb } (* c *)\n'{' y\n",
                            // Long comments: changes inside them, just after and before their ends.
                            "/* a\nb\nc\nd\ne */ x /* f\ng\nh\n*/\n// i \\\nj \\\nk\nl\n/* m\nn\no\n"};
    const char *extensions[] = {".C", ".PAS", ".C"};
    for (int d = 0; d < 3; d++) {
        for (unsigned seed = 1; seed <= 200; seed++) {
            srand(seed);
            std::string name = "R" + std::to_string(seed) + extensions[d];
            Document *doc = OpenFile(name, starts[d]);
            ASSERT_NE(nullptr, doc);
            g_editor->view->visibleRows = 20;
            BuildCommentSpans(doc);
            for (int step = 0; step < 60; step++) {
                for (int edits = 1 + rand() % 4; edits > 0; edits--) {
                    GotoPosition(1 + rand() % (doc->lineCount + 1), rand() % 12);
                    switch (rand() % 5) {
                    case 0: DeleteChars(1 + rand() % 3, false); break;
                    case 1: Backspace(1); break;
                    case 2: SplitLine(); break;
                    default: InsertChars(1, alphabet[rand() % strlen(alphabet)]); break;
                    }
                }
                // A change the hook let pass must not have moved a comment either.
                if (!(doc->flags & kDocCommentsValid))
                    BuildCommentSpans(doc);
                std::string partial = Spans(doc);
                // The line numbers the display finds the spans by are those of their lines.
                std::vector<SpanOnRows> indexed;
                ASSERT_TRUE(CommentSpansBetween(doc, 0, doc->lineCount, indexed)) << name << " step " << step;
                std::string numbered;
                for (const SpanOnRows &s : indexed)
                    numbered += Span(s.first + 1, s.span, s.last + 1);
                ASSERT_EQ(partial, numbered) << name << " step " << step;
                InvalidateCommentSpans(doc);
                BuildCommentSpans(doc);
                ASSERT_EQ(Spans(doc), partial) << name << " step " << step;
                ASSERT_TRUE(ui.boxes.empty());
            }
        }
    }
}
