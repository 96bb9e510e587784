// The scanner as a user meets it in the editor: F11, the function in the position display, the
// balance check before saving and "By function" in Search and replace.
#include <gtest/gtest.h>

#include "AppDriver.h"
#include "base/CommandIds.h"
#include "base/ResourceIds.h"

namespace {

// The output window's message line once it reads `expected`, or what it reads after a while.
std::string StatusBecomes(const KeltoApp &app, const std::string &expected) {
    HWND output = FindChild(app.frame, "KeltoOutput");
    std::string text;
    for (int i = 0; i < 100; i++) {
        app.Settle();
        text = output ? WindowText(output) : "";
        if (text == expected)
            break;
        Sleep(50);
    }
    return text;
}

TEST(BrowseApp, F11ThePositionDisplayTheBalanceCheckAndByFunction) {
    KeltoApp app("browse");
    std::string path = app.PathOf("twice.c");
    WriteWholeFile(path, "int twice(int x)\r\n{\r\n    if (x) { /* } */\r\n        x = x * 2;\r\n    }\r\n"
                         "    return x;\r\n}\r\n\r\nint half(int x)\r\n{\r\n    return x / 2;\r\n}\r\n");
    ASSERT_TRUE(app.Start("twice.c"));
    ASSERT_TRUE(app.WaitForEditors(1));
    HWND editor = app.Editors()[0];

    EXPECT_EQ("1:1", StatusBecomes(app, "1:1"));   // the header's first line is not in the body
    KeltoApp::Key(editor, VK_DOWN);
    EXPECT_EQ("twice 2:1", StatusBecomes(app, "twice 2:1"));
    KeltoApp::Key(editor, VK_F11);
    EXPECT_EQ("twice 7:1", StatusBecomes(app, "twice 7:1"));
    KeltoApp::Key(editor, VK_F11);
    EXPECT_EQ("twice 2:1", StatusBecomes(app, "twice 2:1"));
    for (int i = 0; i < 9; i++)
        KeltoApp::Key(editor, VK_DOWN);
    EXPECT_EQ("half 11:1", StatusBecomes(app, "half 11:1"));

    // A parenthesis left open: the save asks, No keeps the file as it was.
    KeltoApp::Key(editor, VK_END);   // keys come through the keyboard, after what is posted
    EXPECT_EQ("half 11:18", StatusBecomes(app, "half 11:18"));
    KeltoApp::Type(editor, " f(1;");
    EXPECT_EQ("11:23 *", StatusBecomes(app, "11:23 *"));   // edited: no name, no scan
    app.Command(IDM_SAVE);
    std::string shown = app.dir + "\\TWICE.C";   // documents are named upper-cased
    for (char &c : shown)
        c = static_cast<char>(toupper(static_cast<unsigned char>(c)));
    ASSERT_TRUE(app.AnswerBox("Information", shown + ": Syntax error line 11\nSave?", IDNO));
    for (int i = 0; i < 5; i++)
        KeltoApp::Key(editor, VK_BACK);
    EXPECT_EQ("11:18 *", StatusBecomes(app, "11:18 *"));

    // "x" becomes "y" in half only; the list offers the functions, the cursor's one chosen.
    HWND dialog = app.OpenDialog(IDM_REPLACE, "Search and replace");
    HWND list = GetDlgItem(dialog, IDC_REPLACE_FUNCTION_LIST);
    EXPECT_EQ(2, SendMessageA(list, CB_GETCOUNT, 0, 0));
    EXPECT_EQ(1, SendMessageA(list, CB_GETCURSEL, 0, 0));
    SetText(dialog, IDC_SEARCH_TEXT, "x");
    SetText(dialog, IDC_REPLACE_TEXT, "y");
    if (Checked(dialog, IDC_REPLACE_CONFIRM))
        Click(dialog, IDC_REPLACE_CONFIRM);
    Click(dialog, IDC_REPLACE_BY_FUNCTION);
    ASSERT_TRUE(Answer(dialog, IDOK));
    app.Command(IDM_SAVE);
    EXPECT_FILE(path, "int twice(int x)\r\n{\r\n    if (x) { /* } */\r\n        x = x * 2;\r\n    }\r\n"
                      "    return x;\r\n}\r\n\r\nint half(int y)\r\n{\r\n    return y / 2;\r\n}\r\n");
}

} // namespace
