#include "editor/OpenFiles.h"

#include <windows.h>
#include <stdio.h>
#include <stdlib.h>
#include <string.h>

#include "base/AppState.h"
#include "base/ResourceIds.h"
#include "editor/Document.h"
#include "editor/Editing.h"
#include "editor/EditorWindow.h"
#include "platform/Files.h"
#include "platform/UiPort.h"

namespace {

View *FindView(const char *path) {
    Document *doc = FindDocument(path, false);
    return doc ? FirstViewOf(doc) : nullptr;
}

} // namespace

bool ParseOpenFile(const char *text, OpenFileEntry *entry) {
    *entry = OpenFileEntry();
    const char *start = text;
    size_t n;
    if (text[0] == '"') {
        start = text + 1;
        n = strcspn(start, "\"");
    } else {
        n = strcspn(text, " ");
    }
    if (n == 0)
        return false;
    entry->path.assign(start, n);
    // The numbers follow, one or more blanks apart; missing ones stay unset.
    const char *p = start + n + (start != text && start[n] == '"' ? 1 : 0);
    long numbers[5] = {0, 0, 0, 0, 0};
    while (entry->numbers < 5) {
        char *end = nullptr;
        long v = strtol(p, &end, 10);
        if (end == p)
            break;
        numbers[entry->numbers++] = v;
        p = end;
    }
    entry->line = numbers[0];
    for (int k = 0; k < 4; k++)
        entry->rect[k] = static_cast<int>(numbers[k + 1]);
    return true;
}

std::string FormatOpenFile(const OpenFileEntry &entry) {
    char numbers[80];
    snprintf(numbers, sizeof numbers, " %ld %d %d %d %d", entry.line, entry.rect[0], entry.rect[1], entry.rect[2],
             entry.rect[3]);
    bool blanks = entry.path.find(' ') != std::string::npos;
    return (blanks ? "\"" + entry.path + "\"" : entry.path) + numbers;
}

std::vector<OpenFileEntry> CollectOpenFiles() {
    std::vector<OpenFileEntry> files;
    for (Document *doc = g_editor ? g_editor->documents : nullptr; doc; doc = doc->next) {
        View *view = FirstViewOf(doc);
        if ((doc->flags & kDocNoFile) || !view)
            continue;
        OpenFileEntry entry;
        entry.path = doc->path;
        bool minimized = false, maximized = false;
        EditorWindowPlacement(view, entry.rect, &minimized, &maximized);
        // A negative left or right means minimised or maximised: a window that merely lies off
        // the screen's left edge keeps its left at 0, and a state is never lost to a 0.
        for (int &k : entry.rect)
            if (k < 0)
                k = 0;
        if (minimized)
            entry.rect[0] = -(entry.rect[0] > 0 ? entry.rect[0] : 1);
        if (maximized)
            entry.rect[2] = -(entry.rect[2] > 0 ? entry.rect[2] : 1);
        Line *line = view == g_editor->view ? view->current : doc->savedLine;
        entry.line = line ? LineNumberOf(doc, line) : 1;
        entry.numbers = 5;
        files.push_back(entry);
    }
    return files;
}

int ReopenFiles(const std::vector<OpenFileEntry> &files, char *current) {
    std::vector<std::string> missing;
    int reopened = 0;
    HWND maximized = nullptr;
    bool minimized = false;
    for (const OpenFileEntry &file : files) {
        const char *path = file.path.c_str();
        if (!FileExists(path) || !OpenPath(path)) {
            // A file that could not be read does not stay open as an empty window.
            if (View *view = FindView(path))
                DestroyEditorWindow(view->window);
            missing.push_back(file.path);
            if (current && strcmp(path, current) == 0)
                current[0] = '\0';
            continue;
        }
        reopened++;
        View *view = g_editor->view;
        if (file.numbers >= 1 && file.line > 0) {
            GotoLine(file.line);
            Recentre();
        }
        if (view && view->window && file.numbers >= 5 && g_app && g_app->mdiClient) {
            RECT rect = {abs(file.rect[0]), file.rect[1], abs(file.rect[2]), file.rect[3]};
            if (rect.right > rect.left && rect.bottom > rect.top) {
                MapWindowPoints(nullptr, g_app->mdiClient, reinterpret_cast<POINT *>(&rect), 2);
                MoveWindow(view->window, rect.left, rect.top, rect.right - rect.left, rect.bottom - rect.top, TRUE);
            }
            if (file.rect[0] < 0) {
                ShowWindow(view->window, SW_MINIMIZE);
                minimized = true;
            } else if (file.rect[2] < 0) {
                maximized = view->window;
            }
        }
    }
    if (maximized)
        SendMessageA(g_app->mdiClient, WM_MDIMAXIMIZE, reinterpret_cast<WPARAM>(maximized), 0);
    if (minimized)
        SendMessageA(g_app->mdiClient, WM_MDIICONARRANGE, 0, 0);
    if (View *view = current && current[0] ? FindView(current) : nullptr)
        ActivateEditorWindow(view);
    if (!missing.empty()) {
        std::vector<const char *> names;
        for (const std::string &name : missing)
            names.push_back(name.c_str());
        CurrentUiPort()->ShowFileList(IDD_LOAD_ERROR, names.data(), static_cast<int>(names.size()));
    }
    return reopened;
}
