#include "editor/EditorInput.h"

#include <string.h>

#include "base/Boxes.h"
#include "base/CommandIds.h"
#include "base/Memory.h"
#include "base/MessageIds.h"
#include "base/Messages.h"
#include "editor/Bookmarks.h"
#include "editor/Document.h"
#include "editor/Editing.h"
#include "editor/EditorHooks.h"
#include "editor/EditorWindow.h"
#include "editor/Journal.h"
#include "platform/UiPort.h"
#include "ui/OutputWindow.h"

TextMacro *g_textMacros;

namespace {

enum {
    kEdgeWidth = 15,        // a click this close to the window's side scrolls sideways
    kSideStep = 10,
    kMaxCandidates = 500,
    kMenuCandidates = 25,   // fewer are offered in a popup menu, more in a list
    kMaxWord = 254,
};


View *CurrentView() { return g_editor ? g_editor->view : nullptr; }

inline bool IsBlank(char c) { return c == ' ' || c == '\t'; }

// The view is done moving: the window follows the cursor and is redrawn.
void Settle(View *view) {
    KeepCursorVisible(view);
    RefreshEditorWindow(view);
}

// A selection that holds at least one character.
bool SelectionNotEmpty() {
    View *view = CurrentView();
    Line *line = nullptr;
    int column = 0;
    long length = 0;
    return view && view->anchor && SelectionRange(&line, &column, &length) && length > 0;
}

// Deletes the selection into the cut buffer, journaled as a Cut.
void CutSelection() {
    NoteMessage(kMsgCommand, IDM_CUT, 0);
    DeleteSelection();
    JournalNoted();
}

void WordRight() {
    View *view = CurrentView();
    Document *doc = view->doc;
    // Over the rest of the word, then over what separates it from the next one.
    while (!IsSentinel(doc, view->current) && view->column < view->current->length &&
           IsIdentifierChar(view->current->text[view->column]))
        view->column++;
    for (;;) {
        if (IsSentinel(doc, view->current))
            break;
        if (view->column >= view->current->length) {
            if (!CursorRight(1))
                break;
            continue;
        }
        if (IsIdentifierChar(view->current->text[view->column]))
            break;
        view->column++;
    }
    view->state |= kViewCaretMoved;
}

void WordLeft() {
    View *view = CurrentView();
    // Back over separators (and line breaks), then to the start of the word.
    for (;;) {
        if (view->column == 0) {
            if (!CursorLeft(1))
                return;
            continue;
        }
        if (IsIdentifierChar(view->current->text[view->column - 1]))
            break;
        view->column--;
    }
    while (view->column > 0 && IsIdentifierChar(view->current->text[view->column - 1]))
        view->column--;
    view->state |= kViewCaretMoved;
}

void LineStart() {
    View *view = CurrentView();
    const Line *line = view->current;
    int first = 0;
    while (first < line->length && IsBlank(line->text[first]))
        first++;
    view->column = static_cast<unsigned short>(view->column > first ? first : 0);
    view->state |= kViewCaretMoved;
}

void LineEnd() {
    View *view = CurrentView();
    if (!IsSentinel(view->doc, view->current))
        view->column = view->current->length;
    view->state |= kViewCaretMoved;
}

// Journals a command that moves the cursor; `extend` keeps (or starts) the selection.
void MoveCommand(int command, bool extend) {
    View *view = CurrentView();
    bool vertical = command == IDM_EXTEND_UP || command == IDM_EXTEND_DOWN || command == IDM_EXTEND_DOWN_ROW;
    if (!vertical)
        EndVerticalMove();
    if (extend)
        BeginSelection();
    else
        CancelSelection();
    NoteMessage(kMsgCommand, static_cast<uint32_t>(command), 0);
    switch (command) {
    case IDM_GOTO_TOP:
    case IDM_EXTEND_TO_TOP:
        GotoTop();
        break;
    case IDM_GOTO_END:
    case IDM_EXTEND_TO_END:
        GotoEnd();
        break;
    case IDM_RECENTER:
        Recentre();
        break;
    case IDM_EXTEND_UP:
        CursorUp(1);
        break;
    case IDM_EXTEND_DOWN:
    case IDM_EXTEND_DOWN_ROW:
        CursorDown(1);
        break;
    case IDM_EXTEND_RIGHT:
        CursorRight(1);
        break;
    case IDM_EXTEND_LEFT:
        CursorLeft(1);
        break;
    case IDM_WORD_RIGHT:
    case IDM_WORD_RIGHT_REPEAT:
    case IDM_EXTEND_WORD_RIGHT:
        WordRight();
        break;
    case IDM_WORD_LEFT:
    case IDM_WORD_LEFT_REPEAT:
    case IDM_EXTEND_WORD_LEFT:
        WordLeft();
        break;
    case IDM_EXTEND_LINE_END:
        LineEnd();
        break;
    case IDM_EXTEND_LINE_START:
        LineStart();
        break;
    case IDM_EXTEND_PAGE_UP:
        ScrollPage(-1);
        break;
    case IDM_EXTEND_PAGE_DOWN:
        ScrollPage(1);
        break;
    }
    JournalNoted();
    view->state |= kViewRedrawAll;
    Settle(view);
}

void Paste() {
    View *view = CurrentView();
    EndVerticalMove();
    if (SelectionNotEmpty()) {
        // The replaced text is journaled as a cut of its own, without touching the cut buffer.
        NoteMessage(kMsgCommand, IDM_CUT, 0);
        RemoveSelection();
        JournalNoted();
    }
    CancelSelection();
    NoteMessage(kMsgCommand, IDM_PASTE, 0);
    long inserted = PasteBuffer();
    JournalRecord *record = JournalNoted();
    if (record) {
        if (inserted > 0)
            record->param2 = static_cast<uint32_t>(inserted);
        else
            DropLastRecord();
    }
    Settle(view);
}

void ExpandMacro(const TextMacro *macro) {
    View *view = CurrentView();
    EndVerticalMove();
    NoteMessage(kMsgCommand, IDM_EXPAND_MACRO, 0);
    long line = CurrentLineNumber();
    int column = view->column;
    long inserted = InsertText(macro->text, macro->length);
    JournalRecord *record = JournalNoted();
    if (record)
        record->param2 = static_cast<uint32_t>(inserted);
    CancelSelection();
    GotoPosition(line, column);
    CursorRight(macro->cursorOffset);
    Settle(view);
}

void TypeCharacter(int c, int repeat) {
    View *view = CurrentView();
    Document *doc = view->doc;
    NoteMessage(kMsgChar, static_cast<uint32_t>(c), static_cast<uint32_t>(repeat));
    bool below = IsSentinel(doc, view->current);
    unsigned short modified = doc->flags & kDocModified;
    doc->flags &= ~kDocModified;
    char removed[kMaxInsertColumn + 1];
    int before = view->column;   // overwrite mode deletes without moving the cursor
    TypeChar(c, repeat, removed);
    // What was inserted sits just before the cursor on its line.
    bool typed = view->column >= repeat && !IsSentinel(doc, view->current) &&
                 static_cast<unsigned char>(view->current->text[view->column - 1]) == c;
    doc->flags |= modified;
    JournalRecord *record = JournalNoted(CurrentLineNumber(), typed ? view->column - repeat : view->column);
    if (!record)
        return;
    record->param2 = typed ? static_cast<uint32_t>(repeat) : 0;
    if (typed && below)
        record->flags |= kRecordNewLastLine;
    if (*removed) {
        record->text = DupString(removed);
        record->extra = before;
    }
}

void Enter(int repeat) {
    View *view = CurrentView();
    Document *doc = view->doc;
    NoteMessage(kMsgChar, 13, static_cast<uint32_t>(repeat));
    bool overwrite = (view->state & kViewOverwrite) != 0;
    long lines = doc->lineCount;
    const Line *line = view->current;
    if (overwrite)
        JournalAutomatic(13);
    int added = NewLines(repeat);
    bool done = overwrite ? view->current != line : doc->lineCount == lines + repeat;
    JournalRecord *record = JournalNoted();
    if (!record)
        return;
    record->extra = added;
    if (overwrite)
        record->flags |= kRecordOverwrite;
    if (!done) {
        // Out of memory part way: what was done cannot be told apart, so nothing is kept.
        DropLastRecord();
        if (overwrite)
            DropLastRecord();
    }
}

void BackspaceKey(int repeat) {
    // The journal keeps at most four deleted characters per record.
    while (repeat > 0) {
        int part = repeat < 4 ? repeat : 4;
        NoteMessage(kMsgChar, 8, static_cast<uint32_t>(part));
        int deleted = Backspace(part);
        if (deleted <= 0)
            break;
        JournalRecord *record = JournalNoted();
        if (record && deleted < record->extra)
            record->extra = deleted;
        repeat -= part;
    }
}

// The position under the pointer: row from y, column from x.
void PointAt(int x, int y, const EditorMetrics &m, Line **line, int *column) {
    View *view = CurrentView();
    Document *doc = view->doc;
    int row = m.lineHeight > 0 ? y / m.lineHeight : 0;
    Line *l = view->top ? view->top : FirstLine(doc);
    for (; row > 0 && !IsSentinel(doc, l); row--)
        l = l->next;
    for (; row < 0 && !IsSentinel(doc, l->prev); row++)
        l = l->prev;
    int visual = view->firstColumn + (m.charWidth > 0 ? (x - m.leftMargin) / m.charWidth : 0);
    if (visual < 0)
        visual = 0;
    *line = l;
    *column = ColumnAtVisual(l, visual, nullptr);
}

} // namespace

