// The command identifiers: menu items, accelerators, key-table rows and the handlers they run.
// The resource scripts read this file too, so it holds nothing but #defines.
#pragma once

// File menu.
#define IDM_FILE_NEW 1101
#define IDM_FILE_OPEN 1102
#define IDM_OPEN_BINARY 1200
#define IDM_INSERT_FILE 1139
#define IDM_SAVE 1103
#define IDM_SAVE_AS 1104
#define IDM_SAVE_ALL 1167
#define IDM_RELOAD 1151
#define IDM_CLOSE 1109
#define IDM_PRINT 1105
// The recently closed files, added at run time after the fixed items.
#define IDM_FIRST_CLOSED_FILE 1214
#define IDM_LAST_CLOSED_FILE 1217

// Edit menu.
#define IDM_UNDO 1110
#define IDM_REDO 1114                   // makes the newest undone change again
#define IDM_SELECT_ALL 1140
#define IDM_CUT 1111
#define IDM_COPY 1112
#define IDM_PASTE 1113
#define IDM_COPY_FUNCTION 1201
#define IDM_COPY_TO_FILE 1126           // writes the cut buffer to a file
#define IDM_LEVEL 1220                  // the brace level in the left margin, on or off
#define IDM_MARK_BLOCK 1170
#define IDM_SET_BOOKMARK 1142
#define IDM_SPACES_TO_TABS 1189
#define IDM_TABS_TO_SPACES 1190
#define IDM_RECENTER 1191
#define IDM_DESCRIPTION_FUNCTION 1176   // Description > Function...
#define IDM_DESCRIPTION_FILE 1183       // Description > File...
#define IDM_SHOW_CHANGES 1177
#define IDM_REFORMAT 1178

// Search menu.
#define IDM_FIND 1137
#define IDM_FIND_NEXT 1135
#define IDM_FIND_PREVIOUS 1136
#define IDM_REPLACE 1120
#define IDM_GREP 1150
#define IDM_GOTO_TOP 1121
#define IDM_GOTO_END 1122
#define IDM_GOTO_LINE 1123
#define IDM_FUNCTIONS_LIST 1168         // also Goto > Function
#define IDM_PREVIOUS_FUNCTION 1210
#define IDM_NEXT_FUNCTION 1209
#define IDM_GOTO_BOOKMARK 1143
#define IDM_GOTO_NEXT_BOOKMARK 1144
#define IDM_DELETE_BOOKMARK 1145
#define IDM_STRUCTURES_LIST 1175
#define IDM_SEARCH_FUNCTION 1185
#define IDM_SEARCH_DEFINITION 1158
#define IDM_SYMBOL_USAGE 1204
#define IDM_ID 1182                     // checked while a C source carries a version stamp
#define IDM_IDENTIFY_FILE 1184

// Project menu.
#define IDM_PROJECT_CONFIGURATION 1119
#define IDM_PROJECT_CREATE 1229
#define IDM_PROJECT_OPEN 1225
#define IDM_PROJECT_CLOSE 1198
#define IDM_PROJECT_ERASE 1246
#define IDM_PROJECT_FILES 1231          // Add/Delete files...
#define IDM_PROJECT_EXPORT 1274
#define IDM_PROJECT_IMPORT 1275
#define IDM_OPEN_ALL_FILES 1276
#define IDM_OUTLINE 1262

