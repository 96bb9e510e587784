// The undo journal and Undo.
//
// Every reversal first checks that the text it is about to change is still what the record
// describes (the line exists, the typed characters are there, ...); a record that no longer
// fits the document, for example after a reload, is skipped rather than applied.
#include "editor/Journal.h"

#include <string.h>

#include <algorithm>
#include <string>
#include <vector>

#include "base/Boxes.h"
#include "base/CommandIds.h"
#include "base/Memory.h"
#include "editor/Document.h"
#include "editor/Editing.h"
#include "editor/EditorWindow.h"

namespace {

enum {
    kVkDelete = 46,
    kMaxBackspaceMemory = 4,
};

JournalRecord g_ring[kJournalSize];
int g_next;    // the next free record
int g_count;   // records written since the ring was last reset
JournalRecord g_noted;

// What Undo changed, to be made again: at (line, column) of the undone text, `undone` (what
// Undo put there) becomes `done` (what it took away) again. The newest is last; an edit, a
// reset or a document changing behind the journal's back empties it.
struct RedoStep {
    HWND window;
    const Document *doc;
    long line;
    int column;
    std::string undone, done;
    long cursorLine;      // where the cursor stood before the Undo
    int cursorColumn;
};
std::vector<RedoStep> g_redo;
bool g_redoing;           // Redo's own record does not end the redo list

// The document's text with LF after every line: an empty document and one holding an empty
// line differ, as the editor's deletions treat them (the break after the last line goes only
// with an empty last line).
std::string DocumentText(const Document *doc) {
    std::string text;
    for (const Line *line = FirstLine(doc); !IsSentinel(doc, line); line = line->next) {
        text.append(line->text, line->length);
        text += '\n';
    }
    return text;
}

// The step that turns `after` back into `before`, found by their common ends.
RedoStep StepBetween(const std::string &before, const std::string &after) {
    size_t prefix = 0, limit = std::min(before.size(), after.size());
    while (prefix < limit && before[prefix] == after[prefix])
        prefix++;
    size_t suffix = 0;
    while (suffix < limit - prefix && before[before.size() - 1 - suffix] == after[after.size() - 1 - suffix])
        suffix++;
    RedoStep step;
    step.line = 1;
    size_t lineStart = 0;
    for (size_t i = 0; i < prefix; i++) {
        if (after[i] == '\n') {
            step.line++;
            lineStart = i + 1;
        }
    }
    step.column = static_cast<int>(prefix - lineStart);
    step.undone = after.substr(prefix, after.size() - prefix - suffix);
    step.done = before.substr(prefix, before.size() - prefix - suffix);
    return step;
}

inline int Wrap(int index) { return (index % kJournalSize + kJournalSize) % kJournalSize; }

void ClearRecord(JournalRecord &record) {
    Release(record.text);
    memset(&record, 0, sizeof record);
}

HWND ActiveWindow() { return g_editor && g_editor->view ? g_editor->view->window : nullptr; }

uint32_t PackPosition(long line, int column) {
    return static_cast<uint32_t>(line * 256 + (column & 255));
}

// Fills the record's position with the cursor of the current view.
void TakeCursor(JournalRecord &record) {
    View *view = g_editor->view;
    record.line = CurrentLineNumber();
    record.column = view->column;
    record.position = PackPosition(record.line, record.column);
}

// The characters a Backspace of `count` is about to delete, packed with the leftmost (the
// last deleted) in the low byte; the record's position becomes the start of that text.
void NoteBackspace(JournalRecord &record, int count) {
    View *view = g_editor->view;
    Line *line = view->current;
    int column = view->column;
    long number = CurrentLineNumber();
    char taken[kMaxBackspaceMemory];
    int n = 0;
    for (; n < count && n < kMaxBackspaceMemory; n++) {
        if (column > 0) {
            taken[n] = line->text[--column];
        } else {
            if (IsSentinel(view->doc, line->prev))
                break;
            line = line->prev;
            column = line->length;
            number--;
            taken[n] = '\n';
        }
    }
    uint32_t packed = 0;
    for (int i = 0; i < n; i++)   // taken[n-1] is the leftmost
        packed |= static_cast<uint32_t>(static_cast<unsigned char>(taken[n - 1 - i])) << (8 * i);
    record.position = packed;
    record.extra = n;
    record.line = number;
    record.column = column;
}

bool LineExists(long line) {
    return line >= 1 && line <= g_editor->doc->lineCount + 1;
}

// Puts the cursor on the record's position; false when that position no longer exists.
bool At(long line, int column) {
    if (!LineExists(line))
        return false;
    GotoPosition(line, column);
    return g_editor->view->column == column;
}

// True when the document holds `text` (LF for line breaks) at the cursor.
bool TextAtCursor(const char *text, long length) {
    View *view = g_editor->view;
    Document *doc = view->doc;
    const Line *line = view->current;
    int column = view->column;
    for (long i = 0; i < length; i++) {
        if (IsSentinel(doc, line))
            return false;
        if (column < line->length) {
            if (line->text[column++] != text[i])
                return false;
        } else {
            if (text[i] != '\n')
                return false;
            line = line->next;
            column = 0;
        }
    }
    return true;
}

// Characters from the cursor to the document's end, up to `limit`.
long CharactersAhead(long limit) {
    View *view = g_editor->view;
    Document *doc = view->doc;
    const Line *line = view->current;
    long n = 0;
    if (IsSentinel(doc, line))
        return 0;
    n = line->length - view->column;
    for (line = line->next; n < limit && !IsSentinel(doc, line); line = line->next)
        n += line->length + 1;
    return n + 1;   // the break after the last line
}

void InsertCharacterBehind(char c) {
    InsertText(&c, 1);
    CursorLeft(1);
}

bool ReverseCharacter(const JournalRecord &r) {
    int count = static_cast<int>(r.param2 & 0xFFFF);
    int c = static_cast<int>(r.param1);
    if (c == 8) {
        if (!At(r.line, r.column))
            return false;
        char chars[kMaxBackspaceMemory];
        for (int i = 0; i < r.extra && i < kMaxBackspaceMemory; i++)
            chars[i] = static_cast<char>(r.position >> (8 * i));
        InsertText(chars, r.extra);
        return true;
    }
    if (c == 13) {
        if (r.flags & kRecordOverwrite)
            return At(r.line, r.column);
        if (count > 1) {
            // Several plain breaks: line r.line ends at the record's column, empty lines follow.
            if (!At(r.line, r.column) || g_editor->view->column != g_editor->view->current->length)
                return false;
            DeleteChars(count, false);
            return true;
        }
        // The break left line r.line ending at the record's column, and the new line starting
        // with the indentation that was added.
        if (!At(r.line + 1, 0))
            return false;
        View *view = g_editor->view;
        if (r.extra > 0) {
            if (view->current->length < r.extra)
                return false;
            for (int i = 0; i < r.extra; i++)
                if (view->current->text[i] != ' ' && view->current->text[i] != '\t')
                    return false;
            DeleteChars(r.extra, false);
        }
        if (!At(r.line, r.column) || view->column != view->current->length)
            return false;
        DeleteChars(1, false);
        return true;
    }
    // The typed characters must still be there.
    if (!At(r.line, r.column))
        return false;
    const Line *line = g_editor->view->current;
    if (r.column + count > line->length)
        return false;
    for (int i = 0; i < count; i++)
        if (static_cast<unsigned char>(line->text[r.column + i]) != (c & 255))
            return false;
    DeleteChars(count + ((r.flags & kRecordNewLastLine) ? 1 : 0), false);
    if (r.text) {
        // The brace outdent cut white space from the line: it goes back, and so does the cursor.
        InsertText(r.text, static_cast<long>(strlen(r.text)));
        GotoPosition(r.line, r.extra);
    }
    return true;
}

bool ReverseCommand(const JournalRecord &r) {
    switch (r.param1) {
    case IDM_CUT:
        if (!r.text || !At(r.line, r.column))
            return false;
        InsertText(r.text, static_cast<long>(r.param2));
        if (r.flags & kRecordCursorAtStart)
            GotoPosition(r.line, r.column);
        return true;
    case IDM_PASTE:
    case IDM_EXPAND_MACRO: {
        long length = static_cast<int32_t>(r.param2);
        if (!At(r.line, r.column))
            return false;
        if (length < 0) {
            Backspace(static_cast<int>(-length));
            return true;
        }
        if (CharactersAhead(length) < length)
            return false;
        DeleteChars(static_cast<int>(length), false);
        return true;
    }
    case IDM_COMPLETION: {
        long length = r.text ? static_cast<long>(strlen(r.text)) : 0;
        if (!At(r.line, r.column) || !TextAtCursor(r.text, length))
            return false;
        DeleteChars(static_cast<int>(length), false);
        return true;
    }
    default:
        return At(r.line, r.column);
    }
}

bool ReverseAutomatic(const JournalRecord &r) {
    if (r.param1 == 13)
        return At(r.line, r.column);
    if (!At(r.line, r.column))
        return false;
    if (r.param1 == 10) {   // the break before a character typed into a long line
        if (g_editor->view->column != g_editor->view->current->length)
            return false;
        DeleteChars(1, false);
        return true;
    }
    InsertCharacterBehind(static_cast<char>(r.param1));
    return true;
}

// Takes the record at ring index `index` out, closing the gap; returns it (the caller
// releases its text).
JournalRecord TakeRecord(int index) {
    if (g_count <= 0)
        return JournalRecord();
    JournalRecord taken = g_ring[index];
    int newest = Wrap(g_next - 1);
    for (int i = index; i != newest; i = Wrap(i + 1))
        g_ring[i] = g_ring[Wrap(i + 1)];
    memset(&g_ring[newest], 0, sizeof(JournalRecord));
    g_next = newest;
    if (g_count > 0)
        g_count--;
    return taken;
}

// A replace group ends at ring index `last`: its replacements are undone newest first, so each
// one finds its text exactly where it was made. Returns false when the group's first record
// is missing.
bool ReverseReplaceGroup(int last) {
    const JournalRecord &newest = g_ring[last];
    int size = static_cast<int>(newest.param1) + 1;
    int first = Wrap(last - newest.param1);
    // The records of the journal that reach up to `last`: the group must lie among them.
    int counted = Wrap(last - Wrap(g_next - g_count)) + 1;
    const JournalRecord &head = g_ring[first];
    bool headOk = size < kJournalSize && size <= counted && head.param1 == 0 && head.text &&
                  head.window == newest.window &&
                  (newest.message == kMsgReplace ? head.message == kMsgReplace
                                                 : head.message == kMsgReplaceFirst);
    if (!headOk) {
        ErrorBox("Undo: internal error");
        return false;
    }
    AllowAnyColumn(true);
    for (int k = size - 1; k >= 0; k--) {
        const JournalRecord &r = g_ring[Wrap(first + k)];
        const char *texts = newest.message == kMsgReplace ? head.text : r.text;
        if (!texts)
            continue;
        const char *original = texts;
        const char *replacement = texts + strlen(texts) + 1;
        long length = static_cast<long>(strlen(replacement));
        if (!At(r.line, r.column) || !TextAtCursor(replacement, length))
            continue;
        DeleteChars(static_cast<int>(length), false);
        InsertText(original, static_cast<long>(strlen(original)));
    }
    AllowAnyColumn(false);
    for (int k = 0; k < size; k++)
        Release(TakeRecord(first).text);
    return true;
}

bool IsReplace(const JournalRecord &r) {
    return r.message == kMsgReplace || r.message == kMsgReplaceFirst || r.message == kMsgReplaceNext;
}

// Whether the record changed text (rather than only moving the cursor).
bool ChangesText(const JournalRecord &r) {
    if (r.message == kMsgChar || r.message == kMsgAutomatic || r.message == kMsgRedo || IsReplace(r))
        return true;
    if (r.message == kMsgKeyDown)
        return r.param1 == kVkDelete;
    return r.message == kMsgCommand && (r.param1 == IDM_CUT || r.param1 == IDM_PASTE ||
                                        r.param1 == IDM_COMPLETION || r.param1 == IDM_EXPAND_MACRO);
}

void Reverse(const JournalRecord &r) {
    AllowAnyColumn(true);
    switch (r.message) {
    case kMsgChar:
        ReverseCharacter(r);
        break;
    case kMsgKeyDown:
        if (r.param1 == kVkDelete) {
            if (At(r.line, r.column))
                InsertCharacterBehind(static_cast<char>(r.position));
        } else {
            At(r.line, r.column);
        }
        break;
    case kMsgCommand:
        ReverseCommand(r);
        break;
    case kMsgAutomatic:
        ReverseAutomatic(r);
        break;
    case kMsgRedo:
        // text: what the redo removed, NUL, what it inserted (param1 and param2 long).
        if (r.text && At(r.line, r.column)) {
            DeleteChars(static_cast<int>(r.param2), false);
            InsertText(r.text, static_cast<long>(r.param1));
            At(r.line, r.column);
        }
        break;
    default:   // mouse buttons, scrolling
        At(r.line, r.column);
        break;
    }
    AllowAnyColumn(false);
}

} // namespace

