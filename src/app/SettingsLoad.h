// Every setting of the program loaded from the store, saved to it and given its default, and
// the last session's files.
#pragma once

#include <vector>

#include "editor/OpenFiles.h"

// A file the last run had open (and no project): where its cursor and window were.
extern std::vector<OpenFileEntry> g_sessionFiles;   // the last session's files
void FreeSessionFiles();

// Makes the settings tables of every folder known; once, before the first of the calls below.
void RegisterSettingTables();
// Gives every setting its built-in default (the values that keep their start-up value
// included).
void SetDefaultSettings();
// Loads every setting from the store; false when the store cannot be opened (the defaults
// stay).
bool LoadAllSettings();
// Saves every setting; does nothing and returns false while saving is not enabled.
bool SaveAllSettings();
