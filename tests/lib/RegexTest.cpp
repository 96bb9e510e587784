// The regular-expression engine: the program it compiles, the faults it reports and matching.
#include <windows.h>

#include <string>
#include <vector>

#include "lib/Regex.h"
#include "support/TestSupport.h"

namespace {

const char *const kNoMatch = "<no match>";
const char *const kUnset = "<unset>";

class RegexTest : public KeltoTest {
protected:
    Regex *re = nullptr;

    void TearDown() override {
        ReleaseRegex(re);
        KeltoTest::TearDown();
    }

    Regex *Use(const char *pattern, int options = 0) {
        ReleaseRegex(re);
        re = Compile(pattern, nullptr, nullptr, options);
        EXPECT_NE(nullptr, re) << pattern;
        return re;
    }

    // What group `group` of `pattern` matched in `text`.
    std::string Find(const char *pattern, const std::string &text, int group = 0, int options = 0) {
        if (!Use(pattern, options) || !Execute(re, text.c_str()))
            return kNoMatch;
        if (!re->start[group] || !re->end[group])
            return kUnset;
        return std::string(re->start[group], re->end[group]);
    }

    int StartOf(const std::string &text, int group) {
        return re->start[group] ? int(re->start[group] - text.c_str()) : -1;
    }

    // Why `pattern` is refused; the engine itself shows nothing.
    std::string Refusal(const char *pattern) {
        const char *error = nullptr;
        Regex *refused = Compile(pattern, nullptr, &error);
        EXPECT_EQ(nullptr, refused) << pattern;
        EXPECT_TRUE(ui.boxes.empty()) << pattern;
        ReleaseRegex(refused);
        return error ? error : "(no reason)";
    }
};

// Sets, ranges, escapes and bytes above 127 are RegexDiffTest's (grep's lines hold no capitals
// and no terminating NUL to run into).
TEST_F(RegexTest, TheTerminatingNulAndCase) {
    EXPECT_EQ(kNoMatch, Find("x.", "x"));          // "." never takes the terminating NUL
    EXPECT_EQ(kNoMatch, Find("x[^a]", "x"));
    EXPECT_EQ(kNoMatch, Find("Abc", "abc"));       // case is never folded
}

TEST_F(RegexTest, RepetitionsAreGreedyAndGiveBack) {
    EXPECT_EQ("abbb", Find("ab*", "xabbbc"));
    EXPECT_EQ("a", Find("ab*", "a"));
    EXPECT_EQ("abccc", Find("abc+", "ababccc"));   // "+" takes the last "c" only
    EXPECT_EQ("abd", Find("abc?d", "abd"));
    EXPECT_EQ(kNoMatch, Find("ab+", "a"));
    EXPECT_EQ("a1b2b", Find("a.*b", "a1b2b3"));
    EXPECT_EQ("x1929", Find("x[0-9]*9", "x1929z"));
    EXPECT_EQ("aaab", Find("a+ab", "aaab"));
    EXPECT_EQ("abab", Find("(ab)+", "xababa"));
    EXPECT_EQ("ababc", Find("(ab)*c", "ababc"));
    EXPECT_EQ("c", Find("(ab)?c", "ac"));
    EXPECT_EQ("", Find("(ab)*", "x"));
    EXPECT_EQ("abab", Find("(a|b)*b", "abab"));
}

TEST_F(RegexTest, AlternativesAreTriedInTurn) {
    EXPECT_EQ("abc", Find("(ab|a)bc", "abc"));
    EXPECT_EQ("abcd", Find("a(b|bc)d", "abcd"));
    EXPECT_EQ("dog", Find("cat|dog", "hotdog"));
    EXPECT_EQ("", Find("a|", "b"));
    EXPECT_EQ("ac", Find("(a)b|(a)c", "ac"));
    EXPECT_EQ(kUnset, Find("(a)b|(a)c", "ac", 1));   // recorded on the failed path, then undone
    EXPECT_EQ("a", Find("(a)b|(a)c", "ac", 2));
}

TEST_F(RegexTest, GroupPositions) {
    std::string text = "xxabcd";
    EXPECT_EQ("abc", Find("(a(b)c)(d)?(e)?", text, 1));
    std::vector<int> starts;
    for (int group = 0; group < 5; group++)
        starts.push_back(StartOf(text, group));
    EXPECT_EQ((std::vector<int>{2, 2, 3, 5, -1}), starts);
    EXPECT_EQ(6, int(re->end[0] - text.c_str()));
    EXPECT_EQ(nullptr, re->end[4]);
    // A repeated group keeps the first pass on the path that matched.
    EXPECT_EQ("a", Find("(a|b)*c", "abc", 1));
    EXPECT_EQ("b", Find("x(a|b)*c", "abxbac", 1));
}

// Whether "^" and "$" at the edges match is RegexDiffTest's; here where the match lies, a "^"
// inside the expression, and the literal looked for first, which every match must hold.
TEST_F(RegexTest, AnchorsFirstCharacterAndRequiredText) {
    EXPECT_EQ(kNoMatch, Find("a^b", "a^b"));
    std::string text = "abab";
    EXPECT_EQ("ab", Find("ab$", text));
    EXPECT_EQ(2, StartOf(text, 0));
    EXPECT_EQ("", Find("$", text));
    EXPECT_EQ(4, StartOf(text, 0));
    EXPECT_EQ("xxhello", Find("x*hello", "xxhello"));
    EXPECT_EQ("aabcde", Find("a*(bcd)e", "aabcde"));
    EXPECT_EQ("efg", Find("a*(bcd|e)fg", "efg"));   // an alternative is no required text

    // Only an expression that is one literal and nothing else may be looked for as text.
    char literal[8];
    Use("a_b", kRegexIgnoreCase);
    EXPECT_EQ(3, WholeLiteral(re, literal, sizeof literal));
    EXPECT_STREQ("A_B", literal);
    EXPECT_EQ(0, WholeLiteral(re, literal, 3));   // does not fit
    for (const char *pattern : {"ab*", "ab|c", "^ab", "ab$", "(ab)", "a.b", "[a]b", "abc?"}) {
        Use(pattern);
        EXPECT_EQ(0, WholeLiteral(re, literal, sizeof literal)) << pattern;
    }
}

TEST_F(RegexTest, TheProgramSizeLimit) {
    // magic, BRANCH, EXACTLY (header, text, NUL) and END: 11 bytes besides the text.
    int size = 0;
    std::string longest(kRegexProgramLimit - 12, 'a');
    re = Compile(longest.c_str(), &size, nullptr);
    ASSERT_NE(nullptr, re);
    EXPECT_EQ(kRegexProgramLimit - 1, size);
    EXPECT_EQ("Bad regular expression", Refusal((longest + "a").c_str()));
    std::string sets;
    for (int i = 0; i < 200; i++)
        sets += "[\x01-\xff]";
    EXPECT_EQ("Bad regular expression", Refusal(sets.c_str()));
}

TEST_F(RegexTest, LongLinesAndBrokenBlocksFailSafely) {
    std::string line;
    for (int i = 0; i < 30000; i++)
        line += i % 3 ? 'a' : 'b';
    EXPECT_EQ(line, Find("^(a|b)*$", line));
    EXPECT_EQ(line + "c", Find("(ab|ba|a|b)+c", line + "c"));
    // A subject that would need more open choices than the matcher keeps: no match, no crash.
    std::string huge(600000, 'a');
    EXPECT_EQ(kNoMatch, Find("(a|b)*$", huge));
    EXPECT_TRUE(ui.boxes.empty());

    Use("abc");
    re->program[0] = 'X';
    EXPECT_FALSE(Execute(re, "abc"));
    EXPECT_TRUE(re->broken);
    EXPECT_TRUE(ui.boxes.empty());
    EXPECT_FALSE(Execute(nullptr, "abc"));
}

TEST_F(RegexTest, APatternThatBacktracksWithoutEndGivesUpInTime) {
    std::string line(60, 'a');
    DWORD start = GetTickCount();
    EXPECT_EQ(kNoMatch, Find("(a|aa)*c", line + "b c"));
    EXPECT_TRUE(re->overrun);
    EXPECT_LT(GetTickCount() - start, 5000u);
    // The next line starts afresh.
    EXPECT_EQ("aac", Find("(a|aa)*c", "aac"));
    EXPECT_FALSE(re->overrun);
}

} // namespace
