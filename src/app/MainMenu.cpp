// The main menu: finding its submenus, the items that follow the current file (the closed
// files, "Compile %s"), enabling and status help of the items, the user tools and the help
// items.
#include "app/Frame.h"

#include <windows.h>
#include <stdio.h>
#include <string.h>

#include "app/Dispatch.h"
#include "app/KeyTable.h"
#include "base/AppState.h"
#include "base/CommandIds.h"
#include "base/Memory.h"
#include "base/MessageIds.h"
#include "base/Messages.h"
#include "base/TextUtil.h"
#include "editor/Document.h"
#include "platform/Files.h"
#include "project/Project.h"
#include "project/Utilities.h"
#include "ui/OutputWindow.h"

namespace {

enum { kFirstWindowItem = 30000 };   // the MDI client numbers its window list from here

// The submenu of `bar` that holds `command`, itself or in one of its own submenus (a search
// by command looks into those too).
HMENU SubmenuHolding(HMENU bar, UINT command) {
    int count = GetMenuItemCount(bar);
    for (int i = 0; i < count; i++) {
        HMENU submenu = GetSubMenu(bar, i);
        if (!submenu)
            continue;
        if (GetMenuState(submenu, command, MF_BYCOMMAND) != static_cast<UINT>(-1))
            return submenu;
    }
    return nullptr;
}

// A key the user gave to a command without a menu item of its own shows on the dynamic item.
void AddExtraShortcut(char *text, size_t size, int command) {
    for (unsigned short row : g_app->extraShortcuts) {
        if (row == 0 || row >= CommandRowCount() || g_commandTable[row].command != command)
            continue;
        char shortcut[40];
        ShortcutName(g_commandTable[row].key, g_commandTable[row].modifiers, shortcut, sizeof shortcut);
        size_t n = strlen(text);
        snprintf(text + n, size - n, "\t%s", shortcut);
        return;
    }
}

void ClosedFileCommand(int command, intptr_t) {
    int index = command - IDM_FIRST_CLOSED_FILE;
    const char *path = ClosedFile(index);
    if (!path)
        return;
    char copy[kMaxPathLength + 1];
    CopyBounded(copy, path, sizeof copy);
    // Taken off the list, then opened.
    Release(g_frame.closed[index]);
    for (int i = index; i + 1 < kClosedFileCount; i++)
        g_frame.closed[i] = g_frame.closed[i + 1];
    g_frame.closed[kClosedFileCount - 1] = nullptr;
    OpenPath(copy);
    UpdateDynamicMenus();
}

} // namespace

void FindFrameMenus(HMENU bar) {
    for (int i = 0; i < GetMenuItemCount(bar) && i < kMaxBarMenus; i++)
        g_frame.barMenus[i] = GetSubMenu(bar, i);
    g_frame.fileMenu = SubmenuHolding(bar, IDM_FILE_NEW);
    g_frame.compilerMenu = SubmenuHolding(bar, IDM_MAKE);
    g_frame.utilsMenu = SubmenuHolding(bar, IDM_EXECUTE);
    g_frame.windowMenu = SubmenuHolding(bar, IDM_CASCADE);
    g_frame.helpMenu = SubmenuHolding(bar, IDM_HELP_INDEX);
}

void RegisterMenuCommands() {
    for (int i = 0; i < kClosedFilesShown; i++)
        RegisterHandler(IDM_FIRST_CLOSED_FILE + i, ClosedFileCommand);
}

void StatusHelp(WPARAM wParam, LPARAM lParam) {
    UINT item = LOWORD(wParam);
    UINT flags = HIWORD(wParam);
    if (flags == 0xFFFF && !lParam) {
        ShowMenuHelp("");
    } else if (!(flags & (MF_POPUP | MF_GRAYED | MF_DISABLED | MF_SEPARATOR))) {
        if (item >= IDM_FIRST_TOOL && item <= IDM_LAST_TOOL) {
            for (Utility *tool = g_utilities; tool; tool = tool->next)
                if (tool->id == item)
                    ShowMenuHelp(FormatMessageId(kStrExecuteTool, tool->program, tool->arguments));
        } else {
            const char *text = GetString(item == IDM_HELP_INDEX ? kStrHelpIndexHelp
                                                                : static_cast<int>(item) + kStrMenuHelpBase);
            ShowMenuHelp(*text ? FormatScratch("%s.", text) : "");
        }
    } else {
        ShowMenuHelp("");
    }
}

