// Identifiers of the resources of kelto.exe shared by the resource script and the code.
#pragma once

// The dialogs the user-interface port shows itself.
#include "platform/PortDialogs.h"

// Dialogs.
#define IDD_MODIFIED_FILES 8200    // "Modified files": list, Save all (IDOK), Forget, Cancel
#define IDD_LOAD_ERROR 20200       // "Load error": text, list, Continue (IDOK)
#define IDD_EXECUTE 20300          // "Execute a program"
#define IDD_ABOUT 20400            // the about box
#define IDD_SEARCH 1700            // "Search"
#define IDD_SEARCH_REPLACE 3700    // "Search and replace"
#define IDD_GOTO_LINE 3300         // "Goto a line number"
#define IDD_NEW_PROJECT 5100       // "Definition of a new project"
#define IDD_COMPILE_FILE 18400     // "Compile file": Add, New project, Cancel
#define IDC_COMPILE_ADD 18401
#define IDC_COMPILE_NEW_PROJECT 18402

// Controls.
#define IDC_FORGET 102             // "&Forget" of "Modified files"
#define IDC_PROGRAM 101            // "Execute a program": program, arguments, start directory
#define IDC_ARGUMENTS 102
#define IDC_START_DIRECTORY 103
#define IDC_LANGUAGE_C 104         // the language of the program: C, Fortran, Eiffel
#define IDC_LANGUAGE_FORTRAN 105
#define IDC_LANGUAGE_EIFFEL 106
#define IDC_ABOUT_TEXT 101
// "Search" and "Search and replace" share the ids of the controls they both have.
#define IDC_SEARCH_TEXT 1701            // the text to find (combo box with the texts found before)
#define IDC_SEARCH_CURRENT_WINDOW 1702  // scope
#define IDC_SEARCH_ALL_WINDOWS 1703
#define IDC_SEARCH_EXACT 1704           // kind
#define IDC_SEARCH_REGEX 1705
#define IDC_SEARCH_IGNORE_CASE 1706     // case
#define IDC_SEARCH_CASE_SENSITIVE 1707
#define IDC_SEARCH_FORWARDS 1708        // direction (check boxes: none is a possible answer)
#define IDC_SEARCH_BACKWARDS 1709
#define IDC_SEARCH_WRAP 1710
#define IDC_SEARCH_WHOLE_WORDS 1711
#define IDC_SEARCH_SIMILAR 1712         // "Search" only
#define IDC_SEARCH_ICONIZED 1713        // "Search iconized windows"
#define IDC_REPLACE_TEXT 3701           // "Search and replace": the replacement
#define IDC_REPLACE_CONFIRM 3702
#define IDC_REPLACE_BY_FUNCTION 3703
#define IDC_REPLACE_FUNCTION_LIST 3704
#define IDC_GOTO_LINE_NUMBER 3301       // "Goto a line number": the line
// "Definition of a new project".
#define IDC_NEW_PROJECT_NAME 5101
#define IDC_NEW_PROJECT_DIRECTORY 5102   // the working directory
#define IDC_NEW_PROJECT_BROWSE 5103
#define IDC_NEW_PROJECT_OUTPUT 5104      // "Objects and executables"
#define IDC_NEW_PROJECT_SINGLE 5105      // "Single user", "Multi user"
#define IDC_NEW_PROJECT_MULTI 5106
#define IDC_NEW_PROJECT_CMS 5107         // "Use versioning system"
#define IDC_NEW_PROJECT_WINDOWS 5108     // the type
#define IDC_NEW_PROJECT_CONSOLE 5109
#define IDC_NEW_PROJECT_DLL 5110
#define IDC_NEW_PROJECT_LIBRARY 5111
