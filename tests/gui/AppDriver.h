// Drives kelto.exe as a user would: starts it in a directory of its own with a settings file
// that names a compiler root, finds its windows, and stops it.
#pragma once

#include <windows.h>

#include <string>
#include <vector>

#include "support/TestSupport.h"   // ReadWholeFile, WriteWholeFile


// The visible direct or deeper child of `parent` with class `className`.
HWND FindChild(HWND parent, const char *className);
// The title of a window, or the text of a control.
std::string WindowText(HWND window);
// The message of a message box: the texts of its static controls.
std::string BoxText(HWND box);
// Waits until `window` is destroyed.
bool WaitGone(HWND window, int seconds);
// Answers a dialog or message box as its button `id` would (IDYES, IDOK, ...) and waits for
// it to go away.
bool Answer(HWND dialog, int id, int seconds = 10);

// Dialog controls driven as a user would: text put in, read back, buttons clicked.
void SetText(HWND dialog, int id, const char *text);
std::string DialogText(HWND dialog, int id);
void Click(HWND dialog, int id);
bool Checked(HWND dialog, int id);
// The items of a list box.
std::vector<std::string> ListItems(HWND list);

struct MenuItem {
    UINT id;            // 0 for separators, -1 for submenus
    UINT state;         // GetMenuState: MF_GRAYED, MF_SEPARATOR, ...
    std::string text;
};

class KeltoApp {
public:
    // A fresh directory with a compiler root (bdx\include\windows.h) and a settings file.
    explicit KeltoApp(const std::string &name);
    ~KeltoApp();

    // Starts kelto.exe with `arguments` in the directory; false when no frame appeared.
    bool Start(const std::string &arguments = "");
    // Sends WM_CLOSE to the frame and waits for the end; the exit code, or -1.
    int Close(int seconds = 20);
    // Waits for the process to end; the exit code, or -1 when it did not.
    int WaitForExit(int seconds);
    bool Running() const;

    // Runs a menu command as the menu would.
    void Command(int command) const;
    // The active editor window, or null.
    HWND ActiveEditor() const;
    // Types text into a window as characters (LF as Enter).
    static void Type(HWND window, const std::string &text);
    static void Key(HWND window, int key, bool ctrl = false, bool shift = false, bool alt = false);
    // Waits until the process has handled everything sent so far.
    void Settle() const;

    // The editor windows (MDI children), topmost first.
    std::vector<HWND> Editors() const;
    // Waits until there are `count` editor windows; false when there were not.
    bool WaitForEditors(size_t count, int seconds = 10) const;
    // The editor window with title `title`, or null.
    HWND Editor(const std::string &title) const;
    // A message box or dialog of the process with title `title`, waiting up to `seconds`.
    HWND WaitForBox(const char *title, int seconds = 10) const;
    // Waits for the box titled `title`, expects its message `text` and answers it with button
    // `id`; false when the box did not come or go.
    bool AnswerBox(const char *title, const std::string &text, int id) const;
    // Runs a menu command and waits for the dialog titled `title` it opens (a failure when it
    // does not come).
    HWND OpenDialog(int command, const char *title) const;
    // The items of the submenu of the menu bar that holds `command`, after the frame has
    // updated the menus (WM_INITMENU) as it does when the user opens the menu bar. Empty when
    // unreadable.
    std::vector<MenuItem> MenuItems(UINT command) const;
    // A value in the program's settings key, added to the settings file before Start.
    void AddSetting(const std::string &name, const std::string &value);
    // A subkey of the program's key (a project's): the values added next go into it.
    void AddKey(const std::string &name);

    std::string dir;           // the working directory, Windows path, no trailing backslash
    std::string settingsFile;  // KELTO_SETTINGS
    HWND frame = nullptr;
    HWND client = nullptr;     // the MDI client
    PROCESS_INFORMATION process = {};

    std::string PathOf(const std::string &name) const { return dir + "\\" + name; }
};

// The file's contents once they are `expected`, or whatever they are after a few seconds.
std::string FileBecomes(const std::string &path, const std::string &expected);
#define EXPECT_FILE(path, expected) EXPECT_EQ(expected, FileBecomes(path, expected))
