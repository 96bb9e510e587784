#include "editor/Language.h"

#include <string.h>
#include <strings.h>

#include <initializer_list>

#include "base/Memory.h"
#include "base/MessageIds.h"
#include "base/Messages.h"
#include "editor/CommentScan.h"
#include "editor/Document.h"

Language *g_languages;

static bool HasExtension(const char *list, const char *extension) {
    size_t n = strlen(extension);
    for (const char *p = list; *p;) {
        while (*p == ' ' || *p == ';')
            p++;
        size_t len = strcspn(p, " ;");
        if (len == n && n > 0 && strncasecmp(p, extension, n) == 0)
            return true;
        p += len;
    }
    return false;
}

Language *LanguageOfExtension(const char *extension) {
    for (Language *l = g_languages; l; l = l->next)
        if (l->extensions && HasExtension(l->extensions, extension))
            return l;
    return nullptr;
}

void SetDocumentLanguage(Document *doc, Language *language) {
    doc->language = language;
    if (language && strcmp(language->name, GetString(kStrLanguageC)) == 0)
        doc->flags |= kDocCSource;
    else
        doc->flags &= ~kDocCSource;
}

Language *ChooseLanguage(const char *extension) {
    Language *found = LanguageOfExtension(extension);
    if (g_editor && g_editor->doc)
        SetDocumentLanguage(g_editor->doc, found);
    return found;
}

Language *AddLanguage(const char *name) {
    Language *language = static_cast<Language *>(Allocate(sizeof(Language)));
    if (!language)
        return nullptr;
    language->name = DupString(name);
    language->extensions = DupString("");
    if (!language->name || !language->extensions) {
        Release(language->name);
        Release(language->extensions);
        Release(language);
        return nullptr;
    }
    language->flags = 1;
    language->characterHook = CommentCharacterHook;
    language->next = g_languages;
    g_languages = language;
    return language;
}

Language *FindLanguage(const char *name) {
    for (Language *language = g_languages; language; language = language->next)
        if (strcmp(language->name, name) == 0)
            return language;
    return nullptr;
}

void SetLanguageText(char **field, const char *text) {
    char *copy = text ? DupString(text) : nullptr;
    if (text && !copy)
        return;   // out of memory: the old text stays
    Release(*field);
    *field = copy;
}

static void FreeKeywordTable(Language *language) {
    for (KeywordEntry *&bucket : language->buckets) {
        while (KeywordEntry *entry = bucket) {
            bucket = entry->next;
            Release(entry);
        }
    }
    memset(language->keywordChars, 0, sizeof language->keywordChars);
    language->hasKeywordTable = false;
}

// The hash table and the keyword characters, from the keyword list.
static void BuildKeywordTable(Language *language) {
    FreeKeywordTable(language);
    for (int i = 0; i < language->keywordCount; i++) {
        const char *word = language->keywords[i];
        int n = static_cast<int>(strlen(word));
        if (n == 0)
            continue;
        KeywordEntry *entry = static_cast<KeywordEntry *>(Allocate(sizeof(KeywordEntry)));
        if (!entry)
            break;
        entry->text = language->keywords[i];
        int bucket = KeywordBucket(word, n);
        entry->next = language->buckets[bucket];
        language->buckets[bucket] = entry;
        language->hasKeywordTable = true;
        for (const char *p = word; *p; p++) {
            unsigned char c = static_cast<unsigned char>(*p);
            language->keywordChars[c] = 1;
            if ((language->flags & kLanguageCaseInsensitive) && c >= 'a' && c <= 'z')
                language->keywordChars[c - 'a' + 'A'] = 1;
        }
    }
}

static void FreeKeywords(Language *language) {
    FreeKeywordTable(language);
    for (int i = 0; i < language->keywordCount; i++)
        Release(language->keywords[i]);
    Release(language->keywords);
    language->keywords = nullptr;
    language->keywordCount = 0;
}

bool SetLanguageKeywords(Language *language, const char *const *words, int count) {
    FreeKeywords(language);
    if (count <= 0)
        return true;
    language->keywords = static_cast<char **>(Allocate(count * sizeof(char *)));
    if (!language->keywords)
        return false;
    for (int i = 0; i < count; i++) {
        language->keywords[i] = DupString(words[i]);
        if (!language->keywords[i]) {
            language->keywordCount = i;
            BuildKeywordTable(language);
            return false;
        }
    }
    language->keywordCount = count;
    BuildKeywordTable(language);
    return true;
}

