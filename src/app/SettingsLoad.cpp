// Loading every setting at start-up and saving them all at the end of a run. Each folder
// declares its settings as a table of fields; this file registers the tables and holds the
// program's own: the frame, the printer, the help file, the keys the user changed, the
// projects and the last session's files.
//
// A malformed stored value never writes outside a table: an element that does not parse is
// skipped (or ends its list, where a missing element would) and the rest loads.
#include <stdio.h>
#include <stdlib.h>
#include <string.h>
#include <strings.h>

#include "app/KeyTable.h"
#include "app/SettingsLoad.h"
#include "base/AppState.h"
#include "base/Memory.h"
#include "browse/BrowseOptions.h"
#include "debugger/DebugOptions.h"
#include "editor/Document.h"
#include "editor/Editing.h"
#include "editor/EditorSettings.h"
#include "editor/EditorWindow.h"
#include "platform/Files.h"
#include "project/Utilities.h"
#include "settings/Fields.h"
#include "settings/ProjectNames.h"
#include "settings/Settings.h"

SessionFile *g_sessionFiles;

namespace {

enum { kBackupUnset = 32000 };

// ---- Accelerators ----

bool Field(const char *text, int index, int *value) {
    char field[5];
    memcpy(field, text + index * 4, 4);
    field[4] = '\0';
    char *end = nullptr;
    long n = strtol(field, &end, 10);
    while (end && *end == ' ')
        end++;
    if (!end || *end || end == field)
        return false;
    *value = static_cast<int>(n);
    return true;
}

void LoadAccelerators() {
    long count = ReadIntSetting("Accelerators", 0);
    SettingBuffer value;
    for (long i = 1; i <= count && i <= kMaxListCount; i++) {
        if (!ReadSetting(SettingName("Accel%d", static_cast<int>(i)), value))
            break;
        int row, key, command, modifiers;
        if (strlen(value) != 16 || !Field(value, 0, &row) || !Field(value, 1, &key) ||
            !Field(value, 2, &command) || !Field(value, 3, &modifiers))
            continue;
        if (row < 0 || row >= CommandRowCount() || key <= 0 || key > 255 || modifiers < 0 ||
            modifiers > 0xFFFF)
            continue;
        CommandRow &target = g_commandTable[row];
        target.key = static_cast<unsigned short>(key);
        target.modifiers = static_cast<unsigned short>(modifiers | kModifierChanged);
        if (CommandMenuText(target.command)) {
            char shortcut[40];
            ShortcutName(key, modifiers, shortcut, sizeof shortcut);
            SetCommandShortcut(target.command, shortcut);
        } else if (g_app) {
            for (unsigned short &slot : g_app->extraShortcuts) {
                if (slot == row)
                    break;
                if (slot == 0) {
                    slot = static_cast<unsigned short>(row);
                    break;
                }
            }
        }
    }
}

bool SaveAccelerators() {
    int count = 0;
    for (int row = 0; row < CommandRowCount(); row++)
        if (g_commandTable[row].modifiers & kModifierChanged)
            count++;
    if (!WriteIntSetting("Accelerators", count))
        return false;
    int n = 1;
    for (int row = 0; row < CommandRowCount(); row++) {
        const CommandRow &r = g_commandTable[row];
        if (!(r.modifiers & kModifierChanged))
            continue;
        char value[40];
        snprintf(value, sizeof value, "%4d%4d%4d%4d", row, r.key, r.command, r.modifiers);
        if (!WriteSetting(SettingName("Accel%d", n++), value))
            return false;
    }
    return true;
}

void DefaultAccelerators() {
    ResetCommandTable();
    if (g_app)
        memset(g_app->extraShortcuts, 0, sizeof g_app->extraShortcuts);
}

// ---- Open files ----

void LoadSessionFiles() {
    FreeSessionFiles();
    long count = ReadIntSetting("OpenFiles", 0);
    SessionFile **tail = &g_sessionFiles;
    SettingBuffer value;
    for (long i = 1; i <= count && i <= kMaxListCount; i++) {
        if (!ReadSetting(SettingName("OpenFile%d", static_cast<int>(i)), value))
            break;
        // A path with blanks is stored in double quotes.
        const char *start = value;
        size_t n;
        if (value[0] == '"') {
            start = value + 1;
            n = strcspn(start, "\"");
        } else {
            n = strcspn(value, " ");
        }
        if (n == 0)
            continue;
        SessionFile *file = static_cast<SessionFile *>(Allocate(sizeof(SessionFile)));
        if (!file)
            break;
        file->path = static_cast<char *>(Allocate(n + 1));
        if (!file->path) {
            Release(file);
            break;
        }
        memcpy(file->path, start, n);
        file->path[n] = '\0';
        // The numbers follow, one or more blanks apart; missing ones stay unset.
        const char *p = start + n + (start != value && start[n] == '"' ? 1 : 0);
        long numbers[5] = {0, 0, 0, 0, 0};
        int got = 0;
        while (got < 5) {
            char *end = nullptr;
            long v = strtol(p, &end, 10);
            if (end == p)
                break;
            numbers[got++] = v;
            p = end;
        }
        file->line = numbers[0];
        for (int k = 0; k < 4; k++)
            file->rect[k] = static_cast<int>(numbers[k + 1]);
        file->numbers = got;
        *tail = file;
        tail = &file->next;
    }
}

bool SaveSessionFiles() {
    int count = 0;
    if (g_editor)
        for (Document *doc = g_editor->documents; doc; doc = doc->next)
            if (!(doc->flags & kDocNoFile) && FirstViewOf(doc))
                count++;
    if (!WriteIntSetting("OpenFiles", count))
        return false;
    int n = 1;
    for (Document *doc = g_editor ? g_editor->documents : nullptr; doc; doc = doc->next) {
        View *view = FirstViewOf(doc);
        if ((doc->flags & kDocNoFile) || !view)
            continue;
        int rect[4] = {0, 0, 0, 0};
        bool minimized = false, maximized = false;
        EditorWindowPlacement(view, rect, &minimized, &maximized);
        // A negative left or right means minimised or maximised: a window that merely lies off
        // the screen's left edge keeps its left at 0, and a state is never lost to a 0.
        for (int k = 0; k < 4; k++)
            if (rect[k] < 0)
                rect[k] = 0;
        if (minimized)
            rect[0] = -(rect[0] > 0 ? rect[0] : 1);
        if (maximized)
            rect[2] = -(rect[2] > 0 ? rect[2] : 1);
        Line *line = view == (g_editor ? g_editor->view : nullptr) ? view->current : doc->savedLine;
        long number = line ? LineNumberOf(doc, line) : 1;
        char value[kSettingBufferSize];
        bool blanks = strchr(doc->path, ' ') != nullptr;
        snprintf(value, sizeof value, blanks ? "\"%s\" %ld %d %d %d %d" : "%s %ld %d %d %d %d", doc->path,
                 number, rect[0], rect[1], rect[2], rect[3]);
        if (!WriteSetting(SettingName("OpenFile%d", n++), value))
            return false;
    }
    return true;
}

// Only without an open project: a project keeps its own files.
void LoadSessionFilesUnlessProject() {
    if (!g_projectNames || !g_projectToReopen[0])
        LoadSessionFiles();
}

bool SaveSessionFilesUnlessProject() {
    return g_openProject[0] || (g_app && !g_app->saveSession) || SaveSessionFiles();
}

// ---- The frame, the printer, the help file ----

void *App() { return g_app; }

template <typename T>
SettingField AppNumber(const char *name, size_t offset, long defaultNumber, int order, int flags = 0) {
    return RecordNumberField<T>(name, App, offset, defaultNumber, order, flags);
}
#define APP_NUMBER(name, member, ...) AppNumber<decltype(AppState::member)>(name, offsetof(AppState, member), __VA_ARGS__)
#define APP_TEXT(name, member, ...) \
    RecordTextField(name, App, offsetof(AppState, member), sizeof(AppState::member), __VA_ARGS__)

// "StatusBar": the files toolbar's rectangle as "left,top,right,bottom".
void DefaultToolbar() {
    if (g_app)
        memset(g_app->toolbarRect, 0, sizeof g_app->toolbarRect);
}

void LoadToolbar() {
    SettingBuffer text;
    int r[4] = {0, 0, 0, 0};
    if (g_app && ReadSetting("StatusBar", text) && sscanf(text, "%d,%d,%d,%d", &r[0], &r[1], &r[2], &r[3]) == 4)
        memcpy(g_app->toolbarRect, r, sizeof r);
}

bool SaveToolbar() {
    char text[kSettingBufferSize];
    const int *r = g_app->toolbarRect;
    snprintf(text, sizeof text, "%d,%d,%d,%d", r[0], r[1], r[2], r[3]);
    return WriteSetting("StatusBar", text);
}

// An obsolete value: 1 meant "make backup files"; it is then given up. Automatic indentation
// follows the option byte.
void LoadEditorFlagsExtras() {
    if (ReadIntSetting("BackupFile", kBackupUnset) == 1) {
        g_app->optionByte |= kOptionMakeBackups;
        WriteIntSetting("BackupFile", 0);
    }
    g_autoIndent = (g_app->optionByte & kOptionAutoIndent) != 0;
}

void DefaultAutoIndent() { g_autoIndent = true; }

// "CurrentDir" is loaded as the last run's directory and saved as the directory of now.
bool SaveCurrentDirectory() {
    char current[400] = "";
    CurrentDirectory(current, sizeof current);
    return WriteSetting("CurrentDir", current);
}

// "CurrentFile": the document that was active; "untitled" is none.
void DefaultCurrentFile() {
    if (g_app)
        g_app->currentFile[0] = '\0';
}

void LoadCurrentFile() {
    SettingBuffer text;
    ReadSetting("CurrentFile", text);
    snprintf(g_app->currentFile, sizeof g_app->currentFile, "%s", text);
    if (strcasecmp(g_app->currentFile, "untitled") == 0)
        g_app->currentFile[0] = '\0';
}

bool SaveCurrentFile() {
    if (g_app && !g_app->saveSession)
        return true;   // files named on the command line leave the session as it was
    const char *path = "";
    if (g_editor && g_editor->doc && !(g_editor->doc->flags & kDocNoFile))
        path = g_editor->doc->path;
    return WriteSetting("CurrentFile", path);
}

// The projects the store knows, and the one to reopen ("CMSProjectPath" in older stores).
void DefaultProjects() {
    FreeNames(&g_projectNames);
    g_projectToReopen[0] = '\0';
}

void LoadProjects() {
    FreeNames(&g_projectNames);
    ReadProjectNames(&g_projectNames);
    SettingBuffer text;
    if (!ReadSetting("CurrentProject", text) || !text[0])
        ReadSetting("CMSProjectPath", text);
    snprintf(g_projectToReopen, sizeof g_projectToReopen, "%s", text);
}

bool SaveProjectList() { return WriteStringList(g_projectNames, "Projects", "Project%d"); }

bool SaveCurrentProject() { return WriteSetting("CurrentProject", g_openProject); }

// Loaded in this order: the option byte before what follows from it, the projects before the
// session files, which only a run without a project keeps.
const SettingField g_appSettingFields[] = {
    CustomField("StatusBar", 10, DefaultToolbar, LoadToolbar, SaveToolbar),
    APP_NUMBER("OutputWndHeight", outputHeight, 0, 60, kFieldNoDefault),
    APP_NUMBER("EditorFlags", optionByte, 47, 70),
    CustomField("BackupFile", 0, DefaultAutoIndent, LoadEditorFlagsExtras, nullptr),
    APP_NUMBER("Print", printFlags, 1053, 110),
    APP_NUMBER("FrameZoomed", frameZoomed, 0, 120),
    APP_TEXT("PrinterFontName", printerFont, "Courier New", 160),
    APP_NUMBER("PrinterFontSize", printerFontSize, 0, 170),
    CustomField("Accelerators", 220, DefaultAccelerators, LoadAccelerators, SaveAccelerators),
    CustomField("Projects", 230, DefaultProjects, LoadProjects, SaveProjectList),
    CustomField("CurrentProject", 240, nullptr, nullptr, SaveCurrentProject),
    APP_NUMBER("IncludeFlags", includeFlags, 1, 250),
    APP_TEXT("WinHelpDataBase", helpDatabase, "", 260),
    APP_TEXT("CurrentDir", lastDirectory, "", 0),
    CustomField("CurrentDir", 270, nullptr, nullptr, SaveCurrentDirectory),
    CustomField("CurrentFile", 350, DefaultCurrentFile, LoadCurrentFile, SaveCurrentFile),
    APP_NUMBER("FrameX", frameX, 0, 360, kFieldNoDefault),
    APP_NUMBER("FrameY", frameY, 0, 370, kFieldNoDefault),
    APP_NUMBER("FrameCX", frameWidth, 0, 380, kFieldNoDefault),
    APP_NUMBER("FrameCY", frameHeight, 0, 390, kFieldNoDefault),
    CustomField("OpenFiles", 400, FreeSessionFiles, LoadSessionFilesUnlessProject, SaveSessionFilesUnlessProject),
};

} // namespace

