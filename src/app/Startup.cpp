#include "app/Startup.h"
#include "app/Wiring.h"

#include <windows.h>
#include <commctrl.h>
#include <winspool.h>
#include <io.h>
#include <stdio.h>
#include <stdlib.h>
#include <string.h>

#include "app/Frame.h"
#include "app/SettingsLoad.h"
#include "base/AppState.h"
#include "base/Boxes.h"
#include "base/Memory.h"
#include "base/MessageIds.h"
#include "base/Messages.h"
#include "base/ResourceIds.h"
#include "base/TextUtil.h"
#include "debugger/DebugRun.h"
#include "editor/Autosave.h"
#include "editor/Bookmarks.h"
#include "editor/Document.h"
#include "editor/Editing.h"
#include "editor/EditorHooks.h"
#include "editor/EditorWindow.h"
#include "editor/Journal.h"
#include "editor/Language.h"
#include "platform/Files.h"
#include "platform/UiPort.h"
#include "project/ProjectCommands.h"
#include "settings/ProjectNames.h"
#include "settings/Settings.h"
#include "settings/Store.h"

namespace {

// What start-up creates and the end of the run destroys.
struct StartupResources {
    HWND banner;
    HDC printer;
    HFONT printerFont;
};
StartupResources g_startup;

// The start-up banner: the program's name in a small window in the middle of the screen.
LRESULT CALLBACK BannerProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    if (message == WM_PAINT) {
        PAINTSTRUCT paint;
        HDC dc = BeginPaint(window, &paint);
        RECT client;
        GetClientRect(window, &client);
        FillRect(dc, &client, GetSysColorBrush(COLOR_BTNFACE));
        SetBkMode(dc, TRANSPARENT);
        DrawTextA(dc, "Kelto", -1, &client, DT_CENTER | DT_VCENTER | DT_SINGLELINE);
        EndPaint(window, &paint);
        return 0;
    }
    return DefWindowProcA(window, message, wParam, lParam);
}

void ShowBanner(HINSTANCE instance) {
    WNDCLASSA wc = {};
    wc.lpfnWndProc = BannerProc;
    wc.hInstance = instance;
    wc.lpszClassName = "KeltoBanner";
    RegisterClassA(&wc);
    int width = 240, height = 80;
    g_startup.banner = CreateWindowExA(WS_EX_TOOLWINDOW | WS_EX_TOPMOST, "KeltoBanner", "Kelto", WS_POPUP | WS_BORDER,
                               (GetSystemMetrics(SM_CXSCREEN) - width) / 2,
                               (GetSystemMetrics(SM_CYSCREEN) - height) / 2, width, height, nullptr, nullptr,
                               instance, nullptr);
    if (g_startup.banner) {
        ShowWindow(g_startup.banner, SW_SHOWNOACTIVATE);
        UpdateWindow(g_startup.banner);
    }
}

// The printer's device context and its font, when a printer is set up.
void OpenPrinter() {
    char name[256];
    DWORD size = sizeof name;
    if (!GetDefaultPrinterA(name, &size))
        return;
    g_startup.printer = CreateDCA(nullptr, name, nullptr, nullptr);
    if (g_startup.printer)
        g_startup.printerFont = CreateFontA(-MulDiv(10, GetDeviceCaps(g_startup.printer, LOGPIXELSY), 72), 0, 0, 0,
                                            FW_NORMAL, 0, 0, 0, ANSI_CHARSET, 0, 0, 0, FIXED_PITCH, "Courier New");
}

bool IsOption(const char *argument) {
    return (argument[0] == '/' || argument[0] == '-') &&
           ((argument[1] >= 'a' && argument[1] <= 'z') || (argument[1] >= 'A' && argument[1] <= 'Z'));
}

// "-d 12", "-p12": the number after an option letter.
long NumberAfter(const char *text) {
    while (*text == ' ')
        text++;
    return atol(text);
}

// The options of the command line, looked at before anything opens: only whole arguments
// count, so a file named "src/window.c" or "my -draft.c" is no option.
void PreScan(const char *commandLine) {
    char *arguments[kMaxArguments];
    int count = SplitCommandLine(commandLine, arguments);
    for (int i = 0; i < count; i++) {
        const char *a = arguments[i];
        if (!IsOption(a))
            continue;
        char option = a[1];
        // -d, -D, -p and -e take a number, in the same argument or the next one.
        const char *number = a[2] ? a + 2 : i + 1 < count ? arguments[i + 1] : "";
        bool digits = *number >= '0' && *number <= '9';
        if ((option == 'd' || option == 'D' || option == 'p') && digits) {
            g_app->reopenFiles = g_app->saveSession = false;
            g_app->debugStart = true;
            g_app->attachProcess = NumberAfter(number);
        } else if (option == 'e' && digits) {
            g_app->attachEvent = NumberAfter(number);
        } else if ((option == 'f' || option == 'F' || option == 'w') && !a[2]) {
            g_app->reopenFiles = g_app->saveSession = false;
            if (option == 'w') {
                g_app->splash = false;
                g_saveEnabled = false;
            }
        }
    }
    for (int i = 0; i < count; i++)
        Release(arguments[i]);
}

