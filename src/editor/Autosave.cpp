#include "editor/Autosave.h"

#include "editor/Document.h"

// No autosave copies are written yet, so there is never a file to delete.
void DeleteAutosave(Document *doc) {
    if (doc)
        doc->flags &= ~kDocAutosaved;
}
