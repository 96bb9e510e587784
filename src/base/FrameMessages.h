// The frame window's private messages, which windows and tools anywhere in the program post
// to it.
#pragma once

enum {
    kMsgCheckFiles = 10024,     // check the open files against the disk
    kMsgPostedCommand = 2024,   // run the command in wParam
    kMsgKeyForEditor = 4194,    // key-down on behalf of the active editor window
    kMsgLayout = 8029,          // lay out the output window and the MDI client
    kMsgStartDebugging = 10524,
    kMsgBuildProgress = 26024,
    kMsgAutosaveRound = 10025,  // run an autosave round now (the timer does it every 3 minutes)
};
