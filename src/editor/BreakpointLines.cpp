#include "editor/BreakpointLines.h"

#include <strings.h>

#include <algorithm>

#include "base/TextUtil.h"
#include "editor/Document.h"

namespace {

std::vector<BreakpointLine> g_remembered;

bool SameFile(const std::string &file, const Document *doc) {
    return strcasecmp(file.c_str(), doc->path) == 0 || strcasecmp(file.c_str(), DiskPath(doc)) == 0;
}

// The open document of a file, when it is one.
Document *OpenDocumentOf(const char *file) {
    return g_editor ? FindDocument(Uppered(file).c_str(), false) : nullptr;
}

// Line `number` (from 1) of `doc`, null past its end.
Line *LineOf(Document *doc, int number) {
    Line *line = doc && number > 0 ? NthLine(doc, number - 1) : nullptr;
    return line && !IsSentinel(doc, line) ? line : nullptr;
}

bool Contains(const std::vector<BreakpointLine> &list, const std::string &file, int line) {
    for (const BreakpointLine &b : list)
        if (b.line == line && strcasecmp(b.file.c_str(), file.c_str()) == 0)
            return true;
    return false;
}

// The marked lines of `doc` join `list`, each once.
void AppendMarks(Document *doc, std::vector<BreakpointLine> &list) {
    int number = 1;
    for (Line *line = FirstLine(doc); !IsSentinel(doc, line); line = line->next, number++)
        if ((line->flags & kLineBreakpoint) && !Contains(list, DiskPath(doc), number))
            list.push_back({DiskPath(doc), number});
}

}  // namespace

void SetRememberedBreakpoints(const std::vector<BreakpointLine> &list) { g_remembered = list; }

void MarkRememberedBreakpoints(Document *doc) {
    if (doc->flags & kDocNoFile)
        return;
    std::vector<BreakpointLine> kept;
    for (const BreakpointLine &b : g_remembered) {
        if (!SameFile(b.file, doc)) {
            kept.push_back(b);
            continue;
        }
        if (Line *line = LineOf(doc, b.line))
            line->flags |= kLineBreakpoint;
    }
    g_remembered.swap(kept);
}

void RememberDocumentBreakpoints(Document *doc) {
    if ((doc->flags & kDocNoFile) || IsSentinel(doc, FirstLine(doc)))
        return;   // nothing read yet: its entries are still to be marked
    // While it was open its marks were its breakpoints.
    g_remembered.erase(std::remove_if(g_remembered.begin(), g_remembered.end(),
                                      [doc](const BreakpointLine &b) { return SameFile(b.file, doc); }),
                       g_remembered.end());
    AppendMarks(doc, g_remembered);
}

std::vector<BreakpointLine> AllBreakpoints() {
    std::vector<BreakpointLine> all;
    for (const BreakpointLine &b : g_remembered)
        if (!Contains(all, b.file, b.line))
            all.push_back(b);
    for (Document *doc = g_editor ? g_editor->documents : nullptr; doc; doc = doc->next)
        if (!(doc->flags & kDocNoFile))
            AppendMarks(doc, all);
    return all;
}

void RememberBreakpoint(const char *file, int line) {
    Document *doc = OpenDocumentOf(file);
    if (Line *marked = LineOf(doc, line))
        marked->flags |= kLineBreakpoint;
    else if (!doc && line > 0 && !Contains(g_remembered, file, line))
        g_remembered.push_back({file, line});
}

void ForgetBreakpoint(const char *file, int line) {
    if (Line *marked = LineOf(OpenDocumentOf(file), line))
        marked->flags &= ~kLineBreakpoint;
    g_remembered.erase(std::remove_if(g_remembered.begin(), g_remembered.end(),
                                      [file, line](const BreakpointLine &b) {
                                          return b.line == line && strcasecmp(b.file.c_str(), file) == 0;
                                      }),
                       g_remembered.end());
}

void MoveBreakpoint(const char *file, int from, int to) {
    if (from == to)
        return;
    Line *target = LineOf(OpenDocumentOf(file), to);
    bool listed = Contains(g_remembered, file, from);
    ForgetBreakpoint(file, from);
    if (target)
        target->flags |= kLineBreakpoint;
    if (listed && !Contains(g_remembered, file, to))
        g_remembered.push_back({file, to});
}
