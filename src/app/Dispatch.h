// The command path of the whole program: every menu command, accelerator and editor key
// reaches DispatchCommand, which finds the command's handler in the handler table.
#pragma once

#include "base/Commands.h"

typedef struct HWND__ *HWND;


// Whether the command can run now: it has a handler, and a document is open or its
// command-table row allows it without one.
bool CommandAvailable(int command);

// Runs a command; false when nothing handled it (the frame then passes it on).
bool DispatchCommand(int command, intptr_t parameter);

// The editor's key-down: the debugger's and the editor's key tables, then the editor's own
// keys. `ctrl`, `alt`, `shift` are the modifier keys held. False when the key meant nothing.
bool KeyDown(int key, int repeat, bool ctrl, bool alt, bool shift);

// The debugger's key table, searched first while a program is debugged.
extern const struct CommandRow g_debuggerKeys[];

// Commands of tools that are not part of this program: they only say so.
bool IsUnavailableTool(int command);
