// Kelto as a user meets it: files named on the command line, typing and saving, closing with
// modified files, the previous session coming back, and the File menu.
#include <gtest/gtest.h>

#include "AppDriver.h"
#include "base/CommandIds.h"
#include "base/ResourceIds.h"
#include "editor/DocumentTestSupport.h"   // FilesIn, Lowered

#include <algorithm>
#include <functional>
#include <map>

namespace {

const char kSixLines[] = "l1\r\nl2\r\nl3\r\nl4\r\nl5\r\nl6\r\n";

std::vector<std::string> ListBoxItems(HWND dialog) {
    std::vector<std::string> items = ListItems(GetDlgItem(dialog, IDC_FILE_LIST));
    for (std::string &item : items)
        item = Lowered(item);
    return items;
}

void Activate(const KeltoApp &app, HWND editor) {
    SendMessageA(app.client, WM_MDIACTIVATE, reinterpret_cast<WPARAM>(editor), 0);
    app.Settle();
}

// Types into an editor window, then saves with Ctrl+S.
void TypeAndSave(const KeltoApp &app, HWND editor, const std::string &text) {
    KeltoApp::Type(editor, text);
    app.Settle();
    KeltoApp::Key(editor, 'S', true);
    app.Settle();
}

// The File menu, wherever it is on the bar (a maximised editor window puts its system menu
// first).
std::vector<MenuItem> FileMenu(const KeltoApp &app) { return app.MenuItems(IDM_FILE_NEW); }

UINT StateOf(const std::vector<MenuItem> &menu, UINT id) {
    for (const MenuItem &item : menu)
        if (item.id == id)
            return item.state;
    return static_cast<UINT>(-1);
}

// The recently closed files at the end of the File menu: their texts, after a separator.
std::vector<std::string> RecentFiles(const KeltoApp &app) {
    std::vector<MenuItem> menu = FileMenu(app);
    std::vector<std::string> texts;
    size_t i = menu.size();
    while (i > 0 && menu[i - 1].id >= IDM_FIRST_CLOSED_FILE && menu[i - 1].id <= IDM_LAST_CLOSED_FILE)
        i--;
    if (i == menu.size())
        return texts;
    if (i == 0 || !(menu[i - 1].state & MF_SEPARATOR))
        texts.push_back("<no separator>");
    for (; i < menu.size(); i++) {
        EXPECT_EQ(IDM_FIRST_CLOSED_FILE + texts.size(), menu[i].id);
        texts.push_back(menu[i].text);
    }
    return texts;
}

// A path as the File menu shows it: lower-cased, and a long one as "c:\...\name".
std::string Shown(const std::string &path) {
    std::string shown = Lowered(path);
    return shown.size() > 35 ? shown.substr(0, 3) + "..." + shown.substr(shown.rfind('\\')) : shown;
}

struct WindowCount { const KeltoApp *app; int n; };

BOOL CALLBACK CountOther(HWND window, LPARAM param) {
    WindowCount *count = reinterpret_cast<WindowCount *>(param);
    DWORD pid = 0;
    GetWindowThreadProcessId(window, &pid);
    if (pid == count->app->process.dwProcessId && IsWindowVisible(window) && window != count->app->frame)
        count->n++;
    return TRUE;
}

// The windows the process shows besides its frame (message boxes, dialogs).
int OtherWindows(const KeltoApp &app) {
    WindowCount count = {&app, 0};
    EnumWindows(CountOther, reinterpret_cast<LPARAM>(&count));
    return count.n;
}

std::vector<std::string> Titles(const KeltoApp &app) {
    std::vector<std::string> titles;
    for (HWND editor : app.Editors())
        titles.push_back(WindowText(editor));
    std::sort(titles.begin(), titles.end());
    return titles;
}

} // namespace

