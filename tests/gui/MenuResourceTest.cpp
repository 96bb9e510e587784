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
#include "base/CommandIds.h"
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
    return command == IDM_HELP_INDEX ? kStrHelpIndexHelp : command + kStrMenuHelpBase;
}

} // namespace

TEST(MenuResource, TheMenusTheFrameChangesAreFoundByTheirCommands) {
    ASSERT_TRUE(Program() != nullptr) << BuildPath("kelto.exe");
    // The frame finds each of these menus as the one holding the command: the command must be
    // in that menu and in no other.
    const std::pair<int, const char *> menus[] = {
        {IDM_FILE_NEW, "&File"},  {IDM_MAKE, "&Compiler"}, {IDM_EXECUTE, "&Utils"},
        {IDM_CASCADE, "&Window"}, {IDM_HELP_INDEX, "&Help"},
    };
    std::vector<Item> items = MenuItems();
    for (const auto &menu : menus) {
        int holders = 0;
        for (const Item &item : items) {
            if (item.id != menu.first)
                continue;
            holders++;
            EXPECT_EQ(menu.second, TopMenu(item.path)) << menu.first;
        }
        EXPECT_EQ(1, holders) << menu.first;
    }
}

TEST(MenuResource, EveryMenuHoldsItsCommandsAndNoRunTimeItems) {
    std::map<std::string, std::set<int>> expected = {
        {"&File", {IDM_FILE_NEW, IDM_FILE_OPEN, IDM_OPEN_BINARY, IDM_INSERT_FILE, IDM_SAVE,
                   IDM_SAVE_AS, IDM_SAVE_ALL, IDM_RELOAD, IDM_CLOSE, IDM_PRINT}},
        {"&Edit", {IDM_UNDO, IDM_REDO, IDM_CUT, IDM_COPY, IDM_PASTE, IDM_SELECT_ALL, IDM_COPY_FUNCTION, IDM_COPY_TO_FILE,
                   IDM_LEVEL, IDM_MARK_BLOCK, IDM_SET_BOOKMARK, IDM_SPACES_TO_TABS,
                   IDM_TABS_TO_SPACES, IDM_RECENTER, IDM_DESCRIPTION_FUNCTION, IDM_DESCRIPTION_FILE,
                   IDM_SHOW_CHANGES, IDM_REFORMAT}},
        {"&Search", {IDM_FIND, IDM_FIND_NEXT, IDM_FIND_PREVIOUS, IDM_REPLACE, IDM_GREP,
                     IDM_GOTO_TOP, IDM_GOTO_END, IDM_GOTO_LINE, IDM_FUNCTIONS_LIST,
                     IDM_PREVIOUS_FUNCTION, IDM_NEXT_FUNCTION, IDM_GOTO_BOOKMARK,
                     IDM_GOTO_NEXT_BOOKMARK, IDM_DELETE_BOOKMARK, IDM_STRUCTURES_LIST,
                     IDM_SEARCH_FUNCTION, IDM_SEARCH_DEFINITION, IDM_SYMBOL_USAGE, IDM_ID,
                     IDM_IDENTIFY_FILE}},
        {"&Project", {IDM_PROJECT_CONFIGURATION, IDM_PROJECT_CREATE, IDM_PROJECT_OPEN,
                      IDM_PROJECT_CLOSE, IDM_PROJECT_ERASE, IDM_PROJECT_FILES, IDM_PROJECT_EXPORT,
                      IDM_PROJECT_IMPORT, IDM_OPEN_ALL_FILES, IDM_OUTLINE}},
        {"&Resources", {IDM_EDIT_RESOURCES, IDM_NEW_DIALOG, IDM_TEST_DIALOG, IDM_DIALOG_PROPERTIES,
                        IDM_ADD_BUTTON, IDM_ADD_CHECK_BOX, IDM_ADD_RADIO_BUTTON, IDM_ADD_EDIT_FIELD,
                        IDM_ADD_LIST_BOX, IDM_ALIGN_CONTROLS, IDM_GRID, IDM_ADD_STATIC_TEXT,
                        IDM_ADD_GROUP_BOX, IDM_ADD_COMBO_BOX, IDM_ADD_HORIZONTAL_SCROLL_BAR,
                        IDM_ADD_VERTICAL_SCROLL_BAR, IDM_ADD_ICON, IDM_ADD_BITMAP,
                        IDM_ADD_RECTANGLE, IDM_ADD_FRAME, IDM_ADD_LIST_VIEW, IDM_ADD_TREE_VIEW,
                        IDM_ADD_PROGRESS_BAR, IDM_ADD_TRACKBAR, IDM_DELETE_CONTROL, IDM_TAB_ORDER,
                        IDM_WRITE_RESOURCE_SCRIPT}},
        {"&Compiler", {IDM_MAKE, IDM_SHOW_RESULTS, IDM_LINK, IDM_GENERATE_MAKEFILE, IDM_REBUILD_ALL,
                       IDM_DEBUGGER, IDM_BREAKPOINTS, IDM_SET_BREAKPOINT}},
        {"&Utils", {IDM_EXECUTE, IDM_DIFF, IDM_PROFILER, IDM_FUNCTION_TREE, IDM_BROWSE_FN_DEFS,
                    IDM_SHOW_GLOBALS, IDM_SLICE_BY_LOCAL, IDM_FILE_RELATIONS, IDM_FILE_METRICS,
                    IDM_FUNCTION_METRICS, IDM_WRITE_PROTOTYPES, IDM_STRINGS, IDM_GENERATE_HLP,
                    IDM_AUDIT, IDM_OBJ_XREF, IDM_EXECUTABLE_STATS, IDM_APPLY_PATCH}},
        {"&Versions", {IDM_VERSIONS_GET, IDM_VERSIONS_GET_ALL, IDM_VERSIONS_PUT,
                       IDM_VERSIONS_PUT_ALL, IDM_VERSIONS_CHANGE_LOCKS, IDM_VERSIONS_SEE_LOCKS,
                       IDM_VERSIONS_DIFFERENCES, IDM_VERSIONS_FUNCTION_HISTORY,
                       IDM_VERSIONS_REVISIONS, IDM_VERSIONS_SEE_LOG, IDM_VERSIONS_DEFAULTS,
                       IDM_VERSIONS_ERASE, IDM_VERSIONS_QUERY, IDM_VERSIONS_SEE_OPERATIONS,
                       IDM_VERSIONS_SAVE_RELEASE, IDM_VERSIONS_GET_RELEASE,
                       IDM_VERSIONS_SHOW_RELEASE}},
        {"&Window", {IDM_CASCADE, IDM_TILE, IDM_ARRANGE_ICONS, IDM_STATISTICS, IDM_DISPOSITION}},
        {"&Help", {IDM_HELP_INDEX, IDM_ABOUT, IDM_VERSION}},
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
        {IDM_SAVE, "&File", "&Save\tCtrl+S"},
        {IDM_CLOSE, "&File", "Close\tCtrl+F4"},
        {IDM_OPEN_BINARY, "&File", "Open &binary..."},
        {IDM_CUT, "&Edit", "Cu&t\tShift+Suppr, Ctrl+X"},
        {IDM_REDO, "&Edit", "&Redo\tCtrl+Y"},
        {IDM_SPACES_TO_TABS, "&Edit", "Spaces->tabs"},
        {IDM_DESCRIPTION_FUNCTION, "&Edit/Description", "&Function..."},
        {IDM_DESCRIPTION_FILE, "&Edit/Description", "F&ile..."},
        {IDM_REPLACE, "&Search", "&Replace ..."},
        {IDM_STRUCTURES_LIST, "&Search", "S&tructures list...\t"},
        {IDM_FUNCTIONS_LIST, "&Search", "F&unctions list...\tF12"},
        {IDM_FUNCTIONS_LIST, "&Search/Goto", "Function\tF12"},
        {IDM_PREVIOUS_FUNCTION, "&Search/Goto", "Previous function"},
        {IDM_GOTO_BOOKMARK, "&Search/Goto/Bookmarks", "Goto\tCtrl+F7"},
        {IDM_GOTO_NEXT_BOOKMARK, "&Search/Goto/Bookmarks", "Goto next\tCtrl+Shift+F7"},
        {IDM_DELETE_BOOKMARK, "&Search/Goto/Bookmarks", "Delete"},
        {IDM_PROJECT_FILES, "&Project", "Add/Delete files..."},
        {IDM_OUTLINE, "&Project", "Outline"},
        {IDM_MAKE, "&Compiler", "&Make\tF9"},
        {IDM_SET_BREAKPOINT, "&Compiler", "S&et breakpoint\tF2"},
        {IDM_EXECUTE, "&Utils", "&Execute..."},
        {IDM_APPLY_PATCH, "&Utils", "Apply patch"},
        {IDM_GENERATE_HLP, "&Utils/Analysis", "Generate .&HLP..."},
        {IDM_EXECUTABLE_STATS, "&Utils/Analysis", "Executable stats"},
        {IDM_VERSIONS_GET_ALL, "&Versions", "Get &all..."},
        {IDM_VERSIONS_SHOW_RELEASE, "&Versions", "Show release..."},
        {IDM_ARRANGE_ICONS, "&Window", "&Arrange icons"},
        {IDM_DISPOSITION, "&Window", "&Disposition..."},
        {IDM_HELP_INDEX, "&Help", "&Index"},
        {IDM_VERSION, "&Help", "&Version"},
    };
    for (const Sample &s : samples) {
        auto range = items.equal_range(s.id);
        bool seen = false;
        for (auto it = range.first; it != range.second; ++it)
            seen = seen || it->second == std::make_pair(std::string(s.path), std::string(s.text));
        EXPECT_TRUE(seen) << s.id << " " << s.path << " " << s.text;
    }
    EXPECT_EQ(2u, items.count(IDM_FUNCTIONS_LIST));

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
    for (int command = IDM_FIRST_CLOSED_FILE; command <= IDM_LAST_CLOSED_FILE; command++)
        commands.insert(command);
    for (int id : {IDM_COMPILE_FILE, IDM_EXECUTE_PROJECT, IDM_EXIT, IDM_MATCHING_BRACE,
                   IDM_PROPERTIES, IDM_EXTEND_UP, IDM_EXTEND_DOWN, IDM_EXTEND_DOWN_ROW,
                   IDM_EXTEND_RIGHT, IDM_EXTEND_LEFT, IDM_WORD_RIGHT, IDM_WORD_LEFT,
                   IDM_WORD_RIGHT_REPEAT, IDM_WORD_LEFT_REPEAT, IDM_EXTEND_WORD_RIGHT,
                   IDM_EXTEND_WORD_LEFT, IDM_EXTEND_TO_TOP, IDM_EXTEND_TO_END, IDM_EXTEND_LINE_END,
                   IDM_EXTEND_LINE_START, IDM_EXTEND_PAGE_UP, IDM_EXTEND_PAGE_DOWN, IDM_WORD_HELP,
                   IDM_CLOSE_ALL})
        commands.insert(id);
    for (int id : commands) {
        std::string text = GetString(StatusTextId(id));
        EXPECT_FALSE(text.empty()) << id;
        // The line is formatted with "%s."
        EXPECT_TRUE(text.empty() || text.back() != '.') << id;
    }
    EXPECT_STREQ("Show the on-line documentation", GetString(StatusTextId(IDM_HELP_INDEX)));

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
        EXPECT_EQ(IDM_FIRST_TOOL + i, entries[i].cmd) << i;
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