void EditorKey(int key, int repeat, bool ctrl) {
    View *view = CurrentView();
    if (!view)
        return;
    if (repeat < 1)
        repeat = 1;
    if (key != kKeyUp && key != kKeyDown)
        EndVerticalMove();
    switch (key) {
    case kKeyLeft:
        NoteMessage(kMsgKeyDown, key, static_cast<uint32_t>(repeat));
        if (SelectionNotEmpty()) {
            view->current = view->anchor;
            view->column = view->anchorColumn;
            view->state |= kViewCaretMoved;
            CancelSelection();
            JournalNoted();
        } else {
            CancelSelection();
            if (CursorLeft(repeat))
                JournalNoted();
        }
        break;
    case kKeyRight: {
        NoteMessage(kMsgKeyDown, key, static_cast<uint32_t>(repeat));
        bool moved = CursorRight(repeat);
        CancelSelection();
        if (moved)
            JournalNoted();
        break;
    }
    case kKeyUp:
    case kKeyDown:
        CancelSelection();
        if (ctrl) {
            ScrollLines(key == kKeyUp ? -1 : 1);
            // The cursor stays, even when it leaves the window.
            RefreshEditorWindow(view);
            return;
        }
        NoteMessage(kMsgKeyDown, key, static_cast<uint32_t>(repeat));
        if (key == kKeyUp ? CursorUp(repeat) : CursorDown(repeat))
            JournalNoted();
        break;
    case kKeyPageUp:
    case kKeyPageDown:
        CancelSelection();
        NoteMessage(kMsgKeyDown, key, static_cast<uint32_t>(repeat));
        for (int i = 0; i < repeat; i++)
            ScrollPage(key == kKeyPageUp ? -1 : 1);
        JournalNoted();
        break;
    case kKeyHome:
        NoteMessage(kMsgKeyDown, key, static_cast<uint32_t>(repeat));
        LineStart();
        CancelSelection();
        JournalNoted();
        break;
    case kKeyEnd: {
        NoteMessage(kMsgKeyDown, key, static_cast<uint32_t>(repeat));
        unsigned short before = view->column;
        LineEnd();
        CancelSelection();
        if (view->column != before)
            JournalNoted();
        break;
    }
    case kKeyDelete:
        if (SelectionNotEmpty()) {
            CutSelection();
            break;
        }
        CancelSelection();
        // One record per character: each keeps the character it deleted.
        for (int i = 0; i < repeat; i++) {
            NoteMessage(kMsgKeyDown, key, 1);
            if (DeleteChars(1, false) <= 0)
                break;
            JournalNoted();
        }
        break;
    case kKeyInsert:
        view->state ^= kViewOverwrite;
        return;
    case kKeyEscape:
        CancelSelection();
        SymbolCompletion();
        break;
    default:
        return;
    }
    Settle(view);
}

