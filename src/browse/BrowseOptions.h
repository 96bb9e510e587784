// Options of the browser's tools that the settings keep: the file search and the formatter.
#pragma once

#include "settings/Fields.h"

enum : unsigned long {
    kDefaultIndentOptions = 0x010042C0,
    kDefaultIndentConstants = 0x10214E04,
};

extern unsigned short g_grepFlags;
extern unsigned long g_indentOptions;     // the formatter's option bits
extern unsigned long g_indentConstants;   // its packed numeric parameters

// The settings of this folder.
extern const SettingField g_browseSettingFields[];
extern const int g_browseSettingFieldCount;
