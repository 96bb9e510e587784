// The function view's grouping: two C texts compared, their functions scanned, and each
// change's lines given to the function that holds them.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "cms/DiffFunctions.h"

namespace {

typedef std::vector<std::string> Lines;

// "<label> <change>:-<first>,<count>+<first>,<count>..." for each group, joined by " | ".
std::string Groups(const FunctionComparison &comparison) {
    std::string out;
    for (const FunctionGroup &group : comparison.groups) {
        out += (out.empty() ? "" : " | ") + FunctionLabel(group);
        for (const ChangePiece &p : group.pieces) {
            out += " " + std::to_string(p.change + 1) + ":";
            if (p.erased)
                out += "-" + std::to_string(p.firstErased) + "," + std::to_string(p.erased);
            if (p.added)
                out += "+" + std::to_string(p.firstAdded) + "," + std::to_string(p.added);
        }
    }
    return out;
}

TEST(DiffFunctions, ChangesGoToTheFunctionsThatHoldTheirLines) {
    Lines first = {"#include <stdio.h>", "int keep(void) { return 1; }", "int a(int x)", "{", "    x++;",
                   "    return x;", "}", "int b(int y)", "{", "    return y;", "}", "int old(void) { return 0; }"};
    Lines second = {"#include <stdio.h>", "#include <string.h>",   // outside any function
                    "int keep(void) { return 1; }", "int a(int x)", "{",
                    "    x--;",                                    // inside a
                    "    return x;",
                    "} /* a */", "int b(long y)",                  // across a and b
                    "{", "    return y;", "}",
                    "int fresh(void) { return 3; }"};              // old removed, fresh added
    std::vector<DiffChange> changes;
    ASSERT_EQ(kDiffDifferent, DiffLines(first, second, 0, &changes));
    std::vector<FunctionSpan> firstFunctions, secondFunctions;
    ASSERT_TRUE(ScanFunctionSpans(first, &firstFunctions));
    ASSERT_TRUE(ScanFunctionSpans(second, &secondFunctions));
    FunctionComparison comparison = GroupChangesByFunction(changes, firstFunctions, secondFunctions);
    EXPECT_EQ("modified\ta 2:-5,1+6,1 3:-7,1+8,1 | modified\tb 3:-8,1+9,1 | added\tfresh 4:+13,1 | "
              "removed\told 4:-12,1 | modified\t(outside functions) 1:+2,1 | unchanged\tkeep",
              Groups(comparison));
    EXPECT_EQ("4 changes. Functions: 2 modified, 1 added, 1 removed, 1 unchanged. Lines: 4 erased, 5 added "
              "(outside functions: 0 erased, 1 added).",
              FunctionStatistics(comparison));
    ASSERT_EQ(6u, comparison.groups.size());
    EXPECT_EQ("Function b: A.C lines 8-11, B.C lines 9-12\r\n\r\nChange 3\r\n"
              "A.C: Erase 1 lines beginning with line 8\r\n- int b(int y)\r\n"
              "B.C: Add 1 lines beginning with line 9\r\n+ int b(long y)\r\n",
              FunctionDetails(comparison.groups[1], "A.C", "B.C", first, second));
    EXPECT_EQ("Function old, removed: A.C line 12\r\n\r\n  int old(void) { return 0; }\r\n",
              FunctionDetails(comparison.groups[3], "A.C", "B.C", first, second));
    EXPECT_EQ("Function keep hasn't changed", FunctionDetails(comparison.groups[5], "A.C", "B.C", first, second));
}

TEST(DiffFunctions, FunctionsOfOneNamePairInOrderAndLongLinesKeepTheirNumbers) {
    // The second f of the first text has no partner; a line longer than a document line holds
    // still counts as one line.
    Lines first = {"int f(int a) { }", std::string(40000, '/'), "int f(long a) { }", "int g(void) { x(); }"};
    Lines second = {"int f(int a) { }", "int g(void) { y(); }"};
    std::vector<FunctionSpan> firstFunctions, secondFunctions;
    ASSERT_TRUE(ScanFunctionSpans(first, &firstFunctions));
    ASSERT_TRUE(ScanFunctionSpans(second, &secondFunctions));
    ASSERT_EQ(3u, firstFunctions.size());
    EXPECT_EQ(4, firstFunctions[2].first);
    std::vector<DiffChange> changes;
    ASSERT_EQ(kDiffDifferent, DiffLines(first, second, 0, &changes));
    EXPECT_EQ("modified\tg 1:-4,1+2,1 | removed\tf 1:-3,1 | modified\t(outside functions) 1:-2,1 | unchanged\tf",
              Groups(GroupChangesByFunction(changes, firstFunctions, secondFunctions)));
}

} // namespace
