#include "editor/Autosave.h"

#include <ctype.h>
#include <stdio.h>
#include <string.h>

#include <string>
#include <vector>

#include "base/AppState.h"
#include "base/Boxes.h"
#include "base/Memory.h"
#include "base/NameList.h"
#include "base/ResourceIds.h"
#include "base/TextUtil.h"
#include "editor/CommentScan.h"
#include "editor/Document.h"
#include "editor/Editing.h"
#include "editor/EditorWindow.h"
#include "editor/Journal.h"
#include "editor/Language.h"
#include "platform/Files.h"
#include "platform/System.h"
#include "platform/UiPort.h"
#include "ui/OutputWindow.h"

namespace {

enum { kPathSize = 520 };   // the compiler root (up to 400) with the directory and a name

const char kHeader[] = "Autosaved ";
const char kTempSuffix[] = ".tmp";
const char kKeptSuffix[] = ".kept";

struct AutosaveState {
    NameEntry *written;   // the copies this run wrote
    unsigned timer;
};

AutosaveState g_autosave;

// A tag of the whole path (FNV-1a over its upper-cased bytes).
unsigned PathTag(const char *path) {
    unsigned h = 2166136261u;
    for (const char *p = path; *p; p++) {
        char c = *p >= 'a' && *p <= 'z' ? static_cast<char>(*p - 'a' + 'A') : *p;
        h = (h ^ static_cast<unsigned char>(c)) * 16777619u;
    }
    return h;
}

bool EndsWith(const char *text, const char *end) {
    size_t n = strlen(text), m = strlen(end);
    return n >= m && strcasecmp(text + n - m, end) == 0;
}

// The first line of a copy without its line end; false when the file cannot be opened.
bool ReadHeader(const char *path, char *line, size_t size) {
    FILE *file = fopen(path, "rb");
    if (!file)
        return false;
    line[0] = '\0';
    if (!fgets(line, static_cast<int>(size), file))
        line[0] = '\0';
    fclose(file);
    size_t n = strlen(line);
    while (n > 0 && (line[n - 1] == '\n' || line[n - 1] == '\r'))
        line[--n] = '\0';
    return true;
}

// The document path of a header "Autosaved <path> <stamp>": what lies between the word and
// the last blank (a path may hold blanks; the stamp does not). False for any other line.
bool PathOfHeader(const char *header, char *path, size_t size) {
    if (strncmp(header, kHeader, sizeof kHeader - 1) != 0)
        return false;
    const char *from = header + sizeof kHeader - 1;
    const char *blank = strrchr(from, ' ');
    if (!blank || blank == from)
        return false;
    size_t n = static_cast<size_t>(blank - from);
    if (n >= size || n > kMaxPathLength)
        return false;
    memcpy(path, from, n);
    path[n] = '\0';
    UpperCase(path);
    return true;
}

// Writability of the directory: a temporary file of 256 bytes.
bool DirectoryWritable(const char *dir) {
    char probe[kPathSize];
    char temp[kPathSize];
    snprintf(probe, sizeof probe, "%s\\probe", dir);
    int handle = CreateTempBeside(probe, temp, sizeof temp);
    if (handle == kNoFile)
        return false;
    char bytes[256];
    memset(bytes, 'x', sizeof bytes);
    bool ok = WriteBytes(handle, bytes, sizeof bytes) == static_cast<long>(sizeof bytes);
    ok = FlushAndClose(handle) && ok;
    RemoveFile(temp);
    return ok;
}

struct Found {
    std::string dir;
    std::vector<std::string> paths;
};

// Whether `name` ends like the copies a round writes: "~" and 8 hexadecimal digits.
bool IsCopyName(const std::string &name) {
    size_t tilde = name.rfind('~');
    if (tilde == std::string::npos || name.size() - tilde != 9)
        return false;
    for (size_t i = tilde + 1; i < name.size(); i++)
        if (!isxdigit(static_cast<unsigned char>(name[i])))
            return false;
    return true;
}

void CollectFile(const char *name, void *data) {
    Found *found = static_cast<Found *>(data);
    std::string path = strchr(name, '\\') ? std::string(name) : found->dir + "\\" + name;
    // A copy a crash cut off while it was written, beside its whole previous copy: it goes.
    // Without a previous copy it is all there is, and is offered like any other.
    if (EndsWith(name, kTempSuffix)) {
        std::string whole = path.substr(0, path.size() - (sizeof kTempSuffix - 1));
        if (IsCopyName(whole) && FileExists(whole.c_str())) {
            RemoveFile(path.c_str());
            return;
        }
    }
    found->paths.push_back(path);
}

// The moment of a header's stamp "year.month.day.hour.minute.second" as one number, 0 when
// the stamp cannot be read.
long long StampValue(const char *header) {
    const char *blank = strrchr(header, ' ');
    int p[6];
    if (!blank || sscanf(blank + 1, "%d.%d.%d.%d.%d.%d", &p[0], &p[1], &p[2], &p[3], &p[4], &p[5]) != 6)
        return 0;
    return ((((p[0] * 13LL + p[1]) * 32 + p[2]) * 24 + p[3]) * 60 + p[4]) * 60 + p[5];
}

// One document to restore: its newest copy, and the older copies the newest replaces.
struct Candidate {
    std::string copy;
    std::string path;    // the document's, upper-cased
    std::string entry;   // what the list shows: path and stamp, lower-cased
    long long stamp;
    std::vector<std::string> older;
};

// Reads the copy at `copy` into the document of `path` (opened first when it is not).
bool RestoreOne(const char *copy, const char *path) {
    Document *doc = FindDocument(path, false);
    View *view = doc ? FirstViewOf(doc) : nullptr;
    if (view) {
        ActivateEditorWindow(view);
    } else {
        // The file itself may not be readable (held by another program, gone): the copy is
        // read into the document all the same.
        OpenPath(path);
        doc = FindDocument(path, false);
        view = doc ? FirstViewOf(doc) : nullptr;
        if (!view)
            return false;
        ActivateEditorWindow(view);
    }
    if (g_editor->doc != doc || g_editor->view != view)
        return false;
    long long fileTime = doc->fileTime;
    bool read = ReadDocument(copy);
    ForgetRecentFile(copy);   // the copy is not one of the user's files
    if (!read)
        return false;
    doc->fileTime = fileTime;
    ChooseLanguage(Extension(path));
    // The header is the copy's, not the document's: it goes, so that saving the document
    // does not write it into the user's file.
    Line *first = FirstLine(doc);
    if (!IsSentinel(doc, first) && strncmp(first->text, kHeader, sizeof kHeader - 1) == 0) {
        first->prev->next = first->next;
        first->next->prev = first->prev;
        FreeLine(doc, first);
        doc->lineCount--;
        ForgetLineNumber();
    }
    ForgetDocumentRecords(doc);
    InvalidateCommentSpans(doc);
    ResetViews(doc, FirstLine(doc));
    doc->flags = (doc->flags | kDocModified) & ~(kDocAutosaved | kDocFunctionsValid);
    GotoTop();
    view->state |= kViewRedrawAll;
    RefreshEditorWindow(view);
    ShowPosition(view);
    return true;
}

// A copy that could not be restored is kept under a name that no round writes, so that it
// is still there at the next start.
void KeepCopy(const std::string &copy, const std::string &path) {
    std::string kept = EndsWith(copy.c_str(), kKeptSuffix) ? copy : copy + kKeptSuffix;
    if (kept != copy && !ReplaceFileWith(copy.c_str(), kept.c_str()))
        kept = copy;
    char text[2 * kPathSize + 80];
    snprintf(text, sizeof text, "%s could not be restored; its autosaved copy is kept as %s", path.c_str(),
             kept.c_str());
    ErrorBox(text);
}

} // namespace