void EnableItems(HMENU menu) {
    int count = GetMenuItemCount(menu);
    for (int i = 0; i < count; i++) {
        if (HMENU sub = GetSubMenu(menu, i)) {
            EnableItems(sub);
            continue;
        }
        UINT id = GetMenuItemID(menu, i);
        // The MDI window list and the system commands belong to Windows.
        if (id == 0 || id == static_cast<UINT>(-1) || id >= kFirstWindowItem)
            continue;
        bool enabled = CommandAvailable(static_cast<int>(id)) ||
                       (id >= IDM_FIRST_CLOSED_FILE && id < IDM_FIRST_CLOSED_FILE + kClosedFilesShown) ||
                       (id >= IDM_FIRST_TOOL && id <= IDM_LAST_TOOL);
        EnableMenuItem(menu, i, MF_BYPOSITION | (enabled ? MF_ENABLED : MF_GRAYED));
    }
}

void BuildToolItems() {
    HMENU utils = g_frame.utilsMenu;
    if (!utils)
        return;
    for (int id = IDM_FIRST_TOOL; id <= IDM_LAST_TOOL; id++)
        DeleteMenu(utils, id, MF_BYCOMMAND);
    // Between "Execute..." and the separator that follows it, in the order of the list.
    int position = 1;
    for (Utility *tool = g_utilities; tool; tool = tool->next) {
        if (tool->id < IDM_FIRST_TOOL || tool->id > IDM_LAST_TOOL)
            continue;
        char text[200];
        snprintf(text, sizeof text, "%s\tShift+F%d", tool->nickname, tool->id - IDM_FIRST_TOOL + 1);
        InsertMenuA(utils, position++, MF_BYPOSITION | MF_STRING, tool->id, text);
    }
}

void BuildToolAndHelpItems() {
    BuildToolItems();
    HMENU help = g_frame.helpMenu;
    if (help && g_app->helpDatabase[0] && FileExists(g_app->helpDatabase))
        InsertMenuA(help, 1, MF_BYPOSITION | MF_STRING, IDM_WINDOWS_API_HELP, "&Windows API");
    // Keys the user chose are shown in the items.
    HMENU menu = GetMenu(g_app->frameWindow);
    for (int row = 0; menu && row < CommandRowCount(); row++) {
        const CommandRow &r = g_commandTable[row];
        if (!(r.modifiers & kModifierChanged))
            continue;
        if (const char *text = CommandMenuText(r.command))
            ModifyMenuA(menu, r.command, MF_BYCOMMAND | MF_STRING, r.command, text);
    }
}

void RememberClosedFile(const char *path) {
    char *copy = DupString(path);
    if (!copy)
        return;
    // Newest first; a path already listed moves to the front.
    for (int i = 0; i < kClosedFileCount; i++) {
        if (g_frame.closed[i] && strcmp(g_frame.closed[i], path) == 0) {
            Release(g_frame.closed[i]);
            for (int k = i; k + 1 < kClosedFileCount; k++)
                g_frame.closed[k] = g_frame.closed[k + 1];
            g_frame.closed[kClosedFileCount - 1] = nullptr;
            break;
        }
    }
    Release(g_frame.closed[kClosedFileCount - 1]);
    for (int i = kClosedFileCount - 1; i > 0; i--)
        g_frame.closed[i] = g_frame.closed[i - 1];
    g_frame.closed[0] = copy;
}

const char *ClosedFile(int index) {
    return index >= 0 && index < kClosedFileCount ? g_frame.closed[index] : nullptr;
}