void ResetJournal() {
    for (JournalRecord &record : g_ring)
        ClearRecord(record);
    ClearRecord(g_noted);
    g_next = 0;
    g_count = 0;
    g_redo.clear();
}

int RedoCount() { return static_cast<int>(g_redo.size()); }

bool Redo() {
    View *view = g_editor ? g_editor->view : nullptr;
    if (!view || g_redo.empty())
        return false;
    RedoStep step = g_redo.back();
    if (step.window != view->window || step.doc != view->doc)
        return false;
    g_redo.pop_back();
    CancelSelection();
    EndVerticalMove();
    AllowAnyColumn(true);
    bool placed = At(step.line, step.column);
    if (placed) {
        // Journaled as one change, so that Undo takes it back and Redo can follow again.
        NoteMessage(kMsgRedo, static_cast<uint32_t>(step.undone.size()), static_cast<uint32_t>(step.done.size()));
        g_noted.line = step.line;
        g_noted.column = step.column;
        g_noted.text = static_cast<char *>(Allocate(step.undone.size() + step.done.size() + 2));
        if (g_noted.text) {
            memcpy(g_noted.text, step.undone.c_str(), step.undone.size() + 1);
            memcpy(g_noted.text + step.undone.size() + 1, step.done.c_str(), step.done.size() + 1);
        }
        DeleteChars(static_cast<int>(step.undone.size()), false);
        InsertText(step.done.data(), static_cast<long>(step.done.size()));
        g_redoing = true;
        JournalNoted(step.line, step.column);
        g_redoing = false;
        GotoPosition(step.cursorLine, step.cursorColumn);
    }
    AllowAnyColumn(false);
    view = g_editor->view;
    view->state |= kViewRedrawAll | kViewCaretMoved;
    KeepCursorVisible(view);
    RefreshEditorWindow(view);
    return placed;
}

