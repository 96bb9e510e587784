// Autosave: copies of modified documents, written every three minutes into the directory
// "keltoautosave" below the compiler root and offered back at the next start when the program
// ended without saving them.
//
// Each copy holds a header line "Autosaved <path> <time stamp>" and then the document's lines
// with CR LF. Its name begins with the document's file name, lower-cased, and carries a tag of
// the whole path, so that two documents of the same name in different directories keep
// copies of their own. A copy is written beside its final name and then put in its place, so
// a crash while writing never leaves a cut copy as the only one.
#pragma once

#include <stddef.h>

struct Document;

enum { kAutosaveTimer = 53987, kAutosavePeriod = 180000 };

// Restores what a crashed run left (when the compiler root is known) and starts the timer.
void StartAutosave();
// One round: every modified document not autosaved since its last change is written.
void AutosaveRound();
bool AutosaveDocument(Document *doc);
// Deletes the document's copy and clears its autosaved flag; after every write of the document.
void DeleteAutosave(Document *doc);
// Deletes the copy of the document that was known by `documentPath` (after Save as).
void DeleteAutosaveCopy(const char *documentPath);
// Stops the timer and deletes every copy this run wrote.
void StopAutosave();
// Offers the copies found in the autosave directory; true when they were restored.
bool RestoreAutosaved();

// "<root>\keltoautosave"; false when the compiler root is not known.
bool AutosaveDirectory(char *out, size_t size);
// The copy's full path for a document path.
bool AutosavePath(const char *documentPath, char *out, size_t size);
