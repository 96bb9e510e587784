#include "platform/Files.h"

#include <windows.h>
#include <sys/stat.h>
#include <stdio.h>
#include <string.h>


namespace {

long g_writeBudget = -1;
long g_readBudget = -1;

// Files are ints to their callers. A kernel handle keeps only 32 significant bits in 64-bit
// Windows too (a 32-bit and a 64-bit process can share one), so it survives the round trip;
// the sign extension back is how Windows widens a handle.
HANDLE ToHandle(int handle) { return reinterpret_cast<HANDLE>(static_cast<intptr_t>(handle)); }

int FromHandle(HANDLE h) {
    return h == INVALID_HANDLE_VALUE ? kNoFile : static_cast<int>(reinterpret_cast<intptr_t>(h));
}

char DriveOf(const char *path) {
    if (path[0] && path[1] == ':')
        return static_cast<char>(path[0] & ~0x20);
    char dir[MAX_PATH];
    DWORD n = GetCurrentDirectoryA(sizeof dir, dir);
    return n >= 2 && dir[1] == ':' ? static_cast<char>(dir[0] & ~0x20) : 0;
}

} // namespace

void InjectWriteFailure(long bytes) { g_writeBudget = bytes; }

void InjectReadFailure(long bytes) { g_readBudget = bytes; }

int OpenRead(const char *path) {
    return FromHandle(CreateFileA(path, GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr,
                                  OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr));
}

int OpenCreate(const char *path) {
    return FromHandle(CreateFileA(path, GENERIC_WRITE, FILE_SHARE_READ, nullptr, CREATE_ALWAYS,
                                  FILE_ATTRIBUTE_NORMAL, nullptr));
}

long ReadBytes(int handle, void *buffer, long count) {
    if (g_readBudget >= 0) {
        if (g_readBudget == 0)
            return -1;
        if (count > g_readBudget)
            count = g_readBudget;
        g_readBudget -= count;
    }
    DWORD done = 0;
    if (!ReadFile(ToHandle(handle), buffer, static_cast<DWORD>(count), &done, nullptr))
        return -1;
    return static_cast<long>(done);
}

long WriteBytes(int handle, const void *buffer, long count) {
    if (g_writeBudget >= 0) {
        if (count > g_writeBudget)
            count = g_writeBudget;
        g_writeBudget -= count;
    }
    DWORD done = 0;
    if (!WriteFile(ToHandle(handle), buffer, static_cast<DWORD>(count), &done, nullptr))
        return -1;
    return static_cast<long>(done);
}

void CloseFile(int handle) {
    if (handle != kNoFile)
        CloseHandle(ToHandle(handle));
}

bool FlushAndClose(int handle) {
    if (handle == kNoFile)
        return false;
    bool flushed = FlushFileBuffers(ToHandle(handle)) != 0;
    return CloseHandle(ToHandle(handle)) != 0 && flushed;
}

int RemoveFile(const char *path) { return DeleteFileA(path) ? 0 : -1; }

bool ReplaceFileWith(const char *from, const char *to) {
    return MoveFileExA(from, to, MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH) != 0;
}

ReplaceResult ReplaceKeeping(const char *from, const char *to, const char *backup) {
    WIN32_FILE_ATTRIBUTE_DATA old;
    bool existed = GetFileAttributesExA(to, GetFileExInfoStandard, &old) != 0;
    if (existed && backup) {
        DeleteFileA(backup);
        if (!MoveFileA(to, backup))
            return kReplaceBackupFailed;
    }
    if (!MoveFileExA(from, to, MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH)) {
        if (existed && backup)
            MoveFileA(backup, to);
        return kReplaceFailed;
    }
    if (existed) {
        // The new file is the old one's continuation: its attributes and its birth.
        SetFileAttributesA(to, old.dwFileAttributes);
        HANDLE h = CreateFileA(to, FILE_WRITE_ATTRIBUTES, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr,
                               OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr);
        if (h != INVALID_HANDLE_VALUE) {
            SetFileTime(h, &old.ftCreationTime, nullptr, nullptr);
            CloseHandle(h);
        }
    }
    return kReplaced;
}

bool IsReadOnly(const char *path) {
    DWORD attributes = GetFileAttributesA(path);
    return attributes != INVALID_FILE_ATTRIBUTES && !(attributes & FILE_ATTRIBUTE_DIRECTORY) &&
           (attributes & FILE_ATTRIBUTE_READONLY);
}

bool NameOnDisk(const char *path, char *out, size_t size) {
    size_t n = strlen(path);
    if (n + 1 > size)
        return false;
    memcpy(out, path, n + 1);
    if (strpbrk(path, "*?"))
        return true;
    WIN32_FIND_DATAA found;
    HANDLE search = FindFirstFileA(path, &found);
    if (search == INVALID_HANDLE_VALUE)
        return true;
    FindClose(search);
    const char *slash = strrchr(path, '\\');
    const char *forward = strrchr(path, '/');
    if (forward && (!slash || forward > slash))
        slash = forward;
    size_t dir = slash ? static_cast<size_t>(slash - path) + 1 : (path[0] && path[1] == ':' ? 2 : 0);
    size_t name = strlen(found.cFileName);
    // Only the spelling may differ; a different name (an 8.3 alias) is left as given.
    if (dir + name != n || _strnicmp(path + dir, found.cFileName, name) != 0)
        return true;
    memcpy(out + dir, found.cFileName, name + 1);
    return true;
}