int JournalCount() { return g_count; }

JournalRecord *JournalRecordAt(int back) {
    if (back < 0 || back >= g_count)
        return nullptr;
    return &g_ring[Wrap(g_next - 1 - back)];
}

void NoteMessage(unsigned message, uint32_t param1, uint32_t param2) {
    ClearRecord(g_noted);
    View *view = g_editor ? g_editor->view : nullptr;
    if (!view)
        return;
    g_noted.window = view->window;
    g_noted.doc = view->doc;
    g_noted.message = message;
    g_noted.param1 = param1;
    g_noted.param2 = param2;
    TakeCursor(g_noted);
    if (message == kMsgChar && param1 == 8) {
        int count = static_cast<int>(param2 & 0xFFFF);
        NoteBackspace(g_noted, count < kMaxBackspaceMemory ? count : kMaxBackspaceMemory);
    } else if (message == kMsgKeyDown && param1 == kVkDelete) {
        const Line *line = view->current;
        g_noted.position = view->column < line->length ? static_cast<unsigned char>(line->text[view->column]) : '\n';
    } else if (message == kMsgCommand && param1 == IDM_CUT) {
        Line *start = nullptr;
        int column = 0;
        long length = 0;
        if (SelectionRange(&start, &column, &length)) {
            g_noted.text = SelectionText(&length);
            // A selection within one line carries no line break of its own.
            if (g_noted.text && view->anchor == view->current && length > 0 &&
                g_noted.text[length - 1] == '\n')
                g_noted.text[--length] = '\0';
            g_noted.param2 = static_cast<uint32_t>(g_noted.text ? length : 0);
            g_noted.line = LineNumberOf(view->doc, start);
            g_noted.column = column;
            g_noted.position = PackPosition(g_noted.line, column);
            if (start == view->current && column == view->column)
                g_noted.flags |= kRecordCursorAtStart;
        }
    }
}

