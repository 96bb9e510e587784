// Reading files into documents: the line reader with its 150,001-byte buffer.
//
// A line ends at LF; CR bytes never reach a line. A line longer than 497 characters is split
// there and the rest of the physical line becomes the next line; the reader counts the
// splits so the user can be told. A line that runs past the end of the buffer is carried
// over in the line text while the buffer is refilled.
#include <string.h>

#include "base/Boxes.h"
#include "base/Memory.h"
#include "base/MessageIds.h"
#include "base/Messages.h"
#include "base/TextUtil.h"
#include "editor/BreakpointLines.h"
#include "editor/CommentScan.h"
#include "editor/Document.h"
#include "editor/Editing.h"
#include "editor/Journal.h"
#include "editor/Language.h"
#include "platform/Files.h"
#include "platform/UiPort.h"
#include "ui/OutputWindow.h"

namespace {

enum ReadResult { kReadOk, kReadNoFile, kReadNoMemory, kReadFailed };

struct Reader {
    int file;
    char *buffer;
    long position;   // next unread byte
    long end;        // end of the data in the buffer
    bool endOfFile;
    bool failed;     // a read reported an error: what was read is not the whole file
    int splitLines;
};

// Refills the buffer from the file; false when nothing more came.
bool Refill(Reader &r) {
    r.position = r.end = 0;
    if (r.endOfFile)
        return false;
    long got = ReadBytes(r.file, r.buffer, kFileBufferSize - 1);
    if (got <= 0) {
        r.endOfFile = true;   // a read that returns nothing counts as the end of the file
        r.failed = got < 0;
        return false;
    }
    r.end = got;
    return true;
}

// Copies [from, from+n) without CR bytes into `out`; returns the characters copied.
int CopyWithoutCr(char *out, const char *from, long n) {
    const char *cr = static_cast<const char *>(memchr(from, '\r', n));
    if (!cr) {
        memcpy(out, from, n);
        return static_cast<int>(n);
    }
    int length = 0;
    for (long i = 0; i < n; i++)
        if (from[i] != '\r')
            out[length++] = from[i];
    return length;
}

// Gets the next line into `text`; returns its length, or -1 at the end of the file.
int NextLine(Reader &r, char *text) {
    int length = 0;
    for (;;) {
        const char *start = r.buffer + r.position;
        long available = r.end - r.position;
        if (length == 0) {
            // Fast case: the whole line is in the buffer and short enough.
            long reach = available < kSplitLength + 1 ? available : kSplitLength + 1;
            const char *lf = static_cast<const char *>(memchr(start, '\n', reach));
            if (lf && lf - start <= kSplitLength) {
                r.position += lf - start + 1;
                return CopyWithoutCr(text, start, lf - start);
            }
        }
        for (long i = 0; i < available; i++) {
            char c = start[i];
            if (c == '\n') {
                r.position += i + 1;
                return length;
            }
            if (c == '\r')
                continue;
            if (length == kSplitLength) {
                // The line is full: the rest of the physical line becomes the next line.
                r.position += i;
                r.splitLines++;
                return length;
            }
            text[length++] = c;
        }
        if (!Refill(r))
            return length > 0 ? length : -1;
    }
}

ReadResult ReadLines(Document *doc, const char *path, Line *after, long *count) {
    *count = 0;
    int file = OpenRead(path);
    if (file == kNoFile) {
        if (!PathPresent(path))
            return kReadNoFile;   // a new file: the document starts empty
        // The file is there but cannot be read (locked, no access): an empty document must
        // not pass for its text.
        doc->flags |= kDocTruncated;
        ErrorMessage(kStrReadWriteError);
        return kReadFailed;
    }
    doc->flags |= kDocTruncated;
    Reader r = {file, static_cast<char *>(Allocate(kFileBufferSize)), 0, 0, false, false, 0};
    if (!r.buffer) {
        CloseFile(file);
        NoMemory();
        return kReadNoMemory;
    }
    RememberRecentFile(path);
    ReadResult result = kReadOk;
    char text[kSplitLength + 1];
    for (;;) {
        int length = NextLine(r, text);
        if (length < 0)
            break;
        Line *line = NewLine(text, length, doc);
        if (!line) {
            NoMemory();
            result = kReadNoMemory;
            break;
        }
        LinkLineAfter(after, line);
        after = line;
        (*count)++;
    }
    CloseFile(file);
    Release(r.buffer);
    g_editor->splitLines = r.splitLines;
    if (result != kReadOk)
        return result;
    if (r.failed) {
        // Only part of the file is in the document: keep flag 4 so that saving asks first.
        ErrorMessage(kStrReadWriteError);
        return kReadFailed;
    }
    if (r.splitLines > 0) {
        char *message = FormatMessageId(kStrLinesTruncated, path, r.splitLines);
        ErrorBox(LowerCase(message));
    } else {
        doc->flags &= ~kDocTruncated;
    }
    return kReadOk;
}

} // namespace

