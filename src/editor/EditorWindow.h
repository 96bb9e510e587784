// The editor windows as the document code sees them.
#pragma once

struct View;

// Brings the view's editor window to the front and makes the view current.
void ActivateEditorWindow(View *view);
void SetEditorWindowTitle(View *view, const char *title);
// Redraws what the view marked for redrawing.
void RefreshEditorWindow(View *view);
void UpdateFrameTitle();
// The editor window's normal-position rectangle on the screen and its state; false when the
// view has no window.
bool EditorWindowPlacement(View *view, int rect[4], bool *minimized, bool *maximized);