bool AutosaveDirectory(char *out, size_t size) {
    if (!g_app || !g_app->compilerRoot[0])
        return false;
    return snprintf(out, size, "%s\\keltoautosave", g_app->compilerRoot) < static_cast<int>(size);
}

bool AutosavePath(const char *documentPath, char *out, size_t size) {
    char dir[kPathSize];
    if (!AutosaveDirectory(dir, sizeof dir))
        return false;
    const char *slash = strrchr(documentPath, '\\');
    char name[kMaxPathLength + 1];
    CopyBounded(name, slash ? slash + 1 : documentPath, sizeof name);
    LowerCase(name);
    return snprintf(out, size, "%s\\%s~%08x", dir, name, PathTag(documentPath)) < static_cast<int>(size);
}

bool AutosaveDocument(Document *doc) {
    char header[kMaxPathLength + 80];
    snprintf(header, sizeof header, "Autosaved %s %s\r\n", doc->path, TimeStamp());
    char dir[kPathSize], path[kPathSize], temp[kPathSize + 8];
    if (!AutosaveDirectory(dir, sizeof dir) || !AutosavePath(doc->path, path, sizeof path))
        return false;
    if (!IsDirectory(dir))
        MakeDirectory(dir);
    snprintf(temp, sizeof temp, "%s%s", path, kTempSuffix);
    if (!WriteDocumentRaw(temp, doc, header) || !ReplaceFileWith(temp, path)) {
        RemoveFile(temp);
        char text[kPathSize + 64];
        snprintf(text, sizeof text, "Impossible to autosave %s. Disk Full?", path);
        ErrorBox(text);
        return false;
    }
    AddName(&g_autosave.written, path);
    doc->flags |= kDocAutosaved;
    return true;
}