// Files named on the command line (a quoted path with blanks is one file) open maximised
// instead of the previous session, which stays saved for the next start without files.
TEST(AppCommandLine, OpensTheNamedFilesInsteadOfThePreviousSession) {
    KeltoApp app("cmdline");
    CreateDirectoryA(app.PathOf("SUB").c_str(), nullptr);
    CreateDirectoryA(app.PathOf("MY FILES").c_str(), nullptr);
    WriteWholeFile(app.PathOf("MAIN.C"), "int main(void)\r\n{\r\n    return 0;\r\n}\r\n");
    WriteWholeFile(app.PathOf("SUB\\NOTES.TXT"), "notes\r\n");
    WriteWholeFile(app.PathOf("MY FILES\\A.C"), "a\r\n");
    WriteWholeFile(app.PathOf("PREV.TXT"), "previous\r\n");
    WriteWholeFile(app.PathOf("OTHER.TXT"), "other\r\n");
    app.AddSetting("OpenFiles", "2");
    app.AddSetting("OpenFile1", app.PathOf("PREV.TXT") + " 1");
    app.AddSetting("OpenFile2", app.PathOf("OTHER.TXT") + " 1");
    app.AddSetting("CurrentFile", app.PathOf("PREV.TXT"));
    std::string settings = ReadWholeFile(app.settingsFile);

    ASSERT_TRUE(app.Start("-f main.c sub\\notes.txt \"my files\\a.c\""));
    ASSERT_TRUE(app.WaitForEditors(3)) << app.Editors().size();
    app.Settle();
    EXPECT_EQ((std::vector<std::string>{"main.c", "my files\\a.c", "sub\\notes.txt"}), Titles(app));
    EXPECT_TRUE(IsZoomed(app.ActiveEditor()));
    EXPECT_EQ(0, OtherWindows(app));
    HWND blanks = app.Editor("my files\\a.c");
    ASSERT_TRUE(blanks != nullptr);
    Activate(app, blanks);
    TypeAndSave(app, blanks, "x");
    EXPECT_FILE(app.PathOf("MY FILES\\A.C"), std::string("xa\r\n"));
    EXPECT_EQ("<missing>", ReadWholeFile(app.PathOf("MY")));
    // The menus keep the window list and the maximised window's buttons usable.
    bool listed = false;
    for (const MenuItem &item : app.MenuItems(IDM_CASCADE))
        if (item.id >= 30000 && item.id < 30100) {
            listed = true;
            EXPECT_EQ(0u, item.state & (MF_GRAYED | MF_DISABLED)) << item.text;
        }
    EXPECT_TRUE(listed);
    EXPECT_EQ(0, app.Close());
    // Files on the command line leave the saved session as it was; the settings are saved
    // (only -w turns that off).
    std::string saved = ReadWholeFile(app.settingsFile);
    EXPECT_NE(std::string::npos, saved.find(settings.substr(settings.find("V\tOpenFiles\t"))));
    EXPECT_NE(std::string::npos, saved.find("V\tTabsize\t4\n"));

    // Without files the one that was current comes back, alone.
    ASSERT_TRUE(app.Start("-f"));
    app.Settle();
    EXPECT_EQ(std::vector<std::string>{"prev.txt"}, Titles(app));
    EXPECT_EQ(0, OtherWindows(app));
    EXPECT_EQ(0, app.Close());
    EXPECT_EQ(saved, ReadWholeFile(app.settingsFile));
}

