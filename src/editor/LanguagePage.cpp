// The "Language" page: the list of languages by name; the fields of the chosen one, which
// are taken into the page's copy when another is chosen and on OK; New and Delete.
#include "editor/LanguagePage.h"

#include <windows.h>

#include <ctype.h>
#include <string.h>

#include "base/Boxes.h"
#include "base/EditorPageIds.h"
#include "base/MessageIds.h"
#include "base/Messages.h"
#include "editor/CommentScan.h"
#include "editor/Document.h"
#include "editor/EditorWindow.h"
#include "editor/Language.h"
#include "settings/Settings.h"

namespace {

std::string Trimmed(const std::string &text) {
    size_t first = text.find_first_not_of(" \t\r\n");
    if (first == std::string::npos)
        return "";
    return text.substr(first, text.find_last_not_of(" \t\r\n") + 1 - first);
}

std::string TextOf(const char *text) { return text ? text : ""; }

// The extensions as the records keep them: separated by ";", without the "*." or "." a user
// may type in front.
std::string NormalExtensions(const std::string &typed) {
    std::string out;
    size_t i = 0;
    while (i < typed.size()) {
        size_t end = typed.find_first_of(" \t;,", i);
        if (end == std::string::npos)
            end = typed.size();
        std::string word = typed.substr(i, end - i);
        word.erase(0, word.find_first_not_of("*."));
        if (!word.empty())
            out += (out.empty() ? "" : ";") + word;
        i = end + 1;
    }
    return out;
}

std::vector<std::string> KeywordList(const std::string &text, bool lower) {
    std::vector<std::string> words;
    size_t i = 0;
    while ((i = text.find_first_not_of(" \t\r\n", i)) != std::string::npos) {
        size_t end = text.find_first_of(" \t\r\n", i);
        std::string word = text.substr(i, end == std::string::npos ? std::string::npos : end - i);
        if (lower)
            for (char &c : word)
                c = static_cast<char>(tolower(static_cast<unsigned char>(c)));
        words.push_back(word);
        i = end;
    }
    return words;
}

bool IsCRecord(const Language *record) {
    return record && strcmp(record->name, GetString(kStrLanguageC)) == 0;
}

bool NameTaken(const LanguagePage &page, const std::string &name, int except) {
    for (size_t i = 0; i < page.languages.size(); i++)
        if (static_cast<int>(i) != except && page.languages[i].name == name)
            return true;
    return false;
}

// Every open document takes its language again from its extension; its comments and
// functions are found again and its windows drawn anew.
void RechooseDocumentLanguages() {
    if (!g_editor)
        return;
    for (Document *doc = g_editor->documents; doc; doc = doc->next) {
        SetDocumentLanguage(doc, LanguageOfExtension(Extension(doc->path)));
        FreeCommentSpans(doc);
        doc->flags &= ~kDocFunctionsValid;
    }
    for (View *view = g_editor->views; view; view = view->next) {
        view->state |= kViewRedrawAll | kViewCaretMoved;
        if (view->window)
            InvalidateRect(view->window, nullptr, TRUE);
        RefreshEditorWindow(view);
    }
}

} // namespace

LanguagePage OpenLanguagePage() {
    LanguagePage page;
    for (Language *language = g_languages; language; language = language->next) {
        LanguageValues values;
        values.name = language->name;
        values.extensions = TextOf(language->extensions);
        values.commentChars = TextOf(language->commentChars);
        values.stringChars = TextOf(language->stringChars);
        values.startPattern = TextOf(language->startPattern);
        values.endPattern = TextOf(language->endPattern);
        values.caseInsensitive = (language->flags & kLanguageCaseInsensitive) != 0;
        for (int i = 0; i < language->keywordCount; i++)
            values.keywords += (i ? " " : "") + std::string(language->keywords[i]);
        values.record = language;
        page.languages.push_back(values);
    }
    return page;
}

bool IsCLanguageEntry(const LanguagePage &page, int index) {
    return index >= 0 && index < static_cast<int>(page.languages.size()) && IsCRecord(page.languages[index].record);
}

