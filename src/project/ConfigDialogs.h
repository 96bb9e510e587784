// The windows of the configuration pages that edit the project and the program: each page
// shows its values, applies them on OK (or, in the new-project wizard, on Next and Finish) and
// keeps the sheet open when they are refused.
#pragma once

#include <windows.h>
#include <commctrl.h>

#include <string>

// The title of the wizard that configures a new project.
extern const char kWizardTitle[];

// Where a page stands: in the full sheet, or first, in the middle or last of the wizard.
enum PageMode { kPageSheet, kPageWizardFirst, kPageWizardMiddle, kPageWizardLast };

// What a page's procedure does with the page's values.
struct PageHandlers {
    void (*show)(HWND page);            // WM_INITDIALOG
    bool (*apply)(HWND page);           // OK, Next, Finish; false keeps the page
    void (*command)(HWND page, int id); // a control was clicked; may be null
};

// Starts the pages of a new sheet (one sheet is open at a time).
void ResetPages();
// A page of dialog `dialog` titled `title` (null: the dialog's caption) run by `handlers`.
PROPSHEETPAGEA MakePage(int dialog, const char *title, const PageHandlers *handlers, PageMode mode);

PROPSHEETPAGEA GeneralPageSheet();
PROPSHEETPAGEA ProjectPageSheet();
PROPSHEETPAGEA HelpPageSheet();
PROPSHEETPAGEA CompilerPageSheet(PageMode mode);
// "Linker", or "Librarian" for a static library.
PROPSHEETPAGEA LinkerPageSheet(PageMode mode);
PROPSHEETPAGEA FortranPageSheet();

// After the full sheet closed: settings saved, and a changed project's makefile offered.
void AfterConfiguration();

// Dialog controls.
void SetItemText(HWND page, int id, const std::string &text);
std::string ItemText(HWND page, int id);
void SetChecked(HWND page, int id, bool checked);
bool IsChecked(HWND page, int id);