void EditorChar(int c, int repeat, bool ctrl) {
    View *view = CurrentView();
    if (!view || repeat < 1)
        return;
    if (view->anchor && c == kKeyEscape) {
        CancelSelection();
        Settle(view);
        return;
    }
    if (ctrl && c >= 1 && c <= 26) {
        if (const TextMacro *macro = FindTextMacro(c + 96)) {
            ExpandMacro(macro);
            return;
        }
    }
    bool handled = c == 8 || c == 9 || c == 13 || c >= 32;
    if (!handled)
        return;
    EndVerticalMove();
    if (SelectionNotEmpty() && !ctrl) {
        CutSelection();
        if (c == 8) {
            Settle(view);
            return;
        }
    }
    CancelSelection();
    if (c == 8)
        BackspaceKey(repeat);
    else if (c == 13)
        Enter(repeat);
    else if (c <= 255)
        TypeCharacter(c, repeat);
    Settle(view);
}

void EditorButtonDown(bool left, int x, int y, bool shift, const EditorMetrics &m) {
    View *view = CurrentView();
    if (!view)
        return;
    EndVerticalMove();
    if (left && x >= m.clientWidth - kEdgeWidth) {
        int reach = IsSentinel(view->doc, view->current) ? 0 : VisualColumnOf(view->current, view->current->length);
        if (reach >= view->firstColumn + kSideStep) {
            view->firstColumn = static_cast<short>(view->firstColumn + kSideStep);
            CursorRight(kSideStep);
            view->state |= kViewRedrawAll;
            RefreshEditorWindow(view);
        }
        return;
    }
    if (left && x > 0 && x < kEdgeWidth) {
        if (view->firstColumn >= kSideStep) {
            view->firstColumn = static_cast<short>(view->firstColumn - kSideStep);
            view->state |= kViewRedrawAll;
            RefreshEditorWindow(view);
        }
        return;
    }
    NoteMessage(left ? kMsgLeftButtonDown : kMsgRightButtonDown, 0,
                static_cast<uint32_t>((y & 0xFFFF) << 16 | (x & 0xFFFF)));
    Line *previous = view->current;
    int previousColumn = view->column;
    CancelSelection();
    Line *line;
    int column;
    PointAt(x, y, m, &line, &column);
    view->current = line;
    view->column = static_cast<unsigned short>(column);
    view->state |= kViewCaretMoved;
    if (left && shift) {
        view->anchor = previous;
        view->anchorColumn = static_cast<unsigned short>(previousColumn);
        view->state |= kViewRedrawAll;
    } else {
        view->anchor = line;
        view->anchorColumn = static_cast<unsigned short>(column);
        g_editor->dragging = left;
    }
    JournalNoted();
    Settle(view);
}

