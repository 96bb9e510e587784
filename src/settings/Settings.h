// The configuration store: every setting of the program and every project definition, as text
// values below HKEY_CURRENT_USER\Software\bdx\Kelto (one subkey per project), plus the
// compiler's include and library paths below Software\bdx\Compiler and Software\bdx\bdxlnk.
//
// Every operation opens the keys it needs, works and closes them again (OpenSettings ...
// CloseSettings); no key stays open between user actions.
#pragma once

#include "base/NameList.h"

enum {
    kSettingBufferSize = 512,    // longer values cannot be read and count as missing
    kProjectNameSize = 50,
    kMaxListCount = 1000,        // more elements than any stored list holds; a larger count is damage
};
typedef char SettingBuffer[kSettingBufferSize];

extern bool g_settingsWritten;   // set by every successful write
extern bool g_saveEnabled;       // "Save editor settings configuration at exit"

// Opens the settings key and, unless `rootOnly`, the project key `subkey` below it, which
// becomes the current key. Runs the first-run detection when Software\bdx is missing.
bool OpenSettings(const char *subkey, bool rootOnly);
// Closes the keys; false when what was written could not be made lasting.
bool CloseSettings();

// A value name built from a format with one or two numbers ("Util%dNickname"), in a static
// buffer that the next call overwrites.
const char *SettingName(const char *format, int a, int b = 0);
bool ReadSetting(const char *name, char *buffer);             // buffer of kSettingBufferSize
bool ReadSettingById(int nameId, char *buffer);
bool WriteSetting(const char *name, const char *text);
bool WriteSettingById(int nameId, const char *text);
long ReadIntSetting(const char *name, long defaultValue);
bool WriteIntSetting(const char *name, long value);
// A list stored as a count and numbered elements (`format` with the number from 1): read into
// (adding each name at the head), or written from, a list of names.
bool ReadStringList(NameEntry **list, const char *countName, const char *format);
bool WriteStringList(const NameEntry *list, const char *countName, const char *format);
// Removes a project: from the list of projects and its key from the store.
bool DeleteProjectKey(const char *name);

// The first-run detection's guess of the compiler root from the program's command line, or
// the current directory when the command line holds no backslash.
void GuessCompilerRoot(const char *commandLine, const char *currentDirectory, char *root, int size);
// Whether `root` holds include\windows.h.
bool IsCompilerRoot(const char *root);
// Registers `root` as the compiler root: the include and library paths of the compiler.
bool RegisterCompilerRoot(const char *root);
// The command line the first-run detection looks at; null means the program's own.
extern const char *g_commandLineOverride;

// A `BreakPoint%d` value, "path@line"; false when it has no "@" or no line number.
bool SplitBreakpointValue(const char *text, char *path, int size, long *line);

// The names of the project keys, added to `list`; only while the settings are open.
bool ReadProjectNames(NameEntry **list);
// The compiler root from the registered include path; false when there is none.
bool CompilerRootFromRegistry(char *includePath, int size);
