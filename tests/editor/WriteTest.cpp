// Writing documents back: the bytes on disk, backups, the version-stamp line, and what a
// failed write must leave behind.
#include <string.h>

#include <algorithm>

#include "core/AppState.h"
#include "editor/DocumentTestSupport.h"
#include "platform/Files.h"

namespace {

class WriteTest : public DocumentTest {
protected:
    void TearDown() override {
        InjectWriteFailure(-1);
        DocumentTest::TearDown();
    }
};

typedef std::vector<std::string> Lines;

TEST_F(WriteTest, SavedBytesAreTrimmedLinesEndedByCrLf) {
    std::string path = PathOf("OUT.C");
    Document *doc = OpenFile("OUT.C", "int a;   \nb\t \n \t\n\n  c");
    ASSERT_NE(nullptr, doc);
    ReplaceLine(doc, 0, "int x;   ");
    g_editor->view->column = 8;   // beyond the end the line will have
    ASSERT_TRUE(SaveDocument());
    EXPECT_EQ("int x;\r\nb\r\n\r\n\r\n  c\r\n", ReadWholeFile(path));
    // The document's own lines lost their trailing blanks too, edited or not.
    EXPECT_EQ((Lines{"int x;", "b", "", "", "  c"}), LinesOf(doc));
    EXPECT_EQ(6, g_editor->view->column);
    EXPECT_EQ(0, doc->flags & (kDocModified | kDocStampLine));
    EXPECT_EQ(FileTime(path.c_str()), doc->fileTime);
    EXPECT_TRUE(ui.boxes.empty());
    EXPECT_EQ(std::vector<std::string>{"OUT.C"}, FilesIn(dir));
}

TEST_F(WriteTest, UnmodifiedDocumentLeavesTheFileAlone) {
    std::string path = PathOf("SAME.C");
    Document *doc = OpenFile("SAME.C", "a  \n");
    WriteWholeFile(path, "changed on disk");
    EXPECT_TRUE(SaveDocument());
    EXPECT_EQ("changed on disk", ReadWholeFile(path));
    EXPECT_EQ((Lines{"a  "}), LinesOf(doc));
}

TEST_F(WriteTest, BackupNames) {
    struct Case { const char *path, *backup; };
    for (Case c : {Case{"C:\\SRC\\MAIN.C", "C:\\SRC\\MAIN.~C"},
                   Case{"C:\\SRC\\MAIN.CPP", "C:\\SRC\\MAIN.~CP"},
                   Case{"C:\\SRC\\MAKEFILE", "C:\\SRC\\MAKEFILE.~"},
                   Case{"C:\\V1.2\\MAKEFILE", "C:\\V1.2\\MAKEFILE.~"},
                   Case{"C:\\SRC\\A.", "C:\\SRC\\A.~"}}) {
        char backup[kMaxPathLength + 8];
        BackupName(c.path, backup, sizeof backup);
        EXPECT_STREQ(c.backup, backup) << c.path;
    }
}

TEST_F(WriteTest, BackupHoldsThePreviousFile) {
    g_app->optionByte |= kOptionMakeBackups;
    std::string path = PathOf("MAIN.C"), backup = PathOf("MAIN.~C");
    WriteWholeFile(backup, "stale backup");
    Document *doc = OpenFile("MAIN.C", "old\n");
    ReplaceLine(doc, 0, "new");
    ASSERT_TRUE(SaveDocument());
    EXPECT_EQ("old\n", ReadWholeFile(backup));
    EXPECT_EQ("new\r\n", ReadWholeFile(path));
    ReplaceLine(doc, 0, "newer");
    ASSERT_TRUE(SaveDocument());
    EXPECT_EQ("new\r\n", ReadWholeFile(backup));
    EXPECT_EQ("newer\r\n", ReadWholeFile(path));

    g_app->optionByte &= ~kOptionMakeBackups;
    doc = OpenFile("PLAIN.CPP", "x\n");
    ReplaceLine(doc, 0, "y");
    ASSERT_TRUE(SaveDocument());
    EXPECT_FALSE(PathExists(PathOf("PLAIN.~CP")));
    EXPECT_TRUE(ui.boxes.empty());
}

TEST_F(WriteTest, StampFieldKeepsItsWidth) {
    // The text is not NUL-terminated at `length`: the byte after it must stay untouched.
    auto renew = [](const std::string &text, const char *stamp) {
        std::string buffer = text + "#";
        RenewStampField(&buffer[0], int(text.size()), stamp);
        return buffer;
    };
    const char *stamp = "1999.2.3.9.5.7";
    EXPECT_EQ("x \"$Date:1999.2.3.9.5.7        $\";#",
              renew("x \"$Date: 1.2.3.4.5.6          $\";", stamp));
    EXPECT_EQ("$Date:1999$ $Date: old$#", renew("$Date: 1.2$ $Date: old$", stamp));
    EXPECT_EQ("$Date:1999.2.3.9#", renew("$Date:          ", stamp));
    EXPECT_EQ("$Date:1999.2.3.9.5.7  #", renew("$Date:                ", stamp));
    EXPECT_EQ("Date: 1.2 $#", renew("Date: 1.2 $", stamp));
    EXPECT_EQ("x $Dat#", renew("x $Dat", stamp));
}

TEST_F(WriteTest, SaveRenewsTheVersionStampLine) {
    const std::string head = "static char *_CMSID = \"$CmsFile: MAIN.C $ $Date:";
    const std::string tail = "$\";";
    const std::string field = " 1990.1.1.0.0.0      ";   // wider than any time stamp
    std::string path = PathOf("STAMP.C");
    Document *doc = OpenFile("STAMP.C", "/* x */\n" + head + field + tail + "\nint a;\n");
    ReplaceLine(doc, 2, "int b;");
    std::string before = TimeStamp();
    ASSERT_TRUE(SaveDocument());
    std::string after = TimeStamp();
    EXPECT_TRUE(doc->flags & kDocStampLine);

    std::string line = LinesOf(doc)[1];
    ASSERT_EQ(head.size() + field.size() + tail.size(), line.size());
    EXPECT_EQ(head, line.substr(0, head.size()));
    EXPECT_EQ(tail, line.substr(head.size() + field.size()));
    std::string renewed = line.substr(head.size(), field.size());
    renewed.erase(renewed.find_last_not_of(' ') + 1);
    EXPECT_TRUE(renewed == before || renewed == after) << renewed;
    EXPECT_EQ("/* x */\r\n" + line + "\r\nint b;\r\n", ReadWholeFile(path));
}

TEST_F(WriteTest, TruncatedDocumentAsksBeforeSaving) {
    std::string path = PathOf("CUT.C");
    std::string original = std::string(497, 'a') + std::string(103, 'b') + "\n";
    Document *doc = OpenFile("CUT.C", original);
    ASSERT_TRUE(doc->flags & kDocTruncated);
    ui.boxes.clear();
    doc->flags |= kDocModified;

    EXPECT_FALSE(SaveDocument());   // answered No
    ASSERT_EQ(1u, ui.boxes.size());
    EXPECT_EQ("File contains truncated lines\nSave anyway?", ui.boxes[0].text);
    EXPECT_TRUE(ui.boxes[0].style & kBoxYesNo);
    EXPECT_EQ(original, ReadWholeFile(path));
    EXPECT_EQ(kDocModified | kDocTruncated, doc->flags & (kDocModified | kDocTruncated));

    ui.Answer(kAnswerYes);
    EXPECT_TRUE(SaveDocument());
    EXPECT_EQ(0, doc->flags & (kDocModified | kDocTruncated));
    EXPECT_EQ(std::string(497, 'a') + "\r\n" + std::string(103, 'b') + "\r\n", ReadWholeFile(path));
}

// A short write must not cost the user the file on disk, nor leave debris in the directory.
TEST_F(WriteTest, FailedWriteKeepsTheFileIntact) {
    g_app->optionByte |= kOptionMakeBackups;
    struct Case { const char *name, *backup; int lines; long budget; };
    std::vector<std::string> files;
    // The second document is larger than the write buffer: its first part is written fine.
    for (Case c : {Case{"SMALL.C", "SMALL.~C", 3, 0}, Case{"SMALL2.C", "SMALL2.~C", 3, 5},
                   Case{"LARGE.C", "LARGE.~C", 4000, 200000}}) {
        std::string original;
        for (int i = 0; i < c.lines; i++)
            original += "line " + std::to_string(i) + std::string(70, '.') + "\n";
        Document *doc = OpenFile(c.name, original);
        files.push_back(c.name);
        ReplaceLine(doc, 0, "changed");
        ui.boxes.clear();

        InjectWriteFailure(c.budget);
        EXPECT_FALSE(SaveDocument()) << c.name;
        InjectWriteFailure(-1);
        ASSERT_EQ(1u, ui.boxes.size()) << c.name;
        EXPECT_EQ("Write error. Is the disk full?", ui.boxes[0].text);
        EXPECT_EQ("Error", ui.boxes[0].title);
        EXPECT_TRUE(doc->flags & kDocModified);
        EXPECT_EQ(original, ReadWholeFile(PathOf(c.name))) << c.name;
        std::vector<std::string> present = FilesIn(dir);
        std::sort(present.begin(), present.end());
        std::vector<std::string> expected = files;
        std::sort(expected.begin(), expected.end());
        EXPECT_EQ(expected, present) << c.name;   // no backup, no temporary file

        // Once the disk has room again, the save goes through.
        EXPECT_TRUE(SaveDocument());
        EXPECT_EQ(original, ReadWholeFile(PathOf(c.backup)));
        EXPECT_EQ("changed\r\nline 1", ReadWholeFile(PathOf(c.name)).substr(0, 15));
        files.push_back(c.backup);
    }
}

TEST_F(WriteTest, PathsThatCannotBeWritten) {
    std::string path = PathOf("NODIR\\X.C");
    ASSERT_TRUE(OpenDocument(path.c_str()));
    Document *doc = g_editor->doc;
    LinkLineAfter(doc->sentinel, NewLine("x", 1));
    doc->lineCount = 1;
    doc->flags |= kDocModified;
    EXPECT_FALSE(SaveDocument());
    ASSERT_EQ(1u, ui.boxes.size());
    EXPECT_EQ("Impossible to open " + path + " for writing!", ui.boxes[0].text);
    EXPECT_TRUE(doc->flags & kDocModified);

    std::string other = PathOf("OTHER.C");
    EXPECT_FALSE(WriteDocument(other.c_str()));
    ASSERT_EQ(2u, ui.boxes.size());
    EXPECT_EQ("Internal error: File " + other + " does not exist!", ui.boxes[1].text);
    EXPECT_FALSE(PathExists(other));
}

TEST_F(WriteTest, RawCopyKeepsTheLinesAsTheyAre) {
    Document *doc = OpenFile("RAW.C", "a \n\tb\n\n");
    std::string copy = PathOf("RAW.SAV");
    ASSERT_TRUE(WriteDocumentRaw(copy.c_str(), doc, "HEADER\n"));
    EXPECT_EQ("HEADER\na \r\n\tb\r\n\r\n", ReadWholeFile(copy));
    ASSERT_TRUE(WriteDocumentRaw(copy.c_str(), doc, nullptr));
    EXPECT_EQ("a \r\n\tb\r\n\r\n", ReadWholeFile(copy));
    EXPECT_FALSE(WriteDocumentRaw(PathOf("NODIR\\RAW.SAV").c_str(), doc, nullptr));
    EXPECT_EQ((Lines{"a ", "\tb", ""}), LinesOf(doc));
}

} // namespace