void FindHelpFile() {
    char program[MAX_PATH];
    GetModuleFileNameA(nullptr, program, sizeof program);
    // A path near MAX_PATH long leaves little room behind its last part: cut, never overrun.
    char *slash = strrchr(program, '\\');
    if (slash) {
        snprintf(slash + 1, sizeof program - (slash + 1 - program), "%s", "kelto.hlp");
    } else {
        char *dot = strrchr(program, '.');
        if (dot)
            snprintf(dot, sizeof program - (dot - program), "%s", ".hlp");
    }
    CopyBounded(g_app->helpFile, program, sizeof g_app->helpFile);
}

void CreateEditorFont() {
    HFONT created = MakeEditorFont();
    if (created) {
        g_app->editorFont = created;
        SetEditorFont(created);
    }
}

// Puts the bin directory of the compiler system on the PATH.
void SetUpPath() {
    if (!g_app->compilerRoot[0])
        return;
    char path[8192] = "";
    DWORD n = GetEnvironmentVariableA("PATH", path, sizeof path);
    if (n >= sizeof path)
        return;
    char upperPath[8192], upperRoot[400];
    CopyBounded(upperPath, path, sizeof upperPath);
    CopyBounded(upperRoot, g_app->compilerRoot, sizeof upperRoot);
    UpperCase(upperPath);
    UpperCase(upperRoot);
    if (strstr(upperPath, upperRoot))
        return;
    char value[8700];
    snprintf(value, sizeof value, "%s\\bin;%s", g_app->compilerRoot, path);
    SetEnvironmentVariableA("PATH", value);
}

View *FindView(const char *path) {
    Document *doc = FindDocument(path, false);
    return doc ? FirstViewOf(doc) : nullptr;
}

} // namespace

int SplitCommandLine(const char *commandLine, char **arguments) {
    int count = 0;
    const char *p = commandLine ? commandLine : "";
    while (*p && count < kMaxArguments) {
        while (*p == ' ' || *p == '\t')
            p++;
        if (!*p)
            break;
        const char *start = p;
        if (*p == '"') {
            p++;
            while (*p && *p != '"')
                p++;
            if (*p == '"')
                p++;
        } else {
            while (*p && *p != ' ' && *p != '\t')
                p++;
        }
        size_t n = static_cast<size_t>(p - start);
        char *argument = static_cast<char *>(Allocate(n + 1));
        if (!argument)
            break;
        memcpy(argument, start, n);
        argument[n] = '\0';
        arguments[count++] = argument;
    }
    return count;
}

int ProcessCommandLine(const char *commandLine) {
    char *arguments[kMaxArguments];
    int count = SplitCommandLine(commandLine, arguments);
    SetDirectory(g_app->startDirectory);
    int opened = 0;
    bool debugging = false;
    for (int i = 0; i < count && !debugging; i++) {
        char *argument = arguments[i];
        if (IsOption(argument)) {
            char option = argument[1];
            if (option == 'f' || option == 'F' || option == 'w') {
                g_app->reopenFiles = g_app->saveSession = false;
                if (option == 'w')
                    g_app->splash = false;
            }
            continue;
        }
        // A file pattern: the quotes go, the matches open.
        char pattern[MAX_PATH];
        CopyBounded(pattern, argument[0] == '"' ? argument + 1 : argument, sizeof pattern);
        size_t n = strlen(pattern);
        if (n > 0 && pattern[n - 1] == '"')
            pattern[n - 1] = '\0';
        struct _finddata_t found;
        intptr_t search = _findfirst(pattern, &found);
        if (search == -1) {
            IncorrectFileName(pattern);
            continue;
        }
        char directory[MAX_PATH];
        CopyBounded(directory, pattern, sizeof directory);
        char *slash = strrchr(directory, '\\');
        if (!slash)
            slash = strrchr(directory, '/');
        if (slash)
            slash[1] = '\0';
        else
            directory[0] = '\0';
        do {
            if (found.attrib & _A_SUBDIR)
                continue;
            char relative[MAX_PATH * 2];
            snprintf(relative, sizeof relative, "%s%s", directory, found.name);
            char full[MAX_PATH];
            if (!_fullpath(full, relative, sizeof full))
                continue;
            UpperCase(full);
            if (IsProgramPath(full)) {
                // A program to debug: it runs in its directory, the arguments after it are its own.
                char programDirectory[MAX_PATH];
                CopyBounded(programDirectory, full, sizeof programDirectory);
                if (char *cut = strrchr(programDirectory, '\\'))
                    *cut = '\0';
                SetDirectory(programDirectory);
                char text[1200];
                CopyBounded(text, full, sizeof text);
                for (int k = i + 1; k < count; k++) {
                    size_t used = strlen(text);
                    snprintf(text + used, sizeof text - used, " %s", arguments[k]);
                }
                debugging = StartDebugging(text);
                if (debugging)
                    break;
                // No run started: the arguments after it are files again.
                SetDirectory(g_app->startDirectory);
                continue;
            }
            if (FindView(full) || OpenPath(full))
                opened++;
        } while (_findnext(search, &found) == 0);
        _findclose(search);
    }
    for (int i = 0; i < count; i++)
        Release(arguments[i]);
    // Files named here make the start-up directory the current one; otherwise the saved one
    // stays current.
    if (opened > 0 && !debugging)
        CopyBounded(g_app->lastDirectory, g_app->startDirectory, sizeof g_app->lastDirectory);
    else if (!debugging && g_app->lastDirectory[0])
        SetDirectory(g_app->lastDirectory);
    g_app->manyFilesOpened = opened > 3;
    return opened;
}

