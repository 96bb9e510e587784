// Lists of names: a singly linked list in which a new name goes to the head and an exact
// duplicate (case-sensitive) is not added again.
#pragma once

struct NameEntry {
    NameEntry *next;
    char *name;
};

// Adds `name` at the head of the list; false when it was there already or memory ran out.
bool AddName(NameEntry **list, const char *name);
// Takes `name` out of the list; false when it was not there.
bool RemoveName(NameEntry **list, const char *name);
bool HasName(const NameEntry *list, const char *name);
int NameCount(const NameEntry *list);
void FreeNames(NameEntry **list);
