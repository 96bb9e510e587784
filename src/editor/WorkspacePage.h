// The "Workspace" page of the configuration sheet: the editor font and the colours of the
// editor windows. On OK the open editor windows are drawn again with them.
#pragma once

#include <string>

#include "ui/Pages.h"

enum WorkspaceColour { kWorkspaceText, kWorkspaceBackground, kWorkspaceComment, kWorkspaceKeyword, kWorkspaceColours };

// The page's fields as the user sees them.
struct WorkspacePage {
    std::string fontName;
    std::string fontHeight;                      // the character height in pixels
    bool bold = false, italic = false;
    int pitchAndFamily = 0;                      // comes along from the font dialog
    std::string colours[kWorkspaceColours];      // "red,green,blue", each 0 to 255
};

// "red,green,blue" of a colour (0x00BBGGRR), and back; false for a text that is not three
// numbers from 0 to 255.
std::string ColourText(unsigned long colour);
bool ParseColour(const std::string &text, unsigned long *colour);

// The display options as the page shows them.
WorkspacePage OpenWorkspacePage();
// OK: the display options take the page's values (`opened` is what the page showed: a height
// left as it was keeps the stored value, character or cell height); the editor font is made
// again when it changed and the editor windows are drawn again. False, with the reason shown,
// for a height or a colour that is not valid; nothing changes then.
bool ApplyWorkspacePage(const WorkspacePage &page, const WorkspacePage &opened);
// "Font...": the font dialog starting at the page's font; true when a font was chosen, which
// the page's font fields then show.
bool ChooseWorkspaceFont(WorkspacePage *page);
// A colour's "Colour..." button: the colour dialog starting at the field's colour (black when
// the field is not valid); true when one was chosen, which the field then shows.
bool ChooseWorkspaceColour(WorkspacePage *page, WorkspaceColour which);

PROPSHEETPAGEA WorkspacePageSheet();
