#include "app/KeyTable.h"

#include <stdio.h>
#include <string.h>

#include "base/CommandIds.h"

namespace {

enum { kCtrl = kModifierCtrl, kAlt = kModifierAlt, kShift = kModifierShift };
enum { kBack = 8, kEscape = 27, kPrior = 33, kNext = 34, kEnd = 35, kHome = 36, kLeft = 37,
       kUp = 38, kRight = 39, kDown = 40, kInsert = 45, kDelete = 46, kF1 = 0x70 };
constexpr unsigned short F(int n) { return static_cast<unsigned short>(kF1 + n - 1); }

// The first row that matches a key wins, and a row matches whenever the modifiers it names
// are held: rows with more modifiers come before the rows of the same key with fewer.
const CommandRow kDefaultRows[] = {
    {F(7), IDM_GOTO_NEXT_BOOKMARK, kCtrl | kShift, 0},
    {kRight, IDM_EXTEND_WORD_RIGHT, kCtrl | kShift, 0},
    {kLeft, IDM_EXTEND_WORD_LEFT, kCtrl | kShift, 0},
    {kHome, IDM_EXTEND_TO_TOP, kCtrl | kShift, 0},
    {kEnd, IDM_EXTEND_TO_END, kCtrl | kShift, 0},
    // Rows with a menu item.
    {'S', IDM_SAVE, kCtrl, 0},
    {kBack, IDM_UNDO, kAlt, 0},
    {kDelete, IDM_CUT, kShift, 0},
    {kInsert, IDM_COPY, kCtrl, 0},
    {kInsert, IDM_PASTE, kShift, 0},
    {F(7), IDM_SET_BOOKMARK, 0, 0},
    {F(11), IDM_RECENTER, kCtrl, 0},
    {F(3), IDM_FIND, kAlt, 0},
    {F(3), IDM_FIND_NEXT, 0, 0},
    {F(3), IDM_FIND_PREVIOUS, kCtrl, 0},
    {kHome, IDM_GOTO_TOP, kCtrl, 0},
    {kEnd, IDM_GOTO_END, kCtrl, 0},
    {'G', IDM_GOTO_LINE, kCtrl, 0},
    {F(12), IDM_FUNCTIONS_LIST, 0, 0},
    {F(7), IDM_GOTO_BOOKMARK, kCtrl, 0},
    {F(12), IDM_STRUCTURES_LIST, kAlt, 0},
    {F(8), IDM_SEARCH_DEFINITION, 0, 0},
    {F(8), IDM_SYMBOL_USAGE, kCtrl, 0},
    {F(9), IDM_MAKE, 0, 1},
    {F(5), IDM_DEBUGGER, 0, 0},
    {F(2), IDM_SET_BREAKPOINT, 0, 0},
    {F(5), IDM_EXECUTE_PROJECT, kCtrl, 0},
    {F(4), IDM_CLOSE, kCtrl, 0},
    // Keyboard-only rows.
    {'X', IDM_EXIT, kAlt, 1},
    {F(4), IDM_EXIT, kAlt, 1},
    {F(11), IDM_MATCHING_BRACE, 0, 0},
    {kEscape, IDM_PROPERTIES, kShift, 0},
    {kUp, IDM_EXTEND_UP, kShift, 0},
    {kDown, IDM_EXTEND_DOWN, kShift, 0},
    {kDown, IDM_EXTEND_DOWN_ROW, kShift, 0},
    {kRight, IDM_EXTEND_RIGHT, kShift, 0},
    {kLeft, IDM_EXTEND_LEFT, kShift, 0},
    {kRight, IDM_WORD_RIGHT, kCtrl, 0},
    {kLeft, IDM_WORD_LEFT, kCtrl, 0},
    {kRight, IDM_WORD_RIGHT_REPEAT, kCtrl, 0},
    {kLeft, IDM_WORD_LEFT_REPEAT, kCtrl, 0},
    {kEnd, IDM_EXTEND_LINE_END, kShift, 0},
    {kHome, IDM_EXTEND_LINE_START, kShift, 0},
    {kPrior, IDM_EXTEND_PAGE_UP, kShift, 0},
    {kNext, IDM_EXTEND_PAGE_DOWN, kShift, 0},
    {F(1), IDM_WORD_HELP, 0, 1},
    // Commands without a default key that work without a document.
    {0, IDM_FILE_NEW, 0, 1},
    {0, IDM_FILE_OPEN, 0, 1},
    {0, IDM_PROJECT_CONFIGURATION, 0, 1},
    {0, IDM_EXECUTE, 0, 1},
    {0, IDM_OTHER_1, 0, 1},
    {0, IDM_OTHER_2, 0, 1},
    {0, IDM_CLOSE_ALL, 0, 1},
    {0, IDM_GREP, 0, 1},
    {0, IDM_OTHER_3, 0, 1},
    {0, IDM_OTHER_4, 0, 1},
    {0, IDM_OTHER_5, 0, 1},
    {0, IDM_OTHER_6, 0, 1},
    {0, IDM_DIFF, 0, 1},
    {0, IDM_PROJECT_CLOSE, 0, 1},
    {0, IDM_OPEN_BINARY, 0, 1},
    {0, IDM_PROJECT_OPEN, 0, 1},
    {0, IDM_PROJECT_CREATE, 0, 1},
    {0, IDM_PROJECT_FILES, 0, 1},
    {0, IDM_PROJECT_ERASE, 0, 1},
    {0, IDM_OTHER_7, 0, 1},
    // Commands without a key that need a document backed by a file: without one they would
    // act on the hidden "untitled" document.
    {0, IDM_SAVE_AS, 0, 0},
    {0, IDM_RELOAD, 0, 0},
    {0, IDM_INSERT_FILE, 0, 0},
    {0, IDM_SPACES_TO_TABS, 0, 0},
    {0, IDM_TABS_TO_SPACES, 0, 0},
    {0, IDM_STATISTICS, 0, 0},
    // The keys every Windows editor has, beside the ones above.
    {'Z', IDM_UNDO, kCtrl, 0},
    {'Y', IDM_REDO, kCtrl, 0},
    {'X', IDM_CUT, kCtrl, 0},
    {'C', IDM_COPY, kCtrl, 0},
    {'V', IDM_PASTE, kCtrl, 0},
    {'A', IDM_SELECT_ALL, kCtrl, 0},
    {'F', IDM_FIND, kCtrl, 0},
    {'O', IDM_FILE_OPEN, kCtrl, 1},
    {'N', IDM_FILE_NEW, kCtrl, 1},
};

constexpr int kRowCount = sizeof kDefaultRows / sizeof kDefaultRows[0];

struct MenuText {
    unsigned short command;
    const char *text;
    char shortcut[40];   // a shortcut the user chose, or empty for the default text
};

MenuText g_menuTexts[] = {
    {IDM_FILE_NEW, "&New\tCtrl+N", ""},
    {IDM_FILE_OPEN, "&Open...\tCtrl+O", ""},
    {IDM_SAVE, "&Save\tCtrl+S", ""},
    {IDM_CLOSE, "Close\tCtrl+F4", ""},
    {IDM_UNDO, "&Undo\tAlt+BkSp, Ctrl+Z", ""},
    {IDM_REDO, "&Redo\tCtrl+Y", ""},
    {IDM_SELECT_ALL, "Select &all\tCtrl+A", ""},
    {IDM_CUT, "Cu&t\tShift+Suppr, Ctrl+X", ""},
    {IDM_COPY, "&Copy\tCtrl+Ins, Ctrl+C", ""},
    {IDM_PASTE, "&Paste\tShift+Ins, Ctrl+V", ""},
    {IDM_PROJECT_CONFIGURATION, "&Configuration", ""},
    {IDM_GOTO_TOP, "Top\tCtrl+Home", ""},
    {IDM_GOTO_END, "End\tCtrl+End", ""},
    {IDM_GOTO_LINE, "Line\tCtrl+G", ""},
    {IDM_EXECUTE, "&Execute...", ""},
    {IDM_FIND_NEXT, "Find &Next\tF3", ""},
    {IDM_FIND_PREVIOUS, "Find &Previous\tCtrl+F3", ""},
    {IDM_FIND, "&Find...\tAlt+F3, Ctrl+F", ""},
    {IDM_SET_BOOKMARK, "Set bookmark\tF7", ""},
    {IDM_GOTO_BOOKMARK, "Goto\tCtrl+F7", ""},
    {IDM_GOTO_NEXT_BOOKMARK, "Goto next\tCtrl+Shift+F7", ""},
    {IDM_GREP, "&Grep...", ""},
    {IDM_MAKE, "&Make\tF9", ""},
    {IDM_SEARCH_DEFINITION, "Search &definition\tF8", ""},
    {IDM_DIFF, "&Diff...", ""},
    {IDM_FUNCTIONS_LIST, "F&unctions list...\tF12", ""},
    {IDM_STRUCTURES_LIST, "S&tructures list...\t", ""},
    {IDM_RECENTER, "&Recenter\tCtrl+F11", ""},
    {IDM_PROJECT_CLOSE, "Close...", ""},
    {IDM_OPEN_BINARY, "Open &binary...", ""},
    {IDM_SYMBOL_USAGE, "&Symbol usage\tCtrl+F8", ""},
    {IDM_PROJECT_OPEN, "Open...", ""},
    {IDM_PROJECT_CREATE, "&Create...", ""},
    {IDM_PROJECT_FILES, "Add/Delete files...", ""},
    {IDM_PROJECT_ERASE, "Erase...", ""},
    {IDM_DEBUGGER, "&Debugger\tF5", ""},
    {IDM_SET_BREAKPOINT, "S&et breakpoint\tF2", ""},
};

char g_builtText[80];

} // namespace

