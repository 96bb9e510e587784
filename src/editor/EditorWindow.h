// The editor windows as the rest of the program sees them.
#pragma once

typedef struct HWND__ *HWND;
typedef struct HINSTANCE__ *HINSTANCE;
typedef struct HFONT__ *HFONT;
struct Document;
struct View;

bool RegisterEditorWindowClass(HINSTANCE instance);
// The brace level in a margin left of the text (IDM_LEVEL): on or off.
void ToggleBraceLevel();
void SetEditorFont(HFONT font);
// A font made from the display options (face, height, style, family); null when it cannot be
// made.
HFONT MakeEditorFont();
// Every editor window drawn again, with the display options and the editor font as they are
// now.
void RedrawEditorWindows();
// Creates an editor window titled with `path` (lower-cased) in the MDI client, maximised when
// the active editor window is; null when there is no frame yet or the window cannot be made.
HWND CreateEditorWindow(const char *path);
void DestroyEditorWindow(HWND window);
// Connects a new view to its window: visible rows, title.
void AttachWindowToView(View *view, HWND window);
// The window title of a document: its path lower-cased, without the current directory when
// it lies below it.
void EditorWindowTitle(const Document *doc, char *title, int size);
// The active editor window, or null (none, or another kind of window is active).
HWND ActiveEditorWindow();

// Brings the view's editor window to the front and makes the view current.
void ActivateEditorWindow(View *view);
void SetEditorWindowTitle(View *view, const char *title);
// Redraws what the view marked for redrawing.
void RefreshEditorWindow(View *view);
// Shows the cursor position of the current view on the message line.
void ShowPosition(View *view);
// The editor window's normal-position rectangle on the screen and its state; false when the
// view has no window.
bool EditorWindowPlacement(View *view, int rect[4], bool *minimized, bool *maximized);

// Whether the view's editor window is minimised (false for a view without a window).
bool EditorWindowMinimized(const View *view);

// Asks about a modified document before its window closes; false keeps the window.
bool CloseEditorWindow(View *view);
