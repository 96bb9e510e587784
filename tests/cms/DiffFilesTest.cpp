// Files through the engine: the report byte for byte and its appending, patch scripts with
// their checksums, and scripts that must not touch any file.
#include <windows.h>

#include <string>

#include "cms/DiffFiles.h"
#include "cms/DiffView.h"
#include "editor/Document.h"
#include "platform/Files.h"
#include "support/TestSupport.h"

namespace {

using DiffFilesTest = KeltoTest;

TEST_F(DiffFilesTest, TheReportListsEachChangeAndFollowsAnEarlierOne) {
    std::string a = PathOf("A.C"), b = PathOf("B.C"), report = PathOf("DIFF.TXT");
    WriteWholeFile(a, "one\r\ntwo\r\nthree\r\n");
    WriteWholeFile(b, "one\nthree\nfour\n");
    std::vector<std::string> first, second;
    std::vector<DiffChange> changes;
    ASSERT_EQ(kDiffDifferent, CompareFiles(a, b, 0, &first, &second, &changes));
    std::string text = DiffReport(a, b, first, second, changes, "today");
    EXPECT_EQ("Kelto-Diff " + a + " vs " + b + ": 2 changes. today\nChange 1\n" + a +
                  ": Erase 1 lines beginning with line 2\ntwo\nChange 2\n" + b + ": Add 1 lines beginning with line 3\nfour\n",
              text);
    ASSERT_TRUE(WriteDiffReport(report, text));
    ASSERT_TRUE(WriteDiffReport(report, "Kelto-Diff again\n"));
    EXPECT_EQ(text + std::string(75, '-') + "\nKelto-Diff again\n", ReadWholeFile(report));
    WriteWholeFile(report, "mine");
    EXPECT_FALSE(WriteDiffReport(report, text));   // "Erase it?" No
    EXPECT_EQ("mine", ReadWholeFile(report));
    EXPECT_EQ((std::vector<std::string>{report + " exists already. Erase it?"}), ui.Texts());
}

TEST_F(DiffFilesTest, LinesUpToTheEnginesLimitAreReadLongerOnesRefused) {
    std::string a = PathOf("LONG.C");
    std::vector<std::string> lines;
    WriteWholeFile(a, "x\n" + std::string(65535, 'a') + "\r\n");
    ASSERT_TRUE(ReadDiffLines(a, &lines));
    EXPECT_EQ(65535u, lines.at(1).size());
    WriteWholeFile(a, "x\n" + std::string(65536, 'a') + "\n");
    EXPECT_FALSE(ReadDiffLines(a, &lines));
    EXPECT_EQ((std::vector<std::string>{"Line 2 of " + a + " is too long to compare"}), ui.Texts());
}

TEST_F(DiffFilesTest, PatchScriptsCarryChecksumsAndNeverHalfWriteAFile) {
    std::string a = PathOf("A.C"), b = PathOf("B.C"), script = PathOf("P.DIF"), out = PathOf("OUT.C");
    WriteWholeFile(a, "int a;\nint b;\nint c;\n");
    WriteWholeFile(b, "int a;\nint c;\nint d;\n");
    ASSERT_TRUE(WritePatchScript(a, b, script));
    char trailer[40];
    snprintf(trailer, sizeof trailer, "@\n%10lu %10lu\n", FileChecksum(a), FileChecksum(b));
    EXPECT_EQ(std::string("d2 1\na3 1\nint d;\n") + trailer, ReadWholeFile(script));
    ASSERT_TRUE(ApplyPatchScript(script, a, out));
    EXPECT_EQ(ReadWholeFile(b), ReadWholeFile(out));

    // Zero checksums: no question, whatever the source.
    WriteWholeFile(script, "d1 1\n@\n         0          0\n");
    ASSERT_TRUE(ApplyPatchScript(script, b, out));
    EXPECT_EQ("int c;\nint d;\n", ReadWholeFile(out));

    // A source that differs is asked about (No); scripts that do not fit or lack their trailer
    // leave the output as it was.
    ASSERT_TRUE(WritePatchScript(a, b, script));
    EXPECT_FALSE(ApplyPatchScript(script, b, out));
    for (const char *broken : {"d9 1\n@\n 0 0\n", "a1 3\nx\n@\n 0 0\n", "d1 1\n", "d1 1\n@\n12x 0\n"}) {
        WriteWholeFile(script, broken);
        EXPECT_FALSE(ApplyPatchScript(script, a, out)) << broken;
    }
    EXPECT_FALSE(ApplyPatchScript(PathOf("NONE.DIF"), a, out));
    EXPECT_EQ("int c;\nint d;\n", ReadWholeFile(out));
    std::vector<std::string> texts = ui.Texts();
    ASSERT_EQ(6u, texts.size());
    EXPECT_EQ("Source file CRC differs! Continue?", texts[0]);
    EXPECT_EQ("Script file " + PathOf("NONE.DIF") + " not found", texts[5]);
}

TEST_F(DiffFilesTest, AMergeTakesTheChosenTextsOrCopiesAFileAfterAsking) {
    DiffSession session;
    session.firstPath = PathOf("A.C");
    session.secondPath = PathOf("B.C");
    std::string out = PathOf("OUT.C");
    WriteWholeFile(session.firstPath, "1\n2\n3\n4\n");
    WriteWholeFile(session.secondPath, "1\nX\n3\nY\n");
    ASSERT_EQ(kDiffDifferent, CompareFiles(session.firstPath, session.secondPath, 0, &session.first, &session.second,
                                           &session.changes));
    ASSERT_EQ(2u, session.changes.size());
    session.useRight = {1, 0};
    ASSERT_TRUE(FinishMerge(session, out));
    EXPECT_EQ("1\nX\n3\n4\n", ReadWholeFile(out));
    EXPECT_EQ(out, g_editor->doc->path);   // opened
    auto copyOf = [](const std::string &unused, const std::string &kept) {
        return "No text from file " + unused + " was used,\nthe new file would be a copy of " + kept + "\n\nCopy anyway?";
    };
    session.useRight = {0, 0};
    EXPECT_FALSE(FinishMerge(session, out));   // No
    EXPECT_EQ("1\nX\n3\n4\n", ReadWholeFile(out));
    ui.Answer(kAnswerYes);
    session.useRight = {1, 1};
    ASSERT_TRUE(FinishMerge(session, out));
    EXPECT_EQ(ReadWholeFile(session.secondPath), ReadWholeFile(out));
    session.useRight = {0, 1};
    InjectWriteFailure(0);   // the script cannot be written: said, and the output is kept
    EXPECT_FALSE(FinishMerge(session, out));
    InjectWriteFailure(-1);
    EXPECT_EQ(ReadWholeFile(session.secondPath), ReadWholeFile(out));
    EXPECT_EQ((std::vector<std::string>{"Merge finished", copyOf(session.secondPath, session.firstPath),
                                        copyOf(session.firstPath, session.secondPath), "Merge finished",
                                        "Impossible to open " + out + " for writing!"}),
              ui.Texts());
}

TEST_F(DiffFilesTest, DirectoriesAreComparedByTheirFileNames) {
    std::string one = PathOf("ONE"), two = PathOf("TWO");
    CreateDirectoryA(one.c_str(), nullptr);
    CreateDirectoryA(two.c_str(), nullptr);
    CreateDirectoryA((two + "\\SUB").c_str(), nullptr);
    for (const char *name : {"\\ONE\\a.c", "\\ONE\\Both.c", "\\TWO\\BOTH.C", "\\TWO\\b.c"})
        WriteWholeFile(dir + name, "x\n");
    DirectoryComparison files = CompareDirectories(one, two);
    EXPECT_EQ((std::vector<std::string>{"a.c"}), files.onlyFirst);
    EXPECT_EQ((std::vector<std::string>{"b.c"}), files.onlySecond);
    EXPECT_EQ((std::vector<std::string>{"Both.c"}), files.both);
    DiffRequestFields fields;
    fields.first = one;
    fields.second = PathOf("ONE\\a.c");
    EXPECT_FALSE(RunDiffRequest(fields));
    EXPECT_EQ((std::vector<std::string>{one + " is a directory, but " + fields.second + " is not"}), ui.Texts());
}

} // namespace