LanguageResult StoreLanguage(LanguagePage *page, int index, const LanguageValues &values) {
    if (index < 0 || index >= static_cast<int>(page->languages.size()))
        return kLanguageNotFound;
    LanguageValues &entry = page->languages[index];
    std::string name = Trimmed(values.name);
    if (name.empty())
        return kLanguageNoName;
    if (IsCRecord(entry.record) && name != entry.record->name)
        return kLanguageCRequired;
    if (NameTaken(*page, name, index))
        return kLanguageNameUsed;
    Language *record = entry.record;
    entry = values;
    entry.record = record;
    entry.name = name;
    entry.extensions = NormalExtensions(values.extensions);
    for (std::string *text : {&entry.commentChars, &entry.stringChars, &entry.startPattern, &entry.endPattern})
        *text = Trimmed(*text);
    return kLanguageDone;
}

int NewLanguage(LanguagePage *page) {
    std::string name = "New language";
    for (int n = 2; NameTaken(*page, name, -1); n++)
        name = "New language " + std::to_string(n);
    LanguageValues values;
    values.name = name;
    page->languages.insert(page->languages.begin(), values);
    return 0;
}

LanguageResult DeleteLanguage(LanguagePage *page, int index) {
    if (index < 0 || index >= static_cast<int>(page->languages.size()))
        return kLanguageNotFound;
    if (IsCLanguageEntry(*page, index))
        return kLanguageCRequired;
    if (Language *record = page->languages[index].record)
        page->deleted.push_back(record);
    page->languages.erase(page->languages.begin() + index);
    return kLanguageDone;
}

const char *LanguageResultText(LanguageResult result) {
    switch (result) {
    case kLanguageDone:
        return "";
    case kLanguageNoName:
        return "The language needs a name";
    case kLanguageNameUsed:
        return GetString(kStrNameUsed);
    case kLanguageCRequired:
        return "The C language keeps its name: the editor's C support finds it by that name";
    case kLanguageNotFound:
        return "Choose a language in the list";
    }
    return "";
}

bool ApplyLanguagePage(LanguagePage *page) {
    // New records first: when one cannot be made, the ones made go and nothing else changes.
    std::vector<Language *> created;
    for (LanguageValues &values : page->languages) {
        if (values.record)
            continue;
        values.record = AddLanguage(values.name.c_str());
        if (!values.record) {
            for (Language *record : created) {
                g_languages = record->next;   // AddLanguage put each at the head
                ReleaseLanguage(record);
            }
            for (LanguageValues &v : page->languages)
                for (Language *record : created)
                    if (v.record == record)
                        v.record = nullptr;
            NoMemory();
            return false;
        }
        created.insert(created.begin(), values.record);
    }
    bool complete = true;
    for (LanguageValues &values : page->languages) {
        Language *record = values.record;
        SetLanguageText(&record->name, values.name.c_str());
        SetLanguageText(&record->extensions, values.extensions.c_str());
        SetLanguageText(&record->commentChars, values.commentChars.c_str());
        SetLanguageText(&record->stringChars, values.stringChars.c_str());
        SetLanguageText(&record->startPattern, values.startPattern.c_str());
        SetLanguageText(&record->endPattern, values.endPattern.c_str());
        if (values.caseInsensitive)
            record->flags |= kLanguageCaseInsensitive;
        else
            record->flags &= ~kLanguageCaseInsensitive;
        // Set again also when unchanged: the keyword characters follow the case flag.
        std::vector<std::string> words = KeywordList(values.keywords, values.caseInsensitive);
        std::vector<const char *> pointers;
        for (const std::string &word : words)
            pointers.push_back(word.c_str());
        complete &= SetLanguageKeywords(record, pointers.data(), static_cast<int>(pointers.size()));
    }
    // The list in the page's order; the deleted records leave it.
    Language *head = nullptr;
    Language **tail = &head;
    for (LanguageValues &values : page->languages) {
        *tail = values.record;
        tail = &values.record->next;
    }
    *tail = nullptr;
    g_languages = head;
    RechooseDocumentLanguages();
    for (Language *record : page->deleted)
        ReleaseLanguage(record);
    page->deleted.clear();
    if (!complete)
        NoMemory();
    return true;
}

// ---- The page's window: it only moves values between the controls and the page's copy ----

