#include "browse/BrowseOptions.h"

unsigned short g_grepFlags;
unsigned long g_indentOptions = kDefaultIndentOptions;
unsigned long g_indentConstants = kDefaultIndentConstants;
