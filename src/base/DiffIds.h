// The dialogs of file comparison: "Compare two files", the two-file view and "Apply a patch
// script".
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