namespace {

LanguagePage g_page;
int g_shown = -1;   // the entry whose fields the controls show

const struct {
    int id;
    std::string LanguageValues::*field;
} kTextControls[] = {
    {IDC_LANG_NAME, &LanguageValues::name},
    {IDC_LANG_EXTENSIONS, &LanguageValues::extensions},
    {IDC_LANG_COMMENT, &LanguageValues::commentChars},
    {IDC_LANG_STRINGS, &LanguageValues::stringChars},
    {IDC_LANG_START, &LanguageValues::startPattern},
    {IDC_LANG_END, &LanguageValues::endPattern},
};

void ShowEntry(HWND page, int index) {
    g_shown = index;
    bool exists = index >= 0 && index < static_cast<int>(g_page.languages.size());
    LanguageValues empty;
    const LanguageValues &values = exists ? g_page.languages[index] : empty;
    for (const auto &control : kTextControls) {
        SetItemText(page, control.id, values.*control.field);
        EnableWindow(GetDlgItem(page, control.id), exists);
    }
    SetChecked(page, IDC_LANG_NOCASE, values.caseInsensitive);
    EnableWindow(GetDlgItem(page, IDC_LANG_NOCASE), exists);
    std::string keywords;
    for (const std::string &word : KeywordList(values.keywords, false))
        keywords += (keywords.empty() ? "" : " ") + word;
    SetItemText(page, IDC_LANG_KEYWORDS, keywords);
    EnableWindow(GetDlgItem(page, IDC_LANG_KEYWORDS), exists);
    bool isC = IsCLanguageEntry(g_page, index);
    SendDlgItemMessageA(page, IDC_LANG_NAME, EM_SETREADONLY, isC, 0);
    EnableWindow(GetDlgItem(page, IDC_LANG_DELETE), exists && !isC);
    SendDlgItemMessageA(page, IDC_LANG_LIST, LB_SETCURSEL, index, 0);
}

void FillList(HWND page) {
    HWND list = GetDlgItem(page, IDC_LANG_LIST);
    SendMessageA(list, LB_RESETCONTENT, 0, 0);
    for (const LanguageValues &values : g_page.languages)
        SendMessageA(list, LB_ADDSTRING, 0, reinterpret_cast<LPARAM>(values.name.c_str()));
}

// Takes the controls into the shown entry; false (after telling why) when refused.
bool StoreShown(HWND page) {
    if (g_shown < 0 || g_shown >= static_cast<int>(g_page.languages.size()))
        return true;
    LanguageValues values;
    for (const auto &control : kTextControls)
        values.*control.field = ItemText(page, control.id);
    values.caseInsensitive = IsChecked(page, IDC_LANG_NOCASE);
    values.keywords = ItemText(page, IDC_LANG_KEYWORDS);
    LanguageResult result = StoreLanguage(&g_page, g_shown, values);
    if (result != kLanguageDone) {
        ErrorBox(LanguageResultText(result));
        SendDlgItemMessageA(page, IDC_LANG_LIST, LB_SETCURSEL, g_shown, 0);
        SetFocus(GetDlgItem(page, IDC_LANG_NAME));
        return false;
    }
    return true;
}

void Show(HWND page) {
    g_page = OpenLanguagePage();
    g_shown = -1;
    for (const auto &control : kTextControls)
        SendDlgItemMessageA(page, control.id, EM_LIMITTEXT, kSettingBufferSize - 1, 0);
    FillList(page);
    ShowEntry(page, g_page.languages.empty() ? -1 : 0);
}

void Command(HWND page, int id) {
    switch (id) {
    case IDC_LANG_LIST: {
        int chosen = static_cast<int>(SendDlgItemMessageA(page, IDC_LANG_LIST, LB_GETCURSEL, 0, 0));
        if (chosen == g_shown || !StoreShown(page))
            return;
        FillList(page);   // the stored entry's name may have changed
        ShowEntry(page, chosen);
        return;
    }
    case IDC_LANG_NEW:
        if (!StoreShown(page))
            return;
        NewLanguage(&g_page);
        FillList(page);
        ShowEntry(page, 0);
        SetFocus(GetDlgItem(page, IDC_LANG_NAME));
        SendDlgItemMessageA(page, IDC_LANG_NAME, EM_SETSEL, 0, -1);
        return;
    case IDC_LANG_DELETE: {
        LanguageResult result = DeleteLanguage(&g_page, g_shown);
        if (result != kLanguageDone) {
            ErrorBox(LanguageResultText(result));
            return;
        }
        int next = g_shown < static_cast<int>(g_page.languages.size()) ? g_shown : g_shown - 1;
        FillList(page);
        ShowEntry(page, next);
        return;
    }
    }
}

bool Apply(HWND page) { return StoreShown(page) && ApplyLanguagePage(&g_page); }

const PageHandlers kHandlers = {Show, Apply, Command};

} // namespace

PROPSHEETPAGEA LanguagePageSheet() { return MakePage(IDD_PAGE_LANGUAGE, nullptr, &kHandlers, kPageSheet); }
