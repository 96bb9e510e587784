// The frame window: the MDI client with the editor windows, the output window along the
// bottom, the menu, and closing.
#pragma once

typedef struct HWND__ *HWND;
typedef struct HINSTANCE__ *HINSTANCE;

enum {
    kMsgCheckFiles = 10024,     // check the open files against the disk
    kMsgPostedCommand = 2024,   // run the command in wParam
    kMsgKeyForEditor = 4194,    // key-down on behalf of the active editor window
    kMsgLayout = 8029,          // lay out the output window and the MDI client
    kMsgStartDebugging = 10524,
    kMsgBuildProgress = 26024,
    kMsgAutosaveRound = 10025,  // run an autosave round now (the timer does it every 3 minutes)
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

// The shared block "kelto" of the external command interface.
bool OpenSharedBlock();
void CloseSharedBlock();
char *SharedBlock();
