// ".prj" project files: a project definition exported to a text file and imported back.
#pragma once

bool ExportProject(const char *name, const char *path);
// Imports a project file; `name` (kProjectNameSize bytes) receives the project's name.
bool ImportProject(const char *path, char *name);
// Whether `name` can be a project's key: not empty, "." or "..", no backslash or control
// character, at most 49 characters.
bool IsProjectKeyName(const char *name);
