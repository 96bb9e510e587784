// The windows of the configuration pages that edit the project and the program: each page
// shows its values, applies them on OK (or, in the new-project wizard, on Next and Finish) and
// keeps the sheet open when they are refused.
#pragma once

#include "ui/Pages.h"

// The title of the wizard that configures a new project, which its pages carry (a wizard's
// title bar shows its page's title).
extern const char kWizardTitle[];

PROPSHEETPAGEA GeneralPageSheet();
PROPSHEETPAGEA ProjectPageSheet();
PROPSHEETPAGEA HelpPageSheet();
PROPSHEETPAGEA CompilerPageSheet(PageMode mode);
// "Linker", or "Librarian" for a static library.
PROPSHEETPAGEA LinkerPageSheet(PageMode mode);
PROPSHEETPAGEA FortranPageSheet();
// Pages of features configured elsewhere, shown in the sheet: version control, Eiffel.
PROPSHEETPAGEA VersionsPageSheet();
PROPSHEETPAGEA EiffelPageSheet();

// After the full sheet closed: settings saved, and a changed project's makefile offered.
void AfterConfiguration();