void AutosaveRound() {
    // The timer also ticks inside the boxes a round may show: one round at a time.
    static bool running;
    if (!g_editor || running)
        return;
    running = true;
    int count = 0;
    for (Document *doc = g_editor->documents; doc; doc = doc->next) {
        if (!(doc->flags & kDocModified) || (doc->flags & (kDocNoFile | kDocAutosaved)))
            continue;
        if (!AutosaveDocument(doc))
            break;
        count++;
    }
    if (count > 0) {
        char text[64];
        snprintf(text, sizeof text, "%d files autosaved", count);
        ShowRedMessage(text);
    }
    running = false;
}

void DeleteAutosaveCopy(const char *documentPath) {
    char path[kPathSize];
    if (!AutosavePath(documentPath, path, sizeof path))
        return;
    RemoveFile(path);
    RemoveName(&g_autosave.written, path);
}

void DeleteAutosave(Document *doc) {
    if (!doc)
        return;
    doc->flags &= ~kDocAutosaved;
    DeleteAutosaveCopy(doc->path);
}

void StopAutosave() {
    StopSystemTimer(g_autosave.timer);
    g_autosave.timer = 0;
    for (NameEntry *entry = g_autosave.written; entry; entry = entry->next)
        RemoveFile(entry->name);
    FreeNames(&g_autosave.written);
}

bool RestoreAutosaved() {
    Found found;
    char dir[kPathSize];
    if (!AutosaveDirectory(dir, sizeof dir))
        return false;
    if (!IsDirectory(dir)) {
        MakeDirectory(dir);
        return false;
    }
    if (!DirectoryWritable(dir)) {
        char text[kPathSize + 80];
        snprintf(text, sizeof text, "Impossible to write to autosave dir\n%s\nAutosave will be disabled", dir);
        ErrorBox(text);
        g_app->optionByte &= ~kOptionAutosave;
        return false;
    }
    found.dir = dir;
    ForEachFile(dir, CollectFile, &found);
    // One candidate per document: the newest of its copies.
    std::vector<Candidate> candidates;
    for (const std::string &copy : found.paths) {
        char header[520], path[kMaxPathLength + 1];
        if (!ReadHeader(copy.c_str(), header, sizeof header)) {
            char text[kPathSize + 64];
            snprintf(text, sizeof text, "Impossible to reopen %s ???\nAborting restore", copy.c_str());
            ErrorBox(text);
            return false;
        }
        if (!PathOfHeader(header, path, sizeof path))
            continue;   // not a copy of ours
        Candidate fresh;
        fresh.copy = copy;
        fresh.path = path;
        fresh.entry = header + sizeof kHeader - 1;
        LowerCase(&fresh.entry[0]);
        fresh.stamp = StampValue(header);
        Candidate *same = nullptr;
        for (Candidate &c : candidates)
            if (c.path == fresh.path)
                same = &c;
        if (!same) {
            candidates.push_back(fresh);
        } else if (fresh.stamp > same->stamp ||
                   (fresh.stamp == same->stamp && FileTime(copy.c_str()) > FileTime(same->copy.c_str()))) {
            fresh.older = same->older;
            fresh.older.push_back(same->copy);
            *same = fresh;
        } else {
            same->older.push_back(copy);
        }
    }
    if (candidates.empty())
        return false;
    std::vector<const char *> list;
    for (const Candidate &c : candidates)
        list.push_back(c.entry.c_str());
    int answer = CurrentUiPort()->ShowFileList(IDD_MODIFIED_FILES, list.data(), static_cast<int>(list.size()));
    if (answer != kAnswerOk) {
        if (Confirm("Erase the autosaved files?"))
            for (const Candidate &c : candidates) {
                RemoveFile(c.copy.c_str());
                for (const std::string &old : c.older)
                    RemoveFile(old.c_str());
            }
        return false;
    }
    bool restored = false;
    for (Candidate &c : candidates) {
        if (!RestoreOne(c.copy.c_str(), c.path.c_str())) {
            KeepCopy(c.copy, c.path);
            continue;
        }
        restored = true;
        // The restored text lives only in memory now: it gets a fresh copy at once, under its
        // own name, before the old ones go.
        char own[kPathSize];
        if (!AutosaveDocument(g_editor->doc) || !AutosavePath(c.path.c_str(), own, sizeof own))
            continue;
        if (strcasecmp(c.copy.c_str(), own) != 0)
            RemoveFile(c.copy.c_str());
        for (const std::string &old : c.older)
            if (strcasecmp(old.c_str(), own) != 0)
                RemoveFile(old.c_str());
    }
    return restored;
}

void StartAutosave() {
    if (!g_app || !g_app->compilerRoot[0])
        return;
    // Another running instance keeps live copies there: they are not a crash's leftovers.
    if (!g_app->anotherInstance && RestoreAutosaved())
        InfoBox("Autosaved files restored in the editor");
    if ((g_app->optionByte & kOptionAutosave) && !g_autosave.timer)
        g_autosave.timer = StartSystemTimer(kAutosavePeriod, AutosaveRound);
}
