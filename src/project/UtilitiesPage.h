// The "Utilities" page of the configuration sheet: the user tools of the Utils menu. Its
// buttons act at once; OK has nothing left to apply.
#pragma once

#include <string>

#include "ui/Pages.h"

struct Utility;

enum { kUtilityNameSize = 10, kUtilityTextSize = 512 };   // with the closing zero

// The fields of the page.
struct UtilityFields {
    std::string name, program, arguments, directory;
};

UtilityFields UtilityFieldsOf(const Utility &tool);
// "&Change/Add": the utility named in the fields (a new one, with a new item of the Utils menu,
// when the name is not in the list) takes the program, arguments and start directory. Null,
// with the reason shown, when the name or the program is missing or no identifier is left.
Utility *ChangeOrAddUtility(const UtilityFields &fields);
// "&Delete": removes the utility `name` and its menu item; false, with the reason shown, when
// there is none.
bool DeleteUtility(const std::string &name);
// "Browse...": the program chosen in a file dialog, lower-cased; false when cancelled.
bool BrowseUtilityProgram(std::string *program);

PROPSHEETPAGEA UtilitiesPageSheet();