JournalRecord *JournalNoted(long line, int column) {
    if (!g_editor || !g_editor->view)
        return nullptr;
    if (g_noted.message == 10000) {
        ErrorBox("Registering 10000");
        ClearRecord(g_noted);
        return nullptr;
    }
    JournalRecord &slot = g_ring[g_next];
    ClearRecord(slot);   // the oldest record gives back its text
    slot = g_noted;
    memset(&g_noted, 0, sizeof g_noted);
    if (line > 0) {
        slot.line = line;
        slot.column = column;
        slot.position = PackPosition(line, column);
    }
    JournalRecord *written = &slot;
    if (!g_redoing && slot.message != kMsgAutomatic && ChangesText(slot))
        g_redo.clear();
    g_next = Wrap(g_next + 1);
    g_count++;
    // The ring is full: history before this point is given up at once. An action's automatic
    // records stay with it, so the reset waits for the action's own record.
    if (g_count >= kJournalSize && slot.message != kMsgAutomatic) {
        g_next = 0;
        g_count = 0;
    }
    return written;
}

JournalRecord *Journal(unsigned message, uint32_t param1, uint32_t param2) {
    NoteMessage(message, param1, param2);
    return JournalNoted();
}

void JournalAutomatic(int c) {
    JournalRecord pending = g_noted;   // an automatic record comes amid a noted action
    memset(&g_noted, 0, sizeof g_noted);
    Journal(kMsgAutomatic, static_cast<uint32_t>(c), 0);
    ClearRecord(g_noted);
    g_noted = pending;
}