CommandRow g_commandTable[kRowCount + 1];

int CommandRowCount() { return kRowCount; }

void ResetCommandTable() {
    memcpy(g_commandTable, kDefaultRows, sizeof kDefaultRows);
    memset(&g_commandTable[kRowCount], 0, sizeof(CommandRow));
    for (MenuText &item : g_menuTexts)
        item.shortcut[0] = '\0';
}

static struct CommandTableInit {
    CommandTableInit() { ResetCommandTable(); }
} g_init;

const char *CommandMenuText(int command) {
    for (MenuText &item : g_menuTexts) {
        if (item.command != command)
            continue;
        if (!item.shortcut[0])
            return item.text;
        size_t n = strcspn(item.text, "\t");
        snprintf(g_builtText, sizeof g_builtText, "%.*s\t%s", static_cast<int>(n), item.text,
                 item.shortcut);
        return g_builtText;
    }
    return nullptr;
}

void SetCommandShortcut(int command, const char *shortcut) {
    for (MenuText &item : g_menuTexts)
        if (item.command == command)
            snprintf(item.shortcut, sizeof item.shortcut, "%s", shortcut);
}

void ShortcutName(int key, int modifiers, char *text, int size) {
    char name[16];
    if (key >= kF1 && key < kF1 + 24) {
        snprintf(name, sizeof name, "F%d", key - kF1 + 1);
    } else if ((key >= '0' && key <= '9') || (key >= 'A' && key <= 'Z')) {
        snprintf(name, sizeof name, "%c", key);
    } else {
        const char *special = nullptr;
        switch (key) {
        case kBack: special = "BkSp"; break;
        case 9: special = "Tab"; break;
        case 13: special = "Enter"; break;
        case kEscape: special = "Esc"; break;
        case 32: special = "Space"; break;
        case kPrior: special = "PgUp"; break;
        case kNext: special = "PgDn"; break;
        case kEnd: special = "End"; break;
        case kHome: special = "Home"; break;
        case kLeft: special = "Left"; break;
        case kUp: special = "Up"; break;
        case kRight: special = "Right"; break;
        case kDown: special = "Down"; break;
        case kInsert: special = "Ins"; break;
        case kDelete: special = "Del"; break;
        }
        if (special)
            snprintf(name, sizeof name, "%s", special);
        else
            snprintf(name, sizeof name, "#%d", key);
    }
    snprintf(text, size, "%s%s%s%s", (modifiers & kModifierCtrl) ? "Ctrl+" : "",
             (modifiers & kModifierAlt) ? "Alt+" : "", (modifiers & kModifierShift) ? "Shift+" : "",
             name);
}
