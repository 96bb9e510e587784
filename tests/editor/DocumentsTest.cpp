// The list of open documents and the commands on whole documents: open, save as, save all,
// reload, insert file, the check for changed files, quiet loads and file information.
#include "core/Messages.h"
#include "editor/DocumentTestSupport.h"
#include "editor/Language.h"
#include "editor/OutputWindow.h"
#include "platform/Files.h"

namespace {

class DocumentsTest : public DocumentTest {};

typedef std::vector<std::string> Lines;

std::vector<std::string> DocumentPaths() {
    std::vector<std::string> paths;
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

// Rewrites a file and moves its time `seconds` ahead, so that the change shows in FileTime.
void Rewrite(const std::string &path, const std::string &bytes, int seconds) {
    WriteWholeFile(path, bytes);
    ULARGE_INTEGER t;
    GetSystemTimeAsFileTime(reinterpret_cast<FILETIME *>(&t));
    t.QuadPart += seconds * 10000000ULL;
    FILETIME when = {t.LowPart, t.HighPart};
    HANDLE h = CreateFileA(path.c_str(), FILE_WRITE_ATTRIBUTES, 0, nullptr, OPEN_EXISTING, 0,
                           nullptr);
    ASSERT_NE(INVALID_HANDLE_VALUE, h);
    SetFileTime(h, nullptr, nullptr, &when);
    CloseHandle(h);
}

TEST_F(DocumentsTest, ListIsSortedAndNamesAreUpperCased) {
    for (const char *path : {"C:\\B.C", "untitled", "C:\\A.C", "C:\\AB.C"})
        ASSERT_NE(nullptr, FindDocument(path, true));
    EXPECT_EQ(FindDocument("C:\\B.C", false), FindDocument("C:\\B.C", true));
    EXPECT_EQ(nullptr, FindDocument("C:\\Z.C", false));
    EXPECT_EQ((std::vector<std::string>{"C:\\A.C", "C:\\AB.C", "C:\\B.C", "untitled"}),
              DocumentPaths());

    std::string path = PathOf("MAIN.C");
    WriteWholeFile(path, "x\n");
    ASSERT_TRUE(OpenDocument(Lower(path).c_str()));
    Document *doc = g_editor->doc;
    EXPECT_EQ(path, doc->path);
    ASSERT_TRUE(OpenDocument(path.c_str()));
    EXPECT_EQ(doc, g_editor->doc);
    EXPECT_EQ(1, ViewCount());
    EXPECT_EQ(5u, DocumentPaths().size());
    EXPECT_EQ("untitled", DocumentPaths().back());

    // Quotes, or else the first blank, end the path.
    char parsed[kMaxPathLength + 1];
    ASSERT_TRUE(DocumentPath("\"c:\\my dir\\a.c\" -x", parsed));
    EXPECT_STREQ("C:\\MY DIR\\A.C", parsed);
    ASSERT_TRUE(DocumentPath("c:\\a.c 12", parsed));
    EXPECT_STREQ("C:\\A.C", parsed);
    EXPECT_TRUE(ui.boxes.empty());
}

TEST_F(DocumentsTest, OpeningAnOpenDocumentDoesNotReadItAgain) {
    Document *doc = OpenFile("KEEP.C", "first\n");
    WriteWholeFile(PathOf("KEEP.C"), "second\n");
    OpenFile("OTHER.C", "other\n");
    ASSERT_TRUE(OpenDocument(Lower(PathOf("KEEP.C")).c_str()));
    EXPECT_EQ(doc, g_editor->doc);
    EXPECT_EQ(doc, g_editor->view->doc);
    EXPECT_EQ((Lines{"first"}), LinesOf(doc));
    EXPECT_EQ(2, ViewCount());
}

TEST_F(DocumentsTest, PathsOver120CharactersAreRefused) {
    std::string base = dir + "\\";
    ASSERT_LT(base.size(), 100u);
    std::string longest = base + std::string(118 - base.size(), 'N') + ".C";
    std::string tooLong = base + std::string(119 - base.size(), 'N') + ".C";
    ASSERT_EQ(120u, longest.size());
    ASSERT_TRUE(OpenDocument(longest.c_str()));
    EXPECT_NE(nullptr, FindDocument(longest.c_str(), false));
    EXPECT_TRUE(ui.boxes.empty());

    EXPECT_FALSE(OpenDocument(tooLong.c_str()));
    ASSERT_EQ(1u, ui.boxes.size());
    EXPECT_EQ("[" + tooLong + "]: incorrect file name", ui.boxes[0].text);
    EXPECT_EQ(1u, DocumentPaths().size());
    EXPECT_EQ(1, ViewCount());
    EXPECT_EQ(nullptr, FindDocument(tooLong.c_str(), true));
    EXPECT_EQ(1u, DocumentPaths().size());
}

TEST_F(DocumentsTest, QuietLoadsAndClosedViewsReleaseEverything) {
    std::string path = PathOf("Q.C");
    WriteWholeFile(path, "q1\nq2\n");
    Document *current = OpenFile("CUR.C", "c\n");
    RememberRecentFile(path.c_str());   // the recent-files copy outlives the document
    FormatScratch("%s", "");
    long inUse = g_memoryStats.inUse;

    EXPECT_EQ(nullptr, LoadQuiet(PathOf("MISSING.C").c_str()));
    EXPECT_EQ(nullptr, FindDocument(PathOf("MISSING.C").c_str(), false));
    Document *quiet = LoadQuiet(path.c_str());
    ASSERT_NE(nullptr, quiet);
    EXPECT_EQ((Lines{"q1", "q2"}), LinesOf(quiet));
    EXPECT_EQ(0, quiet->viewCount);
    EXPECT_EQ(current, g_editor->doc);
    EXPECT_EQ(quiet, LoadQuiet(path.c_str()));
    FreeDocument(quiet);
    EXPECT_EQ(nullptr, FindDocument(path.c_str(), false));
    EXPECT_EQ(inUse, g_memoryStats.inUse);

    View *first = AttachView(nullptr, path.c_str());
    ASSERT_TRUE(ReadDocument(path.c_str()));
    View *second = AttachView(nullptr, path.c_str());
    ASSERT_EQ(first->doc, second->doc);
    EXPECT_EQ(2, first->doc->viewCount);
    DetachView(first);
    EXPECT_NE(nullptr, FindDocument(path.c_str(), false));
    DetachView(second);
    EXPECT_EQ(nullptr, FindDocument(path.c_str(), false));
    EXPECT_EQ(inUse, g_memoryStats.inUse);

    // The file-less "untitled" shows in one window at a time: a new view replaces the old.
    AttachView(nullptr, "untitled")->doc->flags |= kDocNoFile;
    View *replacing = AttachView(nullptr, "untitled");
    EXPECT_EQ(1, replacing->doc->viewCount);
    EXPECT_EQ(2, ViewCount());   // CUR.C's and the new one
    EXPECT_TRUE(ui.boxes.empty());
}

TEST_F(DocumentsTest, SaveAsRenamesAndResorts) {
    OpenFile("B.C", "b\n");
    Document *d = OpenFile("D.C", "d\n");
    ASSERT_NE(nullptr, AttachView(nullptr, "untitled"));
    Document *untitled = g_editor->doc;
    untitled->flags |= kDocNoFile;
    LinkLineAfter(untitled->sentinel, NewLine("u  ", 3));
    untitled->lineCount = 1;

    ui.fileNames.push_back(Lower(PathOf("A.C")));
    ASSERT_TRUE(SaveAs());
    EXPECT_EQ(PathOf("A.C"), untitled->path);
    EXPECT_EQ((std::vector<std::string>{PathOf("A.C"), PathOf("B.C"), PathOf("D.C")}),
              DocumentPaths());
    EXPECT_EQ("u\r\n", ReadWholeFile(PathOf("A.C")));
    EXPECT_EQ(0, untitled->flags & (kDocNoFile | kDocModified));

    for (View *view = g_editor->views; view; view = view->next)
        if (view->doc == d)
            MakeCurrent(view);
    ui.fileNames.push_back(Lower(PathOf("B.C")));
    EXPECT_FALSE(SaveAs());
    ASSERT_EQ(1u, ui.boxes.size());
    EXPECT_EQ("Name already used", ui.boxes[0].text);
    EXPECT_EQ("Information", ui.boxes[0].title);
    EXPECT_EQ(PathOf("D.C"), d->path);
    EXPECT_EQ(0, d->flags & kDocModified);
    EXPECT_EQ("b\n", ReadWholeFile(PathOf("B.C")));
    EXPECT_EQ("d\n", ReadWholeFile(PathOf("D.C")));

    EXPECT_FALSE(SaveAs());   // dialog cancelled
    EXPECT_EQ(PathOf("D.C"), d->path);
    EXPECT_EQ(3u, DocumentPaths().size());
}

TEST_F(DocumentsTest, SaveAllSavesTheModifiedAndStopsAtAFailure) {
    Document *a = OpenFile("A.C", "a\n");
    ReplaceLine(a, 0, "a2");
    Document *b = OpenFile("B.C", "b\n");
    View *bView = g_editor->view;
    Document *c = OpenFile("C.C", "c\n");
    ReplaceLine(c, 0, "c2");
    ASSERT_TRUE(OpenDocument(PathOf("B.C").c_str()));
    ASSERT_EQ(b, g_editor->doc);
    WriteWholeFile(PathOf("B.C"), "b on disk");   // b is unmodified: must not be written

    EXPECT_TRUE(SaveAll());
    EXPECT_EQ("a2\r\n", ReadWholeFile(PathOf("A.C")));
    EXPECT_EQ("b on disk", ReadWholeFile(PathOf("B.C")));
    EXPECT_EQ("c2\r\n", ReadWholeFile(PathOf("C.C")));
    EXPECT_EQ(0, (a->flags | c->flags) & kDocModified);
    EXPECT_EQ(b, g_editor->doc);
    EXPECT_EQ(bView, g_editor->view);

    // The current document is saved like the others, its cursor kept inside the trimmed line.
    ReplaceLine(b, 0, "b2   ");
    bView->current = FirstLine(b);
    bView->column = 5;
    EXPECT_TRUE(SaveAll());
    EXPECT_EQ("b2\r\n", ReadWholeFile(PathOf("B.C")));
    EXPECT_EQ(2, bView->column);

    ReplaceLine(a, 0, "a3");
    a->flags |= kDocTruncated;   // its question is answered No
    ReplaceLine(c, 0, "c3");
    EXPECT_FALSE(SaveAll());
    EXPECT_EQ(1u, ui.boxes.size());
    EXPECT_EQ("a2\r\n", ReadWholeFile(PathOf("A.C")));
    EXPECT_EQ("c2\r\n", ReadWholeFile(PathOf("C.C")));
    EXPECT_TRUE(c->flags & kDocModified);
    EXPECT_EQ(b, g_editor->doc);
    EXPECT_EQ(bView, g_editor->view);
}

TEST_F(DocumentsTest, ReloadKeepsTheCursorLineWithinTheNewText) {
    std::string path = PathOf("R.C");
    Document *doc = OpenFile("R.C", "1\n2\n3\n4\n5\n6\n7\n8\n9\n10\n");
    View *view = g_editor->view;
    view->current = LineAt(doc, 7);
    view->top = LineAt(doc, 5);
    doc->flags |= kDocModified | kDocCommentsValid;

    WriteWholeFile(path, "a\nb\nc\nd\ne\n");
    ASSERT_TRUE(ReloadDocument());
    EXPECT_EQ((Lines{"a", "b", "c", "d", "e"}), LinesOf(doc));
    EXPECT_EQ(5, doc->lineCount);
    EXPECT_EQ(0, doc->flags);
    EXPECT_EQ(LineAt(doc, 4), view->current);
    EXPECT_EQ(LineAt(doc, 4), view->top);

    view->current = LineAt(doc, 2);
    view->top = FirstLine(doc);
    WriteWholeFile(path, "w\nx\ny\nz\n");
    ASSERT_TRUE(ReloadDocument());
    EXPECT_EQ(LineAt(doc, 2), view->current);
    EXPECT_EQ(FirstLine(doc), view->top);
    EXPECT_TRUE(ui.boxes.empty());
}

TEST_F(DocumentsTest, InsertedFileLandsAboveTheCursorLineSelected) {
    Document *doc = OpenFile("MAIN.C", "one\ntwo\nthree\n");
    std::string part = PathOf("PART.H");
    WriteWholeFile(part, "x\r\ny\n");
    View *view = g_editor->view;
    Line *two = LineAt(doc, 1);
    view->current = two;
    view->column = 2;
    doc->flags |= kDocCommentsValid;

    ASSERT_TRUE(InsertFile(part.c_str()));
    EXPECT_EQ((Lines{"one", "x", "y", "two", "three"}), LinesOf(doc));
    EXPECT_EQ(5, doc->lineCount);
    EXPECT_EQ(two, view->current);
    EXPECT_EQ(0, view->column);
    EXPECT_EQ(LineAt(doc, 1), view->anchor);
    EXPECT_EQ(0, view->anchorColumn);
    EXPECT_STREQ("2 lines read", StatusText());
    EXPECT_FALSE(doc->flags & kDocCommentsValid);
    EXPECT_TRUE(doc->flags & kDocModified);

    view->current = FirstLine(doc);
    ASSERT_TRUE(InsertFile(part.c_str()));
    EXPECT_EQ((Lines{"x", "y", "one", "x", "y", "two", "three"}), LinesOf(doc));
    EXPECT_EQ(7, doc->lineCount);
    EXPECT_EQ(FirstLine(doc), view->anchor);
    EXPECT_TRUE(ui.boxes.empty());

    std::string missing = PathOf("NONE.H");
    EXPECT_FALSE(InsertFile(missing.c_str()));
    ASSERT_EQ(1u, ui.boxes.size());
    EXPECT_EQ("File " + missing + " not found!", ui.boxes[0].text);
    EXPECT_EQ(7u, LinesOf(doc).size());
    EXPECT_EQ(7, doc->lineCount);
}

TEST_F(DocumentsTest, ChangedFilesAreOfferedForReloadOncePerChange) {
    std::string path = PathOf("W.C");
    Document *doc = OpenFile("W.C", "old\n");
    Document *other = OpenFile("OTHER.C", "o\n");
    View *active = g_editor->view;
    CheckFilesChangedOnDisk();
    EXPECT_TRUE(ui.boxes.empty());

    Rewrite(path, "new\n", 10);
    ui.Answer(kAnswerYes);
    CheckFilesChangedOnDisk();
    ASSERT_EQ(1u, ui.boxes.size());
    EXPECT_EQ("File " + path + " has been changed. Reload from disk?", ui.boxes[0].text);
    EXPECT_EQ((Lines{"new"}), LinesOf(doc));
    EXPECT_EQ(other, g_editor->doc);
    EXPECT_EQ(active, g_editor->view);
    CheckFilesChangedOnDisk();
    EXPECT_EQ(1u, ui.boxes.size());

    Rewrite(path, "newer\n", 20);
    CheckFilesChangedOnDisk();   // answered No
    EXPECT_EQ(2u, ui.boxes.size());
    EXPECT_EQ((Lines{"new"}), LinesOf(doc));
    CheckFilesChangedOnDisk();
    EXPECT_EQ(2u, ui.boxes.size());

    DeleteFileA(path.c_str());   // a vanished file is not a change to reload
    CheckFilesChangedOnDisk();
    EXPECT_EQ(2u, ui.boxes.size());
}

TEST_F(DocumentsTest, FileInformationTexts) {
    std::string path = PathOf("INFO.TXT");
    Document *doc = OpenFile("INFO.TXT", "abc\nde\n\n");
    g_editor->view->current = LineAt(doc, 1);
    g_editor->view->column = 1;
    FileInfoTexts info;
    GetFileInfoTexts(&info);
    EXPECT_EQ("Information about '" + Lower(path) + "'", info.title);
    EXPECT_STREQ("Line 2 (62%) Column 2", info.position);   // offset 5 of 8
    EXPECT_STREQ("8 bytes, 4 lines", info.size);
    EXPECT_STREQ("No marks", info.marks);
    EXPECT_STREQ("--", info.language);
    EXPECT_FALSE(info.modified);
    EXPECT_NE('\0', info.date[0]);

    ReplaceLine(doc, 2, "fgh");
    g_editor->view->current = LineAt(doc, 2);
    g_editor->view->column = 3;
    GetFileInfoTexts(&info);
    EXPECT_STREQ("Line 3 (90%) Column 4", info.position);   // offset 10 of 11
    EXPECT_TRUE(info.modified);

    ASSERT_TRUE(OpenDocument(PathOf("EMPTY.TXT").c_str()));
    GetFileInfoTexts(&info);
    EXPECT_STREQ("Line 1 (0%) Column 1", info.position);
    EXPECT_STREQ("0 bytes, 1 lines", info.size);
    EXPECT_STREQ("", info.date);

    Language c = {nullptr, GetString(1197), "c h"};
    g_languages = &c;
    doc = OpenFile("X.C", "int a;\n");
    g_languages = nullptr;
    GetFileInfoTexts(&info);
    EXPECT_STREQ("C Language, 0 functions", info.language);
    EXPECT_TRUE(doc->flags & kDocCSource);
}

} // namespace
