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

TEST_F(RegexTest, CharactersSetsAndEscapes) {
    EXPECT_EQ("abc", Find("a.c", "xxabc"));
    EXPECT_EQ("a+c", Find("a.c", "a+c"));
    EXPECT_EQ(kNoMatch, Find("a.c", "ac"));
    EXPECT_EQ(kNoMatch, Find("x.", "x"));          // "." never takes the terminating NUL
    EXPECT_EQ(kNoMatch, Find("x[^a]", "x"));
    EXPECT_EQ("]", Find("[]a]", "x]"));
    EXPECT_EQ("a", Find("[]a]", "ya"));
    EXPECT_EQ("y", Find("[^-x]", "-y"));
    EXPECT_EQ(kNoMatch, Find("[^-x]", "-x-"));
    EXPECT_EQ("-", Find("[a-]", "b-"));
    EXPECT_EQ("bcdx", Find("[b-dx]+", "abcdxe"));
    EXPECT_EQ("z\xe9\xff\x80", Find("[a-\xff]+", "Az\xe9\xff\x80" "B"));   // unsigned codes
    EXPECT_EQ("z", Find("[^\x80-\xff]", "\xe9z"));
    EXPECT_EQ("a.b", Find("a\\.b", "axb a.b"));
    EXPECT_EQ("(*", Find("\\(\\*", "a(*"));
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
    EXPECT_EQ(2, StartOf(text, 0));
    EXPECT_EQ(6, int(re->end[0] - text.c_str()));
    EXPECT_EQ(2, StartOf(text, 1));
    EXPECT_EQ(3, StartOf(text, 2));
    EXPECT_EQ(5, StartOf(text, 3));
    EXPECT_EQ(-1, StartOf(text, 4));
    EXPECT_EQ(nullptr, re->end[4]);
    // A repeated group keeps the first pass on the path that matched.
    EXPECT_EQ("a", Find("(a|b)*c", "abc", 1));
    EXPECT_EQ("b", Find("x(a|b)*c", "abxbac", 1));
}

TEST_F(RegexTest, AnchorsFirstCharacterAndRequiredText) {
    EXPECT_EQ("ab", Find("^ab", "ab"));
    EXPECT_TRUE(re->anchored);
    EXPECT_EQ(kNoMatch, Find("^ab", "cab"));
    EXPECT_EQ(kNoMatch, Find("a^b", "a^b"));
    std::string text = "abab";
    EXPECT_EQ("ab", Find("ab$", text));
    EXPECT_EQ(2, StartOf(text, 0));
    EXPECT_EQ("", Find("$", text));
    EXPECT_EQ(4, StartOf(text, 0));
    EXPECT_EQ(kNoMatch, Find("a$", "ab"));

    EXPECT_EQ('a', Use("abc*")->first);
    EXPECT_FALSE(re->anchored);
    EXPECT_EQ(0, Use("a|ab")->first);
    EXPECT_EQ(0, Use("[ab]c")->first);

    Use("x*hello");
    ASSERT_EQ(5, re->requiredLength);
    EXPECT_EQ("hello", std::string(re->required, 5));
    EXPECT_FALSE(Execute(re, "xxhell"));
    EXPECT_TRUE(Execute(re, "hello"));
    Use("a*(bcd)e");
    EXPECT_EQ("bcd", std::string(re->required, re->requiredLength));
    Use("a*(bcd|e)fg");   // an alternative is no required text
    EXPECT_EQ("fg", std::string(re->required, re->requiredLength));
    EXPECT_TRUE(Execute(re, "efg"));
}

// The literal a match begins with, or must contain, is looked for before the program runs:
// the places it rules in and out.
TEST_F(RegexTest, LiteralsLookedForFirstMissNoMatch) {
    EXPECT_EQ("ab1", Find("ab[0-9]", "ab ab ab1 ab2"));   // the first places fail
    EXPECT_EQ("abab", Find("abab", "ababab"));           // overlapping places
    EXPECT_EQ(kNoMatch, Find("abc", "ab"));
    EXPECT_EQ("sing", Find("[a-z]+ing", "s ing sing"));
    EXPECT_EQ("lenh(", Find("l[a-z_]*h\\(", "h( l_h len lenh("));
    EXPECT_EQ(kNoMatch, Find("l[a-z_]*h\\(", "h( l_h"));
    EXPECT_EQ("xy", Find("x.*y", std::string("xy\0xy", 5)));   // the subject ends at its NUL
    EXPECT_EQ(kNoMatch, Find("y", std::string("x\0y", 3)));
    EXPECT_EQ("bc", Find("a|bc", "xbbc"));        // alternatives' leading literals
    EXPECT_EQ("q", Find("zz|q", "zxq"));          // one byte long, at the end
    EXPECT_EQ(kNoMatch, Find("printf|return", "print retur"));
}

