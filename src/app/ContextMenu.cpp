// The editor's right-button menu, built for the word under the mouse pointer.
#include "app/Frame.h"

#include <windows.h>
#include <stdio.h>
#include <string.h>

#include "base/AppState.h"
#include "base/CommandIds.h"
#include "base/MessageIds.h"
#include "base/Messages.h"
#include "browse/Functions.h"
#include "debugger/BreakpointList.h"
#include "debugger/DebugRun.h"
#include "editor/Document.h"
#include "editor/Editing.h"
#include "editor/EditorCommands.h"
#include "editor/Language.h"
#include "platform/Files.h"

void ShowContextMenu(HWND window, int x, int y) {
    View *view = g_editor ? g_editor->view : nullptr;
    if (!view || view->window != window)
        return;
    CancelSelection();
    HMENU menu = CreatePopupMenu();
    Document *doc = view->doc;
    // The file's name as the disk spells it, not the upper-cased document path.
    const char *path = DiskPath(doc);
    const char *name = strrchr(path, '\\');
    name = name ? name + 1 : path;
    char word[100];
    WordAtCursor(word, sizeof word);
    if (!IsSentinel(doc, view->current)) {
        const Line *line = view->current;
        char under = view->column < line->length ? line->text[view->column] : '\0';
        bool keyword = IsCKeyword(word);
        char text[200];
        if (line->length >= 3 && strncmp(line->text, "#if", 3) == 0)
            AppendMenuA(menu, MF_STRING, IDM_MATCHING_BRACE, GetString(kStrMatchingEndif));
        if (keyword) {
            if (!strcmp(word, "case") || !strcmp(word, "switch") || !strcmp(word, "default"))
                AppendMenuA(menu, MF_STRING, IDM_SEARCH_DEFINITION, GetString(kStrShowCases));
        } else if (word[0] && !(word[0] >= '0' && word[0] <= '9')) {
            snprintf(text, sizeof text, GetString(kStrDefinitionOf), word);
            AppendMenuA(menu, MF_STRING, IDM_SEARCH_DEFINITION, text);
            snprintf(text, sizeof text, GetString(kStrUsageOf), word);
            AppendMenuA(menu, MF_STRING, IDM_SYMBOL_USAGE, text);
            if (g_app->helpDatabase[0] && FileExists(g_app->helpDatabase)) {
                snprintf(text, sizeof text, GetString(kStrDocumentationFor), word);
                AppendMenuA(menu, MF_STRING, IDM_WORD_DOCUMENTATION, text);
            }
            if (g_app->debugging) {
                snprintf(text, sizeof text, GetString(kStrShowValueOf), word);
                AppendMenuA(menu, MF_STRING, IDM_DEBUG_SHOW_VALUE, text);
            }
        }
        if (under == '{' || under == '}')
            AppendMenuA(menu, MF_STRING, IDM_MATCHING_BRACE, GetString(kStrMatchingBrace));
    }
    char text[200];
    snprintf(text, sizeof text, GetString(kStrGlobalsIn), name);
    AppendMenuA(menu, MF_STRING, IDM_SHOW_GLOBALS, text);
    snprintf(text, sizeof text, GetString(kStrFunctionsIn), name);
    AppendMenuA(menu, MF_STRING, IDM_FUNCTIONS_LIST, text);
    if (doc->language && !IsSentinel(doc, view->current)) {
        if (const FunctionEntry *function = FunctionAtCursor()) {
            snprintf(text, sizeof text, GetString(kStrLocalsIn), function->name);
            AppendMenuA(menu, MF_STRING, IDM_SLICE_BY_LOCAL, text);
            snprintf(text, sizeof text, GetString(kStrEditDescriptionOf), function->name);
            AppendMenuA(menu, MF_STRING, IDM_DESCRIPTION_FUNCTION, text);
        }
    }
    snprintf(text, sizeof text, GetString(kStrMetricsFor), name);
    AppendMenuA(menu, MF_STRING, IDM_FILE_METRICS, text);
    snprintf(text, sizeof text, GetString(kStrEditDescriptionOf), name);
    AppendMenuA(menu, MF_STRING, IDM_DESCRIPTION_FILE, text);
    AppendMenuA(menu, MF_STRING, IDM_PROPERTIES, GetString(kStrProperties));
    // The next statement can be set only in the stopped function's file: the clicked line
    // (the right button moved the cursor there) is named in the item.
    bool nextStatement = false;
    if (g_app->debugging) {
        const DebugEngine *engine = CurrentEngine();
        nextStatement = engine && engine->stopped && !IsSentinel(doc, view->current) && StoppedInFile(*engine, path);
        AppendMenuA(menu, MF_STRING, IDM_DEBUG_BREAKPOINT, GetString(kStrInsertBreakpoint));
        AppendMenuA(menu, MF_STRING, IDM_DEBUG_RUN_TO_CURSOR, GetString(kStrRunToCursor));
        if (nextStatement) {
            char line[40];
            snprintf(line, sizeof line, "line %ld", CurrentLineNumber());
            snprintf(text, sizeof text, "Set next statement at %s", line);
            AppendMenuA(menu, MF_STRING, IDM_DEBUG_SET_NEXT_STATEMENT, text);
        } else {
            AppendMenuA(menu, MF_STRING, IDM_DEBUG_SET_NEXT_STATEMENT, GetString(kStrSetNextStatement));
        }
        AppendMenuA(menu, MF_STRING, IDM_DEBUG_EVALUATE, GetString(kStrEvaluateExpression));
    }
    EnableItems(menu);
    if (g_app->debugging && !nextStatement)
        EnableMenuItem(menu, IDM_DEBUG_SET_NEXT_STATEMENT, MF_BYCOMMAND | MF_GRAYED);
    int command = TrackPopupMenu(menu, TPM_RIGHTBUTTON | TPM_RETURNCMD, x, y, 0, g_app->frameWindow, nullptr);
    DestroyMenu(menu);
    if (command > 0)
        PostMessageA(g_app->frameWindow, WM_COMMAND, static_cast<WPARAM>(command), static_cast<LPARAM>(-1));
}
