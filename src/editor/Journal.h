// The undo journal: a ring of the editor messages that changed text or moved the cursor, with
// where the cursor stood and, where text was deleted, that text. Undo replays it backwards.
//
// A message is first noted (NoteMessage: the window, the message, its parameters, the cursor
// position, and the text the action is about to delete), then the action runs, then the noted
// record is written (JournalNoted). Records written by the action itself in between, such as
// the characters overwrite mode deletes, are automatic: Undo reverses them together with the
// record that follows them.
#pragma once

#include <stdint.h>

typedef struct HWND__ *HWND;

enum {
    kJournalSize = 255,
    // Window messages the journal records.
    kMsgKeyDown = 256,
    kMsgChar = 258,
    kMsgCommand = 273,
    kMsgVerticalScroll = 277,
    kMsgLeftButtonDown = 513,
    kMsgRightButtonDown = 516,
    // Private codes.
    kMsgAutomatic = 129,
    kMsgReplace = 1026,          // one replacement of a fixed text
    kMsgReplaceFirst = 1027,     // first replacement of a variable (regular-expression) group
    kMsgReplaceNext = 1028,      // a later one of such a group
    kMsgRedo = 1029,             // a change Redo made again (text: removed, NUL, inserted)
};

// Record flags.
enum {
    kRecordNewLastLine = 1,      // the action made a new last line below the old text
    kRecordCursorAtStart = 2,    // a cut whose cursor stood at the start of the selection
    kRecordOverwrite = 4,        // Enter in overwrite mode: it only moved the cursor
};

struct Document;

struct JournalRecord {
    HWND window;
    const Document *doc;         // the document the window showed (compared, never followed)
    unsigned message;
    uint32_t param1;             // character, virtual key or command
    uint32_t param2;             // repeat count (keys, characters), inserted or cut length
    uint32_t position;           // line * 256 + column % 256, or the deleted characters
    long line;                   // the whole position: line from 1 (the sentinel: count + 1)
    int column;
    int extra;                   // Enter: indentation added; brace: the cursor column before
    unsigned flags;
    char *text;                  // owned: cut text, completion, replace texts, brace white space
};

void ResetJournal();
int JournalCount();
// The record `back` places before the next free one (0 = newest), or null.
JournalRecord *JournalRecordAt(int back);

// Notes the message about to be handled in the current view; see above.
void NoteMessage(unsigned message, uint32_t param1, uint32_t param2);
// Writes the noted message with the cursor at (line, column) as its position, or the noted
// position when line is 0. Returns the record (valid until the next record), or null.
JournalRecord *JournalNoted(long line = 0, int column = 0);
// NoteMessage and JournalNoted in one, for actions that delete nothing.
JournalRecord *Journal(unsigned message, uint32_t param1, uint32_t param2);
// An automatic record: a character overwrite mode deleted at the cursor, 13 for Enter in
// overwrite mode, or 10 for the line break put before a character typed into a long line.
void JournalAutomatic(int c);
// Takes the newest record back (an action that did nothing or was cancelled).
void DropLastRecord();
// After a jump to a definition: drops the records that followed the newest such jump among
// the four newest records, so that one Undo returns to where the jump started.
void DropAfterDefinition();
// One replacement of a replace-all, with the cursor at the start of the replaced text.
// `index` is the replacement's number in its group (0 for the first). A fixed group keeps its
// texts in the first record only; a variable group keeps in each record the text that was
// replaced and its replacement.
void JournalReplacement(bool variable, int index, const char *original, const char *replacement);

// Forgets the records made in a document whose text changed behind the journal's back (read
// again, lines inserted from a file, indentation rewritten, or the document closed): their
// positions no longer describe its text.
void ForgetDocumentRecords(const Document *doc);

// Undoes the newest action of the active editor window. The change it made can be made again
// by Redo until the next edit.
void Undo();
// Makes the newest undone change again, as a journaled change that Undo takes back; false when
// there is none (an edit since, or another window active).
bool Redo();
int RedoCount();