// Ctrl+S writes lines ended by CR LF without trailing blanks. A case-sensitive file system
// (Wine on Linux) keeps "main.c" and "MAIN.C" apart: the file keeps the name it has, and its
// backup (on by default) takes the same case. Then the everyday editing keys.
TEST(AppEditing, CtrlSWritesCrLfWithoutTrailingBlanksAndTheEverydayKeys) {
    KeltoApp app("typing");
    std::string path = app.PathOf("main.c");
    WriteWholeFile(path, "first  \nsecond\t \nthird");
    ASSERT_TRUE(app.Start("main.c"));
    ASSERT_TRUE(app.WaitForEditors(1));
    HWND editor = app.Editors()[0];
    EXPECT_EQ("main.c", WindowText(editor));

    TypeAndSave(app, editor, "ab\ncd");
    EXPECT_FILE(path, "ab\r\ncdfirst\r\nsecond\r\nthird\r\n");
    EXPECT_EQ((Lines{"BDX", "SETTINGS.TXT", "main.c", "main.~c"}), FilesIn(app.dir, true));
    EXPECT_EQ("first  \nsecond\t \nthird", ReadWholeFile(app.PathOf("main.~c")));

    // S alone is a letter; Ctrl+Shift+S still saves.
    KeltoApp::Key(editor, 'S');
    app.Settle();
    Sleep(200);
    EXPECT_EQ("ab\r\ncdfirst\r\nsecond\r\nthird\r\n", ReadWholeFile(path));
    KeltoApp::Key(editor, 'S', true, true);
    app.Settle();
    EXPECT_FILE(path, "ab\r\ncdsfirst\r\nsecond\r\nthird\r\n");

    // The keys every Windows editor has: undo and redo, select all, cut and paste; and
    // Alt+Backspace leaves the next key to the text, not to the menu bar.
    auto press = [&](int key, bool ctrl = false, bool alt = false) {
        KeltoApp::Key(editor, key, ctrl, false, alt);
        app.Settle();
    };
    press('X');                   // "cdsxfirst"
    press('Z', true);             // undone
    press('Y', true);             // redone
    press('S', true);
    EXPECT_FILE(path, "ab\r\ncdsxfirst\r\nsecond\r\nthird\r\n");
    press(VK_BACK, false, true);  // Alt+Backspace undoes
    press('W');                   // goes to the text: "cdswfirst"
    press('A', true);
    press('X', true);             // everything cut...
    press('V', true);             // ...and back
    press('V', true);             // and once more
    press('S', true);
    EXPECT_FILE(path, "ab\r\ncdswfirst\r\nsecond\r\nthirdab\r\ncdswfirst\r\nsecond\r\nthird\r\n");
    EXPECT_EQ(0, OtherWindows(app));
    EXPECT_EQ(0, app.Close());
}

// Closing a modified window asks whether to save it; exit lists the modified files only, and
// its Cancel keeps everything open. (Its Forget is the display test's way out.)
TEST(AppClose, ModifiedWindowsAskWhetherToSave) {
    KeltoApp app("closeone");
    for (const char *name : {"YES.TXT", "NO.TXT", "CANCEL.TXT", "SAME.TXT"})
        WriteWholeFile(app.PathOf(name), "text\r\n");
    ASSERT_TRUE(app.Start("yes.txt no.txt cancel.txt same.txt"));
    ASSERT_TRUE(app.WaitForEditors(4));

    struct Case { const char *name; int answer; bool byCommand; const char *onDisk; size_t windowsLeft; };
    const Case cases[] = {
        {"YES.TXT", IDYES, false, "xtext\r\n", 3},
        {"NO.TXT", IDNO, true, "text\r\n", 2},
        {"CANCEL.TXT", IDCANCEL, false, "text\r\n", 2},
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(c.name);
        HWND editor = app.Editor(Lowered(c.name));
        ASSERT_TRUE(editor != nullptr);
        Activate(app, editor);
        KeltoApp::Type(editor, "x");
        app.Settle();
        if (c.byCommand)
            app.Command(IDM_CLOSE);
        else
            PostMessageA(editor, WM_CLOSE, 0, 0);
        ASSERT_TRUE(app.AnswerBox("Information",
                                  "The file " + Lowered(app.PathOf(c.name)) + " has been changed. Save modifications?",
                                  c.answer));
        app.Settle();
        EXPECT_EQ(c.windowsLeft, app.Editors().size());
        EXPECT_EQ(c.answer != IDCANCEL, !IsWindow(editor));
        EXPECT_EQ(c.onDisk, ReadWholeFile(app.PathOf(c.name)));
    }
    // Saving on closing keeps no backup.
    EXPECT_EQ("<missing>", ReadWholeFile(app.PathOf("YES.~TX")));

    // The window kept after Cancel still has its change: exit asks about it (Cancel, then
    // Save all), and saves it.
    for (int answer : {IDCANCEL, IDOK}) {
        PostMessageA(app.frame, WM_CLOSE, 0, 0);
        HWND dialog = app.WaitForBox("Modified files");
        ASSERT_TRUE(dialog != nullptr);
        EXPECT_EQ(std::vector<std::string>{Lowered(app.PathOf("CANCEL.TXT"))}, ListBoxItems(dialog));
        PostMessageA(dialog, WM_COMMAND, MAKEWPARAM(answer, BN_CLICKED), 0);
        if (answer == IDCANCEL) {
            ASSERT_TRUE(WaitGone(dialog, 5));
            app.Settle();
            EXPECT_TRUE(app.Running());
            EXPECT_EQ(2u, app.Editors().size());
            EXPECT_EQ(0, OtherWindows(app));
        }
    }
    EXPECT_EQ(0, app.WaitForExit(10));
    EXPECT_EQ("xtext\r\n", ReadWholeFile(app.PathOf("CANCEL.TXT")));
    EXPECT_EQ("text\r\n", ReadWholeFile(app.PathOf("SAME.TXT")));
}

