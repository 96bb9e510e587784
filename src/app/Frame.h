// The frame window: the MDI client with the editor windows, the output window along the
// bottom, the menu, and closing.
#pragma once

typedef struct HWND__ *HWND;
typedef struct HINSTANCE__ *HINSTANCE;

#include "base/FrameMessages.h"

enum {
    kClosedFileCount = 10,
    kClosedFilesShown = 4,
};

// Registers the window classes of the program; false when one fails.
bool RegisterWindowClasses(HINSTANCE instance);
// The handlers of the commands the frame and the editor own.
void RegisterStandardHandlers();
// The user's tools in the Utils menu, the Windows API help in the Help menu, and the keys the
// user chose in the items.
void BuildToolAndHelpItems();
void LayoutFrame();

// The closed-files list, newest first.
void RememberClosedFile(const char *path);
const char *ClosedFile(int index);
// Rebuilds the File menu's recently closed files and the Compiler menu's items.
void UpdateDynamicMenus();
// Enables and greys the menu's items (WM_INITMENU).
void UpdateMenus();

// Asks about the modified documents before everything closes: "Modified files" with Save
// all, Forget and Cancel. False when the closing must stop.
bool QueryCloseAll();
// Closes every editor window after QueryCloseAll (and, while debugging, after asking).
bool CloseAllEditorWindows();

// The editor's right-button menu at screen position (x, y).
void ShowContextMenu(HWND window, int x, int y);

// The shared block "kelto" of the external command interface.
bool OpenSharedBlock();
void CloseSharedBlock();
char *SharedBlock();
