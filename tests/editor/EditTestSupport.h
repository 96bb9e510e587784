// Helpers for the editing tests: a document from text, typing, and the text back.
#pragma once

#include "base/Memory.h"
#include "editor/DocumentTestSupport.h"
#include "editor/Editing.h"
#include "editor/EditorInput.h"
#include "editor/Journal.h"

class EditTest : public DocumentTest {
protected:
    void SetUp() override {
        DocumentTest::SetUp();
        g_tabSize = 4;
        g_autoIndent = true;
    }

    // Opens a document holding `text` (lines separated by LF) with the cursor at the top.
    Document *Doc(const std::string &text, const std::string &name = "T.TXT") {
        Document *doc = OpenFile(name, text);
        if (doc)
            g_editor->view->visibleRows = 20;
        return doc;
    }

    // Types `text` as characters: LF is Enter, \b Backspace.
    void Type(const std::string &text) {
        for (char c : text)
            EditorChar(c == '\n' ? 13 : static_cast<unsigned char>(c), 1, false);
    }

    static std::string Text() {
        std::string text;
        const Document *doc = g_editor->doc;
        for (const Line *line = FirstLine(doc); !IsSentinel(doc, line); line = line->next) {
            if (line != FirstLine(doc))
                text += '\n';
            text.append(line->text, line->length);
        }
        return text;
    }

    static void UndoAll() {
        while (JournalCount() > 0)
            Undo();
    }

    // The selection and the cut buffer as texts.
    static std::string Selection() { return Taken(SelectionText); }
    static std::string CutBuffer() { return Taken(CutBufferText); }
    static std::string Taken(char *(*get)(long *)) {
        long length = 0;
        char *text = get(&length);
        std::string copy = text ? std::string(text, length) : "";
        Release(text);
        return copy;
    }

    static void At(long line, int column) { GotoPosition(line, column); }
    static int Column() { return g_editor->view->column; }
    // The cursor as "line:column".
    static std::string Where() { return std::to_string(CurrentLineNumber()) + ":" + std::to_string(Column()); }
};
