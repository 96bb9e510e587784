// What the cursor's position answers: the partner F11 goes to, the function it is in, and the
// position text that names it. F11 moving the cursor, as the user meets it, is BrowseAppTest's.
#include <gtest/gtest.h>

#include "browse/Brackets.h"
#include "browse/Functions.h"
#include "editor/Display.h"
#include "editor/DocumentTestSupport.h"
#include "editor/Editing.h"
#include "editor/EditorHooks.h"

namespace {

class CursorQueriesTest : public LanguageDocumentTest {};

TEST_F(CursorQueriesTest, MatchingPartners) {
    struct Case {
        const char *text;
        long line;
        int column;
        long partnerLine;   // 0: no partner
        int partnerColumn;
    } cases[] = {
        {"f(a[1], (b))\n", 1, 1, 1, 11},
        {"f(a[1], (b))\n", 1, 3, 1, 5},
        {"f(a[1], (b))\n", 1, 11, 1, 1},
        {"{\n  s = \"}\";\n  c = '}'; /* } */\n  // }\n#define X }\n}\n", 1, 0, 6, 0},
        {"{\n  s = \"}\";\n  c = '}'; /* } */\n  // }\n#define X }\n}\n", 6, 0, 1, 0},
        {"{ /* {\n  */ }\n", 2, 5, 1, 0},
        {"{ a; }\n", 1, 2, 1, 0},     // not a bracket: the brace to the right, then its partner
        {"a + b;\n", 1, 0, 0, 0},
        {"{\n", 1, 0, 0, 0},          // the document ends first
        {"}\n", 1, 0, 0, 0},
        {"s = \"a\\\"b\" + 1;\n", 1, 4, 1, 9},
        {"/* a\n b */ x;\n", 1, 0, 2, 4},
        {"/* a\n b */ x;\n", 2, 4, 1, 0},
        {"x; // a \\\n b\n", 1, 3, 2, 1},
        {"#ifdef A\n#if B\n#endif\n  #  endif\n", 1, 3, 4, 2},
        {"#ifdef A\n#if B\n#endif\n  #  endif\n", 4, 0, 1, 0},
        {"#if A\n#endiffoo\n", 1, 0, 0, 0},   // not an #endif; the document ends first
    };
    int n = 0;
    for (const Case &c : cases) {
        Document *doc = OpenFile(("T" + std::to_string(n++) + ".C").c_str(), c.text);
        ASSERT_NE(nullptr, doc);
        TextPosition partner = {nullptr, 0, 0};
        bool found = MatchingPosition(doc, {LineAt(doc, c.line - 1), c.line, c.column}, &partner);
        EXPECT_EQ(c.partnerLine != 0, found) << c.text << " at " << c.line << ":" << c.column;
        if (found && c.partnerLine) {
            EXPECT_EQ(c.partnerLine, partner.number) << c.text;
            EXPECT_EQ(c.partnerColumn, partner.column) << c.text;
            EXPECT_EQ(LineAt(doc, c.partnerLine - 1), partner.line) << c.text;
        }
    }
}

TEST_F(CursorQueriesTest, FunctionAtALineAndInThePositionText) {
    Document *doc = OpenFile("T.C", "static char *\nfoo (int x)\n{\n  x++;\n}\nint y;\nint g(void) { }\n");
    ASSERT_NE(nullptr, doc);
    const char *expected[] = {nullptr, "foo", "foo", "foo", "foo", nullptr, "g"};
    for (long n = 1; n <= 7; n++) {
        const FunctionEntry *f = FunctionAtLine(doc, LineAt(doc, n - 1), n);
        EXPECT_STREQ(expected[n - 1], f ? f->name : nullptr) << "line " << n;
    }

    char text[80];
    PositionText(g_editor->view, text, sizeof text);
    EXPECT_STREQ("1:1", text);   // without the hook no name
    // With it (the name in the display is BrowseAppTest's): after an edit no name and no scan
    // while the cursor stays on its line; on another line the document is scanned again.
    g_editorHooks.functionAt = FunctionNameAt;
    GotoPosition(4, 2);
    InsertChars(1, 'y');
    PositionText(g_editor->view, text, sizeof text);
    EXPECT_STREQ("4:4 *", text);
    EXPECT_FALSE(doc->flags & kDocFunctionsValid);
    GotoPosition(7, 14);
    PositionText(g_editor->view, text, sizeof text);
    EXPECT_STREQ("g 7:15 *", text);

    // The lines "By function" gets: from the declaration's first line to the closing brace.
    char name[8];
    long first = 0, last = 0;
    ASSERT_TRUE(FunctionLinesAt(doc, 0, name, sizeof name, &first, &last));
    EXPECT_EQ("foo 1-5", std::string(name) + " " + std::to_string(first) + "-" + std::to_string(last));
    EXPECT_FALSE(FunctionLinesAt(doc, 2, name, sizeof name, &first, &last));
}

TEST_F(CursorQueriesTest, LocateFunctionSearchesTheOpenDocumentsInOrder) {
    Document *first = OpenFile("A.C", "int f(void) {}\n");
    Document *second = OpenFile("B.C", "int x;\n\nint g(void)\n{\n}\n");
    ASSERT_TRUE(first && second);
    EXPECT_EQ(nullptr, LocateScannedFunction("g"));   // nothing scanned yet
    EXPECT_EQ(second, LocateFunction("g", false));
    EXPECT_EQ(second, LocateScannedFunction("g"));
    EXPECT_EQ(nullptr, LocateFunction("h", false));
    EXPECT_EQ(first, LocateFunction("f", true));
    EXPECT_EQ(first, g_editor->doc);
    EXPECT_EQ(1, CurrentLineNumber());
    EXPECT_EQ(second, LocateFunction("g", true));
    EXPECT_EQ(second, g_editor->doc);
    EXPECT_EQ(3, CurrentLineNumber());
}

} // namespace
