#include "editor/OutputWindow.h"

#include "core/TextUtil.h"

namespace {
char g_status[256];
}

void ShowStatus(const char *text) { CopyBounded(g_status, text ? text : "", sizeof g_status); }

const char *StatusText() { return g_status; }