// Resources menu.
#define IDM_EDIT_RESOURCES 1265
#define IDM_NEW_DIALOG 1450
#define IDM_TEST_DIALOG 1253
#define IDM_DIALOG_PROPERTIES 1260
#define IDM_ADD_BUTTON 1453
#define IDM_ADD_CHECK_BOX 1454
#define IDM_ADD_RADIO_BUTTON 1455
#define IDM_ADD_EDIT_FIELD 1456
#define IDM_ADD_LIST_BOX 1457
#define IDM_ADD_STATIC_TEXT 7040        // from here to IDM_DELETE_CONTROL, one number each
#define IDM_ADD_GROUP_BOX 7041
#define IDM_ADD_COMBO_BOX 7042
#define IDM_ADD_HORIZONTAL_SCROLL_BAR 7043
#define IDM_ADD_VERTICAL_SCROLL_BAR 7044
#define IDM_ADD_ICON 7045
#define IDM_ADD_BITMAP 7046
#define IDM_ADD_RECTANGLE 7047
#define IDM_ADD_FRAME 7048
#define IDM_ADD_LIST_VIEW 7049
#define IDM_ADD_TREE_VIEW 7050
#define IDM_ADD_PROGRESS_BAR 7051
#define IDM_ADD_TRACKBAR 7052
#define IDM_DELETE_CONTROL 7053
#define IDM_ALIGN_CONTROLS 1263
#define IDM_GRID 1261
#define IDM_TAB_ORDER 7066
#define IDM_WRITE_RESOURCE_SCRIPT 1459

// Compiler menu.
#define IDM_MAKE 1156
#define IDM_SHOW_RESULTS 1192
#define IDM_LINK 1271
#define IDM_GENERATE_MAKEFILE 1267
#define IDM_REBUILD_ALL 1270
#define IDM_DEBUGGER 1268
#define IDM_BREAKPOINTS 1245
#define IDM_SET_BREAKPOINT 1273
#define IDM_COMPILE_FILE 1290           // "Compile %s", added while a C source is current
#define IDM_EXECUTE_PROJECT 1295        // "Execute %s" (Ctrl+F5): runs the project's program

// Utils menu.
#define IDM_EXECUTE 1124
#define IDM_DIFF 1161
#define IDM_PROFILER 1250
#define IDM_FUNCTION_TREE 1195
#define IDM_BROWSE_FN_DEFS 1174
#define IDM_SHOW_GLOBALS 1193
#define IDM_SLICE_BY_LOCAL 1187
#define IDM_FILE_RELATIONS 1194
#define IDM_FILE_METRICS 1179
#define IDM_FUNCTION_METRICS 1180
#define IDM_WRITE_PROTOTYPES 1181
#define IDM_STRINGS 1219
#define IDM_GENERATE_HLP 1169
#define IDM_AUDIT 1203
#define IDM_OBJ_XREF 1257
#define IDM_EXECUTABLE_STATS 1297
#define IDM_APPLY_PATCH 1251
// The user tools, added at run time after "Execute...", started by Shift+F1 ... Shift+F12.
#define IDM_FIRST_TOOL 1300
#define IDM_LAST_TOOL 1311

// Versions menu.
#define IDM_VERSIONS_GET 1223
#define IDM_VERSIONS_GET_ALL 1224
#define IDM_VERSIONS_PUT 1222
#define IDM_VERSIONS_PUT_ALL 1238
#define IDM_VERSIONS_CHANGE_LOCKS 1241
#define IDM_VERSIONS_SEE_LOCKS 1226
#define IDM_VERSIONS_DIFFERENCES 1232
#define IDM_VERSIONS_FUNCTION_HISTORY 1244
#define IDM_VERSIONS_REVISIONS 1227
#define IDM_VERSIONS_SEE_LOG 1239
#define IDM_VERSIONS_DEFAULTS 1236
#define IDM_VERSIONS_ERASE 1240
#define IDM_VERSIONS_QUERY 1242
#define IDM_VERSIONS_SEE_OPERATIONS 1243
#define IDM_VERSIONS_SAVE_RELEASE 1235
#define IDM_VERSIONS_GET_RELEASE 1234
#define IDM_VERSIONS_SHOW_RELEASE 1237

// Window menu.
#define IDM_CASCADE 1131
#define IDM_TILE 1132
#define IDM_ARRANGE_ICONS 1133
#define IDM_STATISTICS 1130             // lines and bytes of each loaded file
#define IDM_DISPOSITION 1254            // two windows side by side

