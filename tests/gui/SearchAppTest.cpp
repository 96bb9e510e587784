// The Search menu as a user meets it: finding with the dialog and F3 / Ctrl+F3, replacing with
// and without being asked, going to a line, and the dialog staying open after a refused request.
#include <gtest/gtest.h>

#include "AppDriver.h"
#include "base/CommandIds.h"
#include "base/ResourceIds.h"

namespace {

// Types into the editor once what was sent before (a key, a closing dialog) has been handled.
void TypeAfter(const KeltoApp &app, HWND editor, const std::string &text) {
    app.Settle();
    KeltoApp::Type(editor, text);
    app.Settle();
}

void Save(const KeltoApp &app) {
    app.Command(IDM_SAVE);
    app.Settle();
}

// A box the request brought up, answered; the dialog behind it is still open.
void ExpectRefused(const KeltoApp &app, HWND dialog, const char *title, const char *text) {
    SCOPED_TRACE(text);
    PostMessageA(dialog, WM_COMMAND, MAKEWPARAM(IDOK, BN_CLICKED), 0);
    ASSERT_TRUE(app.AnswerBox(title, text, IDOK));
    app.Settle();
    EXPECT_TRUE(IsWindow(dialog) && IsWindowVisible(dialog));
}

} // namespace

TEST(SearchApp, FindReplaceAndGotoLineChangeTheRightPlaces) {
    KeltoApp app("search");
    std::string path = app.PathOf("NOTES.TXT");
    WriteWholeFile(path, "one beta two\r\nbeta three\r\nfour Beta beta\r\nalphabeta end so\r\n");
    ASSERT_TRUE(app.Start("notes.txt"));
    ASSERT_TRUE(app.WaitForEditors(1));
    HWND editor = app.Editors()[0];

    // The dialog starts from the default options (this window, exact text, case sensitive,
    // forwards): "beta" is found, not "Beta". The match is selected, so typing replaces it.
    HWND dialog = app.OpenDialog(IDM_FIND, "Search");
    SetText(dialog, IDC_SEARCH_TEXT, "beta");
    ASSERT_TRUE(Answer(dialog, IDOK));
    TypeAfter(app, editor, "1");
    KeltoApp::Key(editor, VK_F3);
    TypeAfter(app, editor, "2");
    // Backwards from there: the first one has gone.
    KeltoApp::Key(editor, VK_F3, true);
    ASSERT_TRUE(app.AnswerBox("Information", "String not found", IDOK));

    // The dialog remembers the text and the direction last used; checking Forwards unchecks
    // Backwards. Ignoring case as whole words, "Beta" comes before "beta" but not "alphabeta".
    app.Command(IDM_GOTO_TOP);
    dialog = app.OpenDialog(IDM_FIND, "Search");
    EXPECT_EQ("beta", DialogText(dialog, IDC_SEARCH_TEXT));
    EXPECT_TRUE(Checked(dialog, IDC_SEARCH_BACKWARDS));
    Click(dialog, IDC_SEARCH_FORWARDS);
    EXPECT_FALSE(Checked(dialog, IDC_SEARCH_BACKWARDS));
    Click(dialog, IDC_SEARCH_IGNORE_CASE);
    EXPECT_FALSE(Checked(dialog, IDC_SEARCH_CASE_SENSITIVE));
    Click(dialog, IDC_SEARCH_WHOLE_WORDS);
    SetText(dialog, IDC_SEARCH_TEXT, "BETA");
    ASSERT_TRUE(Answer(dialog, IDOK));
    TypeAfter(app, editor, "3");
    KeltoApp::Key(editor, VK_F3);
    TypeAfter(app, editor, "4");
    // Backwards chosen in the dialog is where the search goes.
    dialog = app.OpenDialog(IDM_FIND, "Search");
    Click(dialog, IDC_SEARCH_BACKWARDS);
    SetText(dialog, IDC_SEARCH_TEXT, "two");
    ASSERT_TRUE(Answer(dialog, IDOK));
    TypeAfter(app, editor, "5");
    Save(app);
    EXPECT_FILE(path, "one 1 5\r\n2 three\r\nfour 3 4\r\nalphabeta end so\r\n");

    // Replacing without confirmation: every "e" from the top, case respected again. The
    // Confirmation choice survived the Search dialog, which does not show it.
    app.Command(IDM_GOTO_TOP);
    dialog = app.OpenDialog(IDM_REPLACE, "Search and replace");
    EXPECT_TRUE(Checked(dialog, IDC_REPLACE_CONFIRM));
    EXPECT_TRUE(Checked(dialog, IDC_SEARCH_WHOLE_WORDS));
    SetText(dialog, IDC_SEARCH_TEXT, "e");
    SetText(dialog, IDC_REPLACE_TEXT, "E");
    Click(dialog, IDC_SEARCH_CASE_SENSITIVE);
    Click(dialog, IDC_SEARCH_WHOLE_WORDS);
    Click(dialog, IDC_REPLACE_CONFIRM);
    ASSERT_TRUE(Answer(dialog, IDOK));
    Save(app);
    EXPECT_FILE(path, "onE 1 5\r\n2 thrEE\r\nfour 3 4\r\nalphabEta End so\r\n");

    // With confirmation: the first "o" is kept, then all the others go, with a longer text.
    app.Command(IDM_GOTO_TOP);
    dialog = app.OpenDialog(IDM_REPLACE, "Search and replace");
    EXPECT_EQ("E", DialogText(dialog, IDC_REPLACE_TEXT));
    SetText(dialog, IDC_SEARCH_TEXT, "o");
    SetText(dialog, IDC_REPLACE_TEXT, "<0>");
    Click(dialog, IDC_REPLACE_CONFIRM);
    ASSERT_TRUE(Answer(dialog, IDOK));
    for (int answer : {IDNO, IDC_REPLACE_ALL}) {
        HWND box = app.WaitForBox("Replace");
        ASSERT_TRUE(box != nullptr) << answer;
        ASSERT_TRUE(Answer(box, answer));
    }
    Save(app);
    EXPECT_FILE(path, "onE 1 5\r\n2 thrEE\r\nf<0>ur 3 4\r\nalphabEta End s<0>\r\n");

    // Goto a line: nothing typed keeps the dialog open; past the end is the last line.
    KeltoApp::Key(editor, 'G', true);
    dialog = app.WaitForBox("Goto a line number");
    ASSERT_TRUE(dialog != nullptr);
    PostMessageA(dialog, WM_COMMAND, MAKEWPARAM(IDOK, BN_CLICKED), 0);
    app.Settle();
    EXPECT_TRUE(IsWindow(dialog));
    SetText(dialog, IDC_GOTO_LINE_NUMBER, "3");
    ASSERT_TRUE(Answer(dialog, IDOK));
    TypeAfter(app, editor, "#");
    KeltoApp::Key(editor, 'G', true);
    dialog = app.WaitForBox("Goto a line number");
    ASSERT_TRUE(dialog != nullptr);
    SetText(dialog, IDC_GOTO_LINE_NUMBER, "123456789012345");
    ASSERT_TRUE(Answer(dialog, IDOK));
    TypeAfter(app, editor, "$");
    Save(app);
    EXPECT_FILE(path, "onE 1 5\r\n2 thrEE\r\n#f<0>ur 3 4\r\n$alphabEta End s<0>\r\n");

    // Refused requests: the box says why and the dialog stays until cancelled.
    dialog = app.OpenDialog(IDM_FIND, "Search");
    SetText(dialog, IDC_SEARCH_TEXT, "");
    ExpectRefused(app, dialog, "Error", "Empty search string?");
    SetText(dialog, IDC_SEARCH_TEXT, "x");
    Click(dialog, IDC_SEARCH_WRAP);
    Click(dialog, IDC_SEARCH_WRAP);
    for (int id : {IDC_SEARCH_FORWARDS, IDC_SEARCH_BACKWARDS, IDC_SEARCH_WRAP})
        EXPECT_FALSE(Checked(dialog, id)) << id;
    ExpectRefused(app, dialog, "Error", "Direction ?");
    ASSERT_TRUE(Answer(dialog, IDCANCEL));
    app.Settle();
    EXPECT_EQ("onE 1 5\r\n2 thrEE\r\n#f<0>ur 3 4\r\n$alphabEta End s<0>\r\n", ReadWholeFile(path));
    EXPECT_EQ("notes.txt", WindowText(editor));   // nothing left unsaved
    EXPECT_EQ(0, app.Close());
}

