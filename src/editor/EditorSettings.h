// The editor's settings: display, tabs, the find dialog's options, the languages and the text
// macros.
#pragma once

#include "settings/Fields.h"

extern const SettingField g_editorSettingFields[];
extern const int g_editorSettingFieldCount;
