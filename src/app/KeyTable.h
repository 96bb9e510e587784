// The editor's key bindings: rows of (key, command, modifiers, allowed without a document),
// ending with a row whose command is 0. The settings store the rows the user changed by their
// index, so rows keep their place: new rows go at the end.
#pragma once

struct CommandRow {
    unsigned short key;            // virtual-key code
    unsigned short command;
    unsigned short modifiers;      // kModifier* bits
    unsigned short withoutDocument;
};

enum {
    kModifierCtrl = 1,
    kModifierAlt = 2,
    kModifierShift = 4,
    kModifierChanged = 8,          // the user changed the row; ignored when matching
    kExtraShortcutSlots = 4,
};

extern CommandRow g_commandTable[];
int CommandRowCount();
// Puts every row back to its default.
void ResetCommandTable();

// The menu item text of a command ("&Save\tCtrl+S"), or null when it has no menu item.
const char *CommandMenuText(int command);
// Replaces the shortcut part (after the tab) of the command's menu item text.
void SetCommandShortcut(int command, const char *shortcut);
// The name of a key with its modifiers, as menu items show it ("Ctrl+Shift+F7").
void ShortcutName(int key, int modifiers, char *text, int size);
