// Language records: which files get which keywords and colouring. The list is filled by the
// built-in languages and the user's settings; a document without a language is drawn without
// colours. Every text of a record is its own allocated copy.
#pragma once

struct Document;
struct Line;

enum { kLanguageCaseInsensitive = 16 };

struct Language {
    Language *next;
    char *name;
    char *extensions;           // separated by blanks or semicolons, without dots
    // Told of every change of a line of a document in this language, so that the scanner
    // can follow it: a character c inserted at `column`, (c < 0) -c characters deleted
    // there, or ('\n') the next line joined there. Null when the language does not need it.
    void (*characterHook)(Line *line, int column, int c);
    char *startPattern;         // how a function starts and ends (pattern scans)
    char *endPattern;
    char *commentChars;
    char *stringChars;
    char *icon;                 // null when the language has none
    unsigned short flags;
    int code;
    char **keywords;
    int keywordCount;
};

extern Language *g_languages;

// A new language with empty texts and flags 1, put at the head of the list; null when memory
// ran out.
Language *AddLanguage(const char *name);
Language *FindLanguage(const char *name);
// Replaces one of a language's texts with a copy of `text` (null stays null).
void SetLanguageText(char **field, const char *text);
// Replaces the keywords with copies of `count` words.
bool SetLanguageKeywords(Language *language, const char *const *words, int count);
void FreeLanguages();

// Chooses the current document's language from a file extension (the text after the last
// dot, without regard to case); sets or clears the C-source flag accordingly.
Language *ChooseLanguage(const char *extension);
