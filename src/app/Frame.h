// The frame window: the MDI client with the editor windows, the output window along the
// bottom, the menu, and closing. Frame.cpp routes the window's messages, MainMenu.cpp keeps
// the menu, FrameCommands.cpp the frame's commands and the closing questions, ContextMenu.cpp
// the editor's right-button menu, SharedBlock.cpp the external command interface.
#pragma once

#include <windows.h>

#include "base/FrameMessages.h"

enum {
    kClosedFileCount = 10,
    kClosedFilesShown = 4,
    kMaxBarMenus = 16,
};

// The frame's own state.
struct FrameState {
    // The menu bar's submenus the frame changes, found by a command each holds when the frame
    // was created: a maximised editor window later puts its system menu in front of them.
    HMENU fileMenu, compilerMenu, utilsMenu, windowMenu, helpMenu;
    HMENU barMenus[kMaxBarMenus];      // every submenu of the bar, for enabling their items
    int fileMenuFixedItems = -1;       // items of the File menu before the closed files
    char *closed[kClosedFileCount];    // the closed-files list, newest first
    HANDLE sharedMapping;              // the shared block "kelto"
    char *sharedView;
};
extern FrameState g_frame;
// Releases the closed-files list and the shared block, and forgets the menus.
void ResetFrameState();

// Registers the window classes of the program; false when one fails.
bool RegisterWindowClasses(HINSTANCE instance);
// The handlers of every command: the frame's own and those of each feature.
void RegisterStandardHandlers();
// Keeps the menu bar's submenus (at the frame's creation).
void FindFrameMenus(HMENU bar);
void RegisterMenuCommands();
// "Configuration of Kelto" (Project > Configuration), and the wizard that configures a project
// being created (false when cancelled).
void ConfigurationSheet();
bool NewProjectSheet();
void RegisterConfigurationCommand();
// The user's tools in the Utils menu, the Windows API help in the Help menu, and the keys the
// user chose in the items.
void BuildToolAndHelpItems();
// The user-tool items of the Utils menu made again from the list of utilities.
void BuildToolItems();
void LayoutFrame();

// The closed-files list, newest first.
void RememberClosedFile(const char *path);
const char *ClosedFile(int index);
// Rebuilds the File menu's recently closed files and the Compiler menu's items.
void UpdateDynamicMenus();
// Enables and greys the menu's items (WM_INITMENU).
void UpdateMenus();
// Puts the Debug menu on the bar in place of the Compiler and Versions menus, or back.
void SwitchDebugMenu(bool debugging);
// Enables or greys the items of `menu` and its submenus by whether their commands can run.
void EnableItems(HMENU menu);
// The message line's help for a menu item (WM_MENUSELECT).
void StatusHelp(WPARAM wParam, LPARAM lParam);

// Asks about the modified documents before everything closes: "Modified files" with Save
// all, Forget and Cancel. False when the closing must stop.
bool QueryCloseAll();
// Closes every editor window after QueryCloseAll (and, while debugging, after asking).
bool CloseAllEditorWindows();

// The editor's right-button menu at screen position (x, y).
void ShowContextMenu(HWND window, int x, int y);

// The shared block "kelto" of the external command interface, and its commands (3501 open a
// file, 3502 go to or add a function, 3503 the frame's client size).
LRESULT ExternalCommand(int command);
bool OpenSharedBlock();
void CloseSharedBlock();
char *SharedBlock();
