#include "app/KeyTable.h"

#include <stdio.h>
#include <string.h>

namespace {

enum { kCtrl = kModifierCtrl, kAlt = kModifierAlt, kShift = kModifierShift };
enum { kBack = 8, kEscape = 27, kPrior = 33, kNext = 34, kEnd = 35, kHome = 36, kLeft = 37,
       kUp = 38, kRight = 39, kDown = 40, kInsert = 45, kDelete = 46, kF1 = 0x70 };
constexpr unsigned short F(int n) { return static_cast<unsigned short>(kF1 + n - 1); }

// The first row that matches a key wins, and a row matches whenever the modifiers it names
// are held: rows with more modifiers come before the rows of the same key with fewer.
const CommandRow kDefaultRows[] = {
    {F(7), 1144, kCtrl | kShift, 0},
    {kRight, 1165, kCtrl | kShift, 0},
    {kLeft, 1272, kCtrl | kShift, 0},
    {kHome, 1171, kCtrl | kShift, 0},
    {kEnd, 1172, kCtrl | kShift, 0},
    // Rows with a menu item.
    {'S', 1103, kCtrl, 0},
    {kBack, 1110, kAlt, 0},
    {kDelete, 1111, kShift, 0},
    {kInsert, 1112, kCtrl, 0},
    {kInsert, 1113, kShift, 0},
    {F(7), 1142, 0, 0},
    {F(11), 1191, kCtrl, 0},
    {F(3), 1137, kAlt, 0},
    {F(3), 1135, 0, 0},
    {F(3), 1136, kCtrl, 0},
    {kHome, 1121, kCtrl, 0},
    {kEnd, 1122, kCtrl, 0},
    {'G', 1123, kCtrl, 0},
    {F(12), 1168, 0, 0},
    {F(7), 1143, kCtrl, 0},
    {F(12), 1175, kAlt, 0},
    {F(8), 1158, 0, 0},
    {F(8), 1204, kCtrl, 0},
    {F(9), 1156, 0, 1},
    {F(5), 1268, 0, 0},
    {F(2), 1273, 0, 0},
    {F(5), 1295, kCtrl, 0},
    {F(4), 1109, kCtrl, 0},
    // Keyboard-only rows.
    {'X', 1106, kAlt, 1},
    {F(4), 1106, kAlt, 1},
    {F(11), 1116, 0, 0},
    {kEscape, 1118, kShift, 0},
    {kUp, 1153, kShift, 0},
    {kDown, 1115, kShift, 0},
    {kDown, 1166, kShift, 0},
    {kRight, 1154, kShift, 0},
    {kLeft, 1155, kShift, 0},
    {kRight, 1163, kCtrl, 0},
    {kLeft, 1164, kCtrl, 0},
    {kRight, 1207, kCtrl, 0},
    {kLeft, 1208, kCtrl, 0},
    {kEnd, 1188, kShift, 0},
    {kHome, 1199, kShift, 0},
    {kPrior, 1211, kShift, 0},
    {kNext, 1212, kShift, 0},
    {F(1), 1296, 0, 1},
    // Commands without a default key that work without a document.
    {0, 1101, 0, 1},
    {0, 1102, 0, 1},
    {0, 1119, 0, 1},
    {0, 1124, 0, 1},
    {0, 1125, 0, 1},
    {0, 1127, 0, 1},
    {0, 1128, 0, 1},
    {0, 1150, 0, 1},
    {0, 1152, 0, 1},
    {0, 1157, 0, 1},
    {0, 1159, 0, 1},
    {0, 1160, 0, 1},
    {0, 1161, 0, 1},
    {0, 1198, 0, 1},
    {0, 1200, 0, 1},
    {0, 1225, 0, 1},
    {0, 1229, 0, 1},
    {0, 1231, 0, 1},
    {0, 1246, 0, 1},
    {0, 1248, 0, 1},
};

constexpr int kRowCount = sizeof kDefaultRows / sizeof kDefaultRows[0];

struct MenuText {
    unsigned short command;
    const char *text;
    char shortcut[40];   // a shortcut the user chose, or empty for the default text
};

MenuText g_menuTexts[] = {
    {1101, "&New", ""},
    {1102, "&Open...", ""},
    {1103, "&Save\tCtrl+S", ""},
    {1109, "Close\tCtrl+F4", ""},
    {1110, "&Undo\tAlt+BkSp", ""},
    {1111, "Cu&t\tShift+Suppr", ""},
    {1112, "&Copy\tCtrl+Ins", ""},
    {1113, "&Paste\tShift+Ins", ""},
    {1119, "&Configuration", ""},
    {1121, "Top\tCtrl+Home", ""},
    {1122, "End\tCtrl+End", ""},
    {1123, "Line\tCtrl+G", ""},
    {1124, "&Execute...", ""},
    {1135, "Find &Next\tF3", ""},
    {1136, "Find &Previous\tCtrl+F3", ""},
    {1137, "&Find...\tAlt+F3", ""},
    {1142, "Set bookmark\tF7", ""},
    {1143, "Goto\tCtrl+F7", ""},
    {1144, "Goto next\tCtrl+Shift+F7", ""},
    {1150, "&Grep...", ""},
    {1156, "&Make\tF9", ""},
    {1158, "Search &definition\tF8", ""},
    {1161, "&Diff...", ""},
    {1168, "F&unctions list...\tF12", ""},
    {1175, "S&tructures list...\t", ""},
    {1191, "&Recenter\tCtrl+F11", ""},
    {1198, "Close...", ""},
    {1200, "Open &binary...", ""},
    {1204, "&Symbol usage\tCtrl+F8", ""},
    {1225, "Open...", ""},
    {1229, "&Create...", ""},
    {1231, "Add/Delete files...", ""},
    {1246, "Erase...", ""},
    {1268, "&Debugger\tF5", ""},
    {1273, "S&et breakpoint\tF2", ""},
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
