#include "base/NameList.h"

#include <string.h>

#include "base/Memory.h"

bool HasName(const NameEntry *list, const char *name) {
    for (; list; list = list->next)
        if (strcmp(list->name, name) == 0)
            return true;
    return false;
}

bool AddName(NameEntry **list, const char *name) {
    if (HasName(*list, name))
        return false;
    NameEntry *entry = static_cast<NameEntry *>(Allocate(sizeof(NameEntry)));
    char *copy = entry ? DupString(name) : nullptr;
    if (!copy) {
        Release(entry);
        return false;
    }
    entry->name = copy;
    entry->next = *list;
    *list = entry;
    return true;
}

bool RemoveName(NameEntry **list, const char *name) {
    for (NameEntry **link = list; *link; link = &(*link)->next) {
        if (strcmp((*link)->name, name) == 0) {
            NameEntry *gone = *link;
            *link = gone->next;
            Release(gone->name);
            Release(gone);
            return true;
        }
    }
    return false;
}

int NameCount(const NameEntry *list) {
    int n = 0;
    for (; list; list = list->next)
        n++;
    return n;
}

void FreeNames(NameEntry **list) {
    while (NameEntry *entry = *list) {
        *list = entry->next;
        Release(entry->name);
        Release(entry);
    }
}