void EditorMouseMove(int x, int y, const EditorMetrics &m) {
    View *view = CurrentView();
    if (!view || !g_editor->dragging)
        return;
    int rows = view->visibleRows < 1 ? 1 : view->visibleRows;
    // Beyond the text area the view scrolls towards the pointer.
    if (y < 0)
        ScrollLines(-1);
    else if (m.lineHeight > 0 && y / m.lineHeight >= rows)
        ScrollLines(1);
    if (m.lineHeight > 0) {
        if (y < 0)
            y = 0;
        if (y / m.lineHeight >= rows)
            y = (rows - 1) * m.lineHeight;
    }
    Line *line;
    int column;
    PointAt(x, y, m, &line, &column);
    if (line != view->current || column != view->column) {
        view->current = line;
        view->column = static_cast<unsigned short>(column);
        view->state |= kViewCaretMoved | kViewRedrawAll;
        Settle(view);
    }
}

void EditorButtonUp() {
    if (g_editor)
        g_editor->dragging = false;
}

bool EditorDragging() { return g_editor && g_editor->dragging; }

void EditorDoubleClick(int x, int y, const EditorMetrics &m) {
    View *view = CurrentView();
    if (!view)
        return;
    Line *line;
    int column;
    PointAt(x, y, m, &line, &column);
    if (IsSentinel(view->doc, line))
        return;
    // Off a word, the blanks before the pointer are passed over to reach the word before.
    if (column >= line->length || !IsIdentifierChar(line->text[column]))
        while (column > 0 && IsBlank(line->text[column - 1]))
            column--;
    int start = column;
    while (start > 0 && IsIdentifierChar(line->text[start - 1]))
        start--;
    int end = start;
    while (end < line->length && IsIdentifierChar(line->text[end]))
        end++;
    view->current = view->anchor = line;
    view->anchorColumn = static_cast<unsigned short>(start);
    view->column = static_cast<unsigned short>(end);
    view->doc->savedAnchor = line;
    view->doc->savedAnchorColumn = view->anchorColumn;
    view->state |= kViewCaretMoved | kViewRedrawAll;
    Settle(view);
}

