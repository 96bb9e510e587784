// Identifiers of the dialogs in the program's resources that the real user-interface port
// shows: the resource script includes this file (through base/ResourceIds.h) to build them.
#pragma once

#define IDD_REPLACE_ONE 3800       // "Replace": Yes, No, All, Cancel before one replacement
#define IDC_REPLACE_ALL 3801       // "&All" of "Replace"
#define IDC_FILE_LIST 101          // the list box of "Modified files" and "Load error"
#define IDD_FILE_PROCESSOR 19300   // "File processor": input file, command line, output file
#define IDC_PROCESSOR_INPUT 19301
#define IDC_PROCESSOR_COMMAND 19302
#define IDC_PROCESSOR_OUTPUT 19303
