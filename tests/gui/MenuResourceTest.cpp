// The resources linked into kelto.exe: the main menu, its status help, the accelerators
// of the user tools and the frame's dialogs.
#include <windows.h>
#include <stdlib.h>
#include <string.h>
#include <map>
#include <set>
#include <string>
#include <utility>
#include <vector>

#include "AppDriver.h"
#include "app/KeyTable.h"
#include "base/MessageIds.h"
#include "base/Messages.h"
#include "base/ResourceIds.h"
#include "support/TestSupport.h"

namespace {

HMODULE Program() {
    static HMODULE module =
        LoadLibraryExA(BuildPath("kelto.exe").c_str(), nullptr, LOAD_LIBRARY_AS_DATAFILE);
    return module;
}

// Every command item of the menu: its id, the path of popups leading to it and its text.
struct Item {
    int id;
    std::string path, text;
};

void Walk(HMENU menu, const std::string &path, std::vector<Item> &items) {
    for (int i = 0, n = GetMenuItemCount(menu); i < n; i++) {
        char text[128] = "";
        GetMenuStringA(menu, i, text, sizeof text, MF_BYPOSITION);
        if (HMENU sub = GetSubMenu(menu, i))
            Walk(sub, path.empty() ? text : path + "/" + text, items);
        else if (GetMenuState(menu, i, MF_BYPOSITION) & MF_SEPARATOR)
            continue;
        else
            items.push_back({static_cast<int>(GetMenuItemID(menu, i)), path, text});
    }
}

std::vector<Item> MenuItems() {
    std::vector<Item> items;
    HMENU menu = LoadMenuA(Program(), "EditMenu");
    if (menu) {
        Walk(menu, "", items);
        DestroyMenu(menu);
    }
    return items;
}

std::string TopMenu(const std::string &path) { return path.substr(0, path.find('/')); }

int StatusTextId(int command) {
    return command == 14000 ? kStrHelpIndexHelp : command + kStrMenuHelpBase;
}

} // namespace

TEST(MenuResource, TopLevelMenusInTheOrderTheCodeCountsOn) {
    ASSERT_TRUE(Program() != nullptr) << BuildPath("kelto.exe");
    HMENU menu = LoadMenuA(Program(), "EditMenu");
    ASSERT_TRUE(menu != nullptr);
    const char *expected[] = {"&File",     "&Edit",     "&Search", "&Project", "&Resources",
                              "&Compiler", "&Utils",    "&Versions", "&Window", "&Help"};
    ASSERT_EQ(10, GetMenuItemCount(menu));
    for (int i = 0; i < 10; i++) {
        char text[64] = "";
        GetMenuStringA(menu, i, text, sizeof text, MF_BYPOSITION);
        EXPECT_STREQ(expected[i], text) << i;
        EXPECT_TRUE(GetSubMenu(menu, i) != nullptr) << i;
    }
    DestroyMenu(menu);
}

TEST(MenuResource, EveryMenuHoldsItsCommandsAndNoRunTimeItems) {
    std::map<std::string, std::set<int>> expected = {
        {"&File", {1101, 1102, 1200, 1139, 1103, 1104, 1167, 1151, 1109, 1105}},
        {"&Edit", {1110, 1111, 1112, 1113, 1201, 1126, 1220, 1170, 1142, 1189, 1190, 1191, 1176,
                   1183, 1177, 1178}},
        {"&Search", {1137, 1135, 1136, 1120, 1150, 1121, 1122, 1123, 1168, 1210, 1209, 1143, 1144,
                     1145, 1175, 1185, 1158, 1204, 1182, 1184}},
        {"&Project", {1119, 1229, 1225, 1198, 1246, 1231, 1274, 1275, 1276, 1262}},
        {"&Resources", {1265, 1450, 1253, 1260, 1453, 1454, 1455, 1456, 1457, 1263, 1261, 7040,
                        7041, 7042, 7043, 7044, 7045, 7046, 7047, 7048, 7049, 7050, 7051, 7052,
                        7053, 7066, 1459}},
        {"&Compiler", {1156, 1192, 1271, 1267, 1270, 1268, 1245, 1273}},
        {"&Utils", {1124, 1161, 1250, 1195, 1174, 1193, 1187, 1194, 1179, 1180, 1181, 1219, 1169,
                    1203, 1257, 1297, 1251}},
        {"&Versions", {1223, 1224, 1222, 1238, 1241, 1226, 1232, 1244, 1227, 1239, 1236, 1240,
                       1242, 1243, 1235, 1234, 1237}},
        {"&Window", {1131, 1132, 1133, 1130, 1254}},
        {"&Help", {14000, 1107, 1291}},
    };
    std::map<std::string, std::set<int>> found;
    for (const Item &item : MenuItems()) {
        found[TopMenu(item.path)].insert(item.id);
        EXPECT_FALSE(item.text.empty()) << item.id;
    }
    // Recent files, Compile/Execute and the user tools are added at run time, so none of
    // their ids may be in the resource: the code would add a second item.
    EXPECT_EQ(expected, found);
}

