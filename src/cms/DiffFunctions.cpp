// Grouping a comparison's changes by C function. Each text gets a table from line number to
// the group of the function covering that line; a change's erased lines are looked up in the
// first text's table and its added lines in the second's, and every run of lines that lands in
// one group becomes a piece of that group.
#include "cms/DiffFunctions.h"

#include <stdio.h>

#include <map>

#include "base/Memory.h"
#include "browse/Functions.h"
#include "cms/DiffFiles.h"
#include "editor/Document.h"

namespace {

const int kLongestDocumentLine = 0x7FF0;

// Line number -> group index, -1 for lines outside every function.
std::vector<int> OwnerTable(const std::vector<FunctionSpan> &spans, const std::vector<int> &groupOf) {
    long size = 1;
    for (const FunctionSpan &span : spans)
        size = span.last + 1 > size ? span.last + 1 : size;
    std::vector<int> owners(static_cast<size_t>(size), -1);
    for (size_t i = 0; i < spans.size(); i++)
        for (long line = spans[i].first; line <= spans[i].last; line++)
            owners[static_cast<size_t>(line)] = groupOf[i];
    return owners;
}

int OwnerOf(const std::vector<int> &owners, long line) {
    return line > 0 && line < static_cast<long>(owners.size()) ? owners[static_cast<size_t>(line)] : -1;
}

// The piece of change `change` in `group`, made when the group has none yet.
ChangePiece &PieceOf(FunctionGroup &group, int change) {
    if (group.pieces.empty() || group.pieces.back().change != change)
        group.pieces.push_back({change, 0, 0, 0, 0});
    return group.pieces.back();
}

// `count` lines of `lines` from line `first` (from 1), each after `mark`; at most
// kMaxShownLines.
std::string Excerpt(const char *mark, long first, long count, const std::vector<std::string> &lines) {
    std::string out;
    for (long k = 0; k < count && k < kMaxShownLines; k++) {
        size_t at = static_cast<size_t>(first - 1 + k);
        if (at < lines.size())
            out += mark + lines[at].substr(0, 300) + "\r\n";
    }
    if (count > kMaxShownLines)
        out += std::string(kTooManyLinesText) + "\r\n";
    return out;
}

std::string Range(const std::string &path, long first, long last) {
    char text[80];
    if (first == last)
        snprintf(text, sizeof text, " line %ld", first);
    else
        snprintf(text, sizeof text, " lines %ld-%ld", first, last);
    return path + text;
}

} // namespace

bool ScanFunctionSpans(const std::vector<std::string> &lines, std::vector<FunctionSpan> *spans) {
    spans->clear();
    // The scan reads a document; a detached one holding the compared lines keeps the line
    // numbers the changes use (the editor's reader would split long lines).
    Document *doc = static_cast<Document *>(Allocate(sizeof(Document)));
    Line *sentinel = NewLine("", 0);
    if (!doc || !sentinel) {
        Release(doc);
        FreeLine(nullptr, sentinel);
        return false;
    }
    sentinel->next = sentinel->prev = sentinel;
    doc->sentinel = sentinel;
    bool ok = true;
    for (const std::string &text : lines) {
        // Longer lines than a document holds are cut: only their start can matter to a scan.
        int length = text.size() > kLongestDocumentLine ? kLongestDocumentLine : static_cast<int>(text.size());
        Line *line = NewLine(text.data(), length, doc);
        if (!line) {
            ok = false;
            break;
        }
        LinkLineAfter(sentinel->prev, line);
        doc->lineCount++;
    }
    if (ok) {
        ScanCFunctions(doc);
        for (const FunctionEntry *f = FunctionList(doc); f; f = f->next) {
            long first = f->startLineNumber;
            spans->push_back({f->name, first, f->endLine > first ? f->endLine : first});
        }
    }
    ReleaseFunctions(doc);
    FreeLines(doc);
    FreeLine(nullptr, sentinel);
    Release(doc);
    return ok;
}

