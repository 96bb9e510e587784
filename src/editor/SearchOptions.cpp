#include "editor/SearchOptions.h"

unsigned short g_findFlags = kDefaultFindFlags;
