// Identifiers of the resources of kelto.exe shared by the resource script and the code.
#pragma once

// Dialogs.
#define IDD_MODIFIED_FILES 20100   // "Modified files": list, Save all (IDOK), Forget, Cancel
#define IDD_LOAD_ERROR 20200       // "Load error": text, list, Continue (IDOK)
#define IDD_EXECUTE 20300          // "Execute a program"
#define IDD_ABOUT 20400            // the about box

// Controls.
#define IDC_FILE_LIST 101          // the list box of "Modified files" and "Load error"
#define IDC_FORGET 102             // "&Forget" of "Modified files"
#define IDC_PROGRAM 101            // "Execute a program": program, arguments, start directory
#define IDC_ARGUMENTS 102
#define IDC_START_DIRECTORY 103
#define IDC_LANGUAGE_C 104         // the language of the program: C, Fortran, Eiffel
#define IDC_LANGUAGE_FORTRAN 105
#define IDC_LANGUAGE_EIFFEL 106
#define IDC_ABOUT_TEXT 101
