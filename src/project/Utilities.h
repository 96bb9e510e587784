// The user's tools of the Utils menu: a program with its arguments and start directory.
#pragma once

#include "settings/Fields.h"

struct Utility {
    Utility *next;
    char *nickname;       // the menu text
    char *program;
    char *arguments;
    char *startDirectory;
    unsigned short id;    // the command that runs it
};

extern Utility *g_utilities;

// Puts a new tool at the head of the list; null when memory ran out.
Utility *AddUtility(const char *nickname, const char *program, const char *arguments,
                    const char *startDirectory, unsigned short id);
void FreeUtilities();

// The utility whose menu name is `nickname` (compared exactly), or null.
Utility *FindUtility(const char *nickname);
// Replaces the program, arguments and start directory; false (nothing changed) when memory ran
// out.
bool SetUtilityCommand(Utility *tool, const char *program, const char *arguments, const char *startDirectory);
// Takes `tool` off the list and releases it.
void RemoveUtility(Utility *tool);
// The command identifier of a new utility: IDM_FIRST_TOOL plus the number of utilities, or,
// when a deletion left that one in use, the lowest one unused; 0 when all are in use.
unsigned short NewUtilityId();

// The settings of this folder: the tools.
extern const SettingField g_projectSettingFields[];
extern const int g_projectSettingFieldCount;
