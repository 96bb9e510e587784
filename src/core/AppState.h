// The application state: one record of frame, windows and flags that the whole program reads
// through g_app. Start-up fills it; a test can build a fresh one with NewAppState.
#pragma once

typedef struct HWND__ *HWND;

struct AppState {
    HWND frameWindow;
    HWND mdiClient;
    HWND outputWindow;
    char startDirectory[400];
    unsigned char optionByte;   // editor options: 2 check before saving, 4 backups, 64 autosave
    int modalDepth;             // modal dialogs open (RunDialog)
    bool debugging;
    bool restoring;
};

// Editor option bits of AppState::optionByte.
enum {
    kOptionCheckBeforeSave = 2,
    kOptionMakeBackups = 4,
    kOptionAutosave = 64,
};

extern AppState *g_app;

// Allocates a zeroed application state and makes it current; releases the previous one.
AppState *NewAppState();
void FreeAppState();