TEST(MenuResource, ItemTextsAndSubmenus) {
    std::multimap<int, std::pair<std::string, std::string>> items;
    for (const Item &item : MenuItems())
        items.insert({item.id, {item.path, item.text}});
    struct Sample {
        int id;
        const char *path, *text;
    } samples[] = {
        {1103, "&File", "&Save\tCtrl+S"},
        {1109, "&File", "Close\tCtrl+F4"},
        {1200, "&File", "Open &binary..."},
        {1111, "&Edit", "Cu&t\tShift+Suppr"},
        {1189, "&Edit", "Spaces->tabs"},
        {1176, "&Edit/Description", "&Function..."},
        {1183, "&Edit/Description", "F&ile..."},
        {1120, "&Search", "&Replace ..."},
        {1175, "&Search", "S&tructures list...\t"},
        {1168, "&Search", "F&unctions list...\tF12"},
        {1168, "&Search/Goto", "Function\tF12"},
        {1210, "&Search/Goto", "Previous function"},
        {1143, "&Search/Goto/Bookmarks", "Goto\tCtrl+F7"},
        {1144, "&Search/Goto/Bookmarks", "Goto next\tCtrl+Shift+F7"},
        {1145, "&Search/Goto/Bookmarks", "Delete"},
        {1231, "&Project", "Add/Delete files..."},
        {1262, "&Project", "Outline"},
        {1156, "&Compiler", "&Make\tF9"},
        {1273, "&Compiler", "S&et breakpoint\tF2"},
        {1124, "&Utils", "&Execute..."},
        {1251, "&Utils", "Apply patch"},
        {1169, "&Utils/Analysis", "Generate .&HLP..."},
        {1297, "&Utils/Analysis", "Executable stats"},
        {1224, "&Versions", "Get &all..."},
        {1237, "&Versions", "Show release..."},
        {1133, "&Window", "&Arrange icons"},
        {1254, "&Window", "&Disposition..."},
        {14000, "&Help", "&Index"},
        {1291, "&Help", "&Version"},
    };
    for (const Sample &s : samples) {
        auto range = items.equal_range(s.id);
        bool seen = false;
        for (auto it = range.first; it != range.second; ++it)
            seen = seen || it->second == std::make_pair(std::string(s.path), std::string(s.text));
        EXPECT_TRUE(seen) << s.id << " " << s.path << " " << s.text;
    }
    EXPECT_EQ(2u, items.count(1168));

    // A command-table text (the one that takes the user's shortcut) must match an item of the
    // resource, or the shortcut would be written into a text the menu does not show.
    for (const auto &entry : items) {
        const char *text = CommandMenuText(entry.first);
        if (!text)
            continue;
        auto range = items.equal_range(entry.first);
        bool seen = false;
        for (auto it = range.first; it != range.second; ++it)
            seen = seen || it->second.second == text;
        EXPECT_TRUE(seen) << entry.first << " " << text;
    }
}

TEST(MenuResource, EveryCommandHasStatusHelp) {
    std::set<int> commands;
    for (const Item &item : MenuItems())
        commands.insert(item.id);
    ASSERT_FALSE(commands.empty());
    // Items added at run time and the keyboard-only commands.
    for (int id : {1214, 1215, 1216, 1217, 1290, 1295, 1106, 1116, 1118, 1153, 1115, 1166, 1154,
                   1155, 1163, 1164, 1207, 1208, 1165, 1272, 1171, 1172, 1188, 1199, 1211, 1212,
                   1296, 1128})
        commands.insert(id);
    for (int id : commands) {
        std::string text = GetString(StatusTextId(id));
        EXPECT_FALSE(text.empty()) << id;
        // The line is formatted with "%s."
        EXPECT_TRUE(text.empty() || text.back() != '.') << id;
    }
    EXPECT_STREQ("Show the on-line documentation", GetString(StatusTextId(14000)));

    // GetString takes the first record of an id, so a duplicate would hide its text.
    for (const MessageRecord *r = g_messageTable; r[1].id != 0; r++)
        EXPECT_LT(r->id, r[1].id) << r->text;
}