FunctionComparison GroupChangesByFunction(const std::vector<DiffChange> &changes,
                                          const std::vector<FunctionSpan> &firstFunctions,
                                          const std::vector<FunctionSpan> &secondFunctions) {
    // One group per function: the k-th function of a name in one text is the k-th in the other.
    std::vector<FunctionGroup> groups;
    std::map<std::string, int> byKey;
    std::map<std::string, int> seen;
    std::vector<int> firstGroup, secondGroup;
    for (const FunctionSpan &span : firstFunctions) {
        std::string key = span.name + '\n' + std::to_string(seen[span.name]++);
        byKey[key] = static_cast<int>(groups.size());
        firstGroup.push_back(static_cast<int>(groups.size()));
        groups.push_back({span.name, kFunctionRemoved, span.first, span.last, 0, 0, {}});
    }
    seen.clear();
    for (const FunctionSpan &span : secondFunctions) {
        std::string key = span.name + '\n' + std::to_string(seen[span.name]++);
        auto found = byKey.find(key);
        if (found == byKey.end()) {
            secondGroup.push_back(static_cast<int>(groups.size()));
            groups.push_back({span.name, kFunctionAdded, 0, 0, span.first, span.last, {}});
            continue;
        }
        FunctionGroup &group = groups[static_cast<size_t>(found->second)];
        group.state = kFunctionUnchanged;
        group.secondStart = span.first;
        group.secondEnd = span.last;
        secondGroup.push_back(found->second);
    }
    FunctionGroup outside = {"", kFunctionOutside, 0, 0, 0, 0, {}};
    std::vector<int> firstOwners = OwnerTable(firstFunctions, firstGroup);
    std::vector<int> secondOwners = OwnerTable(secondFunctions, secondGroup);

    FunctionComparison result;
    result.changes = static_cast<int>(changes.size());
    for (size_t c = 0; c < changes.size(); c++) {
        const DiffChange &change = changes[c];
        int index = static_cast<int>(c);
        for (long line = change.firstDeleted; line < change.firstDeleted + change.deleted; line++) {
            int owner = OwnerOf(firstOwners, line);
            ChangePiece &piece = PieceOf(owner < 0 ? outside : groups[static_cast<size_t>(owner)], index);
            if (piece.erased++ == 0)
                piece.firstErased = line;
            (owner < 0 ? result.outsideErased : result.erased)++;
        }
        for (long line = change.firstInserted; line < change.firstInserted + change.inserted; line++) {
            int owner = OwnerOf(secondOwners, line);
            ChangePiece &piece = PieceOf(owner < 0 ? outside : groups[static_cast<size_t>(owner)], index);
            if (piece.added++ == 0)
                piece.firstAdded = line;
            (owner < 0 ? result.outsideAdded : result.addedLines)++;
        }
    }
    result.erased += result.outsideErased;
    result.addedLines += result.outsideAdded;

    for (FunctionGroup &group : groups) {
        if (group.state == kFunctionUnchanged && !group.pieces.empty())
            group.state = kFunctionModified;
        int &count = group.state == kFunctionModified  ? result.modified
                     : group.state == kFunctionAdded   ? result.added
                     : group.state == kFunctionRemoved ? result.removed
                                                       : result.unchanged;
        count++;
    }
    if (!outside.pieces.empty())
        groups.push_back(outside);
    for (int state = kFunctionModified; state <= kFunctionUnchanged; state++)
        for (FunctionGroup &group : groups)
            if (group.state == state)
                result.groups.push_back(std::move(group));
    return result;
}

std::string FunctionStatistics(const FunctionComparison &c) {
    char text[300];
    snprintf(text, sizeof text,
             "%d changes. Functions: %d modified, %d added, %d removed, %d unchanged. Lines: %ld erased, %ld added"
             " (outside functions: %ld erased, %ld added).",
             c.changes, c.modified, c.added, c.removed, c.unchanged, c.erased, c.addedLines, c.outsideErased,
             c.outsideAdded);
    return text;
}

std::string FunctionLabel(const FunctionGroup &group) {
    static const char *const kStates[] = {"modified", "added", "removed", "modified", "unchanged"};
    return std::string(kStates[group.state]) + "\t" + (group.state == kFunctionOutside ? "(outside functions)" : group.name);
}

std::string FunctionDetails(const FunctionGroup &group, const std::string &firstPath, const std::string &secondPath,
                            const std::vector<std::string> &first, const std::vector<std::string> &second) {
    switch (group.state) {
    case kFunctionUnchanged:
        return "Function " + group.name + " hasn't changed";
    case kFunctionAdded:
        // The whole function is new: its text says more than the lines the engine matched.
        return "Function " + group.name + ", added: " + Range(secondPath, group.secondStart, group.secondEnd) +
               "\r\n\r\n" + Excerpt("  ", group.secondStart, group.secondEnd - group.secondStart + 1, second);
    case kFunctionRemoved:
        return "Function " + group.name + ", removed: " + Range(firstPath, group.firstStart, group.firstEnd) +
               "\r\n\r\n" + Excerpt("  ", group.firstStart, group.firstEnd - group.firstStart + 1, first);
    default:
        break;
    }
    std::string out = group.state == kFunctionOutside ? "Modifications outside functions"
                                                      : "Function " + group.name + ": " +
                                                            Range(firstPath, group.firstStart, group.firstEnd) + ", " +
                                                            Range(secondPath, group.secondStart, group.secondEnd);
    out += "\r\n";
    for (const ChangePiece &piece : group.pieces) {
        out += "\r\nChange " + std::to_string(piece.change + 1) + "\r\n";
        if (piece.erased)
            out += firstPath + ": " + ChangeLinesText(true, piece.erased, piece.firstErased) + "\r\n" +
                   Excerpt("- ", piece.firstErased, piece.erased, first);
        if (piece.added)
            out += secondPath + ": " + ChangeLinesText(false, piece.added, piece.firstAdded) + "\r\n" +
                   Excerpt("+ ", piece.firstAdded, piece.added, second);
    }
    return out;
}
