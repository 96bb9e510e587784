// Autosave copies of modified documents.
#pragma once

struct Document;

// Deletes the document's autosave copy and clears its autosaved flag.
void DeleteAutosave(Document *doc);