// The files of the last session come back at their lines, a file that is gone is reported;
// exit keeps the open files, their lines and the current one for the next start.
TEST(AppSession, ReopensTheOpenFilesAtTheirLines) {
    KeltoApp app("session");
    std::string a = app.PathOf("A.TXT"), b = app.PathOf("B.TXT");
    WriteWholeFile(a, kSixLines);
    WriteWholeFile(b, kSixLines);
    app.AddSetting("OpenFiles", "3");
    app.AddSetting("OpenFile1", a + " 3 20 20 420 320");
    app.AddSetting("OpenFile2", app.PathOf("GONE.TXT") + " 1 40 40 440 340");
    app.AddSetting("OpenFile3", b + " 5 60 60 460 360");
    app.AddSetting("CurrentFile", a);

    ASSERT_TRUE(app.Start());
    HWND dialog = app.WaitForBox("Load error");
    ASSERT_TRUE(dialog != nullptr);
    EXPECT_EQ(std::vector<std::string>{Lowered(app.PathOf("GONE.TXT"))}, ListBoxItems(dialog));
    ASSERT_TRUE(Answer(dialog, IDOK));
    ASSERT_TRUE(app.WaitForEditors(2, 10));
    EXPECT_EQ((std::vector<std::string>{"a.txt", "b.txt"}), Titles(app));
    HWND editorA = app.Editor("a.txt"), editorB = app.Editor("b.txt");
    EXPECT_EQ(editorA, app.ActiveEditor());
    TypeAndSave(app, editorA, "#");
    EXPECT_FILE(a, "l1\r\nl2\r\n#l3\r\nl4\r\nl5\r\nl6\r\n");
    PostMessageA(editorA, WM_KEYDOWN, VK_DOWN, 1);
    app.Settle();
    Activate(app, editorB);
    TypeAndSave(app, editorB, "#");
    EXPECT_FILE(b, "l1\r\nl2\r\nl3\r\nl4\r\n#l5\r\nl6\r\n");
    PostMessageA(editorB, WM_KEYDOWN, VK_UP, 1);
    app.Settle();
    EXPECT_EQ(0, app.Close());

    // The next start: no report of the gone file, B current, each where its cursor was.
    ASSERT_TRUE(app.Start());
    ASSERT_TRUE(app.WaitForEditors(2, 3)) << "reopened " << app.Editors().size();
    EXPECT_EQ(0, OtherWindows(app));
    editorA = app.Editor("a.txt");
    editorB = app.Editor("b.txt");
    EXPECT_EQ(editorB, app.ActiveEditor());
    TypeAndSave(app, editorB, "*");
    EXPECT_FILE(b, "l1\r\nl2\r\nl3\r\n*l4\r\n#l5\r\nl6\r\n");
    Activate(app, editorA);
    TypeAndSave(app, editorA, "*");
    EXPECT_FILE(a, "l1\r\nl2\r\n#l3\r\n*l4\r\nl5\r\nl6\r\n");
    EXPECT_EQ(0, app.Close());
}

