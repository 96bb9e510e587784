// Random editing sessions played through the editor's entry points (keys, characters, clicks
// and editing commands), then taken back with Undo.
//
// After every action the text and the cursor are kept under the journal count the action left.
// An action that writes no record must leave the text alone. Undoing, whenever the count comes
// back to one an action left, text and cursor must be what they were then: each action is taken
// back whole, in order, and never two at once; at count 0 the starting text is back. (The cursor
// below the last line and at the end of the last line count as one place.) Sessions stop before
// the journal could fill up and give up its history. A failing session is shrunk to a short list
// of actions before it is reported.
#include <stdint.h>
#include <stdio.h>

#include <map>
#include <string>
#include <vector>

#include "base/CommandIds.h"
#include "base/MessageIds.h"
#include "base/Messages.h"
#include "editor/DocumentTestSupport.h"
#include "editor/Editing.h"
#include "editor/EditorInput.h"
#include "editor/Journal.h"

namespace {

const EditorMetrics kMetrics = {16, 8, 0, 800};
const int kRows = 20;

enum ActionKind { kType, kKey, kCommand, kClick, kDrag, kDoubleClick, kToggleIndent };

struct Action {
    ActionKind kind;
    int code;      // character, virtual key or command; for clicks 1 = left button
    int repeat = 1;
    int x = 0, y = 0, x2 = 0, y2 = 0;
    bool shift = false;
};

std::string Describe(const Action &a) {
    char text[96];
    if (a.kind == kType)
        snprintf(text, sizeof text, a.code >= 32 ? "EditorChar('%c', %d, false)" : "EditorChar(%d, %d, false)",
                 a.code, a.repeat);
    else if (a.kind == kKey)
        snprintf(text, sizeof text, "EditorKey(%d, %d, false)", a.code, a.repeat);
    else if (a.kind == kCommand)
        snprintf(text, sizeof text, "EditCommand(%d)", a.code);
    else if (a.kind == kClick)
        snprintf(text, sizeof text, "EditorButtonDown(%s, %d, %d, %s, m)", a.code ? "true" : "false", a.x, a.y,
                 a.shift ? "true" : "false");
    else if (a.kind == kDrag)
        snprintf(text, sizeof text, "drag (%d,%d) -> (%d,%d)", a.x, a.y, a.x2, a.y2);
    else if (a.kind == kDoubleClick)
        snprintf(text, sizeof text, "double click (%d,%d)", a.x, a.y);
    else
        return "g_autoIndent = !g_autoIndent";
    return text;
}

// The most journal records one action can write: besides its own, a cut for a selection typed
// over and a line break for a line typed into at its length limit; overwrite mode adds one per
// character typed, Delete writes one per character and Backspace one per four.
int RecordBound(const Action &a) {
    bool overwrite = (g_editor->view->state & kViewOverwrite) != 0;
    if (a.kind == kType && a.code != 8 && a.code != 13)
        return (overwrite ? a.repeat : 0) + 3;
    return a.repeat + 3;
}

class Random {
public:
    explicit Random(uint32_t seed) : state_(seed * 2654435761u + 1) {}
    int Below(int n) {
        state_ ^= state_ << 13;
        state_ ^= state_ >> 17;
        state_ ^= state_ << 5;
        return static_cast<int>(state_ % static_cast<uint32_t>(n));
    }
    template <size_t N> int Pick(const int (&choices)[N]) { return choices[Below(N)]; }

private:
    uint32_t state_;
};

Action RandomAction(Random &rng, bool cSource) {
    static const int kPlain[] = {'a', 'b', 'x', 'y', 'z', ' ', ' ', '.', ';', '/', '*', '(', ')'};
    static const int kC[] = {'i', 'f', 'e', 'l', 's', ' ', ' ', ';', '{', '}', '(', ')', ':', '&'};
    static const int kMoves[] = {kKeyLeft, kKeyRight, kKeyUp, kKeyDown};
    static const int kExtend[] = {IDM_EXTEND_UP,         IDM_EXTEND_DOWN,      IDM_EXTEND_RIGHT,
                                  IDM_EXTEND_LEFT,       IDM_EXTEND_LINE_END,  IDM_EXTEND_LINE_START,
                                  IDM_EXTEND_WORD_RIGHT, IDM_EXTEND_WORD_LEFT, IDM_EXTEND_DOWN_ROW,
                                  IDM_EXTEND_TO_TOP,     IDM_EXTEND_TO_END,    IDM_EXTEND_PAGE_UP,
                                  IDM_EXTEND_PAGE_DOWN};
    static const int kJumps[] = {IDM_WORD_RIGHT,       IDM_WORD_LEFT, IDM_WORD_RIGHT_REPEAT,
                                 IDM_WORD_LEFT_REPEAT, IDM_RECENTER,  IDM_GOTO_TOP,
                                 IDM_GOTO_END};
    Action a = {kType, 0};
    int roll = rng.Below(100);
    if (roll < 20) {
        a.code = cSource ? rng.Pick(kC) : rng.Pick(kPlain);
        // Now and then a long run, so that lines reach the length at which typing breaks them.
        int r = rng.Below(40);
        a.repeat = r == 0 ? 10 + rng.Below(20) : r < 6 ? 2 + rng.Below(3) : 1;
    } else if (roll < 24) {
        a = {kType, '\t', 1 + rng.Below(2)};
    } else if (roll < 31) {
        a = {kType, 13, rng.Below(8) == 0 ? 2 + rng.Below(2) : 1};
    } else if (roll < 38) {
        a = {kType, 8, 1 + rng.Below(6)};
    } else if (roll < 43) {
        a = {kKey, kKeyDelete, 1 + rng.Below(3)};
    } else if (roll < 53) {
        a = {kKey, rng.Pick(kMoves), 1 + rng.Below(3)};   // a braced list: evaluated in order
    } else if (roll < 56) {
        a = {kKey, rng.Below(2) ? kKeyHome : kKeyEnd};
    } else if (roll < 58) {
        a = {kKey, rng.Below(2) ? kKeyPageUp : kKeyPageDown};
    } else if (roll < 68) {
        a = {kCommand, rng.Pick(kExtend)};
    } else if (roll < 72) {
        a = {kCommand, rng.Pick(kJumps)};
    } else if (roll < 75) {
        a = {kCommand, IDM_CUT};
    } else if (roll < 79) {
        a = {kCommand, IDM_PASTE};
    } else if (roll < 80) {
        a = {kCommand, IDM_COPY};
    } else if (roll < 83) {
        a = {kKey, kKeyInsert};
    } else if (roll < 87) {
        a = {kType, '}'};
    } else if (roll < 89) {
        a = {kToggleIndent, 0};
    } else if (roll < 98) {
        // Clicks anywhere, the sideways-scrolling edges included.
        int r = rng.Below(8);
        a.kind = r < 5 ? kClick : r < 7 ? kDrag : kDoubleClick;
        a.code = rng.Below(5) ? 1 : 0;
        a.shift = rng.Below(3) == 0;
        a.x = rng.Below(kMetrics.clientWidth);
        a.y = rng.Below((kRows + 2) * kMetrics.lineHeight);
        a.x2 = rng.Below(kMetrics.clientWidth - 16);
        a.y2 = rng.Below((kRows + 2) * kMetrics.lineHeight) - kMetrics.lineHeight;
    } else {
        a = {kCommand, IDM_UNDO};
    }
    return a;
}

void Apply(const Action &a) {
    if (a.kind == kType) {
        EditorChar(a.code, a.repeat, false);
    } else if (a.kind == kKey) {
        EditorKey(a.code, a.repeat, false);
    } else if (a.kind == kCommand) {
        EditCommand(a.code);
    } else if (a.kind == kToggleIndent) {
        g_autoIndent = !g_autoIndent;
    } else {   // the mouse: only a plain click may be of the right button or shifted
        bool click = a.kind == kClick;
        EditorButtonDown(!click || a.code != 0, a.x, a.y, click && a.shift, kMetrics);
        if (a.kind == kDrag)
            EditorMouseMove(a.x2, a.y2, kMetrics);
        EditorButtonUp();
        if (a.kind == kDoubleClick) {
            EditorDoubleClick(a.x, a.y, kMetrics);
            EditorButtonUp();
        }
    }
}

struct State { Lines lines; long line; int column; };

bool SameState(const State &a, const State &b) {
    return a.lines == b.lines && a.line == b.line && a.column == b.column;
}

std::string Show(const State &s) {
    std::string text = "cursor " + std::to_string(s.line) + ":" + std::to_string(s.column) + " [";
    for (size_t i = 0; i < s.lines.size(); i++) {
        text += i ? ", \"" : "\"";
        for (char c : s.lines[i])
            text += c == '\t' ? std::string("\\t") : std::string(1, c);
        text += "\"";
    }
    return text + "]";
}

// The cursor below the last line counts as standing at the end of the last line.
State Capture() {
    const View *view = g_editor->view;
    const Document *doc = view->doc;
    const Line *line = view->current;
    int column = view->column;
    if (IsSentinel(doc, line) && !IsSentinel(doc, line->prev)) {
        line = line->prev;
        column = line->length;
    }
    return {LinesOf(doc), LineNumberOf(doc, line), column};
}

// Line and column references of the view and document still name lines of the document, and
// the cursor's line number is right.
std::string CheckConsistent() {
    const View *view = g_editor->view;
    const Document *doc = view->doc;
    long count = 0;
    for (const Line *l = FirstLine(doc); !IsSentinel(doc, l); l = l->next) {
        if (l->next->prev != l)
            return "broken line links";
        count++;
    }
    if (count != doc->lineCount)
        return "line count " + std::to_string(doc->lineCount) + " for " + std::to_string(count) + " lines";
    auto valid = [doc, count](const Line *line, int column) {
        return line && (line == doc->sentinel ? column == 0
                                              : LineNumberOf(doc, line) <= count && column <= line->length);
    };
    if (!valid(view->current, view->column))
        return "cursor outside the text";
    if (view->anchor && !valid(view->anchor, view->anchorColumn))
        return "selection anchor outside the text";
    if (view->top && !valid(view->top, 0))
        return "top line outside the document";
    // The cursor's line number is kept from step to step, not counted each time.
    if (CurrentLineNumber() != LineNumberOf(doc, view->current))
        return "cursor line number " + std::to_string(CurrentLineNumber()) + ", walked " +
               std::to_string(LineNumberOf(doc, view->current));
    return "";
}

struct Start { const char *name; std::string bytes; bool cSource; };

class UndoRandomTest : public DocumentTest {
protected:
    int savedTab = g_tabSize;
    bool savedIndent = g_autoIndent;

