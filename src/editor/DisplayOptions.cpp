#include "editor/DisplayOptions.h"

#include <string.h>

DisplayOptions g_display;

void SetDefaultDisplayOptions() {
    memset(&g_display, 0, sizeof g_display);
    g_display.commentColor = 0x808080;
    g_display.keywordColor = 192;
    g_display.textColor = 0;
    g_display.backgroundColor = 0xFFFFFF;
    strcpy(g_display.fontName, "Courier");
    g_display.fontHeight = -13;
    g_display.fontFamily = 48;
    g_display.subScroll = 1;
}
