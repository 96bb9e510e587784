// Searching the documents: plain text forwards, backwards or round the document, whole words,
// ignoring case, by regular expression, in one window or all; and replacing what is found,
// with or without asking each time.
//
// The options are the bits of g_findFlags (editor/SearchOptions.h); a search works on a copy
// of them taken when it starts.
#pragma once

#include "platform/UiPort.h"   // the answers to the question before a replacement

struct View;

enum {
    kFindCurrentWindow = 1,
    kFindAllWindows = 2,
    kFindRegex = 4,
    kFindExact = 8,
    kFindIgnoreCase = 16,
    kFindForwards = 32,
    kFindBackwards = 64,
    kFindWrap = 128,
    kFindConfirm = 0x100,
    kFindWholeWords = 0x200,
    kFindByFunction = 0x800,
    kFindSimilar = 0x1000,
    // "Search iconized windows": a bit of the dialog's request only, kept in the search state
    // rather than in the saved options.
    kFindIconized = 0x400,
    kMaxSearchText = 128,
    kSearchHistory = 16,
};


struct SearchState {
    char text[kMaxSearchText + 1];
    char replacement[kMaxSearchText + 1];
    char reversed[kMaxSearchText + 1];       // the text backwards, for backward searches
    unsigned short flags;                    // the options of the search under way
    long functionFirst, functionLast;        // "By function": its lines (from 1); 0 for none
    long matchLine;                          // the last match: line (from 1), column, length
    int matchColumn;
    int matchLength;
    View *view;                              // where the last search ran
    int replacements;                        // made by the last replace
    bool searchIconized;                     // all windows: minimised ones too
    char history[kSearchHistory][kMaxSearchText + 1];   // texts searched in this run, newest first
    int historyCount;
};

extern SearchState *g_search;

// A fresh search state (texts empty); the options are left alone.
void ResetSearchState();

// What the Search and the Search-and-replace dialogs gather.
struct SearchRequest {
    const char *text;
    const char *replacement;   // null for the Search dialog
    unsigned short flags;      // the bits of the dialog's check boxes and radio buttons
    long functionFirst;        // "By function": the chosen function's lines, 0 when none
    long functionLast;
};

// Takes the dialog's values when OK is pressed: false (after "Empty search string?",
// "Direction ?" or a text too long) keeps the dialog open. Otherwise the texts, the options
// (wrap only with the current window; by function clears wrap, backwards and all windows)
// and the history are set; kFindIconized goes to the search state, not to the options.
bool AcceptSearchRequest(const SearchRequest &request);

// One search step from the cursor of the current view with the current options; a match is
// selected (anchor at its start, cursor at its end). False when there is none (nothing shown).
bool FindInDocument();
// F3 and Ctrl+F3: the option changes, then the search over one or all windows; "String not
// found" when nothing is found.
bool FindNext();
bool FindPrevious();
// Replaces every match (asking before each one with the confirm option); the number made.
int ReplaceAll();

// Whether `line` holds a word similar to `word` (the similar-words option).
bool SimilarWord(const char *word, const char *line, int length);

// Goes to line `n` (from 1) of the current view and shows it centred.
bool GotoLineNumber(long n);