// Over all windows: a confirmed replace asks about each match with that match's window in
// front, and a minimised window is searched only with "Search iconized windows".
TEST(SearchApp, AllWindowsAskInTheMatchWindowAndHonourIconized) {
    KeltoApp app("search-all");
    std::string pathA = app.PathOf("A.TXT"), pathB = app.PathOf("B.TXT");
    WriteWholeFile(pathA, "x one\r\n");
    WriteWholeFile(pathB, "x two\r\n");
    ASSERT_TRUE(app.Start("b.txt a.txt"));
    ASSERT_TRUE(app.WaitForEditors(2));
    HWND a = app.Editor("a.txt"), b = app.Editor("b.txt");
    ASSERT_TRUE(a && b);
    app.Settle();
    ASSERT_EQ(a, app.ActiveEditor());

    // The replace starts in A; the second question is about B's match, with B in front.
    HWND dialog = app.OpenDialog(IDM_REPLACE, "Search and replace");
    SetText(dialog, IDC_SEARCH_TEXT, "x");
    SetText(dialog, IDC_REPLACE_TEXT, "y");
    Click(dialog, IDC_SEARCH_ALL_WINDOWS);
    ASSERT_TRUE(Checked(dialog, IDC_REPLACE_CONFIRM));
    ASSERT_TRUE(Answer(dialog, IDOK));
    for (HWND expected : {a, b}) {
        HWND box = app.WaitForBox("Replace");
        ASSERT_TRUE(box != nullptr);
        EXPECT_EQ(expected, app.ActiveEditor()) << WindowText(expected);
        ASSERT_TRUE(Answer(box, IDYES));
    }
    app.Settle();
    EXPECT_EQ(a, app.ActiveEditor());   // the replace ends where it began
    app.Command(IDM_SAVE_ALL);
    app.Settle();
    EXPECT_FILE(pathA, "y one\r\n");
    EXPECT_FILE(pathB, "y two\r\n");

    PostMessageA(b, WM_SYSCOMMAND, SC_MINIMIZE, 0);
    app.Settle();
    SendMessageA(app.client, WM_MDIACTIVATE, reinterpret_cast<WPARAM>(a), 0);
    app.Settle();
    ASSERT_TRUE(IsIconic(b));
    dialog = app.OpenDialog(IDM_FIND, "Search");
    SetText(dialog, IDC_SEARCH_TEXT, "two");
    ASSERT_TRUE(Checked(dialog, IDC_SEARCH_ALL_WINDOWS));
    ASSERT_FALSE(Checked(dialog, IDC_SEARCH_ICONIZED));
    ASSERT_TRUE(Answer(dialog, IDOK));
    ASSERT_TRUE(app.AnswerBox("Information", "String not found", IDOK));
    app.Settle();
    EXPECT_TRUE(IsIconic(b));

    dialog = app.OpenDialog(IDM_FIND, "Search");
    Click(dialog, IDC_SEARCH_ICONIZED);
    ASSERT_TRUE(Answer(dialog, IDOK));
    app.Settle();
    EXPECT_EQ(b, app.ActiveEditor());
    EXPECT_FALSE(IsIconic(b));
    TypeAfter(app, b, "2");
    app.Command(IDM_SAVE);
    app.Settle();
    EXPECT_FILE(pathB, "y 2\r\n");
    EXPECT_EQ(0, app.Close());
}
