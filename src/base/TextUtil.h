// Small text and file routines shared by the whole program.
#pragma once

#include <stdio.h>

#include <string>

// Converts the letters a-z (A-Z) in place; other bytes are left alone.
char *UpperCase(char *s);
char *LowerCase(char *s);
// The same on a copy.
std::string Uppered(std::string text);
std::string Lowered(std::string text);
// What follows the last backslash of `path` (all of it without one).
std::string LastComponent(const std::string &path);
// The first byte `c` in [s, end), or null: memchr, four bytes at a time (the C library's
// memchr under Wine looks at one byte at a time).
const char *FindChar(const char *s, const char *end, char c);
// Copies at most size-1 bytes and always terminates; returns false when `from` was cut.
bool CopyBounded(char *to, const char *from, size_t size);

// Asks before overwriting an existing file, then opens it for writing in text mode.
// Null when the user said No or the file cannot be opened (which is reported).
FILE *OpenTextForWriting(const char *path);
// Clears the read-only attribute; reports when that fails.
bool MakeWritable(const char *path);

// Temporary files deleted when the program closes.
void RegisterTempFile(const char *path);
void DeleteTempFiles();
int TempFileCount();

// The local time as "year.month.day.hour.minute.second" without zero padding, in a static
// buffer that the next call overwrites.
const char *TimeStamp();
const char *FormatTimeStamp(const int parts[6]);
