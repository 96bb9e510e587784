// The shared block "kelto" and the external command interface: another program (the
// resource editor, the icon editor) writes a text into the block and sends the frame a
// command.
#include "app/Frame.h"

#include <windows.h>
#include <stdio.h>
#include <string.h>

#include "base/AppState.h"
#include "base/CommandIds.h"
#include "editor/Document.h"
#include "editor/Editing.h"
#include "editor/EditorWindow.h"

namespace {

enum {
    kSharedBlockSize = 4096,
    kSharedMapped = kSharedBlockMapped,
};

} // namespace

// The external command interface: open a file, go to (or add) a function, the frame's client
// size.
LRESULT ExternalCommand(int command) {
    char text[kSharedMapped];
    if (g_frame.sharedView) {
        memcpy(text, g_frame.sharedView, sizeof text - 1);
        text[sizeof text - 1] = '\0';
    } else {
        text[0] = '\0';
    }
    switch (command) {
    case IDM_EXTERNAL_OPEN_FILE:
        if (text[0] && OpenPath(text)) {
            if (HWND active = ActiveEditorWindow())
                SendMessageA(g_app->mdiClient, WM_MDIMAXIMIZE, reinterpret_cast<WPARAM>(active), 0);
        }
        return 1;
    case IDM_EXTERNAL_GOTO_FUNCTION: {
        if (!HasFileDocument() || !text[0])
            return 0;
        // No function list knows the header yet: it is added at the end of the document.
        char *end = strchr(text, ';');
        if (end)
            *end = '\0';
        GotoEnd();
        char block[kSharedMapped + 8];
        snprintf(block, sizeof block, "%s\n{\n}\n", text);
        InsertText(block, static_cast<long>(strlen(block)));
        if (g_editor->view->window)
            InvalidateRect(g_editor->view->window, nullptr, FALSE);
        return 1;
    }
    case IDM_EXTERNAL_CLIENT_SIZE: {
        RECT client;
        GetClientRect(g_app->frameWindow, &client);
        return (client.bottom - client.top) * 65536 + (client.right - client.left);
    }
    }
    return 0;
}

bool OpenSharedBlock() {
    g_frame.sharedMapping = CreateFileMappingA(INVALID_HANDLE_VALUE, nullptr, PAGE_READWRITE, 0, kSharedBlockSize, "kelto");
    if (!g_frame.sharedMapping)
        return false;
    g_frame.sharedView = static_cast<char *>(MapViewOfFile(g_frame.sharedMapping, FILE_MAP_ALL_ACCESS, 0, 0, kSharedMapped));
    if (g_app)
        g_app->sharedBlock = g_frame.sharedView;
    return g_frame.sharedView != nullptr;
}

void CloseSharedBlock() {
    if (g_frame.sharedView)
        UnmapViewOfFile(g_frame.sharedView);
    if (g_frame.sharedMapping)
        CloseHandle(g_frame.sharedMapping);
    g_frame.sharedView = nullptr;
    g_frame.sharedMapping = nullptr;
    if (g_app)
        g_app->sharedBlock = nullptr;
}

char *SharedBlock() { return g_frame.sharedView; }
