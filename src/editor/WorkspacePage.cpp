#include "editor/WorkspacePage.h"

#include <windows.h>
#include <stdio.h>
#include <stdlib.h>
#include <string.h>

#include "base/AppState.h"
#include "base/Boxes.h"
#include "base/Messages.h"
#include "base/TextUtil.h"
#include "base/WorkspacePageIds.h"
#include "editor/DisplayOptions.h"
#include "editor/EditorWindow.h"
#include "platform/UiPort.h"
#include "ui/OutputWindow.h"

namespace {

enum { kMinFontHeight = 4, kMaxFontHeight = 200 };

const char kDefaultFont[] = "Courier";   // what an empty font name means in the settings too

unsigned long *DisplayColour(int which) {
    switch (which) {
    case kWorkspaceBackground: return &g_display.backgroundColor;
    case kWorkspaceComment: return &g_display.commentColor;
    case kWorkspaceKeyword: return &g_display.keywordColor;
    default: return &g_display.textColor;
    }
}

const char *const kColourNames[kWorkspaceColours] = {"Text", "Background", "Comment", "Keyword"};

// A whole number from `low` to `high`, blanks around it allowed.
bool ParseNumber(const std::string &text, int low, int high, int *value) {
    const char *p = text.c_str();
    char *end;
    long n = strtol(p, &end, 10);
    if (end == p)
        return false;
    while (*end == ' ')
        end++;
    if (*end || n < low || n > high)
        return false;
    *value = static_cast<int>(n);
    return true;
}

// The editor font made again from the display options; the old one goes once nothing uses it.
void ReplaceEditorFont() {
    HFONT font = MakeEditorFont();
    if (!font)
        return;
    HFONT old = g_app ? static_cast<HFONT>(g_app->editorFont) : nullptr;
    SetEditorFont(font);
    SetOutputListFont(font);
    if (g_app)
        g_app->editorFont = font;
    if (old)
        DeleteObject(old);
}

// ---- The page ----

const int kColourFields[kWorkspaceColours] = {IDC_WS_TEXT_COLOUR, IDC_WS_BACKGROUND_COLOUR, IDC_WS_COMMENT_COLOUR,
                                              IDC_WS_KEYWORD_COLOUR};
const int kColourButtons[kWorkspaceColours] = {IDC_WS_TEXT_CHOOSE, IDC_WS_BACKGROUND_CHOOSE, IDC_WS_COMMENT_CHOOSE,
                                               IDC_WS_KEYWORD_CHOOSE};

WorkspacePage g_opened;

void ShowPage(HWND page, const WorkspacePage &values) {
    SetItemText(page, IDC_WS_FONT_NAME, values.fontName);
    SetItemText(page, IDC_WS_FONT_HEIGHT, values.fontHeight);
    SetChecked(page, IDC_WS_BOLD, values.bold);
    SetChecked(page, IDC_WS_ITALIC, values.italic);
    for (int i = 0; i < kWorkspaceColours; i++)
        SetItemText(page, kColourFields[i], values.colours[i]);
}

WorkspacePage PageValues(HWND page) {
    WorkspacePage values;
    values.fontName = ItemText(page, IDC_WS_FONT_NAME);
    values.fontHeight = ItemText(page, IDC_WS_FONT_HEIGHT);
    values.bold = IsChecked(page, IDC_WS_BOLD);
    values.italic = IsChecked(page, IDC_WS_ITALIC);
    values.pitchAndFamily = g_opened.pitchAndFamily;
    for (int i = 0; i < kWorkspaceColours; i++)
        values.colours[i] = ItemText(page, kColourFields[i]);
    return values;
}

void Show(HWND page) {
    g_opened = OpenWorkspacePage();
    ShowPage(page, g_opened);
    SendDlgItemMessageA(page, IDC_WS_FONT_NAME, EM_LIMITTEXT, LF_FACESIZE - 1, 0);
}

bool Apply(HWND page) { return ApplyWorkspacePage(PageValues(page), g_opened); }

void Command(HWND page, int id) {
    WorkspacePage values = PageValues(page);
    if (id == IDC_WS_FONT) {
        if (ChooseWorkspaceFont(&values)) {
            // The family of the chosen font goes with it to OK.
            g_opened.pitchAndFamily = values.pitchAndFamily;
            ShowPage(page, values);
        }
        return;
    }
    for (int i = 0; i < kWorkspaceColours; i++)
        if (id == kColourButtons[i] && ChooseWorkspaceColour(&values, static_cast<WorkspaceColour>(i)))
            SetItemText(page, kColourFields[i], values.colours[i]);
}

const PageHandlers kHandlers = {Show, Apply, Command};

} // namespace

