// ".prj" project files: a project definition exported to a text file and imported back.
#pragma once

bool ExportProject(const char *name, const char *path);
// Imports a project file; `name` (kProjectNameSize bytes) receives the project's name.
bool ImportProject(const char *path, char *name);
