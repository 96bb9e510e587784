#include "browse/NameSet.h"

#include <string.h>

#include "base/Memory.h"
#include "base/MessageIds.h"
#include "base/Messages.h"
#include "editor/Language.h"

int NameHash(const char *name) { return KeywordBucket(name, static_cast<int>(strlen(name))); }

NameSet *NewNameSet() {
    NameSet *set = static_cast<NameSet *>(Allocate(sizeof(NameSet)));
    if (!set)
        return nullptr;
    set->bucketCount = kNameBuckets;
    for (NameEntry *&head : set->buckets)
        head = nullptr;
    return set;
}

static const NameEntry *FindName(const NameSet *set, const char *name) {
    for (const NameEntry *e = set->buckets[NameHash(name)]; e; e = e->next)
        if (e->text[0] == name[0] && strcmp(e->text, name) == 0)
            return e;
    return nullptr;
}

bool HasName(const NameSet *set, const char *name) { return FindName(set, name) != nullptr; }

bool AddName(NameSet *set, const char *name) {
    if (FindName(set, name))
        return false;
    size_t length = strlen(name);
    NameEntry *entry = static_cast<NameEntry *>(Allocate(sizeof(NameEntry) + length));
    if (!entry)
        return false;
    memcpy(entry->text, name, length + 1);
    int bucket = NameHash(name);
    entry->next = set->buckets[bucket];
    set->buckets[bucket] = entry;
    return true;
}

int NameCount(const NameSet *set) {
    int n = 0;
    for (const NameEntry *head : set->buckets)
        for (const NameEntry *e = head; e; e = e->next)
            n++;
    return n;
}

void FreeNameSet(NameSet *set) {
    if (!set)
        return;
    for (NameEntry *head : set->buckets)
        while (head) {
            NameEntry *next = head->next;
            Release(head);
            head = next;
        }
    Release(set);
}

// Built on first use and kept for the program's life.
static NameSet *CKeywords() {
    static NameSet *keywords;
    if (!keywords && (keywords = NewNameSet()) != nullptr)
        for (int id = kStrCKeywords; *GetString(id); id++)
            AddName(keywords, GetString(id));
    return keywords;
}

bool IsScannerKeyword(const char *name) {
    if (name[0] < 'a' || name[0] > 'z')
        return false;
    const NameSet *keywords = CKeywords();
    return keywords && HasName(keywords, name);
}
