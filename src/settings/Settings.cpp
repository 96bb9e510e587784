// The primitives of the configuration store, and the compiler root's registration.
#include "settings/Settings.h"

#include <ctype.h>
#include <stdio.h>
#include <stdlib.h>
#include <string.h>

#include <initializer_list>

#include "base/AppState.h"
#include "base/Boxes.h"
#include "base/MessageIds.h"
#include "base/Messages.h"
#include "platform/Files.h"
#include "platform/System.h"
#include "platform/UiPort.h"
#include "settings/ProjectNames.h"
#include "settings/Store.h"

bool g_settingsWritten;
bool g_saveEnabled = true;
const char *g_commandLineOverride;

namespace {

bool g_unflushed;   // written since the store was last made lasting
StoreKey g_softwareKey;
StoreKey g_bdxKey;
StoreKey g_settingsKey;
StoreKey g_currentKey;

void RegistryError(long code) {
    char text[80];
    snprintf(text, sizeof text, "Error %ld writing to the registry", code);
    ErrorBox(text);
}

bool EndsWithBin(const char *text, size_t n) {
    return n >= 4 && text[n - 4] == '\\' && tolower(text[n - 3]) == 'b' &&
           tolower(text[n - 2]) == 'i' && tolower(text[n - 1]) == 'n';
}

// Writes `name` = `text` in the key `path` below Software\bdx.
bool WriteCompilerValue(StoreKey bdx, const char *path, const char *name, const char *text) {
    SettingsStore *store = CurrentStore();
    long error = 0;
    StoreKey key = store->Open(bdx, path, true, &error);
    if (!key) {
        RegistryError(error);
        return false;
    }
    long result = store->Set(key, name, text);
    store->Close(key);
    if (result != kStoreOk) {
        RegistryError(result);
        return false;
    }
    return true;
}

// Finds the compiler root on a first run and registers it; false when there is none.
bool FirstRun() {
    char current[400] = "";
    CurrentDirectory(current, sizeof current);
    char root[400];
    GuessCompilerRoot(g_commandLineOverride ? g_commandLineOverride : ProgramCommandLine(),
                      current, root, sizeof root);
    if (!IsCompilerRoot(root)) {
        if (!CurrentUiPort()->AskDirectory(GetString(kStrAskCompilerRoot), "*.*", root,
                                           sizeof root))
            return false;
        if (!IsCompilerRoot(root)) {
            char header[420];
            snprintf(header, sizeof header, "%s\\include\\windows.h", root);
            FileNotFound(header);
            return false;
        }
    }
    return RegisterCompilerRoot(root);
}

} // namespace

void GuessCompilerRoot(const char *commandLine, const char *currentDirectory, char *root, int size) {
    char text[400];
    snprintf(text, sizeof text, "%s", commandLine ? commandLine : "");
    char *cut = strrchr(text, '\\');
    if (!cut && currentDirectory && *currentDirectory) {
        snprintf(text, sizeof text, "%s", currentDirectory);
        cut = strrchr(text, '\\');
    }
    if (cut)
        *cut = '\0';
    size_t n = strlen(text);
    if (EndsWithBin(text, n))
        text[n - 4] = '\0';
    const char *start = text[0] == '"' ? text + 1 : text;
    if (*start == '\\' && currentDirectory && isalpha(static_cast<unsigned char>(currentDirectory[0])))
        snprintf(root, size, "%c:%s", currentDirectory[0], start);
    else
        snprintf(root, size, "%s", start);
}

bool IsCompilerRoot(const char *root) {
    char header[420];
    if (!root || !*root || snprintf(header, sizeof header, "%s\\include\\windows.h", root) >= 400)
        return false;
    return FileExists(header);
}

bool RegisterCompilerRoot(const char *root) {
    SettingsStore *store = CurrentStore();
    StoreKey software = store->Open(nullptr, "Software", false, nullptr);
    if (!software)
        return false;
    long error = 0;
    StoreKey bdx = store->Open(software, "bdx", true, &error);
    bool ok = bdx != nullptr;
    if (!ok)
        RegistryError(error);
    char path[420];
    if (ok) {
        snprintf(path, sizeof path, "%s\\include", root);
        ok = WriteCompilerValue(bdx, "Compiler", "includepath", path);
    }
    if (ok) {
        snprintf(path, sizeof path, "%s\\lib", root);
        ok = WriteCompilerValue(bdx, "bdxlnk", "libpath", path);
    }
    if (bdx)
        store->Close(bdx);
    store->Close(software);
    ok = ok && store->Flush();
    if (ok && g_app)
        snprintf(g_app->compilerRoot, sizeof g_app->compilerRoot, "%s", root);
    return ok;
}

bool OpenSettings(const char *subkey, bool rootOnly) {
    SettingsStore *store = CurrentStore();
    CloseSettings();
    g_softwareKey = store->Open(nullptr, "Software", false, nullptr);
    if (!g_softwareKey)
        return false;
    g_bdxKey = store->Open(g_softwareKey, "bdx", false, nullptr);
    if (!g_bdxKey) {
        if (!FirstRun()) {
            CloseSettings();
            return false;
        }
        g_bdxKey = store->Open(g_softwareKey, "bdx", false, nullptr);
        if (!g_bdxKey) {
            CloseSettings();
            return false;
        }
    }
    long error = 0;
    g_settingsKey = store->Open(g_bdxKey, "Kelto", true, &error);
    if (!g_settingsKey) {
        RegistryError(error);
        CloseSettings();
        return false;
    }
    g_currentKey = g_settingsKey;
    if (!rootOnly) {
        g_currentKey = store->Open(g_settingsKey, subkey ? subkey : "", true, &error);
        if (!g_currentKey) {
            RegistryError(error);
            CloseSettings();
            return false;
        }
    }
    return true;
}

