// Language records: which files get which keywords and colouring. The list is filled by the
// built-in languages and the user's settings; a document without a language is drawn without
// colours. Every text of a record is its own allocated copy.
#pragma once

struct Document;
struct Line;

// Flag bit value 4: the language ignores case; its keywords are stored in lower case and a
// word is lower-cased before it is looked up.
enum { kLanguageCaseInsensitive = 4, kKeywordBuckets = 13 };

struct KeywordEntry {
    KeywordEntry *next;
    char *text;
};

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
    // Built from the keywords: which characters occur in them, and the keywords by hash.
    unsigned char keywordChars[256];
    KeywordEntry *buckets[kKeywordBuckets];
    bool hasKeywordTable;
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
// Releases one record that is no longer in the list.
void ReleaseLanguage(Language *language);

// The built-in languages: "C Language", "Fortran", "Eiffel", "Assembly" and "Pascal", with
// the keyword lists of the message table. A language already in the list keeps its record.
void AddBuiltinLanguages();
// The keyword hash of a word: h = h * 4 xor c over its characters taken as signed bytes; the
// bucket is |h mod 13|.
int KeywordBucket(const char *word, int length);
// Whether `word` (`length` characters) is one of the language's keywords.
bool IsLanguageKeyword(const Language *language, const char *word, int length);
// The same for the current document's language; false when it has none.
bool IsKeyword(const char *word);
// Whether `word` is one of the C keywords of the message table, whatever the documents'
// languages are.
bool IsCKeyword(const char *word);
// Whether `word` is one of the preprocessor directives.
bool IsDirective(const char *word, int length);

// Chooses the current document's language from a file extension (the text after the last
// dot, without regard to case); sets or clears the C-source flag accordingly.
Language *ChooseLanguage(const char *extension);
// The first language whose extensions hold `extension` (without regard to case), or null.
Language *LanguageOfExtension(const char *extension);
// Gives `doc` its language and sets or clears the C-source flag accordingly.
void SetDocumentLanguage(Document *doc, Language *language);