    void TearDown() override {
        g_tabSize = savedTab;
        g_autoIndent = savedIndent;
        DocumentTest::TearDown();
    }

    // Checks the Undo that just ran from journal count `before`. It must take back at least one
    // record and no more than the rest of one action; when it ends where an action ended, the
    // state must be that action's. Undoing part of an action leaves a state that undoing back
    // to the same count must give again.
    static std::string CheckUndo(std::map<int, State> &at, int before) {
        int after = JournalCount();
        std::string broken = CheckConsistent();
        if (!broken.empty())
            return broken;
        if (before == 0 ? after != 0 : after >= before)
            return "journal count " + std::to_string(before) + " -> " + std::to_string(after);
        auto skipped = at.upper_bound(after);
        if (skipped != at.end() && skipped->first < before)
            return "went to count " + std::to_string(after) + ", past the action that ended at " +
                   std::to_string(skipped->first);
        State now = Capture();
        auto expected = at.find(after);
        if (expected != at.end() && !SameState(expected->second, now))
            return "gave " + Show(now) + "\n expected " + Show(expected->second);
        at.erase(at.upper_bound(after), at.end());
        at[after] = now;
        return "";
    }

    // Opens the starting document afresh, plays the actions (stopping before the journal could
    // fill up) and undoes them all. Returns what went wrong, or "" when nothing did.
    std::string Play(const Start &start, int tabSize, const std::vector<Action> &actions) {
        NewEditorState();
        ui.boxes.clear();
        g_tabSize = tabSize;
        g_autoIndent = true;
        if (!OpenDocument(PathOf(start.name).c_str()))
            return "cannot open the document";
        Document *doc = g_editor->doc;
        if (start.cSource)
            doc->flags |= kDocCSource;
        g_editor->view->visibleRows = kRows;
        const State initial = Capture();
        // The state that undoing back to each journal count must give.
        std::map<int, State> at = {{JournalCount(), initial}};
        for (size_t i = 0; i < actions.size(); i++) {
            const Action &a = actions[i];
            int before = JournalCount();
            if (before + RecordBound(a) >= kJournalSize)
                break;
            Apply(a);
            int after = JournalCount();
            State now = Capture();
            std::string where = "action " + std::to_string(i) + " (" + Describe(a) + "): ";
            std::string broken = CheckConsistent();
            if (!broken.empty())
                return where + broken;
            if (a.kind == kCommand && a.code == IDM_UNDO) {
                std::string fault = CheckUndo(at, before);
                if (!fault.empty())
                    return where + fault;
                continue;
            }
            if (after < before)
                return where + "journal count fell from " + std::to_string(before) + " to " + std::to_string(after);
            if (after == before && now.lines != at[before].lines)
                return where + "text changed without a journal record: " + Show(now);
            at[after] = now;
        }
        // Every text seen while undoing, newest first: Redo must walk them back in order. An
        // Undo among the actions may have left changes to redo already; they come after.
        int pending = RedoCount();
        std::vector<Lines> texts = {LinesOf(doc)};
        while (JournalCount() > 0) {
            int before = JournalCount();
            EditCommand(IDM_UNDO);
            std::string fault = CheckUndo(at, before);
            if (!fault.empty())
                return "Undo from count " + std::to_string(before) + ": " + fault;
            if (LinesOf(doc) != texts.back())
                texts.push_back(LinesOf(doc));
        }
        if (LinesOf(doc) != initial.lines)
            return "after undoing everything: " + Show(Capture()) + "\n expected " + Show(initial);
        if (RedoCount() != pending + int(texts.size()) - 1)
            return std::to_string(RedoCount()) + " changes to redo after " + std::to_string(texts.size() - 1) +
                   " undone";
        for (size_t k = texts.size() - 1; k-- > 0;) {
            EditCommand(IDM_REDO);
            if (LinesOf(doc) != texts[k])
                return "Redo " + std::to_string(texts.size() - 1 - k) + ": " + Show(Capture());
        }
        // What was redone is undone again, back to the start.
        while (JournalCount() > 0)
            EditCommand(IDM_UNDO);
        if (LinesOf(doc) != initial.lines)
            return "after undoing the redone changes: " + Show(Capture());
        for (const ShownBox &box : ui.boxes)
            if (box.text != GetString(kStrLineTooLong))
                return "unexpected box \"" + box.text + "\"";
        return "";
    }

