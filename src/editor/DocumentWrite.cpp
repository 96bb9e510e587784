// Writing documents back: Save, Save as, Save all, backups and the version-stamp line.
//
// A document is never written over its file directly: the text goes to a temporary file in
// the same directory, and only when every byte is written and the file closed does it take
// the file's place (the old file becoming the backup when backups are on). A full disk or a
// failed write thus leaves the old file as it was.
#include <windows.h>
#include <stdio.h>
#include <string.h>
#include <time.h>

#include <algorithm>
#include <string>

#include "base/AppState.h"
#include "base/Boxes.h"
#include "base/Memory.h"
#include "base/MessageIds.h"
#include "base/Messages.h"
#include "base/ResourceIds.h"
#include "base/TextUtil.h"
#include "editor/Autosave.h"
#include "editor/Bookmarks.h"
#include "editor/Document.h"
#include "editor/EditorHooks.h"
#include "editor/EditorWindow.h"
#include "editor/Language.h"
#include "platform/Files.h"
#include "platform/UiPort.h"

namespace {

enum { kWriteBufferSize = 150000, kWriteFlushMark = 149998 };

int TrimmedLength(const Line *line) {
    int n = line->length;
    while (n > 0 && (line->text[n - 1] == ' ' || line->text[n - 1] == '\t'))
        n--;
    return n;
}

bool PutAll(int file, const char *data, long n) {
    if (WriteBytes(file, data, n) == n)
        return true;
    ErrorBox(GetString(kStrWriteError));
    return false;
}

// Writes every line of `doc` (trailing blanks removed from the document itself) followed by
// CR LF into the open file.
bool WriteLines(Document *doc, int file, char *buffer) {
    long fill = 0;
    for (Line *line = FirstLine(doc); !IsSentinel(doc, line); line = line->next) {
        line->length = static_cast<short>(TrimmedLength(line));
        if (fill >= kWriteFlushMark - line->length) {
            if (!PutAll(file, buffer, fill))
                return false;
            fill = 0;
        }
        memcpy(buffer + fill, line->text, line->length);
        fill += line->length;
        buffer[fill++] = '\r';
        buffer[fill++] = '\n';
    }
    return fill == 0 || PutAll(file, buffer, fill);
}

// Trimming may leave a cursor beyond the end of its line: put it at the line end.
void ClampCursors(Document *doc) {
    for (View *view = g_editor->views; view; view = view->next) {
        if (view->doc != doc || IsSentinel(doc, view->current) ||
            view->column <= view->current->length)
            continue;
        view->column = view->current->length;
        view->state |= kViewRedrawAll;
    }
}

// Writes the document at `path` (its own file keeps the name the disk gives it); when
// `backup` is given the old file is kept under that name. A read-only file is not written.
bool WriteDocumentAs(const char *path, const char *backup) {
    Document *doc = FindDocument(path, false);
    if (!doc) {
        ErrorBox(FormatMessageId(kStrFileMissing, path));
        return false;
    }
    if (strcmp(path, doc->path) == 0)
        path = DiskPath(doc);
    if (IsReadOnly(path)) {
        ErrorBox(FormatScratch("%s is read-only: it was not saved", path));
        return false;
    }
    char temp[300];
    int file = CreateTempBeside(path, temp, sizeof temp);
    if (file == kNoFile) {
        ErrorBox(FormatMessageId(kStrCannotWrite, path));
        return false;
    }
    char *buffer = static_cast<char *>(Allocate(kWriteBufferSize));
    if (!buffer) {
        CloseFile(file);
        RemoveFile(temp);
        NoMemory();
        return false;
    }
    bool written = WriteLines(doc, file, buffer);
    ClampCursors(doc);
    bool closed = FlushAndClose(file);
    Release(buffer);
    if (written && !closed) {
        ErrorBox(GetString(kStrWriteError));
        written = false;
    }
    if (!written) {
        RemoveFile(temp);
        return false;
    }
    ReplaceResult replaced = ReplaceKeeping(temp, path, backup);
    if (replaced != kReplaced) {
        RemoveFile(temp);
        if (replaced == kReplaceBackupFailed)
            ErrorBox(FormatScratch("The backup %s could not be made: %s was not saved", backup, path));
        else
            ErrorBox(FormatMessageId(kStrCannotWrite, path));
        return false;
    }
    doc->fileTime = FileTime(path);
    DeleteAutosave(doc);
    return true;
}

// Passes the document through the check of its language; false when the user, told why it
// failed, chose not to save.
bool CheckBeforeSaving(Document *doc) {
    if (!doc->language || !g_app || !(g_app->optionByte & kOptionCheckBeforeSave))
        return true;
    bool passed = true;
    if (strcmp(doc->language->name, GetString(kStrLanguageC)) == 0)
        passed = CheckCSyntax(doc);
    else if (strcasecmp(doc->language->name, "eiffel") == 0)
        passed = CheckEiffelSyntax(doc);
    if (passed)
        return true;
    char reason[512];
    CopyBounded(reason, g_scratch ? g_scratch : "", sizeof reason);
    return Confirm(FormatMessageId(kStrAskSave, reason));
}

} // namespace