bool EditCommand(int command) {
    View *view = CurrentView();
    switch (command) {
    case IDM_UNDO:
        Undo();
        return true;
    case IDM_REDO:
        Redo();
        return true;
    case IDM_SELECT_ALL:
        // From the top to the end of the text, the cursor at the end.
        CancelSelection();
        GotoTop();
        BeginSelection();
        GotoEnd();
        KeepCursorVisible(view);
        return true;
    case IDM_SET_BOOKMARK:
        SetBookmark();
        return true;
    case IDM_GOTO_BOOKMARK:
        GotoBookmark();
        return true;
    case IDM_GOTO_NEXT_BOOKMARK:
        GotoNextBookmark();
        return true;
    case IDM_DELETE_BOOKMARK:
        DeleteBookmark();
        return true;
    case IDM_COPY_TO_FILE:
        CopyCutBufferToFile();
        return true;
    case IDM_COMPLETION:
        SymbolCompletion();
        return true;
    }
    if (!view)
        return false;
    switch (command) {
    case IDM_CUT:
        EndVerticalMove();
        if (SelectionNotEmpty())
            CutSelection();
        CancelSelection();
        Settle(view);
        return true;
    case IDM_COPY:
        if (SelectionNotEmpty())
            CopySelection();
        return true;
    case IDM_PASTE:
        Paste();
        return true;
    case IDM_SPACES_TO_TABS:
    case IDM_TABS_TO_SPACES:
        // The journal's positions do not survive the rewritten indentation.
        command == IDM_SPACES_TO_TABS ? SpacesToTabs() : TabsToSpaces();
        ForgetDocumentRecords(view->doc);
        Settle(view);
        return true;
    case IDM_GOTO_TOP:
    case IDM_GOTO_END:
    case IDM_RECENTER:
    case IDM_WORD_RIGHT:
    case IDM_WORD_LEFT:
    case IDM_WORD_RIGHT_REPEAT:
    case IDM_WORD_LEFT_REPEAT:
        MoveCommand(command, false);
        return true;
    case IDM_EXTEND_UP:
    case IDM_EXTEND_DOWN:
    case IDM_EXTEND_DOWN_ROW:
    case IDM_EXTEND_RIGHT:
    case IDM_EXTEND_LEFT:
    case IDM_EXTEND_WORD_RIGHT:
    case IDM_EXTEND_WORD_LEFT:
    case IDM_EXTEND_TO_TOP:
    case IDM_EXTEND_TO_END:
    case IDM_EXTEND_LINE_END:
    case IDM_EXTEND_LINE_START:
    case IDM_EXTEND_PAGE_UP:
    case IDM_EXTEND_PAGE_DOWN:
        MoveCommand(command, true);
        return true;
    }
    return false;
}

TextMacro *FindTextMacro(int letter) {
    for (TextMacro *macro = g_textMacros; macro; macro = macro->next)
        if (macro->code == letter && macro->text && macro->length > 0)
            return macro;
    return nullptr;
}

void FreeTextMacros() {
    while (TextMacro *macro = g_textMacros) {
        g_textMacros = macro->next;
        Release(macro->text);
        Release(macro);
    }
}

