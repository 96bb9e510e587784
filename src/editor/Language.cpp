#include "editor/Language.h"

#include <string.h>
#include <strings.h>

#include "core/Messages.h"
#include "editor/Document.h"

Language *g_languages;

static bool HasExtension(const char *list, const char *extension) {
    size_t n = strlen(extension);
    for (const char *p = list; *p;) {
        while (*p == ' ')
            p++;
        size_t len = strcspn(p, " ");
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
