// The "Macros" page: a list of the macros, the chosen letter's text and cursor offset, and
// Add, Change and Delete buttons that edit the page's copy until OK.
#include "editor/MacroPage.h"

#include <windows.h>

#include <stdlib.h>
#include <string.h>

#include <algorithm>

#include "base/Boxes.h"
#include "base/EditorPageIds.h"
#include "base/Memory.h"
#include "editor/EditorInput.h"

namespace {

enum { kListTextLength = 60 };

bool IsMacroLetter(int letter) { return letter >= 'a' && letter <= 'z'; }

std::vector<MacroValues>::iterator Find(MacroPage *page, int letter) {
    return std::find_if(page->macros.begin(), page->macros.end(),
                        [letter](const MacroValues &m) { return m.letter == letter; });
}

} // namespace

MacroPage OpenMacroPage() {
    MacroPage page;
    for (const TextMacro *macro = g_textMacros; macro; macro = macro->next) {
        if (!macro->text || macro->length <= 0 || Find(&page, macro->code) != page.macros.end())
            continue;
        MacroValues values;
        values.letter = macro->code;
        values.text.assign(macro->text, macro->length);
        values.cursorOffset = std::max(0, std::min(macro->cursorOffset, macro->length));
        page.macros.push_back(values);
    }
    std::stable_sort(page.macros.begin(), page.macros.end(),
                     [](const MacroValues &a, const MacroValues &b) { return a.letter < b.letter; });
    return page;
}

MacroResult PutMacro(MacroPage *page, const MacroValues &values, bool adding) {
    if (!IsMacroLetter(values.letter))
        return kMacroNoLetter;
    if (values.text.empty())
        return kMacroEmptyText;
    if (values.text.size() > kMaxMacroLength)
        return kMacroTooLong;
    if (values.cursorOffset < 0 || values.cursorOffset > static_cast<int>(values.text.size()))
        return kMacroBadCursor;
    auto found = Find(page, values.letter);
    if (adding) {
        if (found != page->macros.end())
            return kMacroLetterUsed;
        auto at = std::find_if(page->macros.begin(), page->macros.end(),
                               [&values](const MacroValues &m) { return m.letter > values.letter; });
        page->macros.insert(at, values);
        return kMacroDone;
    }
    if (found == page->macros.end())
        return kMacroNotFound;
    *found = values;
    return kMacroDone;
}

MacroResult DeleteMacro(MacroPage *page, int letter) {
    auto found = Find(page, letter);
    if (found == page->macros.end())
        return kMacroNotFound;
    page->macros.erase(found);
    return kMacroDone;
}

const char *MacroResultText(MacroResult result) {
    switch (result) {
    case kMacroDone:
        return "";
    case kMacroNoLetter:
        return "Choose a letter from a to z";
    case kMacroLetterUsed:
        return "This letter has a macro already: choose Change to replace its text";
    case kMacroNotFound:
        return "This letter has no macro";
    case kMacroEmptyText:
        return "The macro text is empty";
    case kMacroTooLong:
        return "A macro text holds at most 32000 characters";
    case kMacroBadCursor:
        return "The cursor position must lie between 0 and the length of the text";
    }
    return "";
}

bool ApplyMacroPage(const MacroPage &page) {
    // The whole new list is made before the old one goes, so that running out of memory
    // leaves the program's macros as they were.
    TextMacro *head = nullptr;
    TextMacro **tail = &head;
    bool complete = true;
    for (const MacroValues &values : page.macros) {
        TextMacro *macro = static_cast<TextMacro *>(Allocate(sizeof(TextMacro)));
        char *text = static_cast<char *>(Allocate(values.text.size() + 1));
        if (!macro || !text) {
            Release(macro);
            Release(text);
            complete = false;
            break;
        }
        memcpy(text, values.text.c_str(), values.text.size() + 1);
        macro->next = nullptr;
        macro->code = values.letter;
        macro->cursorOffset = values.cursorOffset;
        macro->length = static_cast<int>(values.text.size());
        macro->text = text;
        *tail = macro;
        tail = &macro->next;
    }
    if (!complete) {
        while (TextMacro *macro = head) {
            head = macro->next;
            Release(macro->text);
            Release(macro);
        }
        NoMemory();
        return false;
    }
    FreeTextMacros();
    g_textMacros = head;
    return true;
}

std::string MacroListText(const MacroValues &values) {
    std::string line(1, static_cast<char>(values.letter));
    line += "\t";
    for (char c : values.text) {
        if (line.size() >= kListTextLength + 2) {
            line += "...";
            break;
        }
        // A line break shows as a pilcrow-like bar, a tab as a blank, so the list keeps one line.
        line += c == '\n' ? '|' : c == '\t' || c == '\r' ? ' ' : c;
    }
    return line;
}

std::string MacroTextFromEdit(const std::string &edit) {
    std::string text;
    for (size_t i = 0; i < edit.size(); i++)
        if (edit[i] != '\r' || i + 1 >= edit.size() || edit[i + 1] != '\n')
            text += edit[i];
    return text;
}

