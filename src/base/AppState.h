// The application state: one record of frame, windows and flags that the whole program reads
// through g_app. Start-up fills it; a test can build a fresh one with NewAppState.
#pragma once

typedef struct HWND__ *HWND;

struct AppState {
    HWND frameWindow;
    HWND mdiClient;
    HWND outputWindow;
    char startDirectory[400];
    unsigned optionByte;        // editor options (EditorFlags): 2 check before saving, 4 backups,
                                // 16 save before a build, 32 test the target before debugging,
                                // 64 autosave
    char compilerRoot[400];     // holds bin, include and lib
    // The frame's placement; a width or height of 0 or less means the system's default.
    int frameX, frameY, frameWidth, frameHeight;
    bool frameZoomed;
    int toolbarRect[4];         // the files toolbar's screen rectangle; all 0 when closed
    int outputHeight;           // height of the output window, 0 for the default
    int includeFlags;
    char helpDatabase[400];     // the Windows API help file
    char currentFile[400];      // the document that was active, empty when none
    char lastDirectory[400];    // the current directory at the end of the last run
    char printerFont[64];
    int printerFontSize;
    int printFlags;
    unsigned short extraShortcuts[4];   // command-table rows with a user key but no menu item
    // Start-up.
    bool anotherInstance;       // a frame of this program already existed
    bool splash;
    bool reopenFiles;           // reopen the last session's files
    bool saveSession;           // save the session (the open files, the current one) at the end
    bool debugStart;            // the command line asks to debug or attach
    long attachProcess;         // -d/-D/-p: the process to attach to
    long attachEvent;           // -e: the event to signal once attached
    char helpFile[400];         // kelto.hlp beside the program
    void *accelerators;         // "EDITFILEACC"
    void *editorFont;
    int buildState;             // kBuildIdle, kBuildGenerating (the makefile) or kBuildRunning
    bool waitingForBuild;       // the output window takes the build's progress messages
    const char *sharedBlock;    // the mapped start of the shared block "kelto" (kSharedBlockMapped bytes)
    bool manyFilesOpened;       // the command line opened more than 3 files
    bool helpUsed;              // the help window was opened
    HWND popupWindow;
    bool debugging;
    bool restoring;
};

// Editor option bits of AppState::optionByte.
enum {
    kOptionCheckBeforeSave = 2,
    kOptionAutoIndent = 1,
    kOptionMakeBackups = 4,
    kOptionSaveBeforeBuild = 16,
    kOptionTestTarget = 32,
    kOptionAutosave = 64,
};

enum { kSharedBlockMapped = 1024 };

enum { kBuildIdle = 0, kBuildGenerating = 1, kBuildRunning = 2 };

extern AppState *g_app;

// Allocates a zeroed application state and makes it current; releases the previous one.
AppState *NewAppState();
void FreeAppState();
