// The C function scan: which definitions it finds and the lines it gives them.
#include <gtest/gtest.h>

#include "browse/Functions.h"
#include "browse/NameSet.h"
#include "browse/ScanCursor.h"
#include "editor/DocumentTestSupport.h"
#include "editor/EditorHooks.h"
#include "editor/Language.h"
#include "ui/OutputWindow.h"

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
            EXPECT_EQ(LineNumberOf(doc, f->startLine), f->startLineNumber) << f->name;
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

TEST_F(FunctionScanTest, ReadsAssemblerFortranAndPascalRoutines) {
    struct Case { const char *file, *text, *functions; } cases[] = {
        // Names are the upper-cased words before PROC; comments are cut, a word may end a line.
        {"A1.ASM", "Main PROC near ; entry\n  ret\nMain ENDP\n\nWndProc proc hWin:DWORD\nWndProc endp ; x\n",
         "MAIN 1 1:0 3; WNDPROC 5 5:0 6"},
        {"A2.ASM", "PROCESS PROC\nPROCESS ENDP\n", "PROCESS 1 1:0 2"},
        {"A3.ASM", "; Foo PROC x\nFoo PROC x\nBar PROC y\nFoo ENDP\n", "FOO 2 2:0 4"},
        // Comment lines, labels, END IF, ENDIF and words holding END do not end a routine.
        {"F1.F",
         "C     PROGRAM COMMENTED\n      PROGRAM MAIN\n      IF (X) THEN\n      ENDIF\n      END IF\n"
         "      CALL APPEND (X)\n      END\n      subroutine sub1(a, b)\n 100  END\n*     SUBROUTINE NOPE\n"
         "      SUBROUTINE OPEN\n      X = 1\n",
         "MAIN 2 2:14 7; SUB1 8 8:17 9; OPEN 11 11:17 12"},
        {"F2.F", "      X = PROGRAMS + 1\n      CALL SUBROUTINEX\n", ""},
        // Only after "implementation"; no external or forward declaration; case, record and
        // try blocks, strings and comments do not end a routine; nested routines.
        {"P1.PAS",
         "unit U;\ninterface\nprocedure Hidden;\nimplementation\nprocedure Ext; external 'x.dll';\n"
         "procedure Fwd; forward;\nfunction TFoo.Bar(x: Integer): Integer;\nvar r: record a: Integer; end;\n"
         "begin\n  case x of 1: begin end; end;\n  s := 'end'; { end } (* begin *) // end\n"
         "  try Friend := 1; finally end;\nend;\nprocedure Outer;\n  procedure Inner; begin end;\n"
         "begin\nend;\nprocedure Fwd;\nbegin\n",
         "TFoo.Bar 7 7:9 13; Outer 14 14:10 17; Inner 15 15:12 15; Fwd 18 18:10 19"},
        // A method declared in a class type has no body: it ends on its header.
        {"P2.PAS", "program P;\ntype TFoo = class\n  procedure Bar;\nend;\nprocedure TFoo.Bar;\nbegin\nend;\nbegin\nend.\n",
         "Bar 3 3:12 3; TFoo.Bar 5 5:10 7"},
        {"P3.PAS", "procedure NotYet; begin end;\nprogram P;\ntype F = function(x: Integer): Integer;\n", ""},
    };
    for (const Case &c : cases)
        EXPECT_EQ(c.functions, Scan(c.text, c.file)) << c.file;

    // Blocks deeper than the levels whose kind is kept still count.
    std::string deep = "program P;\nprocedure Deep;\nbegin\n";
    for (int i = 0; i < 60; i++)
        deep += "BEGIN ";
    deep += "\n";
    for (int i = 0; i < 60; i++)
        deep += "END; ";
    EXPECT_EQ("Deep 2 2:10 6; After 7 7:10 7", Scan(deep + "\nend;\nprocedure After; begin end;\n", "P4.PAS"));
}

TEST_F(FunctionScanTest, PatternScanOfAnyLanguageReportsWhatItCannotFinish) {
    int lines = OutputLineCount();
    EXPECT_EQ("AB 1 1:0 3", Scan("Ab PROC x\n ret\n ret\n", "OPEN.ASM"));
    ASSERT_EQ(lines + 1, OutputLineCount());
    EXPECT_EQ(std::string(g_editor->doc->path) + ": open function definition", OutputLine(lines));

    // Without an end pattern a function ends on the line before the next; the language's case
    // counts, and a comment character inside quotes is text.
    Language *macro = AddLanguage("Macro");
    ASSERT_NE(nullptr, macro);
    SetLanguageText(&macro->extensions, "MAC");
    SetLanguageText(&macro->startPattern, "^macro[ \t]");
    SetLanguageText(&macro->commentChars, ";");
    EXPECT_EQ("one 1 1:0 2; 'a;b' two 3 3:0 4", Scan("macro one ; c\n  x\nmacro 'a;b' two\nMACRO three\n", "T.MAC"));
    EXPECT_EQ(lines + 1, OutputLineCount());

    SetLanguageText(&macro->startPattern, "^(macro");
    EXPECT_EQ("", Scan("macro one\n", "U.MAC"));
    ASSERT_EQ(lines + 2, OutputLineCount());
    EXPECT_NE(nullptr, strstr(OutputLine(lines + 1), "^(macro"));
    SetLanguageText(&macro->startPattern, nullptr);
    EXPECT_EQ("", Scan("macro one\n", "V.MAC"));
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