// Help menu.
#define IDM_HELP_INDEX 14000
#define IDM_WINDOWS_API_HELP 14001      // "Windows API", added when the help database exists
#define IDM_ABOUT 1107
#define IDM_VERSION 1291                // the date the program was linked

// Keyboard-only commands.
#define IDM_EXIT 1106
#define IDM_CLOSE_ALL 1128
#define IDM_MATCHING_BRACE 1116         // goes to the matching bracket or #endif
#define IDM_PROPERTIES 1118             // the properties of the file
#define IDM_WORD_HELP 1296              // the Windows API help on the word at the cursor
#define IDM_EXTEND_UP 1153              // the Extend... commands move the cursor and the selection
#define IDM_EXTEND_DOWN 1115
#define IDM_EXTEND_DOWN_ROW 1166        // the same as IDM_EXTEND_DOWN, from a second row
#define IDM_EXTEND_RIGHT 1154
#define IDM_EXTEND_LEFT 1155
#define IDM_EXTEND_WORD_RIGHT 1165
#define IDM_EXTEND_WORD_LEFT 1272
#define IDM_EXTEND_TO_TOP 1171
#define IDM_EXTEND_TO_END 1172
#define IDM_EXTEND_LINE_END 1188
#define IDM_EXTEND_LINE_START 1199
#define IDM_EXTEND_PAGE_UP 1211
#define IDM_EXTEND_PAGE_DOWN 1212
#define IDM_WORD_RIGHT 1163
#define IDM_WORD_LEFT 1164
#define IDM_WORD_RIGHT_REPEAT 1207
#define IDM_WORD_LEFT_REPEAT 1208
#define IDM_COMPLETION 1280             // completes the symbol at the cursor
#define IDM_EXPAND_MACRO 1400           // a text macro typed with Ctrl+letter (journaled only)
// F1 ... F13: each runs the command its function key has in the key table.
#define IDM_FIRST_FUNCTION_KEY 1000
#define IDM_LAST_FUNCTION_KEY 1012

// Key-table rows of commands without a menu item or a handler here, kept so that the rows
// keep their places; they run without a document. IDM_OTHER_NO_DOCUMENT runs even where
// the rows say otherwise, as Open all files does.
#define IDM_OTHER_1 1125
#define IDM_OTHER_2 1127
#define IDM_OTHER_3 1152
#define IDM_OTHER_4 1157
#define IDM_OTHER_5 1159
#define IDM_OTHER_6 1160
#define IDM_OTHER_7 1248
#define IDM_OTHER_NO_DOCUMENT 1117

// Items of the editor window's context menu without a menu item of their own.
#define IDM_WORD_DOCUMENTATION 1258     // "Documentation for %s"

// The debugger's commands (keys while debugging, items of the context menu).
#define IDM_DEBUG_BREAKPOINT 300
#define IDM_DEBUG_RUN_TO_CURSOR 330
#define IDM_DEBUG_EXECUTE 340
#define IDM_DEBUG_STEP_IN 350
#define IDM_DEBUG_SAME_LEVEL 360        // steps over a call
#define IDM_DEBUG_STEP_OUT 670
#define IDM_DEBUG_SHOW_VALUE 660        // of the word at the cursor
#define IDM_DEBUG_SET_NEXT_STATEMENT 3004
#define IDM_DEBUG_EVALUATE 3009
#define IDM_DEBUG_STOP 100              // "Stop &debugging"
#define IDM_DEBUG_RESTART 210
#define IDM_DEBUG_BREAK 220
#define IDM_DEBUG_INFO 1146

// Commands other programs send to the frame through the shared block.
#define IDM_EXTERNAL_OPEN_FILE 3501
#define IDM_EXTERNAL_GOTO_FUNCTION 3502 // goes to a function, or adds it at the end
#define IDM_EXTERNAL_CLIENT_SIZE 3503   // answers the frame's client size
