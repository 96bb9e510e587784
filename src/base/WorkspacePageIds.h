// Dialogs and controls of the configuration pages "Workspace" (the editor's font and colours)
// and "Utilities" (the user tools of the Utils menu), shared by their .rc file and their code.
#pragma once

#define IDD_PAGE_UTILITIES 2500
#define IDC_UTIL_LIST 2501
#define IDC_UTIL_NAME 2502
#define IDC_UTIL_PROGRAM 2503
#define IDC_UTIL_ARGUMENTS 2504
#define IDC_UTIL_DIRECTORY 2505
#define IDC_UTIL_CHANGE 2506
#define IDC_UTIL_DELETE 2507
#define IDC_UTIL_BROWSE 2508

#define IDD_PAGE_WORKSPACE 14700
#define IDC_WS_FONT_NAME 14701
#define IDC_WS_FONT_HEIGHT 14702
#define IDC_WS_BOLD 14703
#define IDC_WS_ITALIC 14704
#define IDC_WS_FONT 14705
// The colours: an edit field and its "Colour..." button, in the order of WorkspaceColour.
#define IDC_WS_TEXT_COLOUR 14710
#define IDC_WS_BACKGROUND_COLOUR 14711
#define IDC_WS_COMMENT_COLOUR 14712
#define IDC_WS_KEYWORD_COLOUR 14713
#define IDC_WS_TEXT_CHOOSE 14720
#define IDC_WS_BACKGROUND_CHOOSE 14721
#define IDC_WS_COMMENT_CHOOSE 14722
#define IDC_WS_KEYWORD_CHOOSE 14723