bool CloseSettings() {
    SettingsStore *store = CurrentStore();
    bool flushed = true;
    if (g_softwareKey && g_unflushed) {
        flushed = store->Flush();
        g_unflushed = !flushed;
    }
    if (g_currentKey && g_currentKey != g_settingsKey)
        store->Close(g_currentKey);
    for (StoreKey *key : {&g_settingsKey, &g_bdxKey, &g_softwareKey}) {
        if (*key)
            store->Close(*key);
        *key = nullptr;
    }
    g_currentKey = nullptr;
    return flushed;
}

const char *SettingName(const char *format, int a, int b) {
    static char name[80];
    snprintf(name, sizeof name, format, a, b);
    return name;
}

bool ReadSetting(const char *name, char *buffer) {
    buffer[0] = '\0';
    if (!g_currentKey)
        return false;
    if (CurrentStore()->Query(g_currentKey, name, buffer, kSettingBufferSize) != kStoreOk) {
        buffer[0] = '\0';
        return false;
    }
    return true;
}

bool ReadSettingById(int nameId, char *buffer) { return ReadSetting(GetString(nameId), buffer); }

bool WriteSetting(const char *name, const char *text) {
    long result = g_currentKey ? CurrentStore()->Set(g_currentKey, name, text ? text : "") : 6;
    if (result != kStoreOk) {
        RegistryError(result);
        return false;
    }
    g_settingsWritten = true;
    g_unflushed = true;
    return true;
}

bool WriteSettingById(int nameId, const char *text) { return WriteSetting(GetString(nameId), text); }

long ReadIntSetting(const char *name, long defaultValue) {
    char buffer[kSettingBufferSize];
    if (!ReadSetting(name, buffer))
        return defaultValue;
    return atol(buffer);
}

bool WriteIntSetting(const char *name, long value) {
    char text[24];
    snprintf(text, sizeof text, "%ld", value);
    return WriteSetting(name, text);
}

bool ReadStringList(NameEntry **list, const char *countName, const char *format) {
    long count = ReadIntSetting(countName, 0);
    char name[80];
    char buffer[kSettingBufferSize];
    // A count larger than the elements present ends at the first missing one.
    for (long i = 1; i <= count; i++) {
        snprintf(name, sizeof name, format, static_cast<int>(i));
        if (!ReadSetting(name, buffer))
            break;
        AddName(list, buffer);
    }
    return true;
}

bool WriteStringList(const NameEntry *list, const char *countName, const char *format) {
    if (!WriteIntSetting(countName, NameCount(list)))
        return false;
    char name[80];
    int i = 1;
    for (const NameEntry *entry = list; entry; entry = entry->next, i++) {
        snprintf(name, sizeof name, format, i);
        if (!WriteSetting(name, entry->name))
            return false;
    }
    return true;
}

bool DeleteProjectKey(const char *name) {
    // Only a project's own key: an empty name would be the settings key itself.
    if (!name || !*name || strchr(name, '\\'))
        return false;
    RemoveName(&g_projectNames, name);
    if (!OpenSettings(name, false))
        return false;
    SettingsStore *store = CurrentStore();
    store->Close(g_currentKey);
    g_currentKey = g_settingsKey;
    long result = store->DeleteKey(g_settingsKey, name);
    g_unflushed = g_unflushed || result == kStoreOk;
    bool flushed = CloseSettings();
    return result == kStoreOk && flushed;
}

bool SplitBreakpointValue(const char *text, char *path, int size, long *line) {
    const char *at = strrchr(text, '@');
    if (!at || at == text || !isdigit(static_cast<unsigned char>(at[1])))
        return false;
    int n = static_cast<int>(at - text);
    if (n >= size)
        return false;
    memcpy(path, text, n);
    path[n] = '\0';
    *line = atol(at + 1);
    return *line > 0;
}

bool ReadProjectNames(NameEntry **list) {
    if (!g_settingsKey)
        return false;
    char name[kProjectNameSize];
    // A name too long for a project is passed over; the others are still listed.
    long result;
    for (int i = 0; (result = CurrentStore()->EnumKey(g_settingsKey, i, name, sizeof name)) != kStoreMissing; i++)
        if (result == kStoreOk)
            AddName(list, name);
    return true;
}

bool CompilerRootFromRegistry(char *includePath, int size) {
    SettingsStore *store = CurrentStore();
    includePath[0] = '\0';
    StoreKey key = store->Open(nullptr, "Software\\bdx\\Compiler", false, nullptr);
    if (!key)
        return false;
    char path[kSettingBufferSize];
    long result = store->Query(key, "includepath", path, sizeof path);
    store->Close(key);
    if (result != kStoreOk)
        return false;
    char *slash = strrchr(path, '\\');
    if (!slash) {
        ErrorMessage(kStrBadCompilerPath);
        ErrorBox("Incorrect value for Include path in the registry\nKey: includePath");
        return false;
    }
    snprintf(includePath, size, "%s", path);
    *slash = '\0';
    if (g_app)
        snprintf(g_app->compilerRoot, sizeof g_app->compilerRoot, "%s", path);
    return true;
}