int KeywordBucket(const char *word, int length) {
    int h = 0;
    for (int i = 0; i < length; i++)
        h = static_cast<int>(static_cast<unsigned>(h) << 2) ^ static_cast<signed char>(word[i]);
    int bucket = h % kKeywordBuckets;
    return bucket < 0 ? -bucket : bucket;
}

bool IsLanguageKeyword(const Language *language, const char *word, int length) {
    if (!language || !language->hasKeywordTable || length <= 0)
        return false;
    for (const KeywordEntry *entry = language->buckets[KeywordBucket(word, length)]; entry; entry = entry->next)
        if (entry->text[0] == word[0] && strncmp(entry->text, word, length) == 0 && entry->text[length] == '\0')
            return true;
    return false;
}

bool IsKeyword(const char *word) {
    const Language *language = g_editor && g_editor->doc ? g_editor->doc->language : nullptr;
    return IsLanguageKeyword(language, word, static_cast<int>(strlen(word)));
}

bool IsCKeyword(const char *word) {
    for (int id = kStrCKeywords; *GetString(id); id++)
        if (strcmp(GetString(id), word) == 0)
            return true;
    return false;
}

bool IsDirective(const char *word, int length) {
    for (int id = kStrDirectives;; id++) {
        const char *directive = GetString(id);
        if (!*directive)
            return false;
        if (static_cast<int>(strlen(directive)) == length && strncmp(directive, word, length) == 0)
            return true;
    }
}

namespace {

// Sets a built-in language's keywords from the message table, from `first` to the first
// empty text.
void LoadBuiltinKeywords(Language *language, int first) {
    const char *words[200];
    int n = 0;
    for (int id = first; n < 200 && *GetString(id); id++)
        words[n++] = GetString(id);
    SetLanguageKeywords(language, words, n);
}

} // namespace

void AddBuiltinLanguages() {
    struct Builtin {
        const char *name;
        const char *extensions;
        int keywords;             // first keyword message, 0 for none
        unsigned short flags;
        const char *start;
        const char *end;
        const char *comment;
    };
    const Builtin builtins[] = {
        {"Pascal", "PAS;PP", 0, 1 | kLanguageCaseInsensitive, nullptr, nullptr, "{}"},
        {GetString(kStrLanguageAssembly), "ASM;S", 0, 1 | kLanguageCaseInsensitive,
         "^[A-Za-z_][_A-Za-z0-9]+[ \t]+PROC[ \t]", "^[A-Za-z_][A-Za-z0-9]+[ \t]+ENDP[ \t]", ";"},
        {"Eiffel", "E", kStrEiffelKeywords, 1, nullptr, nullptr, "--"},
        {GetString(kStrLanguageFortran), "F;FOR;F77", kStrFortranKeywords,
         1 | kLanguageCaseInsensitive, nullptr, nullptr, "C"},
        {GetString(kStrLanguageC), "C;H;CPP;HPP", kStrCKeywords, 1, nullptr, nullptr, "/"},
    };
    for (const Builtin &b : builtins) {
        if (FindLanguage(b.name))
            continue;
        Language *language = AddLanguage(b.name);
        if (!language)
            return;
        SetLanguageText(&language->extensions, b.extensions);
        SetLanguageText(&language->startPattern, b.start);
        SetLanguageText(&language->endPattern, b.end);
        SetLanguageText(&language->commentChars, b.comment);
        SetLanguageText(&language->stringChars, "\"'");
        language->flags = b.flags;
        if (b.keywords)
            LoadBuiltinKeywords(language, b.keywords);
    }
}

void ReleaseLanguage(Language *language) {
    FreeKeywords(language);
    for (char *text : {language->name, language->extensions, language->startPattern, language->endPattern,
                       language->commentChars, language->stringChars, language->icon})
        Release(text);
    Release(language);
}

void FreeLanguages() {
    while (Language *language = g_languages) {
        g_languages = language->next;
        ReleaseLanguage(language);
    }
}
