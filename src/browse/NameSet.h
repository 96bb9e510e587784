// Sets of names hashed into 13 buckets: the C keywords of the scanner, and the names a
// function calls and is called by.
//
// A set is a table of 14 words: the first holds the bucket count (13), the others are the
// bucket heads. An entry is {next, name text} in one block; a name goes to the head of its
// bucket, once.
#pragma once

enum { kNameBuckets = 13 };

struct NameEntry;

struct NameSet {
    long bucketCount;
    NameEntry *buckets[kNameBuckets];
};

struct NameEntry {
    NameEntry *next;
    char text[1];
};

// The bucket of a NUL-terminated name: h = (h << 2) xor c over its characters as signed bytes,
// then |h mod 13|.
int NameHash(const char *name);

// An empty set; null when memory ran out.
NameSet *NewNameSet();
// Adds `name` unless it is there; false when it was there or memory ran out.
bool AddName(NameSet *set, const char *name);
bool HasName(const NameSet *set, const char *name);
int NameCount(const NameSet *set);
// Releases the set and its entries; null is fine.
void FreeNameSet(NameSet *set);

// Whether `name` is a C keyword for the scanners: it begins with a lower-case letter and is
// one of the message table's C keywords.
bool IsScannerKeyword(const char *name);