int MoveFileAnyDrive(const char *from, const char *to) {
    if (DriveOf(from) != DriveOf(to)) {
        if (!CopyFileA(from, to, FALSE))
            return -1;
        DeleteFileA(from);
        return 0;
    }
    return MoveFileA(from, to) ? 0 : -1;
}

bool MakeReadOnly(const char *path) {
    DWORD attributes = GetFileAttributesA(path);
    return attributes != INVALID_FILE_ATTRIBUTES &&
           SetFileAttributesA(path, attributes | FILE_ATTRIBUTE_READONLY);
}

bool ClearReadOnly(const char *path) {
    DWORD attributes = GetFileAttributesA(path);
    return attributes != INVALID_FILE_ATTRIBUTES &&
           SetFileAttributesA(path, attributes & ~FILE_ATTRIBUTE_READONLY);
}

long long FileTime(const char *path) {
    struct _stati64 info;
    if (_stati64(path, &info) != 0)
        return 0;
    return static_cast<long long>(info.st_mtime);
}

bool FileExists(const char *path) {
    int h = OpenRead(path);
    if (h == kNoFile)
        return false;
    CloseFile(h);
    return true;
}

bool PathPresent(const char *path) { return GetFileAttributesA(path) != INVALID_FILE_ATTRIBUTES; }

char *CurrentDirectory(char *buffer, int size) {
    if (size <= 0)
        return buffer;
    DWORD n = GetCurrentDirectoryA(static_cast<DWORD>(size), buffer);
    if (n == 0 || n >= static_cast<DWORD>(size))
        buffer[0] = '\0';
    // Paths are compared upper-cased (the letters a-z only).
    for (char *p = buffer; *p; p++)
        if (*p >= 'a' && *p <= 'z')
            *p = static_cast<char>(*p - 'a' + 'A');
    return buffer;
}

int SetDirectory(const char *path) { return SetCurrentDirectoryA(path) ? 0 : -1; }

bool MakeDirectory(const char *path) { return CreateDirectoryA(path, nullptr) != 0; }

bool IsDirectory(const char *path) {
    DWORD attributes = GetFileAttributesA(path);
    return attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_DIRECTORY);
}

int ForEachFile(const char *directory, void (*visit)(const char *name, void *data), void *data) {
    char pattern[MAX_PATH];
    if (snprintf(pattern, sizeof pattern, "%s\\*", directory) >= static_cast<int>(sizeof pattern))
        return 0;
    WIN32_FIND_DATAA found;
    HANDLE search = FindFirstFileA(pattern, &found);
    if (search == INVALID_HANDLE_VALUE)
        return 0;
    int count = 0;
    do {
        if (found.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY)
            continue;
        visit(found.cFileName, data);
        count++;
    } while (FindNextFileA(search, &found));
    FindClose(search);
    return count;
}

namespace {

// Deletes the "klt*.tmp" files in `dir` (ending in a separator, or ".") that nobody has
// written to for an hour: a save that is under way writes its file within seconds.
void RemoveStaleTemps(const char *dir) {
    char pattern[MAX_PATH];
    size_t n = strlen(dir);
    bool separated = n > 0 && (dir[n - 1] == '\\' || dir[n - 1] == '/' || dir[n - 1] == ':');
    if (snprintf(pattern, sizeof pattern, "%s%sklt*.tmp", dir, separated ? "" : "\\") >= static_cast<int>(sizeof pattern))
        return;
    WIN32_FIND_DATAA found;
    HANDLE search = FindFirstFileA(pattern, &found);
    if (search == INVALID_HANDLE_VALUE)
        return;
    FILETIME now;
    GetSystemTimeAsFileTime(&now);
    ULARGE_INTEGER limit;
    limit.LowPart = now.dwLowDateTime;
    limit.HighPart = now.dwHighDateTime;
    limit.QuadPart -= 3600ULL * 10000000ULL;   // an hour in 100-nanosecond steps
    do {
        ULARGE_INTEGER written;
        written.LowPart = found.ftLastWriteTime.dwLowDateTime;
        written.HighPart = found.ftLastWriteTime.dwHighDateTime;
        if ((found.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) || written.QuadPart >= limit.QuadPart)
            continue;
        char stale[MAX_PATH];
        if (snprintf(stale, sizeof stale, "%s%s%s", dir, separated ? "" : "\\", found.cFileName) < static_cast<int>(sizeof stale))
            DeleteFileA(stale);
    } while (FindNextFileA(search, &found));
    FindClose(search);
}

} // namespace

int CreateTempBeside(const char *path, char *tempPath, size_t size) {
    char dir[MAX_PATH];
    const char *slash = strrchr(path, '\\');
    const char *forward = strrchr(path, '/');
    if (forward && (!slash || forward > slash))
        slash = forward;
    size_t n = slash ? static_cast<size_t>(slash - path) + 1
                     : (path[0] && path[1] == ':' ? 2 : 0);
    if (n + 1 > sizeof dir)
        return kNoFile;
    memcpy(dir, path, n);
    dir[n] = '\0';
    if (n == 0)
        strcpy(dir, ".");
    RemoveStaleTemps(dir);
    char name[MAX_PATH];
    if (size < sizeof name || !GetTempFileNameA(dir, "klt", 0, name))
        return kNoFile;
    int handle = OpenCreate(name);
    if (handle == kNoFile) {
        DeleteFileA(name);
        return kNoFile;
    }
    strcpy(tempPath, name);
    return handle;
}
