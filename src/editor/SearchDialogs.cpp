#include "editor/SearchDialogs.h"

#include <windows.h>

#include "base/CommandIds.h"
#include "base/Commands.h"
#include "base/ResourceIds.h"
#include "editor/Document.h"
#include "editor/Editing.h"
#include "editor/EditorHooks.h"
#include "editor/Search.h"
#include "editor/SearchOptions.h"
#include "ui/Dialogs.h"

namespace {

enum {
    // Longer than a search text may be: a text pasted or set past the box's limit reaches
    // AcceptSearchRequest whole and is refused there instead of being cut short unseen.
    kTextBuffer = 1024,
    kLineDigits = 9,
    kMaxFunctionLabel = 256,
};

const long kLargestLine = 999999999;

// The check boxes and radio buttons that stand for an option bit each. "Case sensitive" is
// the absence of "Ignore case"; a dialog without one of these controls reads it as unchecked.
struct OptionControl {
    int id;
    unsigned short bit;
};

const OptionControl kOptionControls[] = {
    {IDC_SEARCH_CURRENT_WINDOW, kFindCurrentWindow},
    {IDC_SEARCH_ALL_WINDOWS, kFindAllWindows},
    {IDC_SEARCH_EXACT, kFindExact},
    {IDC_SEARCH_REGEX, kFindRegex},
    {IDC_SEARCH_IGNORE_CASE, kFindIgnoreCase},
    {IDC_SEARCH_FORWARDS, kFindForwards},
    {IDC_SEARCH_BACKWARDS, kFindBackwards},
    {IDC_SEARCH_WRAP, kFindWrap},
    {IDC_SEARCH_WHOLE_WORDS, kFindWholeWords},
    {IDC_SEARCH_SIMILAR, kFindSimilar},
    {IDC_REPLACE_CONFIRM, kFindConfirm},
    {IDC_REPLACE_BY_FUNCTION, kFindByFunction},
    {IDC_SEARCH_ICONIZED, kFindIconized},
};

// The search goes one way only: forwards, backwards, or round the document. The three are
// check boxes so that none at all can be chosen (and is refused with "Direction ?"), but
// checking one unchecks the others.
const int kDirections[] = {IDC_SEARCH_FORWARDS, IDC_SEARCH_BACKWARDS, IDC_SEARCH_WRAP};


bool Checked(HWND dialog, int id) { return IsDlgButtonChecked(dialog, id) == BST_CHECKED; }

void Check(HWND dialog, int id, bool on) { CheckDlgButton(dialog, id, on ? BST_CHECKED : BST_UNCHECKED); }

// Sets the controls from the options. Where the bits say two things at once the controls show
// the one the search follows: all windows over the current one, a regular expression over
// exact text, forwards over backwards over wrap.
void ShowOptions(HWND dialog, unsigned short flags) {
    CheckRadioButton(dialog, IDC_SEARCH_CURRENT_WINDOW, IDC_SEARCH_ALL_WINDOWS,
                     (flags & kFindAllWindows) ? IDC_SEARCH_ALL_WINDOWS : IDC_SEARCH_CURRENT_WINDOW);
    CheckRadioButton(dialog, IDC_SEARCH_EXACT, IDC_SEARCH_REGEX,
                     (flags & kFindRegex) ? IDC_SEARCH_REGEX : IDC_SEARCH_EXACT);
    CheckRadioButton(dialog, IDC_SEARCH_IGNORE_CASE, IDC_SEARCH_CASE_SENSITIVE,
                     (flags & kFindIgnoreCase) ? IDC_SEARCH_IGNORE_CASE : IDC_SEARCH_CASE_SENSITIVE);
    int direction = (flags & kFindForwards)    ? IDC_SEARCH_FORWARDS
                    : (flags & kFindBackwards) ? IDC_SEARCH_BACKWARDS
                    : (flags & kFindWrap)      ? IDC_SEARCH_WRAP
                                               : 0;
    for (int id : kDirections)
        Check(dialog, id, id == direction);
    Check(dialog, IDC_SEARCH_WHOLE_WORDS, flags & kFindWholeWords);
    Check(dialog, IDC_SEARCH_SIMILAR, flags & kFindSimilar);
    Check(dialog, IDC_REPLACE_CONFIRM, flags & kFindConfirm);
    Check(dialog, IDC_SEARCH_ICONIZED, g_search->searchIconized);
}

unsigned short ReadOptions(HWND dialog) {
    unsigned short flags = 0;
    for (const OptionControl &control : kOptionControls)
        if (Checked(dialog, control.id))
            flags |= control.bit;
    return flags;
}

// The text box: the texts searched before in this run, newest first, and the current text.
void FillTextBox(HWND dialog) {
    HWND box = GetDlgItem(dialog, IDC_SEARCH_TEXT);
    SendMessageA(box, CB_LIMITTEXT, kMaxSearchText, 0);
    for (int i = 0; i < g_search->historyCount; i++)
        SendMessageA(box, CB_ADDSTRING, 0, reinterpret_cast<LPARAM>(g_search->history[i]));
    SetWindowTextA(box, g_search->text);
    SendMessageA(box, CB_SETEDITSEL, 0, MAKELPARAM(0, -1));
}

// The functions of the current document in the "By function" list, the one the cursor is in
// chosen; false when it has none.
bool FillFunctionList(HWND dialog) {
    Document *doc = g_editor->doc;
    if (!doc || !g_editor->view)
        return false;
    HWND list = GetDlgItem(dialog, IDC_REPLACE_FUNCTION_LIST);
    long cursor = CurrentLineNumber();
    char name[kMaxFunctionLabel];
    long first = 0, last = 0;
    int index = 0, chosen = 0;
    for (; FunctionLines(doc, index, name, sizeof name, &first, &last); index++) {
        SendMessageA(list, CB_ADDSTRING, 0, reinterpret_cast<LPARAM>(name));
        if (first <= cursor && cursor <= last)
            chosen = index;
    }
    SendMessageA(list, CB_SETCURSEL, chosen, 0);
    return index > 0;
}

// "Search" and "Search and replace": the second is the one with a replacement box.
INT_PTR CALLBACK SearchProc(HWND dialog, UINT message, WPARAM wParam, LPARAM lParam) {
    bool replacing = GetDlgItem(dialog, IDC_REPLACE_TEXT) != nullptr;
    switch (message) {
    case WM_INITDIALOG:
        DefaultDialogProc(dialog, message, wParam, lParam);
        FillTextBox(dialog);
        ShowOptions(dialog, g_findFlags);
        if (replacing) {
            SendDlgItemMessageA(dialog, IDC_REPLACE_TEXT, EM_LIMITTEXT, kMaxSearchText, 0);
            SetDlgItemTextA(dialog, IDC_REPLACE_TEXT, g_search->replacement);
            if (!FillFunctionList(dialog)) {
                Check(dialog, IDC_REPLACE_BY_FUNCTION, false);
                EnableWindow(GetDlgItem(dialog, IDC_REPLACE_BY_FUNCTION), FALSE);
                EnableWindow(GetDlgItem(dialog, IDC_REPLACE_FUNCTION_LIST), FALSE);
            }
        }
        SetFocus(GetDlgItem(dialog, IDC_SEARCH_TEXT));
        return FALSE;
    case WM_COMMAND: {
        int id = LOWORD(wParam);
        if (HIWORD(wParam) == BN_CLICKED && (id == IDC_SEARCH_FORWARDS || id == IDC_SEARCH_BACKWARDS ||
                                             id == IDC_SEARCH_WRAP)) {
            if (Checked(dialog, id))
                for (int other : kDirections)
                    if (other != id)
                        Check(dialog, other, false);
            return TRUE;
        }
        if (id == IDC_REPLACE_FUNCTION_LIST && HIWORD(wParam) == CBN_SELCHANGE) {
            Check(dialog, IDC_REPLACE_BY_FUNCTION, true);
            return TRUE;
        }
        if (id != IDOK)
            break;
        char text[kTextBuffer] = "", replacement[kTextBuffer] = "";
        GetDlgItemTextA(dialog, IDC_SEARCH_TEXT, text, sizeof text);
        if (replacing)
            GetDlgItemTextA(dialog, IDC_REPLACE_TEXT, replacement, sizeof replacement);
        unsigned short flags = ReadOptions(dialog);
        // "Search" has no Confirmation box: the choice made for replacing is kept.
        if (!replacing)
            flags |= g_findFlags & kFindConfirm;
        SearchRequest request = {text, replacing ? replacement : nullptr, flags, 0, 0};
        if (flags & kFindByFunction) {
            char name[kMaxFunctionLabel];
            int index = static_cast<int>(SendDlgItemMessageA(dialog, IDC_REPLACE_FUNCTION_LIST, CB_GETCURSEL, 0, 0));
            if (index < 0 || !g_editor->doc ||
                !FunctionLines(g_editor->doc, index, name, sizeof name, &request.functionFirst, &request.functionLast))
                request.functionFirst = request.functionLast = 0;
        }
        if (AcceptSearchRequest(request))
            EndDialog(dialog, IDOK);
        return TRUE;
    }
    }
    return DefaultDialogProc(dialog, message, wParam, lParam);
}

// The line number typed, or 0 when there is none: anything but digits (blanks around them
// aside) is not a number, and a number past the largest line is the largest line.
long TypedLine(const char *text) {
    while (*text == ' ')
        text++;
    long n = 0;
    const char *p = text;
    for (; *p >= '0' && *p <= '9'; p++)
        n = n > kLargestLine / 10 ? kLargestLine : n * 10 + (*p - '0');
    while (*p == ' ')
        p++;
    return *p || p == text ? 0 : n;
}

// "Goto a line number": the line goes back through the long the caller passes.
INT_PTR CALLBACK GotoLineProc(HWND dialog, UINT message, WPARAM wParam, LPARAM lParam) {
    switch (message) {
    case WM_INITDIALOG:
        DefaultDialogProc(dialog, message, wParam, lParam);
        SetWindowLongPtrA(dialog, DWLP_USER, lParam);
        SendDlgItemMessageA(dialog, IDC_GOTO_LINE_NUMBER, EM_LIMITTEXT, kLineDigits, 0);
        SetFocus(GetDlgItem(dialog, IDC_GOTO_LINE_NUMBER));
        return FALSE;
    case WM_COMMAND:
        if (LOWORD(wParam) == IDOK) {
            char text[64] = "";
            GetDlgItemTextA(dialog, IDC_GOTO_LINE_NUMBER, text, sizeof text);
            long n = TypedLine(text);
            if (n < 1) {
                MessageBeep(MB_OK);
                SetFocus(GetDlgItem(dialog, IDC_GOTO_LINE_NUMBER));
                return TRUE;
            }
            *reinterpret_cast<long *>(GetWindowLongPtrA(dialog, DWLP_USER)) = n;
            EndDialog(dialog, IDOK);
            return TRUE;
        }
        break;
    }
    return DefaultDialogProc(dialog, message, wParam, lParam);
}

// Alt+F3: the search runs the way the dialog said, backwards only when Backwards was chosen.
void FindCommand(int, intptr_t) {
    if (RunDialog(SearchProc, IDD_SEARCH, 0) != IDOK)
        return;
    if ((g_findFlags & kFindBackwards) && !(g_findFlags & kFindForwards))
        FindPrevious();
    else
        FindNext();
}

void ReplaceCommand(int, intptr_t) {
    // (Replace has no key, so the command table does not keep it from running without a file.)
    if (!HasFileDocument())
        return;
    if (RunDialog(SearchProc, IDD_SEARCH_REPLACE, 0) == IDOK)
        ReplaceAll();
}

void FindNextCommand(int, intptr_t) { FindNext(); }

void FindPreviousCommand(int, intptr_t) { FindPrevious(); }

void GotoLineCommand(int, intptr_t) {
    long n = 0;
    if (RunDialog(GotoLineProc, IDD_GOTO_LINE, reinterpret_cast<LPARAM>(&n)) == IDOK)
        GotoLineNumber(n);
}

} // namespace

void RegisterSearchCommands() {
    RegisterHandler(IDM_FIND, FindCommand);
    RegisterHandler(IDM_REPLACE, ReplaceCommand);
    RegisterHandler(IDM_FIND_NEXT, FindNextCommand);
    RegisterHandler(IDM_FIND_PREVIOUS, FindPreviousCommand);
    RegisterHandler(IDM_GOTO_LINE, GotoLineCommand);
}
