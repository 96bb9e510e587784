// Results lines: the three diagnostic forms, wrapping and joining, and make's progress texts.
#include <string>
#include <vector>

#include "project/Diagnostics.h"
#include "support/TestSupport.h"

namespace {

TEST(DiagnosticsTest, LineForms) {
    struct Case { std::string text; bool eiffel; std::string expected; };   // "file|line|message", "" for none
    const std::string name511(511, 'a'), name512(512, 'a');
    const Case cases[] = {
        {"Error c:\\src\\main.c: 12  undeclared identifier 'x'", false,
         "C:\\SRC\\MAIN.C|12|[12]:undeclared identifier 'x'"},
        {"Warning W8057 d:\\a\\b.c 7: unused", false, "D:\\A\\B.C|7|[7]:unused"},
        {"cpp x.c: 3:  bad", false, "X.C|3|[3]:bad"},
        {"CPP E1 c:\\x.c 3: m", false, ""},           // only Warning and Error name a drive later
        {"Error c:\\x.c: 0 zero", false, ""},
        {"Error c:\\x.c:       1 far", false, ""},    // the number lies beyond six characters
        {"Errors c:\\x.c: 1 m", false, ""},
        {"main.c(12) : error C2065: 'x' : undeclared identifier", false,
         "MAIN.C|12|error 'x' : undeclared identifier"},
        {"lib\\a-b_c.h (0):: warning W1  w", false, "LIB\\A-B_C.H|0|warning w"},
        {"main.c(12) : errors x", false, ""},
        {"main.c() : error x y", false, ""},
        {name511 + "(5): error E: m", false, std::string(511, 'A') + "|5|error m"},
        {name512 + "(5): error E: m", false, ""},
        {"Line 12 in make (.\\root.e) bad", true, "C:\\PROJ\\ROOT.E|12|Line 12 in make (.\\root.e) bad"},
        {"line\t 0 (d:\\x.e)", true, "D:\\X.E|0|line\t 0 (d:\\x.e)"},
        {"Line 3 no file", true, ""},
        {"Line 3 (unclosed", true, ""},
        {"Error c:\\x.c: 1 m", true, ""},             // an Eiffel project reads only its own form
    };
    for (const Case &c : cases) {
        Diagnostic d;
        bool parsed = ParseDiagnostic(c.text, c.eiffel, "c:\\proj", &d);
        EXPECT_EQ(c.expected, parsed ? d.file + "|" + std::to_string(d.line) + "|" + d.message : "") << c.text;
    }
}

TEST(DiagnosticsTest, WrappedLinesJoinBack) {
    struct Case { size_t width; std::string line; std::vector<size_t> lengths; };
    const std::string a(35, 'a'), b(30, 'b');
    const Case cases[] = {
        {40, "short", {5}},
        {40, a + " " + b, {36, 33}},                       // the blank ends the first line
        {40, a + "(" + b, {35, 34}},                       // "(" starts the next
        {40, std::string(20, 'a') + " " + std::string(40, 'b'), {40, 24}},   // blank before 31
        {50, a + " " + std::string(14, 'c') + "." + b, {50, 3 + 31}},       // blank 15 back
        {50, a + "  " + std::string(13, 'c') + "." + b, {37, 3 + 44}},      // blank 14 back
        {40, std::string(100, 'x'), {40, 40, 3 + 23}},
        {31, std::string(40, 'x'), {31, 3 + 9}},
        {30, std::string(40, 'x'), {40}},                  // only 30 would remain: unwrapped
    };
    for (const Case &c : cases) {
        size_t width = c.width;
        std::vector<std::string> lines = WrapResultLine(c.line, [width](const char *, size_t n) { return n <= width; });
        std::vector<size_t> lengths;
        for (size_t i = 0; i < lines.size(); i++) {
            lengths.push_back(lines[i].size());
            EXPECT_EQ(i > 0, lines[i].compare(0, 3, " + ") == 0) << c.line;
        }
        EXPECT_EQ(c.lengths, lengths) << c.line;
        lines.insert(lines.begin(), "before");
        lines.push_back("after");
        for (size_t i = 1; i + 1 < lines.size(); i++)
            EXPECT_EQ(c.line, JoinWrappedLines(lines, i)) << i;
        EXPECT_EQ("before", JoinWrappedLines(lines, 0));
        EXPECT_EQ("after", JoinWrappedLines(lines, lines.size() - 1));
        EXPECT_EQ("", JoinWrappedLines(lines, lines.size()));
    }
}

TEST(DiagnosticsTest, ProgressLines) {
    ProgressLine progress;
    std::vector<std::string> pieces;
    EXPECT_TRUE(progress.Append("c:\\bdx\\bin\\BDX.EXE", &pieces));
    EXPECT_TRUE(progress.Append("  -c -g2 c:\\demo\\demo.c\r\nmake: x\n\r\nc:\\my", &pieces));
    EXPECT_EQ("c:\\my", progress.Pending());
    EXPECT_TRUE(progress.Append("bdx.exe -c y\n", &pieces));
    EXPECT_EQ((std::vector<std::string>{"-g2 c:\\demo\\demo.c", "make: x", "", "c:\\mybdx.exe -c y"}), pieces);
    EXPECT_EQ("", progress.Pending());

    // Without a line feed a line is kept up to 300 characters, then shown in pieces of 150.
    pieces.clear();
    EXPECT_TRUE(progress.Append(std::string(300, 'x').c_str(), &pieces));
    EXPECT_TRUE(pieces.empty());
    EXPECT_TRUE(progress.Append("y", &pieces));
    EXPECT_EQ((std::vector<std::string>{std::string(150, 'x'), std::string(150, 'x'), "y"}), pieces);

    // The pending line holds 4000 characters; beyond that the text is lost and the line emptied.
    pieces.clear();
    EXPECT_TRUE(progress.Append(std::string(300, 'x').c_str(), &pieces));
    EXPECT_TRUE(progress.Append(std::string(3700, 'x').c_str(), &pieces));
    EXPECT_EQ(27u, pieces.size());
    pieces.clear();
    EXPECT_TRUE(progress.Append(std::string(300, 'x').c_str(), &pieces));
    EXPECT_FALSE(progress.Append(std::string(3701, 'x').c_str(), &pieces));
    EXPECT_EQ("", progress.Pending());
    EXPECT_TRUE(progress.Append("after\n", &pieces));
    EXPECT_EQ(std::vector<std::string>{"after"}, pieces);
}

}  // namespace
