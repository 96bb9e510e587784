// The pages "Utilities" and "Workspace" of Project > Configuration as a user meets them: a
// utility added becomes an item of the Utils menu, and deleted it goes away again.
#include <gtest/gtest.h>

#include <windows.h>
#include <commctrl.h>

#include <string>
#include <vector>

#include "AppDriver.h"
#include "base/CommandIds.h"
#include "base/WorkspacePageIds.h"
#include "support/TestSupport.h"

namespace {

// The page of the open sheet titled `title`, made the current one; null when there is none.
HWND ShowPage(HWND sheet, const char *title) {
    for (int i = 0; i < 20; i++) {
        if (!SendMessageA(sheet, PSM_SETCURSEL, i, 0))
            return nullptr;
        HWND page = reinterpret_cast<HWND>(SendMessageA(sheet, PSM_GETCURRENTPAGEHWND, 0, 0));
        if (page && WindowText(page) == title)
            return page;
    }
    return nullptr;
}

// The texts of the Utils menu's items between "&Execute..." and the first separator.
std::vector<std::string> ToolItems(const KeltoApp &app) {
    std::vector<std::string> tools;
    std::vector<MenuItem> items = app.MenuItems(IDM_EXECUTE);
    for (size_t i = 1; i < items.size() && items[i].id != 0; i++)
        tools.push_back(items[i].text);
    return tools;
}

TEST(ConfigPagesApp, AUtilityComesAndGoesInTheUtilsMenu) {
    KeltoApp app("utilpage");
    ASSERT_TRUE(app.Start());
    HWND sheet = app.OpenDialog(IDM_PROJECT_CONFIGURATION, "Configuration of Kelto");
    HWND page = ShowPage(sheet, "Utilities");
    ASSERT_TRUE(page != nullptr);
    SetText(page, IDC_UTIL_NAME, "lister");
    SetText(page, IDC_UTIL_PROGRAM, "c:\\bin\\list.exe");
    SetText(page, IDC_UTIL_ARGUMENTS, "$FILE$");
    Click(page, IDC_UTIL_CHANGE);
    EXPECT_EQ(std::vector<std::string>{"lister"}, ListItems(GetDlgItem(page, IDC_UTIL_LIST)));
    ASSERT_TRUE(Answer(sheet, IDOK));
    EXPECT_EQ(std::vector<std::string>{"lister\tShift+F1"}, ToolItems(app));

    sheet = app.OpenDialog(IDM_PROJECT_CONFIGURATION, "Configuration of Kelto");
    page = ShowPage(sheet, "Utilities");
    ASSERT_TRUE(page != nullptr);
    SendDlgItemMessageA(page, IDC_UTIL_LIST, LB_SETCURSEL, 0, 0);
    SendMessageA(page, WM_COMMAND, MAKEWPARAM(IDC_UTIL_LIST, LBN_SELCHANGE),
                 reinterpret_cast<LPARAM>(GetDlgItem(page, IDC_UTIL_LIST)));
    EXPECT_EQ("c:\\bin\\list.exe|$FILE$", DialogText(page, IDC_UTIL_PROGRAM) + "|" + DialogText(page, IDC_UTIL_ARGUMENTS));
    Click(page, IDC_UTIL_DELETE);
    EXPECT_TRUE(ListItems(GetDlgItem(page, IDC_UTIL_LIST)).empty());
    EXPECT_EQ("", DialogText(page, IDC_UTIL_NAME));
    EXPECT_TRUE(ToolItems(app).empty());
    ASSERT_TRUE(Answer(sheet, IDOK));
    EXPECT_EQ(0, app.Close());
}

} // namespace
