// Thin file layer over Win32. Handles are small integers; -1 means failure.
#pragma once

#include <stddef.h>

enum { kNoFile = -1 };

int OpenRead(const char *path);
int OpenCreate(const char *path);     // creates or truncates, for writing
long ReadBytes(int handle, void *buffer, long count);         // bytes read, -1 on error
long WriteBytes(int handle, const void *buffer, long count);  // bytes written, -1 on error
void CloseFile(int handle);
// Puts the written data on the disk and closes; false when either fails.
bool FlushAndClose(int handle);
int RemoveFile(const char *path);    // 0 on success, -1 on failure
// Replaces `to` with `from` on the same drive (the file `to` need not exist).
bool ReplaceFileWith(const char *from, const char *to);

// Results of ReplaceKeeping.
enum ReplaceResult { kReplaced, kReplaceBackupFailed, kReplaceFailed };
// Puts the new file `from` in the place of the file `to` (same drive), which keeps its name,
// attributes and creation time. With `backup`, the old file first becomes the backup (an
// older backup is deleted); when that fails nothing is replaced. When the replacing fails the
// old file is back under its name.
ReplaceResult ReplaceKeeping(const char *from, const char *to, const char *backup);
bool IsReadOnly(const char *path);   // an existing file with the read-only attribute
// `path` with its last part spelled as the disk has it, into `out` (size bytes); the path as
// it is when no such file exists. False when the result does not fit.
bool NameOnDisk(const char *path, char *out, size_t size);

// Renames, or copies and deletes when the drives differ; 0 on success, -1 on failure.
int MoveFileAnyDrive(const char *from, const char *to);
bool MakeReadOnly(const char *path);
bool ClearReadOnly(const char *path);
long long FileTime(const char *path);   // modification time, 0 when it cannot be examined
bool FileExists(const char *path);
// True when a file or directory of that name is there, readable or not.
bool PathPresent(const char *path);

// The current directory, upper-cased.
char *CurrentDirectory(char *buffer, int size);
int SetDirectory(const char *path);     // 0 on success, -1 on failure
bool MakeDirectory(const char *path);
bool IsDirectory(const char *path);
// Calls `visit` with the name of every file (not directory) in `directory`; the number of files.
int ForEachFile(const char *directory, void (*visit)(const char *name, void *data), void *data);

// Tests make writes fail: after `bytes` more bytes every write is short. -1 turns it off.
void InjectWriteFailure(long bytes);
// Tests make reads fail: after `bytes` more bytes every read reports an error. -1 turns it off.
void InjectReadFailure(long bytes);

// Creates a new, uniquely named temporary file ("klt*.tmp") in the directory of `path` and
// opens it for writing; its name goes to `tempPath` (size bytes). kNoFile when that is not
// possible. Temporary files of ours there that a crash left behind (untouched for an hour)
// are removed first.
int CreateTempBeside(const char *path, char *tempPath, size_t size);
