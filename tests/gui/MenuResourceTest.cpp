// The main menu linked into kelto.exe and its status help. (The dialogs and accelerators share
// their ids with the code through base/ResourceIds.h and base/CommandIds.h.)
#include <windows.h>
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

TEST(MenuResource, TheFramesMenusRunTimeItemsAndShortcutTextsAgreeWithTheResource) {
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

    // Recent files, Compile/Execute and the user tools are added at run time: none of their ids
    // may be in the resource, or the code would add a second item. And a command-table text
    // (the one that takes the user's shortcut) must match an item of the resource, or the
    // shortcut would be written into a text the menu does not show.
    std::multimap<int, std::string> texts;
    for (const Item &item : items) {
        texts.insert({item.id, item.text});
        EXPECT_FALSE(item.text.empty()) << item.id;
        bool runTime = (item.id >= IDM_FIRST_CLOSED_FILE && item.id <= IDM_LAST_CLOSED_FILE) ||
                       (item.id >= IDM_FIRST_TOOL && item.id <= IDM_LAST_TOOL) ||
                       item.id == IDM_COMPILE_FILE || item.id == IDM_EXECUTE_PROJECT ||
                       item.id == IDM_WINDOWS_API_HELP;
        EXPECT_FALSE(runTime) << item.id << " " << item.path;
    }
    EXPECT_EQ(2u, texts.count(IDM_FUNCTIONS_LIST));   // in Search and in Search > Goto
    for (const auto &entry : texts) {
        const char *text = CommandMenuText(entry.first);
        if (!text)
            continue;
        bool seen = false;
        for (auto range = texts.equal_range(entry.first); range.first != range.second; ++range.first)
            seen = seen || range.first->second == text;
        EXPECT_TRUE(seen) << entry.first << " " << text;
    }
}

TEST(MenuResource, EveryCommandHasStatusHelp) {
    std::set<int> commands;
    for (const Item &item : MenuItems())
        commands.insert(item.id);
    ASSERT_FALSE(commands.empty());
    // The items added at run time. (Status help is shown for menu items only.)
    for (int command = IDM_FIRST_CLOSED_FILE; command <= IDM_LAST_CLOSED_FILE; command++)
        commands.insert(command);
    commands.insert(IDM_COMPILE_FILE);
    commands.insert(IDM_EXECUTE_PROJECT);
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
