// How editor windows draw text: colours (COLORREF, 0x00BBGGRR), the editor font and the
// smoothness of one-line scrolls.
#pragma once

struct DisplayOptions {
    unsigned long commentColor;
    unsigned long keywordColor;
    unsigned long textColor;
    unsigned long backgroundColor;
    char fontName[64];
    int fontHeight;       // negative: character height
    int fontStyle;
    int fontFamily;       // pitch and family byte
    int subScroll;        // steps of a one-line scroll, at least 1
};

extern DisplayOptions g_display;

