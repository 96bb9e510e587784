#include "app/Dispatch.h"

#include <string.h>

#include "app/KeyTable.h"
#include "base/AppState.h"
#include "base/Boxes.h"
#include "base/Memory.h"
#include "editor/Document.h"
#include "editor/EditorInput.h"
#include "editor/Journal.h"

const CommandRow g_debuggerKeys[] = {
    {0x71, 300, 0, 0},   // F2: breakpoint
    {0x76, 330, 0, 0},   // F7: run to cursor
    {0x74, 340, 0, 0},   // F5: execute
    {0x77, 350, 0, 0},   // F8: step in
    {0x73, 360, 0, 0},   // F4: same level
    {0x78, 670, 0, 0},   // F9: step out
    {0, 0, 0, 0},
};

namespace {

// Commands of tools outside this program.
const unsigned short kUnavailable[] = {1105, 1184, 1297, 1265, 1450, 1253, 1260, 1453, 1454, 1455,
                                       1456, 1457, 1263, 1261, 7066, 1459};

bool HasDocument() {
    return g_editor && g_editor->doc && !(g_editor->doc->flags & kDocNoFile);
}

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
    if (command >= 7040 && command <= 7053)
        return true;
    for (unsigned short c : kUnavailable)
        if (c == command)
            return true;
    return false;
}

bool CommandAvailable(int command) {
    if (!FindHandler(command) && !IsUnavailableTool(command))
        return false;
    if (HasDocument() || command == 1117 || command == 1276)
        return true;
    const CommandRow *row = RowOf(command);
    return !row || row->withoutDocument;
}

bool DispatchCommand(int command, intptr_t parameter) {
    // Commands 1000-1012 stand for the function keys.
    if (command >= 1000 && command <= 1012) {
        int key = command - 888;
        const CommandRow *table = g_app && g_app->debugging ? g_debuggerKeys : g_commandTable;
        const CommandRow *row = FindRow(table, key, 0);
        return row ? DispatchCommand(row->command, parameter) : false;
    }
    // Without a document only the commands that allow it run.
    if (!HasDocument() && command != 1117 && command != 1276) {
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