TEST(AppMenu, FileMenuListsTheLastFourClosedFiles) {
    KeltoApp app("recent");
    // A short path (at the root of drive C:) is shown whole, lower-cased; the long ones are shortened.
    std::string shortFile = "C:\\KR" + std::to_string(GetCurrentProcessId()) + ".TXT";
    WriteWholeFile(shortFile, "s\r\n");
    for (const char *name : {"F1.TXT", "F2.TXT", "F3.TXT", "F4.TXT"})
        WriteWholeFile(app.PathOf(name), "f\r\n");

    ASSERT_TRUE(app.Start("f?.txt " + shortFile));
    ASSERT_TRUE(app.WaitForEditors(5));
    EXPECT_TRUE(RecentFiles(app).empty());
    for (const char *title : {"f1.txt", "f2.txt", "f3.txt", "f4.txt"}) {
        HWND editor = app.Editor(title);
        ASSERT_TRUE(editor != nullptr) << title;
        PostMessageA(editor, WM_CLOSE, 0, 0);
        ASSERT_TRUE(WaitGone(editor, 5));
    }
    // One window left, maximised: the closed files are still in the File menu.
    std::string f1 = Shown(app.PathOf("F1.TXT")), f2 = Shown(app.PathOf("F2.TXT")),
                f3 = Shown(app.PathOf("F3.TXT")), f4 = Shown(app.PathOf("F4.TXT"));
    EXPECT_EQ((std::vector<std::string>{f4, f3, f2, f1}), RecentFiles(app));
    HWND last = app.Editors()[0];
    PostMessageA(last, WM_CLOSE, 0, 0);
    ASSERT_TRUE(WaitGone(last, 5));
    EXPECT_EQ((std::vector<std::string>{Lowered(shortFile), f4, f3, f2}), RecentFiles(app));
    EXPECT_EQ(0u, StateOf(FileMenu(app), IDM_FIRST_CLOSED_FILE) & MF_GRAYED);

    // Choosing one opens it and takes it off the list.
    app.Command(IDM_FIRST_CLOSED_FILE + 1);
    ASSERT_TRUE(app.WaitForEditors(1));
    EXPECT_EQ("f4.txt", WindowText(app.Editors()[0]));
    EXPECT_EQ((std::vector<std::string>{Lowered(shortFile), f3, f2, f1}), RecentFiles(app));
    EXPECT_EQ(0, app.Close());
    DeleteFileA(shortFile.c_str());
}