std::string MacroTextForEdit(const std::string &text) {
    std::string edit;
    for (char c : text) {
        if (c == '\n')
            edit += '\r';
        edit += c;
    }
    return edit;
}

// ---- The page's window: it only moves values between the controls and the page's copy ----

namespace {

MacroPage g_page;

int ChosenLetter(HWND page) {
    LRESULT index = SendDlgItemMessageA(page, IDC_MACRO_LETTER, CB_GETCURSEL, 0, 0);
    return index == CB_ERR ? 0 : 'a' + static_cast<int>(index);
}

void ShowMacro(HWND page, const MacroValues &values) {
    SendDlgItemMessageA(page, IDC_MACRO_LETTER, CB_SETCURSEL, values.letter - 'a', 0);
    SetItemText(page, IDC_MACRO_TEXT, MacroTextForEdit(values.text));
    SetItemText(page, IDC_MACRO_CURSOR, std::to_string(values.cursorOffset));
}

// Selects the letter's row in the list, or none.
void SelectLetter(HWND page, int letter) {
    int selected = -1;
    for (size_t i = 0; i < g_page.macros.size(); i++)
        if (g_page.macros[i].letter == letter)
            selected = static_cast<int>(i);
    SendDlgItemMessageA(page, IDC_MACRO_LIST, LB_SETCURSEL, selected, 0);
}

void FillList(HWND page, int selectLetter) {
    HWND list = GetDlgItem(page, IDC_MACRO_LIST);
    SendMessageA(list, LB_RESETCONTENT, 0, 0);
    for (const MacroValues &values : g_page.macros)
        SendMessageA(list, LB_ADDSTRING, 0, reinterpret_cast<LPARAM>(MacroListText(values).c_str()));
    SelectLetter(page, selectLetter);
}

// The values of the controls; false (after telling why) when the cursor field is no number.
bool GatherMacro(HWND page, MacroValues *values) {
    values->letter = ChosenLetter(page);
    values->text = MacroTextFromEdit(ItemText(page, IDC_MACRO_TEXT));
    std::string cursor = ItemText(page, IDC_MACRO_CURSOR);
    if (cursor.empty()) {
        values->cursorOffset = static_cast<int>(values->text.size());
        return true;
    }
    if (cursor.size() > 6 || cursor.find_first_not_of("0123456789") != std::string::npos) {
        ErrorBox(MacroResultText(kMacroBadCursor));
        return false;
    }
    values->cursorOffset = atoi(cursor.c_str());
    return true;
}

void Show(HWND page) {
    g_page = OpenMacroPage();
    for (char letter = 'a'; letter <= 'z'; letter++) {
        char text[2] = {letter, '\0'};
        SendDlgItemMessageA(page, IDC_MACRO_LETTER, CB_ADDSTRING, 0, reinterpret_cast<LPARAM>(text));
    }
    SendDlgItemMessageA(page, IDC_MACRO_TEXT, EM_LIMITTEXT, kMaxMacroLength + 1000, 0);
    int tab = 16;
    SendDlgItemMessageA(page, IDC_MACRO_LIST, LB_SETTABSTOPS, 1, reinterpret_cast<LPARAM>(&tab));
    FillList(page, g_page.macros.empty() ? 0 : g_page.macros[0].letter);
    if (!g_page.macros.empty())
        ShowMacro(page, g_page.macros[0]);
    else
        SendDlgItemMessageA(page, IDC_MACRO_LETTER, CB_SETCURSEL, 0, 0);
}

void Command(HWND page, int id) {
    if (id == IDC_MACRO_LIST) {
        LRESULT index = SendDlgItemMessageA(page, IDC_MACRO_LIST, LB_GETCURSEL, 0, 0);
        if (index != LB_ERR && index < static_cast<LRESULT>(g_page.macros.size()))
            ShowMacro(page, g_page.macros[index]);
        return;
    }
    if (id == IDC_MACRO_LETTER) {
        SelectLetter(page, ChosenLetter(page));
        return;
    }
    if (id != IDC_MACRO_ADD && id != IDC_MACRO_CHANGE && id != IDC_MACRO_DELETE)
        return;
    MacroValues values;
    if (!GatherMacro(page, &values))
        return;
    MacroResult result = id == IDC_MACRO_DELETE ? DeleteMacro(&g_page, values.letter)
                                                : PutMacro(&g_page, values, id == IDC_MACRO_ADD);
    if (result != kMacroDone) {
        ErrorBox(MacroResultText(result));
        return;
    }
    FillList(page, values.letter);
    if (id == IDC_MACRO_DELETE) {
        SetItemText(page, IDC_MACRO_TEXT, "");
        SetItemText(page, IDC_MACRO_CURSOR, "");
    } else {
        SetItemText(page, IDC_MACRO_CURSOR, std::to_string(values.cursorOffset));
    }
}

bool Apply(HWND) { return ApplyMacroPage(g_page); }

const PageHandlers kHandlers = {Show, Apply, Command};

} // namespace

PROPSHEETPAGEA MacroPageSheet() { return MakePage(IDD_PAGE_MACROS, nullptr, &kHandlers, kPageSheet); }
