#include "settings/ProjectNames.h"

NameEntry *g_projectNames;
char g_openProject[kProjectNameSize];
char g_projectToReopen[kProjectNameSize];