// The frame has its output window; the toggle collapses the output window to
// its bar and back, the MDI client taking the room. Without a document Save is greyed, New not.
TEST(AppFrame, TheOutputWindowFoldsAndSaveNeedsADocumentWhileNewDoesNot) {
    KeltoApp app("nodoc");
    WriteWholeFile(app.PathOf("NEW.TXT"), "new\r\n");
    ASSERT_TRUE(app.Start("-f"));
    HWND output = FindChild(app.frame, "KeltoOutput");
    ASSERT_TRUE(output != nullptr);
    HWND list = GetDlgItem(output, 4801), toggle = GetDlgItem(output, 5000);
    EXPECT_TRUE(IsWindowVisible(list));
    RECT expanded, collapsed, client, frame;
    GetWindowRect(output, &expanded);
    GetClientRect(app.client, &client);
    SendMessageA(toggle, BM_CLICK, 0, 0);
    app.Settle();
    GetWindowRect(output, &collapsed);
    EXPECT_LT(collapsed.bottom - collapsed.top, expanded.bottom - expanded.top);
    EXPECT_EQ(expanded.bottom, collapsed.bottom);
    EXPECT_FALSE(IsWindowVisible(list));
    // The MDI client takes the room given up.
    GetClientRect(app.client, &frame);
    EXPECT_EQ(client.bottom + (expanded.bottom - expanded.top) - (collapsed.bottom - collapsed.top), frame.bottom);
    SendMessageA(toggle, BM_CLICK, 0, 0);
    app.Settle();
    RECT again;
    GetWindowRect(output, &again);
    EXPECT_EQ(expanded.bottom - expanded.top, again.bottom - again.top);
    EXPECT_TRUE(IsWindowVisible(list));

    std::vector<MenuItem> menu = FileMenu(app);
    ASSERT_FALSE(menu.empty()) << "the menu could not be read";
    // The commands that would act on the hidden "untitled" document are greyed too.
    for (UINT command : {IDM_SAVE, IDM_SAVE_AS, IDM_RELOAD, IDM_INSERT_FILE})
        EXPECT_TRUE(StateOf(menu, command) & MF_GRAYED) << command;
    EXPECT_TRUE(StateOf(app.MenuItems(IDM_STATISTICS), IDM_STATISTICS) & MF_GRAYED);
    EXPECT_FALSE(StateOf(menu, IDM_FILE_NEW) & MF_GRAYED);

    // Save, from the menu or the keyboard, does nothing at all; nor do the others.
    for (int command : {IDM_RELOAD, IDM_STATISTICS, IDM_SPACES_TO_TABS})
        app.Command(command);
    app.Command(IDM_SAVE);
    KeltoApp::Key(app.frame, 'S', true);
    app.Settle();
    Sleep(300);
    EXPECT_EQ(0, OtherWindows(app));
    EXPECT_TRUE(app.Editors().empty());
    EXPECT_EQ("<missing>", ReadWholeFile(app.PathOf("UNTITLED")));

    // New asks for a name and opens that file; then Save is there.
    app.Command(IDM_FILE_NEW);
    HWND ask = app.WaitForBox("Kelto");
    ASSERT_TRUE(ask != nullptr);
    SendMessageA(GetDlgItem(ask, 101), WM_SETTEXT, 0, reinterpret_cast<LPARAM>("new.txt"));
    ASSERT_TRUE(Answer(ask, IDOK));
    ASSERT_TRUE(app.WaitForEditors(1));
    EXPECT_EQ("new.txt", WindowText(app.Editors()[0]));
    EXPECT_FALSE(StateOf(FileMenu(app), IDM_SAVE) & MF_GRAYED);
    EXPECT_EQ(0, app.Close());
}

