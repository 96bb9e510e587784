// Utils > Diff as a user meets it: two files compared, the changes stepped through, a report
// written, the changes of C files shown by function.
#include <gtest/gtest.h>

#include "AppDriver.h"
#include "base/CommandIds.h"
#include "base/DiffIds.h"

TEST(DiffApp, TwoFilesComparedSteppedAndReported) {
    KeltoApp app("diff");
    std::string a = app.PathOf("A.C"), b = app.PathOf("B.C"), report = app.PathOf("REPORT.TXT");
    WriteWholeFile(a, "int a;\nint b;\nint c;\nint d;\n");
    WriteWholeFile(b, "int a;\nint c;\nint d;\nint e;\n");
    ASSERT_TRUE(app.Start());
    HWND dialog = app.OpenDialog(IDM_DIFF, "Compare two files");
    ASSERT_TRUE(dialog != nullptr);
    SetText(dialog, IDC_DIFF_FIRST, a.c_str());
    SetText(dialog, IDC_DIFF_SECOND, b.c_str());
    PostMessageA(dialog, WM_COMMAND, MAKEWPARAM(IDOK, BN_CLICKED), 0);
    HWND view = app.WaitForBox((a + " - " + b).c_str());
    ASSERT_TRUE(view != nullptr);
    EXPECT_EQ("Diff. 1 de 2", DialogText(view, IDC_VIEW_STATUS));
    Click(view, IDC_VIEW_NEXT);
    EXPECT_EQ("Diff. 2 de 2", DialogText(view, IDC_VIEW_STATUS));
    PostMessageA(view, WM_COMMAND, MAKEWPARAM(IDC_VIEW_NEXT, BN_CLICKED), 0);
    HWND box = app.WaitForBox("Information");
    ASSERT_TRUE(box != nullptr);
    EXPECT_EQ("No next diff", BoxText(box));
    ASSERT_TRUE(Answer(box, IDOK));
    Click(view, IDC_VIEW_PREVIOUS);
    EXPECT_EQ("Diff. 1 de 2", DialogText(view, IDC_VIEW_STATUS));
    ASSERT_TRUE(Answer(view, IDCANCEL));

    // The dialog keeps the files; the report goes to a file.
    dialog = app.OpenDialog(IDM_DIFF, "Compare two files");
    ASSERT_TRUE(dialog != nullptr);
    EXPECT_EQ(a, DialogText(dialog, IDC_DIFF_FIRST));
    Click(dialog, IDC_DIFF_REPORT);
    SetText(dialog, IDC_DIFF_OUTPUT, report.c_str());
    ASSERT_TRUE(Answer(dialog, IDOK));
    std::string text;
    for (int i = 0; i < 50 && (text = ReadWholeFile(report)) == "<missing>"; i++)
        Sleep(100);
    EXPECT_EQ(0u, text.find("Kelto-Diff " + a + " vs " + b + ": 2 changes. ")) << text;
    EXPECT_NE(std::string::npos, text.find("\nChange 1\n" + a + ": Erase 1 lines beginning with line 2\nint b;\n"));

    // A merge that keeps "int b;" of the first file and takes "int e;" of the second; the
    // result is opened.
    std::string merged = app.PathOf("M.C");
    dialog = app.OpenDialog(IDM_DIFF, "Compare two files");
    ASSERT_TRUE(dialog != nullptr);
    Click(dialog, IDC_DIFF_MERGE);
    SetText(dialog, IDC_DIFF_OUTPUT, merged.c_str());
    PostMessageA(dialog, WM_COMMAND, MAKEWPARAM(IDOK, BN_CLICKED), 0);
    view = app.WaitForBox((a + " - " + b).c_str());
    ASSERT_TRUE(view != nullptr);
    Click(view, IDC_VIEW_NEXT);
    Click(view, IDC_VIEW_USE_RIGHT);
    PostMessageA(view, WM_COMMAND, MAKEWPARAM(IDC_VIEW_MERGE, BN_CLICKED), 0);
    ASSERT_TRUE(app.AnswerBox("Information", "Merge finished", IDOK));
    EXPECT_FILE(merged, "int a;\nint b;\nint c;\nint d;\nint e;\n");
    EXPECT_TRUE(app.WaitForEditors(1));
    EXPECT_EQ(0, app.Close());
}

TEST(DiffApp, AssumeCSyntaxShowsTheChangedFunctions) {
    KeltoApp app("difffunctions");
    std::string a = app.PathOf("A.C"), b = app.PathOf("B.C");
    WriteWholeFile(a, "int same(void) { return 0; }\nint twice(int x)\n{\n    return x * 2;\n}\n");
    WriteWholeFile(b, "int same(void) { return 0; }\nint twice(int x)\n{\n    return x + x;\n}\n");
    ASSERT_TRUE(app.Start());
    HWND dialog = app.OpenDialog(IDM_DIFF, "Compare two files");
    ASSERT_TRUE(dialog != nullptr);
    SetText(dialog, IDC_DIFF_FIRST, a.c_str());
    SetText(dialog, IDC_DIFF_SECOND, b.c_str());
    Click(dialog, IDC_DIFF_C_SYNTAX);
    PostMessageA(dialog, WM_COMMAND, MAKEWPARAM(IDOK, BN_CLICKED), 0);
    HWND view = app.WaitForBox(("C functions: " + a + " - " + b).c_str());
    ASSERT_TRUE(view != nullptr);
    HWND list = GetDlgItem(view, IDC_FUNCS_LIST);
    EXPECT_EQ((std::vector<std::string>{"modified\ttwice", "unchanged\tsame"}), ListItems(list));
    EXPECT_EQ(0u, DialogText(view, IDC_FUNCS_STATS).find("1 changes. Functions: 1 modified, 0 added, 0 removed, 1 "));
    // Asking for the function that did not change.
    SendMessageA(list, LB_SETCURSEL, 1, 0);
    PostMessageA(view, WM_COMMAND, MAKEWPARAM(IDC_FUNCS_SHOW, BN_CLICKED), 0);
    EXPECT_TRUE(app.AnswerBox("Information", "Function same hasn't changed", IDOK));
    ASSERT_TRUE(Answer(view, IDCANCEL));
    EXPECT_EQ(0, app.Close());
}