void InsertCompletion(const char *text) {
    View *view = CurrentView();
    if (!view || !text || !*text)
        return;
    NoteMessage(kMsgCommand, IDM_COMPLETION, 0);
    long line = CurrentLineNumber();
    int column = view->column;
    long length = static_cast<long>(strlen(text));
    if (InsertText(text, length) <= 0)
        return;
    if (JournalRecord *record = JournalNoted(line, column)) {
        record->text = DupString(text);
        record->param2 = static_cast<uint32_t>(length);
    }
    Settle(view);
}

void SymbolCompletion() {
    View *view = CurrentView();
    if (!view || IsSentinel(view->doc, view->current)) {
        CurrentUiPort()->Beep();
        return;
    }
    const Line *line = view->current;
    int end = view->column;
    int start = end;
    while (start > 0 && end - start < kMaxWord && IsIdentifierChar(line->text[start - 1]))
        start--;
    char prefix[kMaxWord + 1];
    memcpy(prefix, line->text + start, end - start);
    prefix[end - start] = '\0';
    // After "." or "->" the members of the structure on the left are the candidates.
    char structure[kMaxWord + 1];
    bool member = false;
    int before = start;
    if (before > 0 && line->text[before - 1] == '.') {
        member = true;
        before--;
    } else if (before > 1 && line->text[before - 1] == '>' && line->text[before - 2] == '-') {
        member = true;
        before -= 2;
    }
    if (member) {
        int s = before;
        while (s > 0 && before - s < kMaxWord && IsIdentifierChar(line->text[s - 1]))
            s--;
        memcpy(structure, line->text + s, before - s);
        structure[before - s] = '\0';
    }
    char **names = static_cast<char **>(Allocate(kMaxCandidates * sizeof(char *)));
    if (!names) {
        NoMemory();
        return;
    }
    int count = g_editorHooks.completionSource
                    ? g_editorHooks.completionSource(prefix, member ? structure : nullptr, names, kMaxCandidates)
                    : 0;
    int chosen = -1;
    if (count == 1) {
        chosen = 0;
    } else if (count > 1) {
        // A short list comes as a menu at the cursor, a long one as a dialog; both choose one.
        chosen = CurrentUiPort()->ChooseFromList(count < kMenuCandidates ? prefix : "Symbols",
                                                 names, count);
    }
    if (count == 0)
        CurrentUiPort()->Beep();
    if (chosen >= 0 && chosen < count && strlen(names[chosen]) > strlen(prefix))
        InsertCompletion(names[chosen] + strlen(prefix));
    for (int i = 0; i < count; i++)
        Release(names[i]);
    Release(names);
}

bool CopyCutBufferToFile() {
    long length = 0;
    char *text = CutBufferText(&length);
    if (!text) {
        ShowStatus(GetString(kStrClipboardEmpty));
        return false;
    }
    char path[kMaxPathLength + 1] = "";
    if (!CurrentUiPort()->AskFileName(true, "Copy to File", "All files\0*.*\0", path, sizeof path)) {
        Release(text);
        return false;
    }
    // The buffer's lines go through the document line writer: each ends with CR LF.
    Document scratch;
    memset(&scratch, 0, sizeof scratch);
    scratch.sentinel = NewLine("", 0);
    bool ok = scratch.sentinel != nullptr;
    if (ok) {
        scratch.sentinel->next = scratch.sentinel->prev = scratch.sentinel;
        long start = 0;
        for (long i = 0; i <= length && ok; i++) {
            if (i < length && text[i] != '\n')
                continue;
            if (i == length && start == length && length > 0)
                break;   // a final LF ends the last line rather than starting another
            Line *line = NewLine(text + start, static_cast<int>(i - start));
            ok = line != nullptr;
            if (ok)
                LinkLineAfter(scratch.sentinel->prev, line);
            start = i + 1;
        }
        if (!ok)
            NoMemory();
    }
    if (ok && !WriteDocumentRaw(path, &scratch, nullptr)) {
        ErrorBox(FormatMessageId(kStrCannotWrite, path));
        ok = false;
    }
    if (scratch.sentinel) {
        for (Line *line = scratch.sentinel->next; line != scratch.sentinel;) {
            Line *next = line->next;
            FreeLine(nullptr, line);
            line = next;
        }
        FreeLine(nullptr, scratch.sentinel);
    }
    Release(text);
    return ok;
}
