// Bookmarks: remembered lines in the views, newest first. A bookmark follows its line when the
// line record is replaced and dies with its line and with its view.
#pragma once

struct Document;
struct Line;
struct View;

struct Bookmark {
    Bookmark *next;
    Bookmark *prev;
    Line *line;
    View *view;
    unsigned short column;   // where the cursor stood when it was set
};

// Sets a bookmark on the current line (F7); a line that has one only gets it updated.
void SetBookmark();
// The "Book marks" dialog: go to the chosen bookmark (Ctrl+F7) or delete it. With no
// bookmarks, "No book marks defined" is shown. False when nothing was done.
bool GotoBookmark();
bool DeleteBookmark();
// Goes to the bookmark after the current one, round the list (Ctrl+Shift+F7).
bool GotoNextBookmark();

Bookmark *FirstBookmark();
Bookmark *CurrentBookmark();
int BookmarkCount();
// The list entry of a bookmark: "name(line): text".
void BookmarkText(const Bookmark *mark, char *text, int size);
// Activates the bookmark's view and puts the cursor at column 0 of its line.
void VisitBookmark(Bookmark *mark);
void RemoveBookmark(Bookmark *mark);
void FreeBookmarks();

// Keeping the list in step with lines and views.
void BookmarksFollowLine(const Line *old, Line *now);
void BookmarksDropLine(const Line *line);
void BookmarksDropView(const View *view);
void BookmarksDropDocument(const Document *doc);

// The document's mark (line from 1, column from 1); false when it has none.
bool FindDocumentMark(Document *doc, long *line, int *column);
