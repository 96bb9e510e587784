// Identifiers of the configuration pages that edit the editor's own data: the text macros of
// Ctrl+letter and the languages. Shared by the resources and the code.
#pragma once

#define IDD_PAGE_MACROS 9700        // "Macros"
#define IDC_MACRO_LIST 9701         // the macros: letter and text
#define IDC_MACRO_LETTER 9702       // the letter, a drop-down list of "a" to "z"
#define IDC_MACRO_TEXT 9703         // the text, several lines
#define IDC_MACRO_CURSOR 9704       // where the cursor goes after the expansion
#define IDC_MACRO_ADD 9705
#define IDC_MACRO_CHANGE 9706
#define IDC_MACRO_DELETE 9707

#define IDD_PAGE_LANGUAGE 7900      // "Language"
#define IDC_LANG_LIST 7901          // the languages by name
#define IDC_LANG_NAME 7902
#define IDC_LANG_EXTENSIONS 7903
#define IDC_LANG_COMMENT 7904
#define IDC_LANG_STRINGS 7905
#define IDC_LANG_START 7906         // the pattern of a function's start
#define IDC_LANG_END 7907           // and of its end
#define IDC_LANG_NOCASE 7908        // "Case insensitive"
#define IDC_LANG_KEYWORDS 7909      // blank- or line-separated
#define IDC_LANG_NEW 7910
#define IDC_LANG_DELETE 7911