const char *Extension(const char *path) {
    const char *dot = strrchr(path, '.');
    return dot ? dot + 1 : "";
}

bool ReadDocument(const char *path) {
    Document *doc = g_editor->doc;
    if (!doc)
        return false;
    BusyCursor busy;
    RememberDocumentBreakpoints(doc);   // read again: the marks go back on the new lines
    FreeLines(doc);
    ForgetDocumentRecords(doc);
    long count = 0;
    // The time is taken first: the report of split lines is a box, and the frame checks the
    // files on disk when the focus comes back.
    doc->fileTime = FileTime(path);
    g_editor->loading = doc;
    ReadResult result = ReadLines(doc, path, doc->sentinel, &count);
    g_editor->loading = nullptr;
    doc->lineCount = count;
    MarkRememberedBreakpoints(doc);   // any file's: Fortran and assembler ones too
    if (result == kReadNoFile)
        doc->fileTime = 0;
    doc->flags &= ~kDocModified;
    ChooseLanguage(Extension(path));
    ResetViews(doc, FirstLine(doc));
    return result == kReadOk || result == kReadNoFile;
}

static long LineNumber(Document *doc, Line *target) {
    long n = 0;
    for (Line *line = FirstLine(doc); line != doc->sentinel; line = line->next, n++)
        if (line == target)
            return n;
    return n;
}

// Line `n` (from 0), clamped to the last line.
static Line *LineAt(Document *doc, long n) {
    Line *line = NthLine(doc, n);
    return IsSentinel(doc, line) && doc->lineCount > 0 ? doc->sentinel->prev : line;
}

bool ReloadDocument() {
    View *view = g_editor->view;
    Document *doc = g_editor->doc;
    if (!view || !doc)
        return false;
    doc->flags &= kDocNoFile;   // a document without a file stays one
    long current = LineNumber(doc, view->current);
    long top = LineNumber(doc, view->top);
    char path[kMaxPathLength + 1];
    strcpy(path, doc->path);
    bool ok = ReadDocument(path);
    view->current = LineAt(doc, current);
    view->top = LineAt(doc, top);
    view->state |= kViewRedrawAll;
    return ok;
}

bool InsertFile(const char *path) {
    View *view = g_editor->view;
    Document *doc = g_editor->doc;
    if (!view || !doc)
        return false;
    BusyCursor busy;
    Line *own = view->current;
    Line *above = own->prev;
    long count = 0;
    unsigned short truncated = doc->flags & kDocTruncated;
    ReadResult result = ReadLines(doc, path, above, &count);
    doc->flags |= truncated;
    if (result == kReadNoFile) {
        FileNotFound(path);
        return false;
    }
    if (result == kReadFailed && count == 0) {
        // Nothing was inserted: the document's own text is whole.
        doc->flags = (doc->flags & ~kDocTruncated) | truncated;
        return false;
    }
    doc->lineCount += count;
    ForgetLineNumber();
    ForgetDocumentRecords(doc);
    view->current = own;
    view->column = 0;
    view->anchor = count > 0 ? above->next : nullptr;
    view->anchorColumn = 0;
    view->state |= kViewRedrawAll;
    InvalidateCommentSpans(doc);
    if (count > 0)
        doc->flags = (doc->flags | kDocModified) & ~(kDocFunctionsValid | kDocAutosaved);
    SavePositions(view);
    ShowStatus(FormatMessageId(kStrLinesRead, static_cast<int>(count)));
    return result == kReadOk;
}
