// The list of open documents and the commands on whole documents: open, save as, save all,
// reload, insert file, the check for changed files, quiet loads and file information.
#include "base/Memory.h"
#include "base/MessageIds.h"
#include "base/Messages.h"
#include "editor/DocumentTestSupport.h"
#include "editor/Language.h"
#include "platform/Files.h"
#include "ui/OutputWindow.h"

namespace {

class DocumentsTest : public DocumentTest {};

Lines DocumentPaths() {
    Lines paths;
    for (Document *doc = g_editor->documents; doc; doc = doc->next)
        paths.push_back(doc->path);
    return paths;
}

int ViewCount() {
    int n = 0;
    for (View *view = g_editor->views; view; view = view->next)
        n++;
    return n;
}

// main.c and MAIN.C are one document, and opening it again neither re-reads it nor adds a
// view; a path of 120 characters is taken, one of 121 refused.
TEST_F(DocumentsTest, OpeningByPath) {
    Document *doc = OpenFile("KEEP.C", "first\n");
    EXPECT_EQ(PathOf("KEEP.C"), doc->path);
    WriteWholeFile(PathOf("KEEP.C"), "second\n");
    OpenFile("OTHER.C", "other\n");
    ASSERT_TRUE(OpenDocument(Lowered(PathOf("KEEP.C")).c_str()));
    EXPECT_EQ(doc, g_editor->doc);
    EXPECT_EQ(doc, g_editor->view->doc);
    EXPECT_EQ((Lines{"first"}), LinesOf(doc));
    EXPECT_EQ(2, ViewCount());

    std::string base = dir + "\\";
    ASSERT_LT(base.size(), 100u);
    std::string longest = base + std::string(118 - base.size(), 'N') + ".C";
    std::string tooLong = longest + "C";
    ASSERT_EQ(120u, longest.size());
    ASSERT_TRUE(OpenDocument(longest.c_str()));
    EXPECT_FALSE(OpenDocument(tooLong.c_str()));
    EXPECT_EQ(nullptr, FindDocument(tooLong.c_str(), true));
    ASSERT_EQ(2u, ui.boxes.size());   // one box for each refusal, none for the longest
    EXPECT_EQ("[" + tooLong + "]: incorrect file name", ui.boxes[0].text);
    EXPECT_EQ(3u, DocumentPaths().size());
    EXPECT_EQ(3, ViewCount());

    // A directory is no document, with or without its backslash.
    ui.boxes.clear();
    EXPECT_FALSE(OpenDocument((dir + "\\").c_str()));
    EXPECT_FALSE(OpenDocument(dir.c_str()));
    ASSERT_EQ(2u, ui.boxes.size());
    EXPECT_EQ("[" + dir + "\\]: incorrect file name", ui.boxes[0].text);
    EXPECT_EQ(3, ViewCount());
}

// A document goes with its last view, and gives back all it held.
TEST_F(DocumentsTest, ClosedViewsReleaseEverything) {
    std::string path = PathOf("Q.C");
    WriteWholeFile(path, "q1\nq2\n");
    OpenFile("CUR.C", "c\n");
    RememberRecentFile(path.c_str());   // the recent-files copy outlives the document
    FormatScratch("%s", "");
    long inUse = g_memoryStats.inUse;
    View *first = AttachView(nullptr, path.c_str());
    ASSERT_TRUE(ReadDocument(path.c_str()));
    View *second = AttachView(nullptr, path.c_str());
    ASSERT_EQ(first->doc, second->doc);
    DetachView(first);
    EXPECT_NE(nullptr, FindDocument(path.c_str(), false));
    DetachView(second);
    EXPECT_EQ(nullptr, FindDocument(path.c_str(), false));
    EXPECT_EQ(inUse, g_memoryStats.inUse);

    // The file-less "untitled" shows in one window at a time: a new view replaces the old.
    AttachView(nullptr, "untitled")->doc->flags |= kDocNoFile;
    EXPECT_EQ(1, AttachView(nullptr, "untitled")->doc->viewCount);
    EXPECT_EQ(2, ViewCount());   // CUR.C's and the new one
    EXPECT_TRUE(ui.boxes.empty());
}

TEST_F(DocumentsTest, SaveAsRenamesAndResorts) {
    OpenFile("B.C", "b\n");
    Document *d = OpenFile("D.C", "d\n");
    View *dView = g_editor->view;
    Document *untitled = AttachView(nullptr, "untitled")->doc;
    untitled->flags |= kDocNoFile;
    LinkLineAfter(untitled->sentinel, NewLine("u  ", 3));
    untitled->lineCount = 1;

    // Saving "untitled" asks for a name instead of writing a file called untitled.
    untitled->flags |= kDocModified;
    ui.fileNames.push_back(Lowered(PathOf("A.C")));
    ASSERT_TRUE(SaveDocument());
    EXPECT_EQ((Lines{PathOf("A.C"), PathOf("B.C"), PathOf("D.C")}), DocumentPaths());
    EXPECT_EQ("u\r\n", ReadWholeFile(PathOf("A.C")));
    EXPECT_EQ(0, untitled->flags & (kDocNoFile | kDocModified));

    MakeCurrent(dView);
    ui.fileNames.push_back(Lowered(PathOf("B.C")));
    EXPECT_FALSE(SaveAs());
    ASSERT_EQ(1u, ui.boxes.size());
    EXPECT_EQ("Name already used", ui.boxes[0].text);
    EXPECT_EQ("Information", ui.boxes[0].title);
    EXPECT_EQ("b\n", ReadWholeFile(PathOf("B.C")));
    EXPECT_FALSE(SaveAs());   // dialog cancelled
    EXPECT_EQ(PathOf("D.C"), d->path);
    EXPECT_EQ(0, d->flags & kDocModified);
    EXPECT_EQ(3u, DocumentPaths().size());
}

TEST_F(DocumentsTest, SaveAllSavesTheModifiedAndStopsAtAFailure) {
    Document *a = OpenFile("A.C", "a\n"), *b = OpenFile("B.C", "b\n"), *c = OpenFile("C.C", "c\n");
    ReplaceLine(a, 0, "a2");
    ReplaceLine(b, 0, "b2   ");
    ReplaceLine(c, 0, "c2");
    ASSERT_TRUE(OpenDocument(PathOf("B.C").c_str()));
    View *bView = g_editor->view;
    bView->column = 5;

    EXPECT_TRUE(SaveAll());
    EXPECT_EQ("a2\r\n", ReadWholeFile(PathOf("A.C")));
    EXPECT_EQ("b2\r\n", ReadWholeFile(PathOf("B.C")));
    EXPECT_EQ("c2\r\n", ReadWholeFile(PathOf("C.C")));
    EXPECT_EQ(0, (a->flags | b->flags | c->flags) & kDocModified);
    EXPECT_EQ(2, bView->column);   // kept inside the trimmed line
    EXPECT_EQ(b, g_editor->doc);
    EXPECT_EQ(bView, g_editor->view);

    ReplaceLine(a, 0, "a3");
    a->flags |= kDocTruncated;   // its question is answered No: the rest is not saved
    ReplaceLine(c, 0, "c3");
    EXPECT_FALSE(SaveAll());
    EXPECT_EQ(1u, ui.boxes.size());
    EXPECT_EQ("a2\r\n", ReadWholeFile(PathOf("A.C")));
    EXPECT_EQ("c2\r\n", ReadWholeFile(PathOf("C.C")));
    EXPECT_EQ(b, g_editor->doc);
    EXPECT_EQ(bView, g_editor->view);
}

TEST_F(DocumentsTest, ReloadKeepsTheCursorLineWithinTheNewText) {
    Document *doc = OpenFile("R.C", "1\n2\n3\n4\n5\n6\n7\n8\n9\n10\n");
    View *view = g_editor->view;
    view->current = LineAt(doc, 7);
    view->top = LineAt(doc, 5);
    doc->flags |= kDocModified | kDocCommentsValid;
    WriteWholeFile(PathOf("R.C"), "a\nb\nc\nd\ne\n");
    ASSERT_TRUE(ReloadDocument());
    EXPECT_EQ((Lines{"a", "b", "c", "d", "e"}), LinesOf(doc));
    EXPECT_EQ(0, doc->flags);
    EXPECT_EQ(LineAt(doc, 4), view->current);   // both clamped to the last line
    EXPECT_EQ(LineAt(doc, 4), view->top);

    view->current = LineAt(doc, 2);
    view->top = LineAt(doc, 1);
    ASSERT_TRUE(ReloadDocument());
    EXPECT_EQ(LineAt(doc, 2), view->current);
    EXPECT_EQ(LineAt(doc, 1), view->top);
    EXPECT_TRUE(ui.boxes.empty());
}

TEST_F(DocumentsTest, InsertedFileLandsAboveTheCursorLineSelected) {
    Document *doc = OpenFile("MAIN.C", "one\ntwo\nthree\n");
    std::string part = PathOf("PART.H"), missing = PathOf("NONE.H");
    WriteWholeFile(part, "x\r\ny\n");
    SetAge(part, 1000);   // older, so that mixing up the two files' times shows
    View *view = g_editor->view;
    Line *two = view->current = LineAt(doc, 1);
    view->column = 2;
    doc->flags |= kDocCommentsValid;

    ASSERT_TRUE(InsertFile(part.c_str()));
    EXPECT_EQ((Lines{"one", "x", "y", "two", "three"}), LinesOf(doc));
    EXPECT_EQ(two, view->current);
    EXPECT_EQ(0, view->column);
    EXPECT_EQ(LineAt(doc, 1), view->anchor);
    EXPECT_STREQ("2 lines read", StatusText());
    EXPECT_EQ(kDocModified, doc->flags & (kDocModified | kDocCommentsValid));

    view->current = FirstLine(doc);   // above the first line
    ASSERT_TRUE(InsertFile(part.c_str()));
    EXPECT_EQ((Lines{"x", "y", "one", "x", "y", "two", "three"}), LinesOf(doc));
    EXPECT_EQ(FirstLine(doc), view->anchor);
    EXPECT_TRUE(ui.boxes.empty());
    EXPECT_FALSE(InsertFile(missing.c_str()));
    EXPECT_EQ(Lines{"File " + missing + " not found!"}, ui.Texts());
    EXPECT_EQ(7, doc->lineCount);

    // The inserted file's time is not the document's: no question about a change on disk.
    CheckFilesChangedOnDisk();
    EXPECT_EQ(1u, ui.boxes.size());
}

// The document's recorded file time is set back to stand for a change made on disk.
TEST_F(DocumentsTest, ChangedFilesAreOfferedForReloadOncePerChange) {
    std::string path = PathOf("W.C");
    Document *doc = OpenFile("W.C", "old\n");
    Document *other = OpenFile("OTHER.C", "o\n");
    View *active = g_editor->view;
    CheckFilesChangedOnDisk();
    EXPECT_TRUE(ui.boxes.empty());

    for (int answer : {kAnswerYes, kAnswerNo}) {
        WriteWholeFile(path, answer == kAnswerYes ? "new\n" : "newer\n");
        doc->fileTime -= 10;
        ui.Answer(answer);
        CheckFilesChangedOnDisk();
        CheckFilesChangedOnDisk();   // asked once only
        ASSERT_EQ(answer == kAnswerYes ? 1u : 2u, ui.boxes.size());
        EXPECT_EQ("File " + path + " has been changed. Reload from disk?", ui.boxes.back().text);
        EXPECT_EQ((Lines{"new"}), LinesOf(doc));   // reloaded on Yes, kept on No
        EXPECT_EQ(other, g_editor->doc);
        EXPECT_EQ(active, g_editor->view);
    }
    DeleteFileA(path.c_str());   // a vanished file is not a change to reload
    CheckFilesChangedOnDisk();
    EXPECT_EQ(2u, ui.boxes.size());
}

TEST_F(DocumentsTest, FileInformationTexts) {
    Document *doc = OpenFile("INFO.TXT", "abc\nde\n\n");
    FileInfoTexts info;
    auto infoAt = [&](int line, int column) {
        g_editor->view->current = LineAt(g_editor->doc, line);
        g_editor->view->column = column;
        GetFileInfoTexts(&info);
    };
    infoAt(1, 1);
    EXPECT_EQ("Information about '" + Lowered(PathOf("INFO.TXT")) + "'", info.title);
    EXPECT_STREQ("Line 2 (62%) Column 2", info.position);   // offset 5 of 8
    EXPECT_STREQ("8 bytes, 4 lines", info.size);
    EXPECT_STREQ("No marks", info.marks);
    EXPECT_STREQ("--", info.language);
    EXPECT_FALSE(info.modified);
    EXPECT_NE('\0', info.date[0]);

    ReplaceLine(doc, 2, "fgh");
    infoAt(2, 3);
    EXPECT_STREQ("Line 3 (90%) Column 4", info.position);   // offset 10 of 11
    EXPECT_TRUE(info.modified);

    ASSERT_TRUE(OpenDocument(PathOf("EMPTY.TXT").c_str()));
    infoAt(0, 0);
    EXPECT_STREQ("Line 1 (0%) Column 1", info.position);
    EXPECT_STREQ("0 bytes, 1 lines", info.size);
    EXPECT_STREQ("", info.date);

    Language *c = AddLanguage(GetString(kStrLanguageC));
    SetLanguageText(&c->extensions, "C;H");
    OpenFile("X.C", "int a;\n");
    FreeLanguages();
    GetFileInfoTexts(&info);
    EXPECT_STREQ("C Language, 0 functions", info.language);
}

} // namespace