TEST(MenuResource, ShiftFunctionKeysStartTheUserTools) {
    ASSERT_TRUE(Program() != nullptr);
    HACCEL table = LoadAcceleratorsA(Program(), "EDITFILEACC");
    ASSERT_TRUE(table != nullptr);
    ACCEL entries[16];
    ASSERT_EQ(12, CopyAcceleratorTableA(table, entries, 16));
    for (int i = 0; i < 12; i++) {
        EXPECT_EQ(VK_F1 + i, entries[i].key) << i;
        EXPECT_EQ(1300 + i, entries[i].cmd) << i;
        EXPECT_EQ(FVIRTKEY | FSHIFT, entries[i].fVirt & (FVIRTKEY | FSHIFT | FCONTROL | FALT))
            << i;
    }
    DestroyAcceleratorTable(table);
}

namespace {

INT_PTR CALLBACK Silent(HWND, UINT message, WPARAM, LPARAM) { return message == WM_INITDIALOG; }

struct Control {
    int id;
    const char *className, *text;
    DWORD style;   // bits that must be set; for a button its type as well
};

// Creates the dialog, hidden, from the program's template and checks its controls.
void CheckDialog(int id, const char *caption, std::vector<Control> controls) {
    SCOPED_TRACE(caption);
    HRSRC found = FindResourceA(Program(), MAKEINTRESOURCEA(id), RT_DIALOG);
    ASSERT_TRUE(found != nullptr);
    auto *dialogTemplate =
        static_cast<LPCDLGTEMPLATEA>(LockResource(LoadResource(Program(), found)));
    HWND dialog = CreateDialogIndirectParamA(GetModuleHandleA(nullptr), dialogTemplate, nullptr,
                                             Silent, 0);
    ASSERT_TRUE(dialog != nullptr);
    char text[128] = "";
    GetWindowTextA(dialog, text, sizeof text);
    EXPECT_STREQ(caption, text);
    for (const Control &c : controls) {
        HWND control = GetDlgItem(dialog, c.id);
        ASSERT_TRUE(control != nullptr) << c.id;
        char name[32] = "";
        GetClassNameA(control, name, sizeof name);
        EXPECT_STREQ(c.className, name) << c.id;
        if (c.text) {
            GetWindowTextA(control, text, sizeof text);
            EXPECT_STREQ(c.text, text) << c.id;
        }
        DWORD style = GetWindowLongA(control, GWL_STYLE);
        EXPECT_EQ(c.style, style & c.style) << c.id;
        if (strcmp(name, "Button") == 0) {
            EXPECT_EQ(c.style & BS_TYPEMASK, style & BS_TYPEMASK) << c.id;
        }
    }
    DestroyWindow(dialog);
}

} // namespace

TEST(MenuResource, FrameDialogs) {
    ASSERT_TRUE(Program() != nullptr);
    // The dialog manager turns WS_BORDER into an edge and an empty list hides its scroll bar.
    const DWORD list = LBS_NOINTEGRALHEIGHT;
    CheckDialog(IDD_MODIFIED_FILES, "Modified files",
                {{IDC_FILE_LIST, "ListBox", nullptr, list},
                 {IDOK, "Button", "&Save all", BS_DEFPUSHBUTTON},
                 {IDC_FORGET, "Button", "&Forget", 0},
                 {IDCANCEL, "Button", "&Cancel", 0}});
    CheckDialog(IDD_LOAD_ERROR, "Load error",
                {{IDC_FILE_LIST, "ListBox", nullptr, list},
                 {IDOK, "Button", "&Continue", BS_DEFPUSHBUTTON}});
    CheckDialog(IDD_EXECUTE, "Execute a program",
                {{IDC_PROGRAM, "Edit", nullptr, 0},
                 {IDC_ARGUMENTS, "Edit", nullptr, 0},
                 {IDC_START_DIRECTORY, "Edit", nullptr, 0},
                 {IDC_LANGUAGE_C, "Button", "C", BS_AUTORADIOBUTTON | WS_GROUP},
                 {IDC_LANGUAGE_FORTRAN, "Button", "Fortran", BS_AUTORADIOBUTTON},
                 {IDC_LANGUAGE_EIFFEL, "Button", "Eiffel", BS_AUTORADIOBUTTON},
                 {IDOK, "Button", "OK", BS_DEFPUSHBUTTON},
                 {IDCANCEL, "Button", "Cancel", 0}});
    CheckDialog(IDD_ABOUT, "About Kelto",
                {{IDC_ABOUT_TEXT, "Static", "Kelto integrated development environment", 0},
                 {IDOK, "Button", "OK", BS_DEFPUSHBUTTON}});
}
