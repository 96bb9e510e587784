#include "editor/DisplayOptions.h"

// The defaults come from the editor's settings table.
DisplayOptions g_display;
