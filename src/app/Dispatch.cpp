#include "app/Dispatch.h"

#include <string.h>

#include "app/KeyTable.h"
#include "base/AppState.h"
#include "base/Boxes.h"
#include "base/CommandIds.h"
#include "editor/Document.h"
#include "editor/EditorInput.h"

const CommandRow g_debuggerKeys[] = {
    {0x71, IDM_DEBUG_BREAKPOINT, 0, 0},      // F2
    {0x76, IDM_DEBUG_RUN_TO_CURSOR, 0, 0},   // F7
    {0x74, IDM_DEBUG_EXECUTE, 0, 0},         // F5
    {0x77, IDM_DEBUG_STEP_IN, 0, 0},         // F8
    {0x73, IDM_DEBUG_SAME_LEVEL, 0, 0},      // F4
    {0x78, IDM_DEBUG_STEP_OUT, 0, 0},        // F9
    {0, 0, 0, 0},
};

namespace {

// Commands of tools outside this program.
const unsigned short kUnavailable[] = {
    IDM_PRINT, IDM_IDENTIFY_FILE, IDM_EXECUTABLE_STATS, IDM_EDIT_RESOURCES, IDM_NEW_DIALOG,
    IDM_TEST_DIALOG, IDM_DIALOG_PROPERTIES, IDM_ADD_BUTTON, IDM_ADD_CHECK_BOX, IDM_ADD_RADIO_BUTTON,
    IDM_ADD_EDIT_FIELD, IDM_ADD_LIST_BOX, IDM_ALIGN_CONTROLS, IDM_GRID, IDM_TAB_ORDER,
    IDM_WRITE_RESOURCE_SCRIPT,
};

// The command-table row of a command, or null.
const CommandRow *RowOf(int command) {
    for (const CommandRow *row = g_commandTable; row->command; row++)
        if (row->command == command)
            return row;
    return nullptr;
}

bool Matches(const CommandRow &row, int key, int held) {
    if (row.key != key)
        return false;
    int wanted = row.modifiers & (kModifierCtrl | kModifierAlt | kModifierShift);
    return wanted ? (held & wanted) == wanted : held == 0;
}

const CommandRow *FindRow(const CommandRow *table, int key, int held) {
    for (const CommandRow *row = table; row->command; row++)
        if (Matches(*row, key, held))
            return row;
    return nullptr;
}

} // namespace

bool IsUnavailableTool(int command) {
    if (command >= IDM_ADD_STATIC_TEXT && command <= IDM_DELETE_CONTROL)
        return true;
    for (unsigned short c : kUnavailable)
        if (c == command)
            return true;
    return false;
}

bool CommandAvailable(int command) {
    if (!FindHandler(command) && !IsUnavailableTool(command))
        return false;
    // The breakpoints of a program exist only while it is debugged.
    if (command == IDM_BREAKPOINTS && !(g_app && g_app->debugging))
        return false;
    if (HasFileDocument() || command == IDM_OTHER_NO_DOCUMENT || command == IDM_OPEN_ALL_FILES)
        return true;
    const CommandRow *row = RowOf(command);
    return !row || row->withoutDocument;
}

bool DispatchCommand(int command, intptr_t parameter) {
    // Commands that stand for the function keys.
    if (command >= IDM_FIRST_FUNCTION_KEY && command <= IDM_LAST_FUNCTION_KEY) {
        int key = 0x70 + command - IDM_FIRST_FUNCTION_KEY;   // VK_F1 onwards
        const CommandRow *table = g_app && g_app->debugging ? g_debuggerKeys : g_commandTable;
        const CommandRow *row = FindRow(table, key, 0);
        return row ? DispatchCommand(row->command, parameter) : false;
    }
    // Without a document only the commands that allow it run.
    if (!HasFileDocument() && command != IDM_OTHER_NO_DOCUMENT && command != IDM_OPEN_ALL_FILES) {
        const CommandRow *row = RowOf(command);
        if (row && !row->withoutDocument)
            return true;
    }
    if (CommandHandler handler = FindHandler(command)) {
        handler(command, parameter);
        return true;
    }
    if (IsUnavailableTool(command)) {
        InfoBox("This tool is not available in this version of Kelto");
        return true;
    }
    return false;
}

bool KeyDown(int key, int repeat, bool ctrl, bool alt, bool shift) {
    if (key == 17)   // Ctrl alone
        return false;
    int held = (ctrl ? kModifierCtrl : 0) | (alt ? kModifierAlt : 0) | (shift ? kModifierShift : 0);
    const CommandRow *row = nullptr;
    if (g_app && g_app->debugging)
        row = FindRow(g_debuggerKeys, key, held);
    if (!row)
        row = FindRow(g_commandTable, key, held);
    if (row) {
        DispatchCommand(row->command, 0);
        return true;
    }
    switch (key) {
    case kKeyEscape:
    case kKeyPageUp:
    case kKeyPageDown:
    case kKeyEnd:
    case kKeyHome:
    case kKeyLeft:
    case kKeyUp:
    case kKeyRight:
    case kKeyDown:
    case kKeyInsert:
    case kKeyDelete:
        EditorKey(key, repeat, ctrl);
        return true;
    }
    return false;
}
