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

// The settings of this folder: the tools.
extern const SettingField g_projectSettingFields[];
extern const int g_projectSettingFieldCount;
