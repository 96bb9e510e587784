// Writing documents back: the bytes on disk, backups, the version-stamp line, and what a
// failed write must leave behind.
#include "base/AppState.h"
#include "base/CommandIds.h"
#include "base/Commands.h"
#include "base/Messages.h"
#include "editor/DocumentTestSupport.h"
#include "editor/EditorCommands.h"
#include "editor/EditorHooks.h"
#include "editor/EditorWindow.h"
#include "editor/Language.h"
#include "platform/Files.h"

namespace {

class WriteTest : public DocumentTest {
protected:
    void TearDown() override {
        InjectWriteFailure(-1);
        DocumentTest::TearDown();
    }
};

TEST_F(WriteTest, SavedBytesAreTrimmedLinesEndedByCrLf) {
    std::string path = PathOf("OUT.C");
    Document *doc = OpenFile("OUT.C", "int a;   \nb\t \n \t\n\n  c");
    ASSERT_NE(nullptr, doc);
    ReplaceLine(doc, 0, "int x;   ");
    g_editor->view->column = 8;   // beyond the end the line will have
    doc->fileTime = 0;            // the save must record the new file's time
    ASSERT_TRUE(SaveDocument());
    EXPECT_EQ("int x;\r\nb\r\n\r\n\r\n  c\r\n", ReadWholeFile(path));
    // The document's own lines lost their trailing blanks too, edited or not.
    EXPECT_EQ((Lines{"int x;", "b", "", "", "  c"}), LinesOf(doc));
    EXPECT_EQ(6, g_editor->view->column);
    EXPECT_EQ(0, doc->flags & (kDocModified | kDocStampLine));
    EXPECT_EQ(FileTime(path.c_str()), doc->fileTime);
    EXPECT_EQ(Lines{"OUT.C"}, FilesIn(dir));

    // An unmodified document leaves its file alone.
    WriteWholeFile(path, "changed on disk");
    EXPECT_TRUE(SaveDocument());
    EXPECT_EQ("changed on disk", ReadWholeFile(path));
    EXPECT_TRUE(ui.boxes.empty());
}

TEST_F(WriteTest, BackupNamesAndContents) {
    struct Case { const char *path, *backup; };
    for (Case c : {Case{"C:\\S\\MAIN.C", "C:\\S\\MAIN.~C"}, Case{"C:\\S\\A.", "C:\\S\\A.~"},
                   Case{"C:\\S\\MAIN.CPP", "C:\\S\\MAIN.~CP"},
                   Case{"C:\\V1.2\\MAKEFILE", "C:\\V1.2\\MAKEFILE.~"}}) {
        char backup[kMaxPathLength + 8];
        BackupName(c.path, backup, sizeof backup);
        EXPECT_STREQ(c.backup, backup) << c.path;
    }

    // The backup holds the file as it was before each save, replacing any older backup.
    g_app->optionByte |= kOptionMakeBackups;
    WriteWholeFile(PathOf("MAIN.~C"), "stale backup");
    Document *doc = OpenFile("MAIN.C", "old\n");
    for (const char *text : {"new", "newer"}) {
        std::string previous = ReadWholeFile(PathOf("MAIN.C"));
        ReplaceLine(doc, 0, text);
        ASSERT_TRUE(SaveDocument());
        EXPECT_EQ(previous, ReadWholeFile(PathOf("MAIN.~C")));
        EXPECT_EQ(text + std::string("\r\n"), ReadWholeFile(PathOf("MAIN.C")));
    }
    g_app->optionByte &= ~kOptionMakeBackups;
    ReplaceLine(OpenFile("PLAIN.CPP", "x\n"), 0, "y");
    ASSERT_TRUE(SaveDocument());
    EXPECT_FALSE(PathExists(PathOf("PLAIN.~CP")));
    EXPECT_TRUE(ui.boxes.empty());
}

// Paths are upper-cased to find documents, but the file keeps the name the disk gives it (a
// case-sensitive file system would otherwise lose it; its backup's case is AppTest's) and its
// attributes; a new file gets the name as typed. Temporary files a crash left behind go at the
// next save.
TEST_F(WriteTest, SavingKeepsTheFilesNameAndAttributes) {
    WriteWholeFile(dir + "\\main.c", "old\n");
    SetFileAttributesA((dir + "\\main.c").c_str(), FILE_ATTRIBUTE_HIDDEN);
    WriteWholeFile(dir + "\\klt1.tmp", "crash debris");
    SetAge(dir + "\\klt1.tmp", 2);
    WriteWholeFile(dir + "\\klt2.tmp", "another save under way");
    ASSERT_TRUE(OpenDocument((dir + "\\MAIN.C").c_str()));
    ReplaceLine(g_editor->doc, 0, "new");
    ASSERT_TRUE(SaveDocument());
    EXPECT_EQ((Lines{"klt2.tmp", "main.c"}), FilesIn(dir, true));
    EXPECT_EQ("new\r\n", ReadWholeFile(dir + "\\main.c"));
    WIN32_FILE_ATTRIBUTE_DATA after;
    ASSERT_TRUE(GetFileAttributesExA((dir + "\\main.c").c_str(), GetFileExInfoStandard, &after));
    EXPECT_TRUE(after.dwFileAttributes & FILE_ATTRIBUTE_HIDDEN);

    // A missing file opens empty, quietly.
    ASSERT_TRUE(OpenDocument((dir + "\\New.c").c_str()));
    EXPECT_EQ(0, g_editor->doc->lineCount);
    EXPECT_EQ(0, g_editor->doc->flags & (kDocTruncated | kDocModified));
    ReplaceLine(g_editor->doc, 0, "");
    ASSERT_TRUE(SaveDocument());
    EXPECT_EQ((Lines{"New.c", "klt2.tmp", "main.c"}), FilesIn(dir, true));
    EXPECT_TRUE(ui.boxes.empty());
}

// A read-only file and a backup that cannot be made stop the save with a message, the file
// and the document's version stamp as they were.
TEST_F(WriteTest, ReadOnlyFilesAndFailedBackupsAreNotWritten) {
    const std::string stamp = "static char *_CMSID = \"$Date: 1990.1.1.0.0.0 $\";";
    Document *doc = OpenFile("RO.C", stamp + "\nint a;\n");
    ReplaceLine(doc, 1, "int b;");
    ASSERT_TRUE(MakeReadOnly(PathOf("RO.C").c_str()));
    EXPECT_FALSE(SaveDocument());
    EXPECT_EQ(Lines{PathOf("RO.C") + " is read-only: it was not saved"}, ui.Texts());
    EXPECT_EQ(stamp + "\nint a;\n", ReadWholeFile(PathOf("RO.C")));
    EXPECT_EQ(stamp, LinesOf(doc)[0]);
    EXPECT_TRUE(doc->flags & kDocModified);
    ClearReadOnly(PathOf("RO.C").c_str());

    g_app->optionByte |= kOptionMakeBackups;
    ASSERT_TRUE(CreateDirectoryA(PathOf("RO.~C").c_str(), nullptr));   // in the backup's way
    ui.boxes.clear();
    EXPECT_FALSE(SaveDocument());
    EXPECT_EQ(Lines{"The backup " + PathOf("RO.~C") + " could not be made: " + PathOf("RO.C") +
                    " was not saved"},
              ui.Texts());
    EXPECT_EQ(stamp + "\nint a;\n", ReadWholeFile(PathOf("RO.C")));
    EXPECT_EQ(stamp, LinesOf(doc)[0]);
    EXPECT_EQ((Lines{"RO.C", "RO.~C"}), FilesIn(dir));
}

TEST_F(WriteTest, TheStampFieldKeepsItsWidthAndSavingRenewsIt) {
    // The text is not NUL-terminated at `length`: the byte after it must stay untouched.
    auto renew = [](const std::string &text, const char *stamp) {
        std::string buffer = text + "#";
        RenewStampField(&buffer[0], int(text.size()), stamp);
        return buffer;
    };
    const char *stamp = "1999.2.3.9.5.7";
    EXPECT_EQ("x \"$Date:1999.2.3.9.5.7        $\";#",
              renew("x \"$Date: 2031.12.31.23.59.59  $\";", stamp));   // a shorter stamp
    EXPECT_EQ("$Date:1999$ $Date: old$#", renew("$Date: 1.2$ $Date: old$", stamp));
    EXPECT_EQ("$Date:1999.2.3.9#", renew("$Date:          ", stamp));
    EXPECT_EQ("$Date:1999.2.3.9.5.7  #", renew("$Date:                ", stamp));
    EXPECT_EQ("Date: 1.2 $#", renew("Date: 1.2 $", stamp));
    EXPECT_EQ("x $Dat#", renew("x $Dat", stamp));

    // Saving renews the version-stamp line.
    const std::string head = "static char *_CMSID = \"$CmsFile: MAIN.C $ $Date:", tail = "$\";";
    const std::string field = " 1990.1.1.0.0.0      ";   // wider than any time stamp
    auto stampLine = [&](const std::string &stamp) {
        return head + stamp + std::string(field.size() - stamp.size(), ' ') + tail;
    };
    Document *doc = OpenFile("STAMP.C", "/* x */\n" + head + field + tail + "\nint a;\n");
    ReplaceLine(doc, 2, "int b;");
    std::string before = TimeStamp();
    ASSERT_TRUE(SaveDocument());
    std::string line = LinesOf(doc)[1];
    EXPECT_TRUE(line == stampLine(before) || line == stampLine(TimeStamp())) << line;
    EXPECT_TRUE(doc->flags & kDocStampLine);
    EXPECT_EQ("/* x */\r\n" + line + "\r\nint b;\r\n", ReadWholeFile(PathOf("STAMP.C")));
}

TEST_F(WriteTest, TruncatedDocumentAsksBeforeSaving) {
    std::string path = PathOf("CUT.C"), a(497, 'a'), b(103, 'b');
    Document *doc = OpenFile("CUT.C", a + b + "\n");
    doc->flags |= kDocModified;
    EXPECT_FALSE(SaveDocument());   // answered No
    ASSERT_EQ(2u, ui.boxes.size());   // the split report, then the question
    EXPECT_EQ("File contains truncated lines\nSave anyway?", ui.boxes[1].text);
    EXPECT_TRUE(ui.boxes[1].style & kBoxYesNo);
    EXPECT_EQ(a + b + "\n", ReadWholeFile(path));
    EXPECT_EQ(kDocModified | kDocTruncated, doc->flags & (kDocModified | kDocTruncated));

    // Closing the window with "Save modifications? Yes" asks the same.
    ui.boxes.clear();
    ui.Answer(kAnswerYes);
    EXPECT_FALSE(CloseEditorWindow(g_editor->view));
    EXPECT_EQ((Lines{"The file " + Lowered(path) + " has been changed. Save modifications?",
                     "File contains truncated lines\nSave anyway?"}),
              ui.Texts());
    EXPECT_EQ(a + b + "\n", ReadWholeFile(path));

    ui.Answer(kAnswerYes);
    EXPECT_TRUE(SaveDocument());
    EXPECT_EQ(0, doc->flags & (kDocModified | kDocTruncated));
    EXPECT_EQ(a + "\r\n" + b + "\r\n", ReadWholeFile(path));

    // Reload throws edits away only when the user says so.
    RegisterEditorCommands();
    ReplaceLine(doc, 0, "edited");
    ui.boxes.clear();
    FindHandler(IDM_RELOAD)(IDM_RELOAD, 0);
    EXPECT_EQ(Lines{Lowered(path) + " has been modified.\nReload it from the disk and lose the changes?"},
              ui.Texts());
    EXPECT_EQ("edited", LinesOf(doc)[0]);
    ui.Answer(kAnswerYes);
    FindHandler(IDM_RELOAD)(IDM_RELOAD, 0);
    EXPECT_EQ(a, LinesOf(doc)[0]);
    ClearHandlers();
}

// With "check before saving" on, each language's check runs, whatever case its name is written
// in; a failed check asks, and No leaves the file as it was.
TEST_F(WriteTest, TheLanguageCheckRunsBeforeSaving) {
    AddBuiltinLanguages();
    g_app->optionByte |= kOptionCheckBeforeSave;
    static std::string checked;
    checked.clear();
    g_editorHooks.checkCSyntax = [](Document *) { checked += "C "; return true; };
    g_editorHooks.checkEiffelSyntax = [](Document *) {
        checked += "Eiffel ";
        CopyBounded(g_scratch, "missing end", 32);
        return false;
    };
    Document *source = OpenFile("MAIN.C", "int x;\n");
    source->flags |= kDocModified;
    EXPECT_TRUE(SaveDocument());
    std::string path = PathOf("ROOT.E");
    Document *eiffel = OpenFile("ROOT.E", "class ROOT\n");
    eiffel->flags |= kDocModified;
    EXPECT_FALSE(SaveDocument());   // answered No
    EXPECT_EQ("C Eiffel ", checked);
    EXPECT_EQ(Lines{"missing end\nSave?"}, ui.Texts());
    EXPECT_EQ("class ROOT\n", ReadWholeFile(path));
    ResetEditorHooks();
    FreeLanguages();
}

// A short write must not cost the user the file on disk, nor leave debris in the directory.
TEST_F(WriteTest, FailedWriteKeepsTheFileIntact) {
    g_app->optionByte |= kOptionMakeBackups;
    struct Case { const char *name, *backup; int lines; long budget; };
    Lines files;
    // The last document is larger than the write buffer: its first part is written fine.
    for (Case c : {Case{"A.C", "A.~C", 3, 0}, Case{"B.C", "B.~C", 3, 5},
                   Case{"C.C", "C.~C", 4000, 200000}}) {
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
        EXPECT_EQ(Lines{"Write error. Is the disk full?"}, ui.Texts()) << c.name;
        EXPECT_TRUE(doc->flags & kDocModified);
        EXPECT_EQ(original, ReadWholeFile(PathOf(c.name))) << c.name;
        EXPECT_EQ(files, FilesIn(dir)) << c.name;   // no backup, no temporary file

        // Once the disk has room again, the save goes through.
        EXPECT_TRUE(SaveDocument());
        EXPECT_EQ(original, ReadWholeFile(PathOf(c.backup)));
        EXPECT_EQ("changed\r\nline 1", ReadWholeFile(PathOf(c.name)).substr(0, 15));
        files.push_back(c.backup);
        std::sort(files.begin(), files.end());
    }
}

TEST_F(WriteTest, PathsThatCannotBeWritten) {
    std::string path = PathOf("NODIR\\X.C");
    ASSERT_TRUE(OpenDocument(path.c_str()));
    Document *doc = g_editor->doc;
    doc->flags |= kDocModified;
    EXPECT_FALSE(SaveDocument());
    EXPECT_TRUE(doc->flags & kDocModified);
    std::string other = PathOf("OTHER.C");
    EXPECT_FALSE(WriteDocument(other.c_str()));
    EXPECT_EQ((Lines{"Impossible to open " + path + " for writing!", "Internal error: File " + other + " does not exist!"}),
              ui.Texts());
    EXPECT_FALSE(PathExists(other));
}

} // namespace