// Ignoring case, the letters of the subject, the literals and the sets are folded, but a
// range still means the bytes between its ends.
TEST_F(RegexTest, IgnoringCaseFoldsLettersNotRanges) {
    EXPECT_EQ("X_y", Find("x[A-z]Y", "X_y", 0, kRegexIgnoreCase));   // "_" lies between Z and a
    EXPECT_EQ("_`aA", Find("[_-a]+", "b_`aA", 0, kRegexIgnoreCase));
    EXPECT_EQ(kNoMatch, Find("[_-a]", "bB[", 0, kRegexIgnoreCase));
    EXPECT_EQ("d", Find("[^a-c]", "AbCd", 0, kRegexIgnoreCase));
    EXPECT_EQ("[", Find("[^a-z]", "Qq[", 0, kRegexIgnoreCase));
    EXPECT_EQ("LIST_append", Find("list_APPEND", "x LIST_append(", 0, kRegexIgnoreCase));
    EXPECT_EQ("AaAB", Find("a+b", "xAaAB", 0, kRegexIgnoreCase));
    EXPECT_EQ("Cde", Find("(ab|cd)E", "xCde", 0, kRegexIgnoreCase));
    EXPECT_EQ("rETurn", Find("printf|RETURN", "x rETurn", 0, kRegexIgnoreCase));
    EXPECT_EQ("iNT", Find("^i[a-z]+$", "iNT", 0, kRegexIgnoreCase));
    EXPECT_EQ("x[y]", Find("X\\[y\\]", "x[y]", 0, kRegexIgnoreCase));
    EXPECT_EQ(kNoMatch, Find("x[A-z]Y", "X_y"));   // without the option, case counts
}

TEST_F(RegexTest, LiteralWordIsTheLongestLiteralOfEveryMatch) {
    char word[16];
    EXPECT_EQ(4, LiteralWord(Use("^[A-Za-z_]+[ \t]+proc"), word, sizeof word));
    EXPECT_STREQ("proc", word);
    EXPECT_EQ(5, LiteralWord(Use("a*(label)s?:"), word, sizeof word));
    EXPECT_STREQ("label", word);
    EXPECT_EQ(0, LiteralWord(Use("proc|endp"), word, sizeof word));
    EXPECT_STREQ("", word);
    EXPECT_EQ(2, LiteralWord(Use("proc"), word, 3));
    EXPECT_STREQ("pr", word);
}

TEST_F(RegexTest, FaultsInThePatternAreReported) {
    const std::vector<std::pair<const char *, const char *>> cases = {
        {"(a", "Mismatched ()"},
        {"a)", "Mismatched ()"},
        {"a**", "Bad regular expression"},
        {"a+?", "Bad regular expression"},
        {"(a*)*", "Operand of +? could be empty"},
        {"(a|)+", "Operand of +? could be empty"},
        {"^*", "Operand of +? could be empty"},
        {"x\\", "Trailing backslash"},
        {"[z-a]", "Invalid [] range"},
        {"[b-a]", "Invalid [] range"},
        {"(a)(b)(c)(d)(e)(f)(g)(h)(i)(j)", "Too many () in reg exp"},
        {"*a", "?*+ followed by nothing"},
        {"a|+b", "?*+ followed by nothing"},
        {"(?a)", "?*+ followed by nothing"},
        {"[abc", "Unmatched []"},
        {"[]", "Unmatched []"},
        {"[^]", "Unmatched []"},
    };
    for (const auto &c : cases)
        EXPECT_EQ(c.second, Refusal(c.first)) << c.first;

    for (const char *fine : {"(a)(b)(c)(d)(e)(f)(g)(h)(i)", "(a*)?", "[z-z]", "a|", "()", ""})
        EXPECT_NE(nullptr, Use(fine));
}

TEST_F(RegexTest, ProgramLayoutAndItsSizeLimit) {
    int size = 0;
    re = Compile("ab*", &size, nullptr);
    ASSERT_NE(nullptr, re);
    const std::vector<int> expected = {'S', kReBranch, 0, 16,  kReExactly, 0, 5, 'a', 0,
                                       kReStar, 0, 8, kReExactly, 0, 0, 'b', 0, kReEnd, 0, 0};
    ASSERT_EQ(int(expected.size()), size);
    for (int i = 0; i < size; i++)
        EXPECT_EQ(expected[i], (unsigned char)re->program[i]) << i;

    // magic, BRANCH, EXACTLY (header, text, NUL) and END: 11 bytes besides the text.
    std::string longest(kRegexProgramLimit - 12, 'a');
    ReleaseRegex(re);
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
