// The balance checks before saving: each problem found at its line, and what they pass over.
#include <string>

#include "base/Messages.h"
#include "browse/SyntaxCheck.h"
#include "editor/DocumentTestSupport.h"

namespace {

using SyntaxCheckTest = DocumentTest;

TEST_F(SyntaxCheckTest, CSourcesAreCheckedForBalance) {
    // The message with P for the path; null when the text passes.
    struct Case { const char *text, *message; } cases[] = {
        {"int f(void)\n{\n    for (i = 0; i < n; i++)\n        g(\"}{)\", '(', '\\'');\n}\n", nullptr},
        {"/* { ( */\n// ) }\n#if A\nint x;\n#endif\n", nullptr},
        {"int f()\n{\n    g(a; b);\n}\n", "P: Syntax error line 3"},
        {"int f()\n{\n    s = \"open;\n}\n", "P: unfinished string line 3"},
        {"int c = 'abcdefghijk';\n", "P: incorrect char constant line 1"},
        {"x = f(a));\n", "P: too many ')' at line 1"},
        {"x = a[1]];\n", "P: too many ']' at line 1"},
        {"}\n", "P: too many } at line 1"},
        {"int f(\nint a\n{\n", "P: Mismatched () after line 1"},
        {"int f()\n{\n  if (a) {\n", "P: mismatched { } after line 3"},
        {"#endif\n", "#endif without matching #if line 1"},
        {"#ifdef A\n#if B\n#endif\n", "P: #if without matching #endif line 1"},
    };
    int number = 0;
    for (const Case &c : cases) {
        SCOPED_TRACE(c.text);
        Document *doc = OpenFile("T" + std::to_string(++number) + ".C", c.text);
        ASSERT_TRUE(doc);
        EXPECT_EQ(c.message == nullptr, CheckCSource(doc));
        if (c.message) {
            std::string expected = c.message;
            if (expected[0] == 'P')
                expected.replace(0, 1, doc->path);
            EXPECT_EQ(expected, g_scratch ? g_scratch : "");
        }
    }
}

TEST_F(SyntaxCheckTest, EiffelSourcesToo) {
    Document *doc = OpenFile("T.E", "feature f is -- a ( comment\n do print(\"x\") end\n");
    EXPECT_TRUE(CheckEiffelSource(doc));
    doc = OpenFile("U.E", "f is\n do print((1) end\n");
    EXPECT_FALSE(CheckEiffelSource(doc));
    EXPECT_EQ(std::string(doc->path) + ": Mismatched () after line 2", g_scratch);
}

} // namespace