void DropLastRecord() {
    if (g_count <= 0)
        return;
    g_next = Wrap(g_next - 1);
    g_count--;
    ClearRecord(g_ring[g_next]);
}

void DropAfterDefinition() {
    int newestJump = -1;
    for (int back = 0; back < 4 && back < g_count; back++) {
        const JournalRecord *r = JournalRecordAt(back);
        if (r->message == kMsgCommand && r->param1 == IDM_SEARCH_DEFINITION) {
            newestJump = back;
            break;
        }
    }
    for (int i = 0; i < newestJump; i++)
        DropLastRecord();
}

void JournalReplacement(bool variable, int index, const char *original, const char *replacement) {
    // A group goes on only while its records are all in the ring: after 254 replacements, or
    // when the journal gave up its history in the middle of a replace, a new group starts
    // with its own texts.
    if (index > 0) {
        index = 0;
        if (g_count > 0) {
            const JournalRecord &previous = g_ring[Wrap(g_next - 1)];
            bool same = variable ? previous.message == kMsgReplaceFirst || previous.message == kMsgReplaceNext
                                 : previous.message == kMsgReplace;
            if (same && static_cast<int>(previous.param1) + 1 < kJournalSize - 1 &&
                static_cast<int>(previous.param1) + 1 < g_count + 1)
                index = static_cast<int>(previous.param1) + 1;
        }
    }
    unsigned message = !variable ? kMsgReplace : index == 0 ? kMsgReplaceFirst : kMsgReplaceNext;
    NoteMessage(message, static_cast<uint32_t>(index), 0);
    if (variable || index == 0) {
        size_t a = strlen(original);
        size_t b = strlen(replacement);
        g_noted.text = static_cast<char *>(Allocate(a + b + 2));
        if (g_noted.text) {
            memcpy(g_noted.text, original, a + 1);
            memcpy(g_noted.text + a + 1, replacement, b + 1);
        }
    }
    JournalNoted();
}