void FreeSessionFiles() {
    while (SessionFile *file = g_sessionFiles) {
        g_sessionFiles = file->next;
        Release(file->path);
        Release(file);
    }
}

void RegisterSettingTables() {
    RegisterFieldTable(g_editorSettingFields, g_editorSettingFieldCount);
    RegisterFieldTable(g_browseSettingFields, g_browseSettingFieldCount);
    RegisterFieldTable(g_debuggerSettingFields, g_debuggerSettingFieldCount);
    RegisterFieldTable(g_projectSettingFields, g_projectSettingFieldCount);
    RegisterFieldTable(g_appSettingFields, sizeof g_appSettingFields / sizeof g_appSettingFields[0]);
}

void SetDefaultSettings() { DefaultAllFields(); }

bool LoadAllSettings() {
    if (!g_app || !OpenSettings(nullptr, true))
        return false;
    LoadAllFields();
    char include[kSettingBufferSize];
    CompilerRootFromRegistry(include, sizeof include);
    // The help file defaults to the one of the compiler system.
    if (!g_app->helpDatabase[0] || !FileExists(g_app->helpDatabase))
        snprintf(g_app->helpDatabase, sizeof g_app->helpDatabase, "%s\\bin\\win32hlp.hlp",
                 g_app->compilerRoot);
    CloseSettings();
    return true;
}

bool SaveAllSettings() {
    if (!g_saveEnabled || !g_app || !OpenSettings(nullptr, true))
        return false;
    bool ok = SaveAllFields();
    return CloseSettings() && ok;
}
