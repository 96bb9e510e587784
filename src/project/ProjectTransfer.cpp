// Project files (".prj"): one project's key written out as text and read back, possibly at
// another place or on another drive.
//
// The file is a signature line, the key's path and then one "name<TAB>text" line per value.
#include <ctype.h>
#include <stdio.h>
#include <string.h>
#include <strings.h>

#include "project/ProjectTransfer.h"

#include "base/Boxes.h"
#include "base/Memory.h"
#include "base/MessageIds.h"
#include "base/Messages.h"
#include "base/TextUtil.h"
#include "platform/Files.h"
#include "platform/UiPort.h"
#include "settings/ProjectNames.h"
#include "settings/Settings.h"
#include "settings/Store.h"

namespace {

const char kSignature[] = "Kelto project file. Do NOT edit";
const char kKeyPrefix[] = "SOFTWARE\\bdx\\Kelto\\";

enum { kTransferBuffer = 800, kMaxLocation = 400, kMaxFileSize = 4 << 20 };

// A growing text.
struct Text {
    char *data = nullptr;
    size_t length = 0;
    size_t capacity = 0;
    bool failed = false;

    ~Text() { Release(data); }
    void Append(const char *text) {
        size_t n = strlen(text);
        if (length + n + 1 > capacity) {
            size_t grown = (length + n + 1) * 2;
            char *bigger = static_cast<char *>(Allocate(grown));
            if (!bigger) {
                failed = true;
                return;
            }
            if (data)
                memcpy(bigger, data, length);
            Release(data);
            data = bigger;
            capacity = grown;
        }
        memcpy(data + length, text, n + 1);
        length += n;
    }
};

void RegistryError(long code) {
    char text[80];
    snprintf(text, sizeof text, "Error %ld writing to the registry", code);
    ErrorBox(text);
}

// The whole file, NUL-terminated; null (after the message) when it cannot be read.
char *ReadFile(const char *path, long *length) {
    int file = OpenRead(path);
    if (file == kNoFile) {
        FileNotFound(path);
        return nullptr;
    }
    Text text;
    char chunk[4096 + 1];
    long got;
    while ((got = ReadBytes(file, chunk, 4096)) > 0 && text.length < kMaxFileSize) {
        chunk[got] = '\0';
        // A NUL inside ends what is taken of the chunk; project files are text.
        text.Append(chunk);
    }
    CloseFile(file);
    if (text.failed || !text.data) {
        if (text.failed)
            NoMemory();
        *length = 0;
        char *empty = static_cast<char *>(Allocate(1));
        if (empty)
            *empty = '\0';
        return empty;
    }
    *length = static_cast<long>(text.length);
    char *data = text.data;
    text.data = nullptr;
    return data;
}

// Takes the next line (without its LF and a CR before it) from `*cursor`; null at the end.
char *NextLine(char **cursor) {
    char *line = *cursor;
    if (!line || !*line)
        return nullptr;
    char *lf = strchr(line, '\n');
    if (lf) {
        *lf = '\0';
        *cursor = lf + 1;
    } else {
        *cursor = line + strlen(line);
    }
    size_t n = strlen(line);
    if (n > 0 && line[n - 1] == '\r')
        line[n - 1] = '\0';
    return line;
}

// The project's name when `key` names a project key of this program, else null. Only
// "SOFTWARE\bdx\Kelto\<name>" with a plain name (no backslash, no more than 49 characters)
// is accepted, so a file cannot write anywhere else in the registry.
const char *ProjectOfKey(const char *key) {
    size_t prefix = strlen(kKeyPrefix);
    if (strncasecmp(key, kKeyPrefix, prefix) != 0)
        return nullptr;
    return IsProjectKeyName(key + prefix) ? key + prefix : nullptr;
}

bool IsDrivePath(const char *text) {
    return isalpha(static_cast<unsigned char>(text[0])) && text[1] == ':' && text[2] == '\\';
}

} // namespace

bool IsProjectKeyName(const char *name) {
    size_t n = strlen(name);
    if (n == 0 || n >= kProjectNameSize || strchr(name, '\\') || strcmp(name, ".") == 0 || strcmp(name, "..") == 0)
        return false;
    for (const char *p = name; *p; p++)
        if (static_cast<unsigned char>(*p) < 32)
            return false;
    return true;
}