void UpdateDynamicMenus() {
    HMENU file = g_frame.fileMenu;
    if (file) {
        if (g_frame.fileMenuFixedItems < 0)
            g_frame.fileMenuFixedItems = GetMenuItemCount(file);
        while (GetMenuItemCount(file) > g_frame.fileMenuFixedItems)
            DeleteMenu(file, g_frame.fileMenuFixedItems, MF_BYPOSITION);
        char current[400] = "";
        CurrentDirectory(current, sizeof current);
        for (int i = 0; i < kClosedFilesShown && g_frame.closed[i]; i++) {
            if (i == 0)
                AppendMenuA(file, MF_SEPARATOR, 0, nullptr);
            char shown[kMaxPathLength + 420];
            const char *path = g_frame.closed[i];
            if (!strchr(path, '\\'))
                snprintf(shown, sizeof shown, "%s\\%s", current, path);
            else
                CopyBounded(shown, path, sizeof shown);
            if (strlen(shown) > 35) {
                const char *name = strrchr(shown, '\\');
                char shortened[kMaxPathLength + 420];
                snprintf(shortened, sizeof shortened, "%.3s...%s", shown, name ? name : "");
                CopyBounded(shown, shortened, sizeof shown);
            }
            LowerCase(shown);
            AppendMenuA(file, MF_STRING, IDM_FIRST_CLOSED_FILE + i, shown);
        }
    }
    HMENU compiler = g_frame.compilerMenu;
    if (compiler) {
        bool cSource = HasFileDocument() && (g_editor->doc->flags & kDocCSource);
        if (cSource) {
            const char *path = DiskPath(g_editor->doc);
            const char *name = strrchr(path, '\\');
            name = name ? name + 1 : path;
            char text[200];
            snprintf(text, sizeof text, GetString(kStrCompileFile), name);
            AddExtraShortcut(text, sizeof text, IDM_COMPILE_FILE);
            if (!ModifyMenuA(compiler, IDM_COMPILE_FILE, MF_BYCOMMAND | MF_STRING, IDM_COMPILE_FILE, text)) {
                static bool separatorAdded;
                if (!separatorAdded) {
                    AppendMenuA(compiler, MF_SEPARATOR, 0, nullptr);
                    separatorAdded = true;
                }
                AppendMenuA(compiler, MF_STRING, IDM_COMPILE_FILE, text);
            }
        } else {
            DeleteMenu(compiler, IDM_COMPILE_FILE, MF_BYCOMMAND);
        }
        // While a build runs Make stops it; an Eiffel project's Make compiles its root class;
        // otherwise the item has its own text.
        static bool otherText;
        const ProjectRecord *project = CurrentProject();
        if (g_app && g_app->buildState == kBuildRunning) {
            otherText = ModifyMenuA(compiler, IDM_MAKE, MF_BYCOMMAND | MF_STRING, IDM_MAKE, "Stop build") != 0;
        } else if (project && (project->projectFlags & kProjectEiffel)) {
            char make[200];
            snprintf(make, sizeof make, "compile %s\tF9", project->eiffelRootClass.c_str());
            otherText = ModifyMenuA(compiler, IDM_MAKE, MF_BYCOMMAND | MF_STRING, IDM_MAKE, make) != 0;
        } else if (otherText) {
            if (const char *text = CommandMenuText(IDM_MAKE))
                ModifyMenuA(compiler, IDM_MAKE, MF_BYCOMMAND | MF_STRING, IDM_MAKE, text);
            otherText = false;
        }
    }
    if (g_app && g_app->frameWindow)
        DrawMenuBar(g_app->frameWindow);
}

void UpdateMenus() {
    HMENU menu = g_app && g_app->frameWindow ? GetMenu(g_app->frameWindow) : nullptr;
    if (!menu)
        return;
    for (HMENU submenu : g_frame.barMenus)
        if (submenu)
            EnableItems(submenu);
    // ID is checked for a C source that carries a version stamp.
    bool stamped = HasFileDocument() && (g_editor->doc->flags & kDocCSource) && (g_editor->doc->flags & kDocStampLine);
    CheckMenuItem(menu, IDM_ID, MF_BYCOMMAND | (stamped ? MF_CHECKED : MF_UNCHECKED));
}