bool WriteDocument(const char *path) { return WriteDocumentAs(path, nullptr); }

void BackupName(const char *path, char *backup, size_t size) {
    const char *dot = strrchr(path, '.');
    const char *slash = strrchr(path, '\\');
    if (dot && slash && dot < slash)
        dot = nullptr;
    size_t base = dot ? static_cast<size_t>(dot - path) : strlen(path);
    char extension[3] = {0, 0, 0};
    if (dot)
        strncpy(extension, dot + 1, 2);
    snprintf(backup, size, "%.*s.~%s", static_cast<int>(base), path, extension);
}

void RenewStampField(char *text, int length, const char *stamp) {
    char *end = text + length;
    char *p = text;
    while (p + 1 < end && !(p[0] == '$' && p[1] == 'D'))
        p++;
    if (p + 1 >= end)
        return;
    while (p < end && *p != ':')
        p++;
    if (p == end)
        return;
    p++;
    while (p < end && *p != '$' && *stamp)
        *p++ = *stamp++;
    if (!*stamp)
        while (p < end && *p != '$')
            *p++ = ' ';
}

int FindStampLine(char *out) {
    if (out)
        out[0] = '\0';
    Document *doc = g_editor ? g_editor->doc : nullptr;
    if (!doc)
        return 0;
    const char *prefix = GetString(kStrStampPrefix);
    size_t prefixLength = strlen(prefix);
    int number = 1;
    for (Line *line = FirstLine(doc); !IsSentinel(doc, line); line = line->next, number++) {
        if (line->length < 21 || static_cast<size_t>(line->length) < prefixLength ||
            memcmp(line->text, prefix, prefixLength) != 0)
            continue;
        if (out) {
            const char *colon = nullptr;
            for (int i = line->length - 1; i >= 0 && !colon; i--)
                if (line->text[i] == ':')
                    colon = line->text + i;
            if (colon && colon > line->text && colon[-1] == 'd') {
                const char *start = colon + 1;
                const char *end = line->text + line->length;
                const char *dollar = static_cast<const char *>(memchr(start, '$', end - start));
                size_t n = (dollar ? dollar : end) - start;
                if (n > 255)
                    n = 255;
                memcpy(out, start, n);
                out[n] = '\0';
            }
        }
        return number;
    }
    return 0;
}

bool SaveDocument() {
    Document *doc = g_editor->doc;
    if (!doc || !(doc->flags & kDocModified))
        return true;
    if (doc->flags & kDocNoFile)
        return SaveAs();   // "untitled" has no file of its own to go back to
    BusyCursor busy;
    if (!MayWriteTruncated(doc) || !CheckBeforeSaving(doc))
        return false;
    char backup[kMaxPathLength + 8];
    bool makeBackup = g_app && (g_app->optionByte & kOptionMakeBackups);
    if (makeBackup)
        BackupName(DiskPath(doc), backup, sizeof backup);
    // The line that FindStampLine names begins with the stamp declaration. Its date changes
    // only with a successful write.
    Line *stamped = nullptr;
    std::string unstamped;
    if (int number = FindStampLine(nullptr)) {
        Line *line = NthLine(doc, number - 1);
        if (!IsSentinel(doc, line)) {
            doc->flags |= kDocStampLine;
            stamped = line;
            unstamped.assign(line->text, line->length);
            RenewStampField(line->text, line->length, TimeStamp());
        }
    }
    if (!WriteDocumentAs(doc->path, makeBackup ? backup : nullptr)) {
        // Writing may have trimmed trailing blanks; the field lies before them.
        if (stamped)
            memcpy(stamped->text, unstamped.data(), std::min<size_t>(stamped->length, unstamped.size()));
        return false;
    }
    doc->flags &= ~kDocModified;
    if (View *view = g_editor->view)
        RefreshEditorWindow(view);
    UpdateFrameTitle();
    return true;
}

bool SaveAll() {
    View *view = g_editor->view;
    Document *current = g_editor->doc;
    bool all = true;
    for (Document *doc = g_editor->documents; doc && all; doc = doc->next) {
        if (!(doc->flags & kDocModified) || (doc->flags & kDocNoFile))
            continue;
        g_editor->doc = doc;
        g_editor->view = FirstViewOf(doc);
        all = SaveDocument();
    }
    g_editor->view = view;
    g_editor->doc = current;
    return all;
}

