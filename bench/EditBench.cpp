// Types 1,000,000 characters and 100,000 line breaks into an empty document through the
// editor's character entry point, one keystroke per message, as a user would; then undoes
// what the journal still holds (it gives up its history every 255 records). Prints the times,
// the typing rate over each tenth of the run and whether the text came out as typed.
#include <windows.h>
#include <stdio.h>
#include <string>
#include <vector>

#include "base/AppState.h"
#include "base/CommandIds.h"
#include "editor/Document.h"
#include "editor/Editing.h"
#include "editor/EditorInput.h"
#include "editor/Journal.h"

namespace {

const long kCharacters = 1000000;
const long kLineBreaks = 100000;

double Milliseconds(LARGE_INTEGER from, LARGE_INTEGER to) {
    LARGE_INTEGER frequency;
    QueryPerformanceFrequency(&frequency);
    return 1000.0 * static_cast<double>(to.QuadPart - from.QuadPart) / frequency.QuadPart;
}

// The keystrokes: lines of 0 to 20 characters (10 on average, as in source text), words of
// letters between blanks, now and then a tab inside the line, each line ended by Enter. A line
// never starts with a blank, so automatic indentation has nothing to copy.
std::vector<char> Keystrokes() {
    std::vector<char> keys;
    keys.reserve(kCharacters + kLineBreaks);
    unsigned seed = 2024;
    auto next = [&seed]() { return (seed = seed * 1103515245u + 12345u) >> 16; };
    long left = kCharacters;
    for (long line = 0; line < kLineBreaks; line++) {
        long linesLeft = kLineBreaks - line;
        long length = static_cast<long>(next() % 21);
        if (line == kLineBreaks - 1)
            length = left;
        // Keep the average on course for exactly kCharacters.
        if (left - length > (linesLeft - 1) * 20)
            length = left - (linesLeft - 1) * 20;
        if (length > left)
            length = left;
        for (long i = 0; i < length; i++) {
            unsigned r = next() % 100;
            char c = static_cast<char>('a' + next() % 26);
            if (i > 0 && i < length - 1 && r < 15)
                c = ' ';
            else if (i > 0 && r == 15)
                c = '\t';
            keys.push_back(c);
        }
        left -= length;
        keys.push_back('\r');
    }
    return keys;
}

// The text the keystrokes make, one string per line.
std::vector<std::string> TextOf(const std::vector<char> &keys, size_t count) {
    std::vector<std::string> lines(1);
    for (size_t i = 0; i < count; i++) {
        if (keys[i] == '\r')
            lines.push_back(std::string());
        else
            lines.back() += keys[i];
    }
    return lines;
}

bool DocumentHolds(const std::vector<std::string> &lines) {
    const Document *doc = g_editor->doc;
    const Line *line = FirstLine(doc);
    for (const std::string &text : lines) {
        if (IsSentinel(doc, line) || text != std::string(line->text, line->length))
            return false;
        line = line->next;
    }
    return IsSentinel(doc, line) && doc->lineCount == static_cast<long>(lines.size());
}

} // namespace

int main() {
    NewAppState();
    NewEditorState();
    char temp[MAX_PATH];
    GetTempPathA(sizeof temp, temp);
    std::string path = std::string(temp) + "EDITBENCH.TXT";
    CharUpperA(&path[0]);
    View *view = AttachView(nullptr, path.c_str());
    if (!view)
        return 1;
    view->visibleRows = 40;
    g_autoIndent = true;
    g_tabSize = 4;

    std::vector<char> keys = Keystrokes();
    printf("typing %ld characters and %ld line breaks (%lu keystrokes)\n", kCharacters, kLineBreaks,
           static_cast<unsigned long>(keys.size()));
    LARGE_INTEGER start, mark, end;
    QueryPerformanceCounter(&start);
    mark = start;
    size_t tenth = keys.size() / 10;
    for (size_t i = 0; i < keys.size(); i++) {
        EditorChar(static_cast<unsigned char>(keys[i]), 1, false);
        if ((i + 1) % tenth == 0) {
            LARGE_INTEGER now;
            QueryPerformanceCounter(&now);
            double ms = Milliseconds(mark, now);
            printf("  keystrokes %7lu-%7lu: %8.0f ms, %9.0f keystrokes/s, document %ld lines\n",
                   static_cast<unsigned long>(i + 1 - tenth), static_cast<unsigned long>(i + 1), ms,
                   tenth / (ms / 1000.0), g_editor->doc->lineCount);
            mark = now;
        }
    }
    QueryPerformanceCounter(&end);
    double typing = Milliseconds(start, end);
    bool typedOk = DocumentHolds(TextOf(keys, keys.size()));
    printf("typing: %.0f ms, %.0f characters/s (%.0f keystrokes/s); text %s\n", typing,
           kCharacters / (typing / 1000.0), keys.size() / (typing / 1000.0),
           typedOk ? "as typed" : "WRONG");

    int held = JournalCount();
    QueryPerformanceCounter(&start);
    int undone = 0;
    while (JournalCount() > 0 && undone < kJournalSize) {
        EditCommand(IDM_UNDO);
        undone++;
    }
    QueryPerformanceCounter(&end);
    double undo = Milliseconds(start, end);
    bool undoOk = JournalCount() == 0 && DocumentHolds(TextOf(keys, keys.size() - held));
    printf("undo of the %d records the journal held: %d Undo commands, %.1f ms (%.1f us each); text %s\n",
           held, undone, undo, undone ? 1000.0 * undo / undone : 0.0, undoOk ? "as before them" : "WRONG");
    FreeEditorState();
    return typedOk && undoOk ? 0 : 1;
}
