// The standard boxes every part of the program reports with.
#pragma once

int ErrorBox(const char *text);
int ErrorMessage(int id);
int InfoBox(const char *text);
bool Confirm(const char *text);
bool ConfirmMessage(int id);
void NoMemory();
void InternalError(int n);

// Fixed formatted errors.
void IncorrectFileName(const char *name);   // "[%s]: incorrect file name"
void FileNotFound(const char *name);        // "File %s not found!"
void StringNotFound();                      // "String not found"