namespace {

// The colours on the screen in a band of the window's client area: how many pixels of each.
std::map<COLORREF, int> ColoursIn(HWND window, int top, int height) {
    RECT client;
    GetClientRect(window, &client);
    POINT origin = {0, top};
    ClientToScreen(window, &origin);
    int width = client.right - 20;   // without the scroll bar
    HDC screen = GetDC(nullptr);
    HDC memory = CreateCompatibleDC(screen);
    HBITMAP bitmap = CreateCompatibleBitmap(screen, width, height);
    HGDIOBJ old = SelectObject(memory, bitmap);
    BitBlt(memory, 0, 0, width, height, screen, origin.x, origin.y, SRCCOPY);
    SelectObject(memory, old);
    BITMAPINFO info = {};
    info.bmiHeader.biSize = sizeof info.bmiHeader;
    info.bmiHeader.biWidth = width;
    info.bmiHeader.biHeight = -height;
    info.bmiHeader.biPlanes = 1;
    info.bmiHeader.biBitCount = 32;
    std::vector<DWORD> pixels(static_cast<size_t>(width) * height);
    GetDIBits(memory, bitmap, 0, height, pixels.data(), &info, DIB_RGB_COLORS);
    DeleteObject(bitmap);
    DeleteDC(memory);
    ReleaseDC(nullptr, screen);
    std::map<COLORREF, int> counts;
    for (DWORD p : pixels)
        counts[RGB((p >> 16) & 255, (p >> 8) & 255, p & 255)]++;
    return counts;
}

const COLORREF kKeyword = RGB(192, 0, 0), kComment = RGB(128, 128, 128), kMarker = RGB(128, 255, 255);

// The colours of the band once `done` holds for them (the window may still be catching up),
// or the last ones seen.
std::map<COLORREF, int> ColoursOnce(const KeltoApp &app, HWND window, int height,
                                    const std::function<bool(std::map<COLORREF, int> &)> &done) {
    std::map<COLORREF, int> colours;
    for (int i = 0; i < 50; i++) {
        app.Settle();
        colours = ColoursIn(window, 0, height);
        if (done(colours))
            break;
    }
    return colours;
}

} // namespace

// Keywords, comments and text in their colours; the mouse wheel scrolls by the system's lines
// per notch; Ctrl+End shows the last lines, where a bookmark draws its marker; opening a comment
// recolours the rows below the typed line; the window follows the caret. Exit forgets the changes.
TEST(AppDisplay, ColoursFollowTheWheelCtrlEndBookmarksTheCommentsAndTheCaret) {
    KeltoApp app("colours");
    std::string text = "int y; // note\r\nint b;\r\nint c;\r\n";
    for (int i = 0; i < 400; i++)
        text += "\tx = " + std::to_string(i) + ";\r\n";
    text += "int last;\r\n";
    WriteWholeFile(app.PathOf("A.C"), text);
    ASSERT_TRUE(app.Start("a.c"));
    ASSERT_TRUE(app.WaitForEditors(1));
    HWND editor = app.ActiveEditor();
    ASSERT_TRUE(editor != nullptr);
    RECT client;
    GetClientRect(editor, &client);
    app.Settle();
    std::map<COLORREF, int> first = ColoursIn(editor, 0, 12);
    EXPECT_GT(first[kKeyword], 10);
    EXPECT_GT(first[kComment], 10);
    EXPECT_GT(first[RGB(0, 0, 0)], 0);   // y
    auto commentOnTopRow = [&] { return ColoursIn(editor, 0, 12)[kComment] > 10; };
    PostMessageA(editor, WM_MOUSEWHEEL, MAKEWPARAM(0, static_cast<WORD>(-WHEEL_DELTA)), 0);
    app.Settle();
    EXPECT_FALSE(commentOnTopRow());
    PostMessageA(editor, WM_MOUSEWHEEL, MAKEWPARAM(0, WHEEL_DELTA), 0);
    app.Settle();
    EXPECT_TRUE(commentOnTopRow());

    // Only the last line holds a keyword below the top: the window shows it, and not the
    // comment, once it shows the end. A bookmark on the last line draws its marker there.
    KeltoApp::Key(editor, VK_END, true);
    std::map<COLORREF, int> end =
        ColoursOnce(app, editor, client.bottom, [](auto &c) { return c[kKeyword] > 0 && c[kComment] == 0; });
    EXPECT_GT(end[kKeyword], 10);
    EXPECT_EQ(0, end[kComment]);
    EXPECT_EQ(0, end[kMarker]);
    KeltoApp::Key(editor, VK_UP);
    KeltoApp::Key(editor, VK_F7);   // after the move: keys keep their order, posted commands not
    EXPECT_GT(ColoursOnce(app, editor, client.bottom, [](auto &c) { return c[kMarker] > 0; })[kMarker], 5);
    KeltoApp::Key(editor, VK_HOME, true);

    // A first change marks the title; typing then draws only the rows that need it.
    KeltoApp::Type(editor, " \b");
    app.Settle();
    EXPECT_GT(ColoursIn(editor, 0, 60)[kKeyword], 30);
    KeltoApp::Type(editor, "/*");   // on the first line: every line is a comment now
    std::map<COLORREF, int> opened = ColoursOnce(app, editor, 60, [](auto &c) { return c[kKeyword] == 0; });
    EXPECT_EQ(0, opened[kKeyword]);
    EXPECT_GT(opened[kComment], 30);
    // Enough line breaks to leave the window: it scrolls, and the first line leaves the top row.
    KeltoApp::Type(editor, std::string(80, '\n'));
    EXPECT_EQ(0, ColoursOnce(app, editor, 12, [](auto &c) { return c[kComment] == 0; })[kComment]);
    PostMessageA(app.frame, WM_CLOSE, 0, 0);
    HWND box = app.WaitForBox("Modified files");
    ASSERT_TRUE(box != nullptr);
    ASSERT_TRUE(Answer(box, IDC_FORGET));
    EXPECT_EQ(0, app.WaitForExit(20));
    EXPECT_EQ(text, ReadWholeFile(app.PathOf("A.C")));
}

