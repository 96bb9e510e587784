// Property-sheet pages: a page is a dialog of the resources and three routines that show its
// values, apply them and follow its clicks; one window procedure runs them all.
#pragma once

#include <windows.h>
#include <commctrl.h>

#include <string>

// Where a page stands: in a property sheet, or first, in the middle or last of a wizard.
enum PageMode { kPageSheet, kPageWizardFirst, kPageWizardMiddle, kPageWizardLast };

struct PageHandlers {
    void (*show)(HWND page);            // WM_INITDIALOG
    bool (*apply)(HWND page);           // OK, Next, Finish; false keeps the page
    void (*command)(HWND page, int id); // a button clicked or a list's choice; may be null
};

// Starts the pages of a new sheet (one sheet is open at a time).
void ResetPages();
// A page of dialog `dialog` titled `title` (null: the dialog's caption) run by `handlers`. The
// pages of a sheet are asked to exist from the start; not every system obliges, so OK may
// apply only the pages that were shown.
PROPSHEETPAGEA MakePage(int dialog, const char *title, const PageHandlers *handlers, PageMode mode);

// Dialog controls.
void SetItemText(HWND page, int id, const std::string &text);
std::string ItemText(HWND page, int id);
void SetChecked(HWND page, int id, bool checked);
bool IsChecked(HWND page, int id);
