// Drives kelto.exe as a user would: starts it in a directory of its own with a settings file
// that names a compiler root, finds its windows, and stops it.
#pragma once

#include <windows.h>

#include <string>
#include <vector>

// The build directory's file `relative` as Wine sees it (KELTO_BIN is a Unix path: drive Z:).
std::string BuildPath(const char *relative);

// The first top-level window of class `className` in process `pid`, waiting up to `seconds`.
HWND WaitForWindow(const char *className, DWORD pid, int seconds);
// A window of `pid` whose title is `title` (dialogs and message boxes).
HWND WaitForTitle(const char *title, DWORD pid, int seconds);
// The direct or deeper child of `parent` with class `className` (and, when not null, text).
HWND FindChild(HWND parent, const char *className, const char *text = nullptr);

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
    static void Key(HWND window, int key, bool ctrl = false, bool shift = false);
    // Waits until the process has handled everything sent so far.
    void Settle() const;

    std::string dir;           // the working directory, Windows path, no trailing backslash
    std::string settingsFile;  // KELTO_SETTINGS
    HWND frame = nullptr;
    HWND client = nullptr;     // the MDI client
    PROCESS_INFORMATION process = {};

    std::string PathOf(const std::string &name) const { return dir + "\\" + name; }
};

std::string ReadFileText(const std::string &path);
void WriteFileText(const std::string &path, const std::string &text);