bool SaveAs() {
    Document *doc = g_editor->doc;
    if (!doc)
        return false;
    char answer[400];
    CopyBounded(answer, doc->flags & kDocNoFile ? "" : doc->path, sizeof answer);
    LowerCase(answer);
    if (!CurrentUiPort()->AskFileName(true, "Save as", "All files (*.*)\0*.*\0", answer,
                                      sizeof answer))
        return false;
    if (strlen(answer) > kMaxPathLength) {
        IncorrectFileName(answer);
        return false;
    }
    char typed[sizeof answer];
    CopyBounded(typed, answer, sizeof typed);
    UpperCase(answer);
    if (FindDocument(answer, false)) {
        InfoBox(GetString(kStrNameUsed));
        return false;
    }
    char before[kMaxPathLength + 1];
    strcpy(before, doc->path);
    bool hadFile = !(doc->flags & kDocNoFile);
    strcpy(doc->path, answer);
    SetDiskPath(doc, typed);
    RenamedDocument(doc);
    doc->flags = (doc->flags | kDocModified) & ~(kDocAutosaved | kDocNoFile);
    bool saved = SaveDocument();
    // The copy made under the old name would be offered for the old file after a crash.
    if (saved && hadFile)
        DeleteAutosaveCopy(before);
    for (View *view = g_editor->views; view; view = view->next)
        if (view->doc == doc)
            SetEditorWindowTitle(view, doc->path);
    UpdateFrameTitle();
    return saved;
}

bool WriteDocumentRaw(const char *path, Document *doc, const char *header) {
    FILE *f = fopen(path, "wb");
    if (!f)
        return false;
    bool ok = true;
    if (header) {
        size_t n = strlen(header);
        ok = fwrite(header, 1, n, f) == n;
    }
    for (Line *line = FirstLine(doc); ok && !IsSentinel(doc, line); line = line->next) {
        size_t n = static_cast<size_t>(line->length);
        ok = fwrite(line->text, 1, n, f) == n && fwrite("\r\n", 1, 2, f) == 2;
    }
    if (fclose(f) != 0)
        ok = false;
    return ok;
}

void CheckFilesChangedOnDisk() {
    View *active = g_editor->view;
    for (Document *doc = g_editor->documents; doc; doc = doc->next) {
        if (strcmp(doc->path, "untitled") == 0 || doc == g_editor->loading)
            continue;
        long long onDisk = FileTime(doc->path);
        if (onDisk == 0 || onDisk == doc->fileTime)
            continue;
        doc->fileTime = onDisk;
        if (!Confirm(FormatMessageId(kStrReloadChanged, doc->path)))
            continue;
        View *view = FirstViewOf(doc);
        if (!view)
            continue;
        ActivateEditorWindow(view);
        ReloadDocument();
    }
    if (active)
        ActivateEditorWindow(active);
}

void GetFileInfoTexts(FileInfoTexts *info) {
    memset(info, 0, sizeof *info);
    Document *doc = g_editor->doc;
    View *view = g_editor->view;
    if (!doc)
        return;
    char path[kMaxPathLength + 1];
    LowerCase(strcpy(path, doc->path));
    snprintf(info->title, sizeof info->title, "Information about '%s'", path);

    long total = 0, offset = 0, lineNumber = 1, number = 1;
    for (Line *line = FirstLine(doc); !IsSentinel(doc, line); line = line->next, number++) {
        if (view && line == view->current) {
            offset = total + view->column;
            lineNumber = number;
        }
        total += line->length + 1;
    }
    if (view && IsSentinel(doc, view->current)) {
        offset = total;
        lineNumber = number;
    }
    int percent = total ? static_cast<int>(offset * 100LL / total) : 0;
    snprintf(info->position, sizeof info->position, "Line %d (%d%%) Column %d",
             static_cast<int>(lineNumber), percent, view ? view->column + 1 : 1);
    snprintf(info->size, sizeof info->size, "%ld bytes, %d lines", total,
             static_cast<int>(doc->lineCount + 1));

    long markLine;
    int markColumn;
    if (FindDocumentMark(doc, &markLine, &markColumn))
        snprintf(info->marks, sizeof info->marks, "Mark set at line %d, char %d",
                 static_cast<int>(markLine), markColumn);
    else
        strcpy(info->marks, "No marks");

    if (doc->language)
        snprintf(info->language, sizeof info->language, "%s, %d functions", doc->language->name,
                 FunctionCount(doc));
    else
        strcpy(info->language, "--");
    info->modified = (doc->flags & kDocModified) != 0;
    if (long long when = FileTime(doc->path)) {
        time_t t = static_cast<time_t>(when);
        if (const char *text = ctime(&t))
            CopyBounded(info->date, text, sizeof info->date);
    }
}

bool SaveModifiedDocuments() {
    if (!g_editor)
        return true;
    const char *files[200];
    int count = 0;
    for (Document *doc = g_editor->documents; doc && count < 200; doc = doc->next)
        if ((doc->flags & kDocModified) && !(doc->flags & kDocNoFile))
            files[count++] = doc->path;
    if (count == 0)
        return true;
    int answer = CurrentUiPort()->ShowFileList(IDD_MODIFIED_FILES, files, count);
    if (answer == IDC_FORGET)
        return true;
    if (answer != IDOK)
        return false;
    View *previous = g_editor->view;
    bool saved = true;
    for (Document *doc = g_editor->documents; doc && saved; doc = doc->next) {
        if (!(doc->flags & kDocModified) || (doc->flags & kDocNoFile))
            continue;
        View *view = FirstViewOf(doc);
        if (view)
            MakeCurrent(view);
        else
            g_editor->doc = doc;
        saved = SaveDocument();
    }
    // The document on screen stays the current one, whatever happened.
    if (previous)
        MakeCurrent(previous);
    return saved;
}