int ReopenSession() { return ReopenFiles(g_sessionFiles, g_app->currentFile); }

bool MessageLoop() {
    MSG message;
    if (GetMessageA(&message, nullptr, 0, 0) <= 0)
        return false;
    if (g_app->mdiClient && TranslateMDISysAccel(g_app->mdiClient, &message))
        return true;
    if (g_app->accelerators && g_app->frameWindow &&
        TranslateAcceleratorA(g_app->frameWindow, static_cast<HACCEL>(g_app->accelerators), &message))
        return true;
    TranslateMessage(&message);
    DispatchMessageA(&message);
    return true;
}

namespace {

// 1-6: the application and editor states, the command line's first look, the shared block,
// the help file.
bool CreateStates(const char *line) {
    if (!NewAppState() || !NewEditorState())
        return false;
    g_app->anotherInstance = FindWindowA(GetString(kStrFrameClass), nullptr) != nullptr;
    g_app->outputHeight = 7 * GetSystemMetrics(SM_CYVTHUMB);
    g_app->splash = g_app->saveSession = g_app->reopenFiles = true;
    g_saveEnabled = true;
    CurrentDirectory(g_app->startDirectory, sizeof g_app->startDirectory);
    OpenSharedBlock();
    FindHelpFile();
    if (line && *line)
        PreScan(line);
    return true;
}

// 8-9: the window classes, the accelerators.
bool RegisterResources(HINSTANCE instance) {
    if (!RegisterWindowClasses(instance))
        return false;
    g_app->accelerators = LoadAcceleratorsA(instance, GetString(kStrFrameAccelerators));
    return true;
}

// 11: the shared buffers, the permanent "untitled" document, the hooks and the commands.
void CreateSharedData() {
    g_scratch = static_cast<char *>(Allocate(kScratchSize));
    FreeBookmarks();
    if (Document *untitled = FindDocument("untitled", true)) {
        untitled->flags |= kDocNoFile;
        AttachView(nullptr, "untitled");
    }
    InstallHooks();
    RegisterStandardHandlers();
}

// 12: the languages, then the settings, which may change them.
void LoadSettings() {
    AddBuiltinLanguages();
    SetStore(StoreForStartup());
    RegisterSettingTables();
    SetDefaultSettings();
    int outputHeight = g_app->outputHeight;
    LoadAllSettings();
    if (g_app->outputHeight <= 0)
        g_app->outputHeight = outputHeight;
}

// 14-17: the frame at its saved place, the banner, the printer.
HWND CreateFrame(HINSTANCE instance, int showMode) {
    bool placed = g_app->frameWidth > 0 && g_app->frameHeight > 0 && g_app->frameX >= 0 &&
                  g_app->frameY >= 0 && !g_app->anotherInstance;
    DWORD style = WS_OVERLAPPEDWINDOW | WS_CLIPCHILDREN | (g_app->frameZoomed ? WS_MAXIMIZE : 0);
    HWND frame = CreateWindowExA(0, GetString(kStrFrameClass), "kelto", style,
                                 placed ? g_app->frameX : CW_USEDEFAULT, placed ? g_app->frameY : CW_USEDEFAULT,
                                 placed ? g_app->frameWidth : CW_USEDEFAULT,
                                 placed ? g_app->frameHeight : CW_USEDEFAULT, nullptr, nullptr, instance, nullptr);
    if (!frame)
        return nullptr;
    g_app->frameWindow = frame;
    SetUiOwner(frame);
    if (g_app->splash)
        ShowBanner(instance);
    if (!g_app->anotherInstance)
        ShowWindow(frame, g_app->frameZoomed ? SW_SHOWMAXIMIZED : showMode);
    ResetJournal();
    OpenPrinter();
    InitCommonControls();
    return frame;
}

// 15, 18-19: the saved directory, the editor font, the popup text and output windows, the
// menu's dynamic items.
void CreateFrameContents(HINSTANCE instance, HWND frame) {
    if (g_app->lastDirectory[0] && SetDirectory(g_app->lastDirectory) != 0) {
        ErrorBox(FormatMessageId(kStrDirectoryMissing, g_app->lastDirectory));
        SetDirectory(g_app->startDirectory);
    }
    CreateEditorFont();
    g_app->popupWindow = CreateWindowExA(0, "smallTextPopup", nullptr, WS_POPUP | WS_BORDER, 0, 0, 0, 0,
                                         frame, nullptr, instance, nullptr);
    g_app->outputWindow = CreateWindowExA(WS_EX_STATICEDGE, "KeltoOutput", nullptr,
                                          WS_CHILD | WS_VISIBLE | WS_CLIPSIBLINGS, 0, 0, 0, 0, frame,
                                          nullptr, instance, nullptr);
    LayoutFrame();
    BuildToolAndHelpItems();
    DrawMenuBar(frame);
}

// 20: the files of the command line, or the last session's.
void OpenStartFiles(const char *line) {
    int opened = line && *line && !g_app->debugStart ? ProcessCommandLine(line) : 0;
    if (opened > 0) {
        g_app->reopenFiles = g_app->saveSession = false;
        if (HWND active = ActiveEditorWindow())
            SendMessageA(g_app->mdiClient, WM_MDIMAXIMIZE, reinterpret_cast<WPARAM>(active), 0);
    } else if (!g_app->debugStart && g_projectToReopen[0] && HasName(g_projectNames, g_projectToReopen)) {
        // The project the last run had open comes back with its own files.
        g_app->restoring = true;
        OpenProject(g_projectToReopen);
        g_app->restoring = false;
    } else if (!g_app->debugStart) {
        g_app->restoring = true;
        if (g_app->reopenFiles)
            ReopenSession();
        g_app->restoring = false;
        if (g_app->currentFile[0] && !FindView(g_app->currentFile) && FileExists(g_app->currentFile))
            OpenPath(g_app->currentFile);
    }
    UpdateDynamicMenus();
}

// 21-24: everything shown, the PATH, the banner gone.
void ShowEverything(HWND frame) {
    ShowWindow(frame, SW_SHOW);
    SendMessageA(g_app->mdiClient, WM_MDIICONARRANGE, 0, 0);
    if (HWND active = ActiveEditorWindow()) {
        RECT client;
        GetClientRect(active, &client);
        if (client.right <= client.left || client.bottom <= client.top)
            SendMessageA(g_app->mdiClient, WM_MDITILE, 0, 0);
    }
    SetUpPath();
    if (g_startup.banner)
        DestroyWindow(g_startup.banner);
    g_startup.banner = nullptr;
    UpdateWindow(frame);
    SetForegroundWindow(frame);
}

// 26: what start-up created goes.
void CleanUp() {
    CloseSharedBlock();
    if (g_app->editorFont)
        DeleteObject(static_cast<HFONT>(g_app->editorFont));
    if (g_startup.printerFont)
        DeleteObject(g_startup.printerFont);
    if (g_startup.printer)
        DeleteDC(g_startup.printer);
    g_startup = StartupResources();
}

} // namespace

int Startup(HINSTANCE instance, int showMode, const char *commandLine) {
    if (!CreateStates(commandLine) || !RegisterResources(instance))
        return 1;
    CreateSharedData();
    LoadSettings();
    HWND frame = CreateFrame(instance, showMode);
    if (!frame)
        return 1;
    CreateFrameContents(instance, frame);
    OpenStartFiles(commandLine);
    ShowEverything(frame);
    if (g_app->debugStart && g_app->attachProcess)
        StartDebugSession(frame, "", "");   // the process named by -p (or -d, -D)
    // 24-25: autosave, unless a debugging run starts; the message loop.
    bool autosave = (g_app->optionByte & kOptionAutosave) && !g_app->debugStart;
    if (autosave)
        StartAutosave();
    while (MessageLoop()) {
    }
    if (autosave)
        StopAutosave();
    CleanUp();
    return 0;
}
