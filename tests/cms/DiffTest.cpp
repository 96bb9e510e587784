// The difference engine: its edit scripts turn the first text into the second on thousands of
// random edits of real C; the options, the edge cases, the checksum and hostile scripts.
#include <string>
#include <vector>

#include "cms/Diff.h"
#include "cms/DiffFiles.h"
#include "support/TestSupport.h"

namespace {

typedef std::vector<std::string> Lines;

unsigned Next(unsigned *seed) {
    *seed = *seed * 1103515245u + 12345u;
    return *seed >> 8;
}

// A random edit of `base`: lines deleted, inserted (new ones, or copies of others, so that
// lines repeat), replaced, and runs moved.
Lines Edit(const Lines &base, unsigned *seed, int percent) {
    Lines out;
    for (size_t i = 0; i < base.size(); i++) {
        int roll = static_cast<int>(Next(seed) % 100);
        if (roll < percent / 3)
            continue;
        if (roll < 2 * percent / 3)
            out.push_back(base[Next(seed) % base.size()]);
        else if (roll < percent)
            out.push_back("changed " + std::to_string(Next(seed) % 50));
        out.push_back(base[i]);
    }
    return out;
}

// Applies the engine's script to `a`; true when it gives `b` exactly.
bool ScriptTurns(const Lines &a, const Lines &b, long *changedLines) {
    std::vector<DiffChange> changes;
    int result = DiffLines(a, b, 0, &changes);
    if (result != (a == b ? kDiffIdentical : kDiffDifferent))
        return false;
    Lines out = a;
    std::string error;
    if (!ApplyEditScript(EditScript(changes, b), &out, &error))
        return false;
    for (const DiffChange &change : changes)
        *changedLines += change.deleted + change.inserted;
    // A merge applies only some of the changes: every other one must fit the first text too.
    std::vector<DiffChange> some;
    for (size_t i = 0; i < changes.size(); i += 2)
        some.push_back(changes[i]);
    Lines merged = a;
    return out == b && ApplyEditScript(EditScript(some, b), &merged, &error);
}

TEST(DiffTest, ScriptsTurnRandomEditsOfRealCIntoTheSecondText) {
    Lines base;
    for (const char *name : {"demo/main.c", "demo/list.c", "demo/list.h"}) {
        Lines lines;
        ASSERT_TRUE(ReadDiffLines(SourcePath(name), &lines));
        base.insert(base.end(), lines.begin(), lines.end());
    }
    unsigned seed = 7;
    long changed = 0;
    for (int round = 0; round < 2000; round++) {
        Lines a = Edit(base, &seed, 20), b = Edit(a, &seed, 1 + round % 60);
        if (round % 10 == 0)
            b.clear();
        ASSERT_TRUE(ScriptTurns(a, b, &changed)) << "round " << round;
        ASSERT_TRUE(ScriptTurns(b, a, &changed)) << "round " << round;
    }
    // Large and very different: the search stops early and the script still holds.
    Lines big;
    for (int i = 0; i < 40; i++)
        big.insert(big.end(), base.begin(), base.end());
    ASSERT_TRUE(ScriptTurns(big, Edit(big, &seed, 45), &changed));
}

TEST(DiffTest, EdgeCasesAndOptions) {
    std::vector<DiffChange> changes;
    Lines text = {"int a;", "int b;"};
    EXPECT_EQ(kDiffIdentical, DiffLines(text, text, 0, &changes));
    EXPECT_TRUE(changes.empty());
    EXPECT_EQ(kDiffDifferent, DiffLines(text, {}, 0, &changes));
    ASSERT_EQ(1u, changes.size());
    EXPECT_EQ(2, changes[0].deleted);
    EXPECT_EQ(1, changes[0].firstDeleted);
    EXPECT_EQ(kDiffDifferent, DiffLines({}, text, kDiffKeepText | kDiffKeepCommands, &changes));
    ASSERT_EQ(1u, changes.size());
    EXPECT_EQ("int a;\nint b;\n", changes[0].insertedText);
    EXPECT_EQ("a0 2\n", changes[0].insertCommand);

    Lines spaced = {"int  a; ", "INT B;"};
    EXPECT_EQ(kDiffDifferent, DiffLines(text, spaced, kDiffIgnoreSpace, &changes));
    EXPECT_EQ(1u, changes.size());   // only the case of the second line
    EXPECT_EQ(kDiffIdentical, DiffLines(text, spaced, kDiffIgnoreSpace | kDiffIgnoreCase, &changes));
    EXPECT_EQ("d2 1\na2 1\nINT B;\n", EditScript(std::vector<DiffChange>{{1, 1, 2, 2, 2, 0, "", "", ""}}, spaced));
}

TEST(DiffTest, ChecksumsAndScriptsThatDoNotFit) {
    EXPECT_EQ(0x2141001UL, DiffChecksum("a"));   // h = 0x21212141, s != 0
    EXPECT_EQ(0x9090000UL ^ 1, DiffChecksum(""));
    Lines lines = {"one", "two"};
    std::string error;
    for (const char *script : {"d3 1\n", "d2 2\n", "a5 1\nx\n", "a1 2\nonly one\n", "x1 1\n", "d2 1\na1 1\ny\n"}) {
        EXPECT_FALSE(ApplyEditScript(script, &lines, &error)) << script;
        EXPECT_FALSE(error.empty());
    }
    EXPECT_EQ((Lines{"one", "two"}), lines);
    EXPECT_TRUE(ApplyEditScript("d1 1\na2 1\nthree\n", &lines, &error));
    EXPECT_EQ((Lines{"two", "three"}), lines);
}

} // namespace
