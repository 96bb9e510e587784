// The projects the store knows, and which one is open or to be reopened.
#pragma once

#include "base/NameList.h"
#include "settings/Settings.h"

extern NameEntry *g_projectNames;
extern char g_openProject[kProjectNameSize];      // the open project's name, empty when none
extern char g_projectToReopen[kProjectNameSize];  // the project the last run had open
