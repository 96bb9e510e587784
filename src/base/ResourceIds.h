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

// The pages of the configuration sheet.
#define IDD_PAGE_GENERAL 19000
#define IDC_GEN_CHECK_DISK 19001        // the editor option bits, in the order of kGeneralOptions
#define IDC_GEN_BACKUPS 19002
#define IDC_GEN_SAVE_BEFORE_BUILD 19003
#define IDC_GEN_TEST_TARGET 19004
#define IDC_GEN_AUTOSAVE 19005
#define IDC_GEN_SAVE_ENABLED 19006
#define IDC_GEN_CURRENT_DIR 19007
#define IDC_GEN_COMPILER_PATH 19008
#define IDD_PAGE_PROJECT 15000
#define IDC_PRJ_NAME 15001
#define IDC_PRJ_TYPE 15002
#define IDC_PRJ_MAKE 15003
#define IDC_PRJ_MAKE_DIR 15004
#define IDC_PRJ_EXECUTABLE 15005
#define IDC_PRJ_SOURCES 15006
#define IDC_PRJ_ARGUMENTS 15007
#define IDD_PAGE_HELP 15100
#define IDC_HELP_FILE 15101
#define IDD_PAGE_COMPILER 16400
#define IDC_CC_DEFINES 16401
#define IDC_CC_INCLUDES 16402
#define IDC_CC_ERROR_FILE 16403
#define IDC_CC_ASM 16404
#define IDC_CC_INTERMEDIATE 16405
#define IDC_CC_G4 16406
#define IDC_CC_G3 16407
#define IDC_CC_DEBUG 16408
#define IDC_CC_PENTIUM_PRO 16409
#define IDC_CC_OPTIMIZE 16410
#define IDC_CC_BROWSE 16411
#define IDC_CC_WARN_NORMAL 16412
#define IDC_CC_WARN_ALL 16413
#define IDC_CC_ALIGNMENT 16414
#define IDD_PAGE_LINKER 16600
#define IDC_LNK_OUTPUT 16601
#define IDC_LNK_LIBRARIES 16602
#define IDC_LNK_ENTRY 16603
#define IDC_LNK_ARGUMENTS 16604
#define IDC_LNK_NO_DEBUG 16605
#define IDC_LNK_MAP 16606
#define IDC_LNK_NO_UNDERSCORES 16607
#define IDC_LNK_WINDOWS 16608           // the four types, in the order of LinkerType
#define IDC_LNK_CONSOLE 16609
#define IDC_LNK_DLL 16610
#define IDC_LNK_LIBRARY 16611
#define IDD_PAGE_DEBUGGER 14450
#define IDC_DBG_ARGUMENTS 14451
#define IDC_DBG_DIRECTORY 14452
#define IDC_DBG_EXECUTABLE 14453
#define IDC_DBG_TRAP 14454
#define IDD_PAGE_VERSIONS 5800
#define IDC_VER_USE 5801
#define IDC_VER_DIRECTORY 5802
#define IDC_VER_USERS 5803
#define IDD_PAGE_EIFFEL 19600
#define IDC_EIF_ROOT_CLASS 19601
#define IDC_EIF_ROOT_PROCEDURE 19602
#define IDD_PAGE_FORTRAN 19100
#define IDC_F2C_FIRST 19101             // eight boxes, in the order of the option table
#define IDD_FILE_INFO 3100           // "Information about '%s'" of a project file, with its processor
#define IDC_INFO_POSITION 3101
#define IDC_INFO_SIZE 3102
#define IDC_INFO_MARKS 3103
#define IDC_INFO_LANGUAGE 3104
#define IDC_INFO_MODIFIED 3105
#define IDC_INFO_DATE 3106
#define IDC_INFO_COMMAND 3107
#define IDC_INFO_OUTPUT 3108
