// The output window along the bottom of the frame: a list of output lines, a message line for
// short notices, the buttons that builds and the debugger install, the run-state indicator and
// the toggle between the collapsed bar and the expanded list.
//
// The rest of the program uses the functions below; the window also takes the same requests
// as messages (the table in the enum), so that a message from outside reaches the same code.
#pragma once

#include <windows.h>

enum {
    kOutClearList = 8025,
    kOutSetRoutine = 8026,      // wParam routine, lParam data
    kOutStatus = 8028,          // lParam text
    kOutBuildButtons = 8030,
    kOutDebugButtons = 8032,
    kOutMenuHelp = 8037,        // lParam text
    kOutRed = 8038,             // lParam text
    kOutBlue = 8039,            // lParam text
    kOutClearMessage = 8040,
    kOutSetPrefix = 8041,       // lParam text
    kOutSave = 8042,
    kOutStopped = 8046,
    kOutRunning = 8047,
    kOutListFocus = 8049,
    kOutToggle = 5000,          // the toggle button's command
    kOutList = 4801,            // the list box
    kOutMessageTimer = 25,
    kOutMessageDelay = 3000,
};

enum MessageColour { kColourNormal, kColourRed, kColourBlue };
enum RunState { kRunNone, kRunStopped, kRunRunning };

// Called when a line of the list is double-clicked (or Enter is pressed on it).
typedef void (*OutputRoutine)(int index, const char *text, LPARAM data);

struct OutputButton {
    const char *text;
    int command;        // posted to the frame as a menu command
};

// Fresh output state (tests); the window, when there is one, is left alone.
void ResetOutputState();

// The message line.
// Shows `text` in the normal colour and keeps it as the status text (8028).
void ShowStatus(const char *text);
// A menu item's help text; an empty text brings the status text back (8037).
void ShowMenuHelp(const char *text);
// Shown in red or dark blue and cleared 3 seconds later (8038, 8039). A blue text gets the
// prefix in front as "%s : %s" when one is set.
void ShowRedMessage(const char *text);
void ShowBlueMessage(const char *text);
void ClearMessageLine();                    // clears the prefix too (8040)
void SetMessagePrefix(const char *text);    // (8041)
// The 3 seconds of a coloured message have passed.
void MessageTimerExpired();
const char *StatusText();
const char *MessageLineText();
MessageColour MessageLineColour();

// The list.
void ClearOutputList();                     // (8025)
bool AddOutputLine(const char *text);
// A text of several lines, one list line each.
void AddOutputLines(const char *text);
int OutputLineCount();
const char *OutputLine(int index);
// Installs the double-click routine; a null routine empties the list and the message line (8026).
void SetOutputRoutine(OutputRoutine routine, LPARAM data);
void OutputLineChosen(int index);
// Selects line `index` and shows it; ScrollToOutputLine only shows it.
void SelectOutputLine(int index);
void ScrollToOutputLine(int index);
// Whether the first `length` characters of `text` fit in a line of the list: its client width
// less a vertical scroll bar, in its font. True without a list window.
bool OutputListFits(const char *text, size_t length);
// The list's font (the editor font) was replaced by `font`.
void SetOutputListFont(HFONT font);

// A running build's progress messages (26024) go to `handler`; its result answers them.
typedef LRESULT (*ProgressHandler)();
void SetProgressHandler(ProgressHandler handler);

// Buttons and the run state.
// Gives the set that `message` (8030 builds, 8032 debugging) installs its name and buttons.
void DefineButtonSet(int message, const char *name, const OutputButton *buttons, int count);
void InstallButtonSet(int message);
const char *ButtonSetName();                // "" when no set is installed
void ShowRunState(RunState state);
RunState CurrentRunState();

// Collapsed (the bar alone) or expanded (the list above the bar).
bool OutputExpanded();
void SetOutputExpanded(bool expanded);
// The height the frame gives the output window in a client area `clientHeight` high.
int OutputWindowHeight(int clientHeight);

// Writes the list to a file the user names (8042); false when nothing was written.
bool SaveOutput();

// The window procedure of class "KeltoOutput".
LRESULT CALLBACK OutputWindowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam);
