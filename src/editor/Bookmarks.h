// Bookmarks in documents.
#pragma once

struct Document;

// The document's mark (line from 1, column from 1); false when it has none.
bool FindDocumentMark(Document *doc, long *line, int *column);
