// Autosave copies: when they are written, what they hold, and bringing them back.
#include "editor/Autosave.h"

#include <regex>

#include "base/AppState.h"
#include "base/ResourceIds.h"
#include "editor/EditTestSupport.h"
#include "editor/Language.h"
#include "platform/Files.h"
#include "ui/OutputWindow.h"

namespace {

class AutosaveTest : public EditTest {
protected:
    void SetUp() override {
        EditTest::SetUp();
        snprintf(g_app->compilerRoot, sizeof g_app->compilerRoot, "%s", dir.c_str());
        g_app->optionByte |= kOptionAutosave;
        CreateDirectoryA(PathOf("SUB").c_str(), nullptr);
        AddBuiltinLanguages();
    }
    void TearDown() override {
        StopAutosave();
        FreeLanguages();
        EditTest::TearDown();
    }
    std::string CopyOf(const std::string &name) {
        char path[600];
        EXPECT_TRUE(AutosavePath(PathOf(name).c_str(), path, sizeof path));
        return path;
    }
    // The autosave directory and the copies in it, by name.
    std::string Auto() const { return dir + "\\keltoautosave"; }
    Lines Copies() { return FilesIn(Auto()); }
    // Whether any file of the autosave directory holds `text`.
    bool SomeCopyHolds(const std::string &text) {
        for (const std::string &name : Copies())
            if (ReadWholeFile(Auto() + "\\" + name).find(text) != std::string::npos)
                return true;
        return false;
    }
};

} // namespace

TEST_F(AutosaveTest, RoundsWriteChangedDocumentsOnceEach) {
    Document *one = Doc("int a;\nint b;\n", "A.C");
    Type("x");
    Document *two = Doc("y\n", "SUB\\A.C");
    Type("z");
    AutosaveRound();
    EXPECT_STREQ("2 files autosaved", MessageLineText());
    EXPECT_EQ(kColourRed, MessageLineColour());   // one file name in two directories: AppTest's
    std::string bytes = ReadWholeFile(CopyOf("A.C"));
    std::smatch m;
    ASSERT_TRUE(std::regex_match(bytes, m, std::regex("Autosaved (\\S+) \\d+\\.\\d+\\.\\d+\\.\\d+\\.\\d+\\.\\d+\r\n"
                                                      "xint a;\r\nint b;\r\n")))
        << bytes;
    EXPECT_EQ(PathOf("A.C"), m[1].str());
    EXPECT_TRUE(one->flags & kDocAutosaved);

    // Unchanged since: not written again. Changed again: written at the next round.
    DeleteFileA(CopyOf("A.C").c_str());
    AutosaveRound();
    EXPECT_FALSE(PathExists(CopyOf("A.C")));
    Type("w");
    AutosaveRound();
    EXPECT_TRUE(PathExists(CopyOf("SUB\\A.C")));
    EXPECT_NE(std::string::npos, ReadWholeFile(CopyOf("SUB\\A.C")).find("\r\nzwy\r\n"));

    // Saving deletes the copy at once; the end of the run deletes the rest.
    ASSERT_TRUE(SaveDocument());
    EXPECT_FALSE(PathExists(CopyOf("SUB\\A.C")));
    EXPECT_FALSE(two->flags & kDocAutosaved);
    MakeCurrent(FirstViewOf(one));
    Type("v");
    AutosaveRound();
    EXPECT_TRUE(PathExists(CopyOf("A.C")));
    StopAutosave();
    EXPECT_TRUE(Copies().empty());
    EXPECT_TRUE(ui.boxes.empty());
}

TEST_F(AutosaveTest, AFailedWriteKeepsThePreviousCopyAndStopsTheRound) {
    Doc("keep\n", "K.C");
    Type("1");
    AutosaveRound();
    std::string first = ReadWholeFile(CopyOf("K.C"));
    Type("2");
    // The new copy cannot be made: a directory stands where it would be written.
    CreateDirectoryA((CopyOf("K.C") + ".tmp").c_str(), nullptr);
    AutosaveRound();
    EXPECT_EQ(Lines{"Impossible to autosave " + CopyOf("K.C") + ". Disk Full?"}, ui.Texts());
    EXPECT_EQ(first, ReadWholeFile(CopyOf("K.C")));
}

