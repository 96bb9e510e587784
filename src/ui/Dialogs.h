// Modal dialogs and the default dialog procedure that every dialog falls back on.
#pragma once

#include <windows.h>

// Runs dialog template `templateId` modally, owned by the active window, counting it in the
// modal depth (ModalDepth). Returns the dialog's result.
INT_PTR RunDialog(DLGPROC procedure, int templateId, LPARAM parameter);

// For messages a dialog procedure does not handle: OK ends with 1, Cancel and closing with 0,
// the help button opens the help at the dialog's topic, a sizable dialog moves its controls
// with its size, and a click anywhere drags the dialog.
INT_PTR DefaultDialogProc(HWND dialog, UINT message, WPARAM wParam, LPARAM lParam);

enum { kHelpButton = 9004, kHelpTopicBase = 5000 };

// The help number that the dialog now opening stored for its help button.
extern int g_dialogHelpNumber;
// Number of dialogs on the resizable list (for tests and diagnostics).
int ResizableDialogCount();
