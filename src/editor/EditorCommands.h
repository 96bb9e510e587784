// The commands the editor owns: new, open, save, reload, insert a file, the editing keys,
// the file's properties and statistics, and the brace level.
#pragma once

void RegisterEditorCommands();
// The identifier at the cursor of the current view (empty when there is none).
void WordAtCursor(char *word, int size);
