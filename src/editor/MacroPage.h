// The "Macros" page of the configuration sheet: the texts that Ctrl+letter inserts. The page
// edits a copy of the program's macros, one per letter; OK puts the copy in place of the
// program's list, so the next Ctrl+letter inserts the new text and the settings save it.
#pragma once

#include <string>
#include <vector>

#include "ui/Pages.h"

struct MacroValues {
    int letter = 'a';       // 'a' to 'z'
    std::string text;       // a line feed ends a line
    int cursorOffset = 0;   // characters from the start of the text, at most its length
};

// The macros of the page, sorted by letter, one per letter.
struct MacroPage {
    std::vector<MacroValues> macros;
};

enum MacroResult {
    kMacroDone,
    kMacroNoLetter,     // not "a" to "z"
    kMacroLetterUsed,   // adding a letter that has a macro
    kMacroNotFound,     // changing or deleting a letter without one
    kMacroEmptyText,
    kMacroTooLong,      // more than kMaxMacroLength characters
    kMacroBadCursor,    // the cursor offset lies outside the text
};

// The program's macros; a letter bound twice keeps the first, the one Ctrl+letter finds.
MacroPage OpenMacroPage();
// Adds a macro for a letter that has none, or (`adding` false) changes the letter's macro.
MacroResult PutMacro(MacroPage *page, const MacroValues &values, bool adding);
MacroResult DeleteMacro(MacroPage *page, int letter);
// What the user is told of a refusal.
const char *MacroResultText(MacroResult result);
// Replaces the program's macros with the page's; false (the old ones stay) when memory ran out.
bool ApplyMacroPage(const MacroPage &page);

// A macro's line in the page's list: the letter and the start of its text on one line.
std::string MacroListText(const MacroValues &values);
// Between the macro text and a multi-line edit control, which ends its lines with CR LF.
std::string MacroTextFromEdit(const std::string &edit);
std::string MacroTextForEdit(const std::string &text);

PROPSHEETPAGEA MacroPageSheet();
