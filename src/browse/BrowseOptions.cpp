#include "browse/BrowseOptions.h"

unsigned short g_grepFlags;
unsigned long g_indentOptions = kDefaultIndentOptions;
unsigned long g_indentConstants = kDefaultIndentConstants;

const SettingField g_browseSettingFields[] = {
    NumberField("Grep", &g_grepFlags, 0, 80),
    NumberField("IndentOptions", &g_indentOptions, long(kDefaultIndentOptions), 290, kFieldEmptyIsMissing),
    NumberField("IndentConstants", &g_indentConstants, long(kDefaultIndentConstants), 340, kFieldEmptyIsMissing),
};
const int g_browseSettingFieldCount = sizeof g_browseSettingFields / sizeof g_browseSettingFields[0];