bool ExportProject(const char *name, const char *path) {
    if (FileExists(path) && !Confirm(FormatMessageId(kStrOverwriteFile, path)))
        return false;
    char keyPath[200];
    snprintf(keyPath, sizeof keyPath, "%s%s", kKeyPrefix, name);
    SettingsStore *store = CurrentStore();
    StoreKey key = store->Open(nullptr, keyPath, false, nullptr);
    if (!key) {
        ErrorBox(FormatMessageId(kStrCannotOpenProject, name));
        return false;
    }
    Text text;
    text.Append(kSignature);
    text.Append("\n");
    text.Append(keyPath);
    text.Append("\n");
    char valueName[kTransferBuffer];
    char value[kTransferBuffer];
    long result;
    for (int i = 0; (result = store->EnumValue(key, i, valueName, sizeof valueName, value,
                                               sizeof value)) != kStoreMissing; i++) {
        if (result != kStoreOk)
            continue;   // longer than any value the program reads back
        text.Append(valueName);
        text.Append("\t");
        text.Append(value);
        text.Append("\n");
    }
    store->Close(key);
    if (text.failed) {
        NoMemory();
        return false;
    }
    // Written beside the target first, so a failed write leaves an existing file whole.
    char temp[300];
    int file = CreateTempBeside(path, temp, sizeof temp);
    if (file == kNoFile) {
        ErrorBox(FormatMessageId(kStrCannotWrite, path));
        return false;
    }
    bool ok = WriteBytes(file, text.data, static_cast<long>(text.length)) == static_cast<long>(text.length);
    ok = FlushAndClose(file) && ok;
    if (!ok || !ReplaceFileWith(temp, path)) {
        RemoveFile(temp);
        ErrorBox(ok ? FormatMessageId(kStrCannotWrite, path) : GetString(kStrWriteError));
        return false;
    }
    return true;
}

bool ImportProject(const char *path, char *name) {
    name[0] = '\0';
    long length = 0;
    char *data = ReadFile(path, &length);
    if (!data)
        return false;
    char *cursor = data;
    char *signature = NextLine(&cursor);
    char *keyLine = NextLine(&cursor);
    const char *project = keyLine ? ProjectOfKey(keyLine) : nullptr;
    if (!signature || strcmp(signature, kSignature) != 0 || !project) {
        ErrorBox(GetString(kStrNotProjectFile));
        Release(data);
        return false;
    }
    const char *fileName = strrchr(path, '\\');
    fileName = fileName ? fileName + 1 : path;
    char prompt[300];
    snprintf(prompt, sizeof prompt, "Enter new path for project %s", fileName);
    char location[kMaxLocation + 1] = "";
    if (!CurrentUiPort()->AskDirectory(prompt, "*.*", location, sizeof location)) {
        Release(data);
        return false;
    }
    UpperCase(location);
    SettingsStore *store = CurrentStore();
    long error = 0;
    StoreKey key = store->Open(nullptr, keyLine, true, &error);
    if (!key) {
        RegistryError(error);
        Release(data);
        return false;
    }
    char oldDrive = '\0';
    char newDrive = IsDrivePath(location) || (location[0] && location[1] == ':') ? location[0] : '\0';
    bool ok = true;
    while (char *line = NextLine(&cursor)) {
        size_t n = strcspn(line, " \t");
        if (n == 0)
            continue;
        char *text = line + n;
        if (*text)
            *text++ = '\0';
        while (*text == ' ' || *text == '\t')
            text++;
        char value[kTransferBuffer + kMaxLocation];
        snprintf(value, sizeof value, "%s", text);
        if (strcmp(line, "ProjectPath") == 0 || strcmp(line, "SourcesDir") == 0) {
            if (!oldDrive)
                oldDrive = text[0];
            snprintf(value, sizeof value, "%s", location);
        } else if (strcmp(line, "MakeDir") == 0) {
            const char *last = strrchr(text, '\\');
            snprintf(value, sizeof value, "%s\\%s", location, last ? last + 1 : text);
        } else if (strcmp(line, "Includes") == 0) {
            UpperCase(value);
            for (char *p = value + (strlen(value) > 4 ? 4 : strlen(value)); (p = strstr(p, ":\\")) != nullptr; p += 2)
                if (oldDrive && newDrive && toupper(static_cast<unsigned char>(p[-1])) ==
                                                toupper(static_cast<unsigned char>(oldDrive)))
                    p[-1] = newDrive;
        }
        if (newDrive && IsDrivePath(value))
            value[0] = newDrive;
        long result = store->Set(key, line, value);
        if (result != kStoreOk) {
            RegistryError(result);
            ok = false;
            break;
        }
        g_settingsWritten = true;
    }
    store->Close(key);
    ok = store->Flush() && ok;
    if (ok) {
        // Key names are the same whatever their case: a listed project keeps its spelling.
        snprintf(name, kProjectNameSize, "%s", project);
        for (NameEntry *entry = g_projectNames; entry; entry = entry->next)
            if (strcasecmp(entry->name, name) == 0)
                snprintf(name, kProjectNameSize, "%s", entry->name);
        AddName(&g_projectNames, name);
    }
    Release(data);
    return ok;
}