void ForgetDocumentRecords(const Document *doc) {
    g_redo.erase(std::remove_if(g_redo.begin(), g_redo.end(), [doc](const RedoStep &s) { return s.doc == doc; }),
                 g_redo.end());
    int oldest = Wrap(g_next - g_count);
    int kept = 0;
    for (int k = 0; k < g_count; k++) {
        JournalRecord &record = g_ring[Wrap(oldest + k)];
        if (record.doc == doc) {
            ClearRecord(record);
            continue;
        }
        JournalRecord &to = g_ring[Wrap(oldest + kept)];
        if (&to != &record) {
            to = record;
            memset(&record, 0, sizeof record);
        }
        kept++;
    }
    g_count = kept;
    g_next = Wrap(oldest + kept);
}

void Undo() {
    View *view = g_editor ? g_editor->view : nullptr;
    if (!view)
        return;
    CancelSelection();
    EndVerticalMove();
    if (g_count <= 0)
        return;
    HWND active = ActiveWindow();
    int index = Wrap(g_next - 1);
    JournalRecord &newest = g_ring[index];
    if (newest.window != active) {
        bool jump = (newest.message == kMsgCommand && newest.param1 == IDM_SEARCH_DEFINITION) ||
                    newest.message == kMsgRightButtonDown;
        if (jump) {
            for (View *v = g_editor->views; v; v = v->next) {
                if (v->window == newest.window) {
                    ActivateEditorWindow(v);
                    At(newest.line, newest.column);
                    break;
                }
            }
            DropLastRecord();
            view = g_editor->view;
            view->state |= kViewRedrawAll | kViewCaretMoved;
            KeepCursorVisible(view);
            RefreshEditorWindow(view);
            return;
        }
        // The newest record of this window, further back. Text that another window changed
        // in the same document since then would make its positions wrong: nothing is done.
        int back = 0;
        for (; back < g_count; back++) {
            const JournalRecord &r = g_ring[Wrap(g_next - 1 - back)];
            if (r.window == active)
                break;
            if (r.doc == view->doc && ChangesText(r))
                return;
        }
        if (back >= g_count)
            return;
        index = Wrap(g_next - 1 - back);
    }
    // The text before and after, to make the same change again on Redo.
    const Document *doc = view->doc;
    HWND window = view->window;
    long cursorLine = CurrentLineNumber();
    int cursorColumn = view->column;
    std::string before = DocumentText(doc);
    for (;;) {
        JournalRecord &r = g_ring[index];
        if (IsReplace(r)) {
            if (!ReverseReplaceGroup(index))
                Release(TakeRecord(index).text);
            break;
        }
        bool hasBefore = g_count > 1 && index != Wrap(g_next - g_count);
        JournalRecord taken = TakeRecord(index);
        Reverse(taken);
        Release(taken.text);
        // Automatic records written just before this one go with it.
        if (!hasBefore)
            break;
        index = Wrap(index - 1);
        if (g_ring[index].message != kMsgAutomatic || g_ring[index].window != active || g_count == 0)
            break;
    }
    CancelSelection();
    view = g_editor->view;
    if (view->doc == doc) {
        std::string after = DocumentText(doc);
        if (after != before) {
            RedoStep step = StepBetween(before, after);
            step.window = window;
            step.doc = doc;
            step.cursorLine = cursorLine;
            step.cursorColumn = cursorColumn;
            if (g_redo.size() >= kJournalSize)
                g_redo.erase(g_redo.begin());
            g_redo.push_back(step);
        }
    }
    view->state |= kViewRedrawAll | kViewCaretMoved;
    KeepCursorVisible(view);
    RefreshEditorWindow(view);
}