    // Plays sessions of random actions from `start`, one per seed. A failing session is shrunk
    // by leaving out actions as long as it still fails, and reported with what remains.
    void RunSessions(const Start &start, int firstSeed, int seeds, int length) {
        WriteWholeFile(PathOf(start.name), start.bytes);
        int failures = 0;
        for (int seed = firstSeed; seed < firstSeed + seeds && failures < 3; seed++) {
            Random rng(static_cast<uint32_t>(seed));
            std::vector<Action> actions;
            for (int i = 0; i < length; i++)
                actions.push_back(RandomAction(rng, start.cSource));
            int tab = seed % 3 == 0 ? 8 : seed % 3 == 1 ? 4 : 3;
            std::string fault = Play(start, tab, actions);
            if (fault.empty())
                continue;
            failures++;
            for (bool shrunk = true; shrunk;) {
                shrunk = false;
                for (size_t i = actions.size(); i-- > 0;) {
                    for (size_t n = 1; n <= 2 && i + n <= actions.size(); n++) {
                        std::vector<Action> fewer = actions;
                        fewer.erase(fewer.begin() + i, fewer.begin() + i + n);
                        std::string f = Play(start, tab, fewer);
                        if (!f.empty()) {
                            actions = fewer;
                            fault = f;
                            shrunk = true;
                            break;
                        }
                    }
                }
            }
            std::string list;
            for (const Action &a : actions)
                list += "  " + Describe(a) + "\n";
            ADD_FAILURE() << start.name << ", seed " << seed << ", tab width " << tab << ": " << fault
                          << "\nactions:\n" << list;
        }
    }
};

TEST_F(UndoRandomTest, EmptyIndentedAndCSource) {
    const Start starts[] = {
        {"EMPTY.TXT", "", false},
        {"INDENT.TXT", "first line\n\tone tab\n\t\ttwo tabs  \n    four blanks\n\n  \t mixed\tinner\ttabs\n"
                       "\n\n" + std::string(490, 'w') + "\nlast line without a break", false},
        {"MAIN.C", "int main(void)\n{\n\tif (x)\n\t\ty();\n\twhile (a &&\n\t       b) {\n\t\tswitch (c) {\n"
                   "\t\tcase 1:\n\t\t\tbreak;\n\t\t}\n\t}\n\telse\n\t\treturn 0;\n\t\t\n}\n", true}};
    for (const Start &start : starts)
        RunSessions(start, 1, 500, 400);
}

} // namespace
