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
#include "editor/OpenFiles.h"
#include "platform/Files.h"
#include "project/Project.h"
#include "project/Utilities.h"
#include "settings/Fields.h"
#include "settings/ProjectNames.h"
#include "settings/Settings.h"

std::vector<OpenFileEntry> g_sessionFiles;

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
    SettingBuffer value;
    for (long i = 1; i <= count && i <= kMaxListCount; i++) {
        if (!ReadSetting(SettingName("OpenFile%d", static_cast<int>(i)), value))
            break;
        OpenFileEntry entry;
        if (ParseOpenFile(value, &entry))
            g_sessionFiles.push_back(entry);
    }
}

bool SaveSessionFiles() {
    std::vector<OpenFileEntry> files = CollectOpenFiles();
    if (!WriteIntSetting("OpenFiles", static_cast<long>(files.size())))
        return false;
    int n = 1;
    for (const OpenFileEntry &file : files) {
        std::string value = FormatOpenFile(file);
        if (value.size() >= kSettingBufferSize)
            value.resize(kSettingBufferSize - 1);
        if (!WriteSetting(SettingName("OpenFile%d", n++), value.c_str()))
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

void FreeSessionFiles() { g_sessionFiles.clear(); }

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
    ok = CloseSettings() && ok;
    // The open project keeps its own workspace: its files, frame and options.
    if (ok && CurrentProject())
        SaveProjectWorkspace();
    return ok;
}
