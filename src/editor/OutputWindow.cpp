#include "editor/OutputWindow.h"

#include <windows.h>
#include <string.h>

#include "core/AppState.h"
#include "core/TextUtil.h"

namespace {
char g_status[256];
}

void ShowStatus(const char *text) {
    if (strcmp(g_status, text ? text : "") == 0)
        return;
    CopyBounded(g_status, text ? text : "", sizeof g_status);
    if (g_app && g_app->outputWindow)
        InvalidateRect(g_app->outputWindow, nullptr, TRUE);
}

const char *StatusText() { return g_status; }
