// The options of the find dialog, kept from one search (and one run) to the next.
#pragma once

enum { kDefaultFindFlags = 0x129 };

extern unsigned short g_findFlags;