const UINT kAutosaveRound = 10025;

// Forgetting the copies at the next start is AutosaveTest's.
TEST(AppAutosave, EditsSurviveACrash) {
    KeltoApp app("autosave");
    WriteWholeFile(app.PathOf("ONE.C"), "int one;\r\n");
    CreateDirectoryA(app.PathOf("SUB").c_str(), nullptr);
    WriteWholeFile(app.PathOf("SUB\\ONE.C"), "int two;\r\n");
    app.AddSetting("EditorFlags", "111");
    ASSERT_TRUE(app.Start("one.c sub\\one.c"));
    ASSERT_TRUE(app.WaitForEditors(2));
    KeltoApp::Type(app.Editor("one.c"), "/* a */");
    KeltoApp::Type(app.Editor("sub\\one.c"), "/* b */");
    app.Settle();
    PostMessageA(app.frame, kAutosaveRound, 0, 0);
    app.Settle();
    std::string copies = app.dir + "\\BDX\\keltoautosave";
    ASSERT_EQ(2u, FilesIn(copies).size());
    EXPECT_EQ(0u, FilesIn(copies)[0].find("ONE.C"));
    EXPECT_EQ(0u, FilesIn(copies)[1].find("ONE.C"));
    TerminateProcess(app.process.hProcess, 3);
    ASSERT_EQ(3, app.WaitForExit(10));

    // The next start offers both; accepted, they come back with their own paths, modified.
    ASSERT_TRUE(app.Start());
    HWND dialog = app.WaitForBox("Modified files");
    ASSERT_TRUE(dialog != nullptr);
    std::vector<std::string> offered = ListBoxItems(dialog);
    ASSERT_EQ(2u, offered.size());
    EXPECT_EQ(0u, offered[0].find(Lowered(app.PathOf("")))) << offered[0];
    PostMessageA(dialog, WM_COMMAND, MAKEWPARAM(IDOK, BN_CLICKED), 0);
    ASSERT_TRUE(app.AnswerBox("Information", "Autosaved files restored in the editor", IDOK));
    ASSERT_TRUE(app.WaitForEditors(2));
    EXPECT_EQ((std::vector<std::string>{"one.c*", "sub\\one.c*"}), Titles(app));
    for (const char *name : {"one.c*", "sub\\one.c*"}) {
        Activate(app, app.Editor(name));
        app.Command(IDM_SAVE);
        app.Settle();
    }
    EXPECT_FILE(app.PathOf("ONE.C"), "/* a */int one;\r\n");
    EXPECT_FILE(app.PathOf("SUB\\ONE.C"), "/* b */int two;\r\n");
    EXPECT_TRUE(FilesIn(copies).empty());
    EXPECT_EQ(0, app.Close());
}
