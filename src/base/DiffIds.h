// The dialogs of file comparison: "Compare two files", the two-file view, the function view
// and "Apply a patch script".
#pragma once

#define IDD_DIFF 8600
#define IDC_DIFF_FIRST 8601
#define IDC_DIFF_FIRST_BROWSE 8602
#define IDC_DIFF_SECOND 8603
#define IDC_DIFF_SECOND_BROWSE 8604
#define IDC_DIFF_SPACE 8605
#define IDC_DIFF_CASE 8606
#define IDC_DIFF_SHOW 8607              // the four actions, in the order of DiffAction
#define IDC_DIFF_REPORT 8608
#define IDC_DIFF_PATCH 8609
#define IDC_DIFF_MERGE 8610
#define IDC_DIFF_OUTPUT 8611
#define IDC_DIFF_C_SYNTAX 8612          // "Assume C Syntax": the function view instead of the two panes
#define IDD_DIFF_VIEW 8620
#define IDC_VIEW_LEFT 8621
#define IDC_VIEW_RIGHT 8622
#define IDC_VIEW_STATUS 8623
#define IDC_VIEW_NEXT 8624
#define IDC_VIEW_PREVIOUS 8625
#define IDC_VIEW_USE_LEFT 8626
#define IDC_VIEW_USE_RIGHT 8627
#define IDC_VIEW_MERGE 8628
#define IDC_VIEW_USE_LABEL 8629
#define IDD_APPLY_PATCH 8640
#define IDC_PATCH_SCRIPT 8641
#define IDC_PATCH_SOURCE 8642
#define IDC_PATCH_OUTPUT 8643
#define IDD_DIFF_DIRECTORIES 8660
#define IDC_DIRS_ONLY_FIRST 8661
#define IDC_DIRS_ONLY_SECOND 8662
#define IDC_DIRS_BOTH 8663
#define IDC_DIRS_DETAILS 8664
#define IDC_DIRS_FIRST_TITLE 8665
#define IDC_DIRS_SECOND_TITLE 8666
#define IDD_DIFF_FUNCTIONS 8680
#define IDC_FUNCS_LIST 8681
#define IDC_FUNCS_DETAILS 8682
#define IDC_FUNCS_STATS 8683
#define IDC_FUNCS_SHOW 8684
