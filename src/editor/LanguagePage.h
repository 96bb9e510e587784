// The "Language" page of the configuration sheet: the languages that decide which file gets
// which keywords, comments and function patterns. The page edits a copy of the fields; OK
// writes them into the program's records, and every open document takes its language again
// from its extension and is drawn anew.
#pragma once

#include <string>
#include <vector>

#include "ui/Pages.h"

struct Language;

struct LanguageValues {
    std::string name;
    std::string extensions;       // separated by ";" or blanks, without dots
    std::string commentChars;
    std::string stringChars;
    std::string startPattern;     // how a function starts and ends (pattern scans)
    std::string endPattern;
    bool caseInsensitive = false;
    std::string keywords;         // separated by blanks, tabs or line ends
    Language *record = nullptr;   // the program's record; null for a language added here
};

struct LanguagePage {
    std::vector<LanguageValues> languages;   // in the order the extensions are tried
    std::vector<Language *> deleted;         // records that OK removes
};

enum LanguageResult {
    kLanguageDone,
    kLanguageNoName,
    kLanguageNameUsed,    // "Name already used"
    kLanguageCRequired,   // the C language is neither deleted nor renamed
    kLanguageNotFound,
};

LanguagePage OpenLanguagePage();
// Puts `values` (its record aside) into entry `index`.
LanguageResult StoreLanguage(LanguagePage *page, int index, const LanguageValues &values);
// Adds an entry named "New language" (numbered when the name is taken) at the head of the
// list, where a new language goes; its index, 0.
int NewLanguage(LanguagePage *page);
LanguageResult DeleteLanguage(LanguagePage *page, int index);
const char *LanguageResultText(LanguageResult result);
// Whether entry `index` is the C language, which the editor's C support finds by its name.
bool IsCLanguageEntry(const LanguagePage &page, int index);
// Writes the page into the program's languages, then gives every open document its language
// again; false (nothing changed) when memory ran out for a new record.
bool ApplyLanguagePage(LanguagePage *page);

PROPSHEETPAGEA LanguagePageSheet();
