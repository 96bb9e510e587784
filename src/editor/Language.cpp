#include "editor/Language.h"

#include <string.h>
#include <strings.h>

#include <initializer_list>

#include "core/Memory.h"
#include "core/Messages.h"
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

Language *ChooseLanguage(const char *extension) {
    Document *doc = g_editor ? g_editor->doc : nullptr;
    Language *found = nullptr;
    for (Language *l = g_languages; l && !found; l = l->next)
        if (l->extensions && HasExtension(l->extensions, extension))
            found = l;
    if (doc) {
        doc->language = found;
        if (found && strcmp(found->name, GetString(1197)) == 0)
            doc->flags |= kDocCSource;
        else
            doc->flags &= ~kDocCSource;
    }
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

static void FreeKeywords(Language *language) {
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
            return false;
        }
    }
    language->keywordCount = count;
    return true;
}

void FreeLanguages() {
    while (Language *language = g_languages) {
        g_languages = language->next;
        FreeKeywords(language);
        for (char *text : {language->name, language->extensions, language->startPattern,
                           language->endPattern, language->commentChars, language->stringChars,
                           language->icon})
            Release(text);
        Release(language);
    }
}