TEST_F(AutosaveTest, CopiesComeBackAfterACrash) {
    WriteWholeFile(PathOf("M.C"), "old main\n");
    Doc("old main\n", "M.C");
    Type("new ");
    Doc("other\n", "SUB\\O.TXT");
    Type("more ");
    AutosaveRound();
    std::string mainCopy = CopyOf("M.C");
    // A copy named the old way, and a half-written one beside a whole copy.
    CreateDirectoryA((dir + "\\keltoautosave").c_str(), nullptr);
    WriteWholeFile(dir + "\\keltoautosave\\n.c", "Autosaved " + PathOf("SUB\\N.C") + " 1.2.3.4.5.6\r\nnine\r\n");
    WriteWholeFile(mainCopy + ".tmp", "Autosaved cut");

    // The next run: nothing open, the copies are offered and accepted.
    NewEditorState();
    ui.fileListAnswers.push_back(IDOK);
    ASSERT_TRUE(RestoreAutosaved());
    ASSERT_EQ(1u, ui.fileLists.size());
    EXPECT_EQ(std::to_string(IDD_MODIFIED_FILES), ui.fileLists[0][0]);
    EXPECT_EQ(4u, ui.fileLists[0].size());
    EXPECT_NE(std::string::npos, ui.fileLists[0][1].find(Lowered(PathOf(""))));
    Document *main = FindDocument(PathOf("M.C").c_str(), false);
    Document *nine = FindDocument(PathOf("SUB\\N.C").c_str(), false);
    ASSERT_TRUE(main && nine);
    EXPECT_EQ(Lines{"new old main"}, LinesOf(main));   // without the copy's header
    EXPECT_EQ(Lines{"nine"}, LinesOf(nine));
    EXPECT_TRUE(main->flags & kDocModified);
    EXPECT_NE(nullptr, main->language);
    // Restored text is never only in memory: each has a copy under its own name.
    EXPECT_TRUE(PathExists(mainCopy));
    EXPECT_TRUE(PathExists(CopyOf("SUB\\N.C")));
    EXPECT_FALSE(PathExists(dir + "\\keltoautosave\\n.c"));
    EXPECT_FALSE(PathExists(mainCopy + ".tmp"));
    EXPECT_EQ("old main\n", ReadWholeFile(PathOf("M.C")));

    // Another run that forgets them: asked, they are erased.
    NewEditorState();
    ui.fileListAnswers.push_back(IDC_FORGET);
    ui.Answer(kAnswerNo);
    EXPECT_FALSE(RestoreAutosaved());
    EXPECT_EQ(3u, Copies().size());
    ui.fileListAnswers.push_back(IDC_FORGET);
    ui.Answer(kAnswerYes);
    EXPECT_FALSE(RestoreAutosaved());
    EXPECT_EQ("Erase the autosaved files?", ui.Texts().back());
    EXPECT_TRUE(Copies().empty());
    EXPECT_EQ(nullptr, FindDocument(PathOf("M.C").c_str(), false));
}

TEST_F(AutosaveTest, AnUnwritableDirectorySwitchesAutosaveOff) {
    CreateDirectoryA((dir + "\\keltoautosave").c_str(), nullptr);
    InjectWriteFailure(0);
    EXPECT_FALSE(RestoreAutosaved());
    InjectWriteFailure(-1);
    EXPECT_EQ(Lines{"Impossible to write to autosave dir\n" + dir + "\\keltoautosave\nAutosave will be disabled"},
              ui.Texts());
    EXPECT_FALSE(g_app->optionByte & kOptionAutosave);
    // A missing directory is made, and there is nothing to offer.
    g_app->optionByte |= kOptionAutosave;
    RemoveTree(dir + "\\keltoautosave");
    EXPECT_FALSE(RestoreAutosaved());
    EXPECT_TRUE(PathExists(dir + "\\keltoautosave"));
    EXPECT_TRUE(ui.fileLists.empty());
}

TEST_F(AutosaveTest, TheNewestCopyOfADocumentWinsAndNothingElseIsLostNotEvenAnUnreadableFile) {
    CreateDirectoryA(Auto().c_str(), nullptr);
    WriteWholeFile(PathOf("M.C"), "disk\r\n");
    WriteWholeFile(Auto() + "\\m.c", "Autosaved " + PathOf("M.C") + " 2020.1.1.0.0.0\r\nolder edit\r\n");
    WriteWholeFile(CopyOf("M.C"), "Autosaved " + PathOf("M.C") + " 2020.1.1.0.9.0\r\nnewer edit\r\n");
    // A copy named in capitals, and a file that is not a copy at all.
    std::string upper = CopyOf("U.C");
    UpperCase(&upper[0]);
    WriteWholeFile(upper, "Autosaved " + PathOf("U.C") + " 1.2.3.4.5.6\r\nonly here\r\n");
    WriteWholeFile(Auto() + "\\notes.tmp", "mine\r\n");
    // A file that cannot be read (another program holds it) is still restored from its copy.
    WriteWholeFile(PathOf("L.C"), "disk\r\n");
    WriteWholeFile(CopyOf("L.C"), "Autosaved " + PathOf("L.C") + " 1.2.3.4.5.6\r\ncrash edit\r\n");
    HANDLE held = CreateFileA(PathOf("L.C").c_str(), GENERIC_READ, 0, nullptr, OPEN_EXISTING, 0, nullptr);
    ASSERT_NE(INVALID_HANDLE_VALUE, held);
    ui.fileListAnswers.push_back(IDOK);
    EXPECT_TRUE(RestoreAutosaved());
    CloseHandle(held);
    EXPECT_EQ(4u, ui.fileLists[0].size());   // one entry per document
    Document *main = FindDocument(PathOf("M.C").c_str(), false), *locked = FindDocument(PathOf("L.C").c_str(), false);
    ASSERT_TRUE(main && locked);
    EXPECT_EQ(Lines{"newer edit"}, LinesOf(main));
    EXPECT_EQ(Lines{"crash edit"}, LinesOf(locked));
    EXPECT_FALSE(PathExists(Auto() + "\\m.c"));
    EXPECT_TRUE(SomeCopyHolds("only here"));
    EXPECT_TRUE(SomeCopyHolds("crash edit"));
    EXPECT_TRUE(PathExists(Auto() + "\\notes.tmp"));
}
