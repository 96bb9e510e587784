// The C function scan: which definitions it finds and the lines it gives them.
#include <gtest/gtest.h>

#include "browse/Functions.h"
#include "browse/NameSet.h"
#include "browse/ScanCursor.h"
#include "editor/DocumentTestSupport.h"
#include "editor/EditorHooks.h"
#include "editor/Language.h"

namespace {

class FunctionScanTest : public LanguageDocumentTest {
protected:
    // "name def start:col end" for each function of `text` opened as a C file.
    std::string Scan(const std::string &text, const char *file = "T.C") {
        Document *doc = OpenFile(file, text);
        if (!doc)
            return "not opened";
        EnsureBrowseInfo();
        std::string out;
        for (const FunctionEntry *f = FunctionList(doc); f; f = f->next) {
            char buffer[200];
            snprintf(buffer, sizeof buffer, "%s%s %ld %ld:%d %ld", out.empty() ? "" : "; ", f->name,
                     f->definitionLine, LineNumberOf(doc, f->startLine), f->startColumn, f->endLine);
            out += buffer;
        }
        return out;
    }
};

TEST_F(FunctionScanTest, FindsDefinitionsAndTheirLines) {
    struct Case { const char *text, *functions; } cases[] = {
        {"int f(a) int a; { }\n", "f 1 1:1 1"},
        {"x = f(a) + 1;\ny = g(b) ? 1 : 2;\n", ""},
        {"static char *\nfoo (int x)\n{\n}\n", "foo 2 1:1 4"},
        {"int A::b(int)\n{\n}\n", "A::b 1 1:1 3"},
        {"int\nf(int a,\n  int b)\n{\n}\n", "f 2 1:1 5"},
        {"int f(a, b)\n/* old */ int a;\nchar *b;\n{\n}\n", "f 1 1:1 5"},
        {"int f(a) int a; = 3;\nint g(void) {}\n", "g 2 2:1 2"},
        {"__declspec(dllexport) int g(void) { h(1); }\n", "g 1 1:23 1"},
        {"#define M(x) (x) {\nint g(void)\n{\n}\n", "g 2 2:1 4"},
        {"#define M(x) \\\n  (x) {\nint g(void) {}\n", "g 3 3:1 3"},
        {"char *s = \"({\";\nchar c = '{', d = '\\'', e = '\\x7b';\nint g(void) {}\n", "g 3 3:1 3"},
        {"char *s = \"a\\\n{\";\nint g(void) {}\n", "g 3 3:1 3"},
        {"/* int h(void) {\n */ int g(void) {}\n// k() {\n", "g 2 2:5 2"},
        {"struct s x = { f(1), 2 };\nint g(void) { }\n", "g 2 2:1 2"},
        {"int a(void)\n{\n}\nint b(void)\n{\n  if (x) { y(); }\n}\n", "a 1 1:1 3; b 4 4:1 7"},
        {"int f(void);\nint f(void)\n{\n}\n", "f 2 2:1 4"},
        {"\n\nint g(void)\n\n{\n}\n", "g 3 3:1 6"},
        {"uint32_t crc(int n) {}\n", "crc 1 1:1 1"},
        {"int f(void)\n{\n  x;\n", "f 1 1:1 3"},
        {"int f(void)\n{\n}\nstruct s {\n", "f 1 1:1 3"},
        {"int (*p)(int) = 0;\n(x) { }\n", ""},
        // Of a conditional only the first branch counts, and none of an #if 0.
        {"#ifdef X\nint f(int a)\n{\n#else\nint f(long a)\n{\n#endif\n  return 0;\n}\nint g(void) {}\n",
         "f 2 2:1 9; g 10 10:1 10"},
        {"#if 0\nint f(void) {}\n#elif Y\nint h(void) {}\n#else\nint k(void) {}\n#endif\n", "h 4 4:1 4"},
        {"#if 0 /* x */\n#if 1\nint f(void) {}\n#else\n#endif\n#else\nint k(void) {}\n#endif\n", "k 7 7:1 7"},
        {"#if 01\nint f(void) {}\n#endif\n", "f 2 2:1 2"},
        // Comments, strings and character constants end where the scan resumes.
        {"x = a / b;\nint g(void) {}\n", "g 2 2:1 2"},
        {"int k; /* open {\nint g(void) {}\n", ""},
        {"char *s = \"a\\\"{\", *t = \"ab{\nint g(void) {}\n", "g 2 2:1 2"},   // a line end ends a string
        {"char c = '\\012', d = '\\\\';\nint g(void) {}\n", "g 2 2:1 2"},
        {"#define A /* c */ \\\n  {\nint g(void) {}\n", "g 3 3:1 3"},
    };
    int n = 0;
    for (const Case &c : cases)
        EXPECT_EQ(c.functions, Scan(c.text, ("T" + std::to_string(n++) + ".C").c_str())) << c.text;
}

TEST_F(FunctionScanTest, TheListIsKeptUntilTheDocumentChanges) {
    Document *doc = OpenFile("T.C", "int f(void) {}\n");
    ASSERT_NE(nullptr, doc);
    EXPECT_EQ(0, FunctionCount(doc));   // no hook: none
    g_editorHooks.functionCount = CountFunctions;
    EXPECT_EQ(1, FunctionCount(doc));
    EXPECT_TRUE(doc->flags & kDocFunctionsValid);
    ReplaceLine(doc, 0, "int f(void) {} int g(void) {}");
    EXPECT_EQ(1, FunctionCount(doc));
    DocumentChanged(doc);
    EXPECT_EQ(2, FunctionCount(doc));
    ASSERT_NE(nullptr, FindFunction("g"));
    EXPECT_EQ(g_browse->currentFunction, FindFunction("g"));
    EXPECT_EQ(nullptr, FindFunction("G"));
    EXPECT_EQ(nullptr, FindFunction("h"));

    // No scan for an unknown language or a document without a file.
    EXPECT_EQ(0, CountFunctions(OpenFile("T.XYZ", "int f(void) {}\n")));
    OpenFile("T.E", "int f(void) {}\n");
    EXPECT_FALSE(EnsureBrowseInfo());
    EXPECT_TRUE(g_editor->doc->flags & kDocFunctionsValid);
    ReleaseFunctions(doc);
    EXPECT_EQ(nullptr, FunctionList(doc));
    EXPECT_FALSE(doc->flags & kDocFunctionsValid);
}

TEST(NameSetTest, HashesAndHoldsNames) {
    EXPECT_EQ(1, NameHash("\xff"));   // a signed character: -1 mod 13 is -1, not a bucket
    NameSet *set = NewNameSet();
    ASSERT_NE(nullptr, set);
    EXPECT_TRUE(AddName(set, "main"));
    EXPECT_TRUE(AddName(set, "mainly"));
    EXPECT_FALSE(AddName(set, "main"));
    EXPECT_TRUE(HasName(set, "main"));
    EXPECT_FALSE(HasName(set, "mai"));
    EXPECT_EQ(2, NameCount(set));
    FreeNameSet(set);

    for (const char *word : {"const", "sizeof", "while", "struct"})
        EXPECT_TRUE(IsScannerKeyword(word)) << word;
    for (const char *word : {"Const", "main", "", "sizeo"})
        EXPECT_FALSE(IsScannerKeyword(word)) << word;
}

} // namespace