std::string ColourText(unsigned long colour) {
    char text[16];
    snprintf(text, sizeof text, "%lu,%lu,%lu", colour & 0xFF, (colour >> 8) & 0xFF, (colour >> 16) & 0xFF);
    return text;
}

bool ParseColour(const std::string &text, unsigned long *colour) {
    int parts[3];
    size_t start = 0;
    for (int i = 0; i < 3; i++) {
        size_t comma = text.find(',', start);
        if ((i < 2) != (comma != std::string::npos))
            return false;
        std::string part = text.substr(start, i < 2 ? comma - start : std::string::npos);
        if (!ParseNumber(part, 0, 255, &parts[i]))
            return false;
        start = comma + 1;
    }
    *colour = RGB(parts[0], parts[1], parts[2]);
    return true;
}

WorkspacePage OpenWorkspacePage() {
    WorkspacePage page;
    page.fontName = g_display.fontName[0] ? g_display.fontName : kDefaultFont;
    page.fontHeight = std::to_string(abs(g_display.fontHeight));
    page.bold = (g_display.fontStyle & 1) != 0;
    page.italic = (g_display.fontStyle & 2) != 0;
    page.pitchAndFamily = g_display.fontFamily;
    for (int i = 0; i < kWorkspaceColours; i++)
        page.colours[i] = ColourText(*DisplayColour(i));
    return page;
}

bool ApplyWorkspacePage(const WorkspacePage &page, const WorkspacePage &opened) {
    int height = 0;
    if (!ParseNumber(page.fontHeight, kMinFontHeight, kMaxFontHeight, &height)) {
        ErrorBox(FormatScratch("The font height must be a number of pixels from %d to %d", kMinFontHeight,
                               kMaxFontHeight));
        return false;
    }
    unsigned long colours[kWorkspaceColours];
    for (int i = 0; i < kWorkspaceColours; i++) {
        if (!ParseColour(page.colours[i], &colours[i])) {
            ErrorBox(FormatScratch("%s colour: give red, green and blue, each from 0 to 255, such as 128,128,128",
                                   kColourNames[i]));
            return false;
        }
    }
    DisplayOptions before = g_display;
    CopyBounded(g_display.fontName, page.fontName.empty() ? kDefaultFont : page.fontName.c_str(),
                sizeof g_display.fontName);
    if (page.fontHeight != opened.fontHeight)
        g_display.fontHeight = -height;
    g_display.fontStyle = (g_display.fontStyle & ~3) | (page.bold ? 1 : 0) | (page.italic ? 2 : 0);
    g_display.fontFamily = page.pitchAndFamily;
    for (int i = 0; i < kWorkspaceColours; i++)
        *DisplayColour(i) = colours[i];
    bool fontChanged = strcmp(before.fontName, g_display.fontName) != 0 || before.fontHeight != g_display.fontHeight ||
                       before.fontStyle != g_display.fontStyle || before.fontFamily != g_display.fontFamily;
    if (fontChanged)
        ReplaceEditorFont();
    else
        RedrawEditorWindows();
    return true;
}

bool ChooseWorkspaceFont(WorkspacePage *page) {
    FontChoice font = {};
    CopyBounded(font.face, page->fontName.c_str(), sizeof font.face);
    int height = 0;
    font.height = ParseNumber(page->fontHeight, kMinFontHeight, kMaxFontHeight, &height) ? -height : g_display.fontHeight;
    font.bold = page->bold;
    font.italic = page->italic;
    font.pitchAndFamily = page->pitchAndFamily;
    if (!CurrentUiPort()->ChooseFontFor(&font))
        return false;
    page->fontName = font.face;
    page->fontHeight = std::to_string(abs(font.height));
    page->bold = font.bold;
    page->italic = font.italic;
    page->pitchAndFamily = font.pitchAndFamily;
    return true;
}

bool ChooseWorkspaceColour(WorkspacePage *page, WorkspaceColour which) {
    unsigned long colour = 0;
    ParseColour(page->colours[which], &colour);
    if (!CurrentUiPort()->ChooseColour(&colour))
        return false;
    page->colours[which] = ColourText(colour);
    return true;
}

PROPSHEETPAGEA WorkspacePageSheet() { return MakePage(IDD_PAGE_WORKSPACE, nullptr, &kHandlers, kPageSheet); }
