// Helpers for the document tests: open a file as the current document, read its lines back,
// edit a line the way the editing commands will (new line record, modified flag).
#pragma once

#include <windows.h>

#include <string>
#include <vector>

#include "core/Memory.h"
#include "core/TextUtil.h"
#include "editor/Document.h"
#include "support/TestSupport.h"

class DocumentTest : public KeltoTest {
protected:
    // Writes `bytes` as `name` in the test directory and opens it; the current document.
    Document *OpenFile(const std::string &name, const std::string &bytes) {
        WriteWholeFile(PathOf(name), bytes);
        if (!OpenDocument(PathOf(name).c_str()))
            return nullptr;
        return g_editor->doc;
    }
};

inline std::vector<std::string> LinesOf(const Document *doc) {
    std::vector<std::string> lines;
    for (const Line *line = FirstLine(doc); !IsSentinel(doc, line); line = line->next)
        lines.push_back(std::string(line->text, line->length));
    return lines;
}

inline Line *LineAt(const Document *doc, int index) {
    Line *line = FirstLine(doc);
    while (index-- > 0 && !IsSentinel(doc, line))
        line = line->next;
    return line;
}

// Replaces line `index` by a new record holding `text` and marks the document modified.
inline Line *ReplaceLine(Document *doc, int index, const std::string &text) {
    Line *old = LineAt(doc, index);
    Line *fresh = NewLine(text.data(), int(text.size()));
    LinkLineAfter(old, fresh);
    old->prev->next = fresh;
    fresh->prev = old->prev;
    for (View *view = g_editor->views; view; view = view->next) {
        if (view->current == old)
            view->current = fresh;
        if (view->top == old)
            view->top = fresh;
    }
    Release(old);
    doc->flags |= kDocModified;
    return fresh;
}

inline std::string Lower(std::string text) {
    LowerCase(&text[0]);
    return text;
}

// Names of the files in `dir`, upper-cased.
inline std::vector<std::string> FilesIn(const std::string &dir) {
    std::vector<std::string> names;
    WIN32_FIND_DATAA data;
    HANDLE h = FindFirstFileA((dir + "\\*").c_str(), &data);
    if (h == INVALID_HANDLE_VALUE)
        return names;
    do {
        std::string name = data.cFileName;
        if (name != "." && name != "..")
            names.push_back(UpperCase(&name[0]));
    } while (FindNextFileA(h, &data));
    FindClose(h);
    return names;
}