namespace {

int PositionOf(HMENU bar, HMENU submenu) {
    int count = GetMenuItemCount(bar);
    for (int i = 0; submenu && i < count; i++)
        if (GetSubMenu(bar, i) == submenu)
            return i;
    return -1;
}

HMENU g_versionsMenu, g_debugMenu;
// The titles of the menus the Debug menu stands in for, as the menu bar had them.
char g_compilerTitle[40], g_versionsTitle[40];

} // namespace

// While a program is debugged the Debug menu stands where the Compiler menu was, and the
// Versions menu is off the bar; both come back when debugging ends.
void SwitchDebugMenu(bool debugging) {
    HWND frame = g_app ? g_app->frameWindow : nullptr;
    HMENU bar = frame ? GetMenu(frame) : nullptr;
    if (!bar)
        return;
    if (debugging && !g_debugMenu) {
        static const struct {
            UINT command;
            const char *text;
        } items[] = {
            {IDM_DEBUG_EXECUTE, "&Execute\tF5"}, {IDM_DEBUG_STEP_IN, "&Step in\tF8"},
            {IDM_DEBUG_SAME_LEVEL, "Same &Level\tF4"}, {IDM_DEBUG_STEP_OUT, "Step out\tF9"},
            {IDM_DEBUG_RUN_TO_CURSOR, "&Run to cursor\tF7"}, {IDM_BREAKPOINTS, "Brea&kpoints"}, {0, nullptr},
            {IDM_DEBUG_BREAK, "&Break"}, {IDM_DEBUG_RESTART, "Res&tart"}, {IDM_DEBUG_STOP, "Stop &debugging"},
            {0, nullptr}, {IDM_DEBUG_INFO, "&Info..."},
        };
        g_debugMenu = CreatePopupMenu();
        for (const auto &item : items)
            AppendMenuA(g_debugMenu, item.text ? MF_STRING : MF_SEPARATOR, item.command, item.text);
        g_versionsMenu = SubmenuHolding(bar, IDM_VERSIONS_GET);
        int versions = PositionOf(bar, g_versionsMenu);
        if (versions >= 0) {
            GetMenuStringA(bar, static_cast<UINT>(versions), g_versionsTitle, sizeof g_versionsTitle, MF_BYPOSITION);
            RemoveMenu(bar, static_cast<UINT>(versions), MF_BYPOSITION);
        }
        int compiler = PositionOf(bar, g_frame.compilerMenu);
        if (compiler >= 0) {
            GetMenuStringA(bar, static_cast<UINT>(compiler), g_compilerTitle, sizeof g_compilerTitle, MF_BYPOSITION);
            RemoveMenu(bar, static_cast<UINT>(compiler), MF_BYPOSITION);
        }
        InsertMenuA(bar, compiler >= 0 ? static_cast<UINT>(compiler) : 0xFFFFFFFF, MF_BYPOSITION | MF_POPUP | MF_STRING,
                    reinterpret_cast<UINT_PTR>(g_debugMenu), "&Debug");
        for (HMENU &slot : g_frame.barMenus)
            if (!slot) {
                slot = g_debugMenu;
                break;
            }
    } else if (!debugging && g_debugMenu) {
        int at = PositionOf(bar, g_debugMenu);
        if (at >= 0) {
            RemoveMenu(bar, static_cast<UINT>(at), MF_BYPOSITION);
            InsertMenuA(bar, static_cast<UINT>(at), MF_BYPOSITION | MF_POPUP | MF_STRING,
                        reinterpret_cast<UINT_PTR>(g_frame.compilerMenu), g_compilerTitle);
        }
        int utils = PositionOf(bar, g_frame.utilsMenu);
        if (g_versionsMenu && utils >= 0)
            InsertMenuA(bar, static_cast<UINT>(utils + 1), MF_BYPOSITION | MF_POPUP | MF_STRING,
                        reinterpret_cast<UINT_PTR>(g_versionsMenu), g_versionsTitle);
        for (HMENU &slot : g_frame.barMenus)
            if (slot == g_debugMenu)
                slot = nullptr;
        DestroyMenu(g_debugMenu);
        g_debugMenu = g_versionsMenu = nullptr;
    }
    DrawMenuBar(frame);
}
