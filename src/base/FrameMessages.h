// The frame window's private messages, which windows and tools anywhere in the program post
// to it.
#pragma once

enum {
    kMsgCheckFiles = 10024,     // check the open files against the disk
    kMsgPostedCommand = 2024,   // run the command in wParam
    kMsgKeyForEditor = 4194,    // key-down on behalf of the active editor window
    kMsgLayout = 8029,          // lay out the output window and the MDI client
    kMsgStartDebugging = 10524,
    // From the debug thread.
    kMsgDebugLoaded = 4624,     // wParam 0 the program is loaded, 1 open the source lParam names, 2 bring the frame forward, 3 a DLL with lines is loaded
    kMsgDebugShowLine = 4074,   // wParam: the current line (sent)
    kMsgDebugEnded = 4084,      // debugging ended (sent)
    kMsgBreakpointCleared = 4314,   // wParam: the line of the current document whose breakpoint mark goes (sent)
    kMsgDebugNotice = 4625,     // wParam 0 information, 1 error, 2 exception; lParam an allocated text to show and free
    kMsgBuildProgress = 26024,
    kMsgAutosaveRound = 10025,  // run an autosave round now (the timer does it every 3 minutes)
};
