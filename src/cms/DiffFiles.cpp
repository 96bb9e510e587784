// Files through the difference engine: the report of a comparison, the patch script that
// carries the checksums of both files, and its application, which writes a temporary file
// first so that a script that does not fit leaves everything as it was.
#include "cms/DiffFiles.h"

#include <stdio.h>
#include <string.h>

#include "base/Boxes.h"
#include "base/MessageIds.h"
#include "base/Messages.h"
#include "platform/Files.h"

namespace {

const char kReportMark[] = "Kelto-Diff";
const size_t kMaxLine = 65535;   // the engine keeps a line's length in 16 bits

bool ReadBytes(const std::string &path, std::string *bytes) {
    FILE *f = fopen(path.c_str(), "rb");
    if (!f)
        return false;
    char buffer[65536];
    size_t n;
    bytes->clear();
    while ((n = fread(buffer, 1, sizeof buffer, f)) > 0)
        bytes->append(buffer, n);
    bool ok = !ferror(f);
    fclose(f);
    return ok;
}

// The bytes as a text-mode read gives them: carriage returns before line feeds dropped.
std::string AsText(const std::string &bytes) {
    std::string text;
    text.reserve(bytes.size());
    for (size_t i = 0; i < bytes.size(); i++)
        if (!(bytes[i] == '\r' && i + 1 < bytes.size() && bytes[i + 1] == '\n'))
            text += bytes[i];
    return text;
}

std::vector<std::string> SplitLines(const std::string &text) {
    std::vector<std::string> lines;
    size_t at = 0;
    while (at < text.size()) {
        size_t end = text.find('\n', at);
        if (end == std::string::npos)
            end = text.size();
        lines.push_back(text.substr(at, end - at));
        at = end + 1;
    }
    return lines;
}

bool WriteWhole(const std::string &path, const std::string &bytes) {
    FILE *f = fopen(path.c_str(), "wb");
    if (!f)
        return false;
    bool ok = fwrite(bytes.data(), 1, bytes.size(), f) == bytes.size();
    return fclose(f) == 0 && ok;
}

// Writes `bytes` beside `path` and puts the file in its place only when all was written.
bool WriteReplacing(const std::string &path, const std::string &bytes) {
    std::string temporary = path + ".$$$";
    if (!WriteWhole(temporary, bytes) || !ReplaceFileWith(temporary.c_str(), path.c_str())) {
        RemoveFile(temporary.c_str());
        ErrorBox(FormatMessageId(kStrCannotWrite, path.c_str()));
        return false;
    }
    return true;
}

} // namespace

bool ReadDiffLines(const std::string &path, std::vector<std::string> *lines) {
    std::string bytes;
    if (!ReadBytes(path, &bytes)) {
        ErrorBox(FormatMessageId(kStrFileNotFound, path.c_str()));
        return false;
    }
    *lines = SplitLines(AsText(bytes));
    for (size_t i = 0; i < lines->size(); i++) {
        if ((*lines)[i].size() > kMaxLine) {
            ErrorBox(FormatScratch("Line %lu of %s is too long to compare", static_cast<unsigned long>(i + 1),
                                   path.c_str()));
            return false;
        }
    }
    return true;
}

int CompareFiles(const std::string &firstPath, const std::string &secondPath, unsigned options,
                 std::vector<std::string> *first, std::vector<std::string> *second, std::vector<DiffChange> *changes) {
    changes->clear();
    if (!ReadDiffLines(firstPath, first) || !ReadDiffLines(secondPath, second))
        return kDiffCannotRead;
    return DiffLines(*first, *second, options, changes);
}

const char kTooManyLinesText[] = "Too many changes. Only the first 200 lines will be shown";

std::string ChangeLinesText(bool erased, long count, long first) {
    char text[80];
    snprintf(text, sizeof text, "%s %ld lines beginning with line %ld", erased ? "Erase" : "Add", count, first);
    return text;
}

std::string DiffReport(const std::string &firstPath, const std::string &secondPath, const std::vector<std::string> &first,
                       const std::vector<std::string> &second, const std::vector<DiffChange> &changes,
                       const std::string &date) {
    std::string report = std::string(kReportMark) + " " + firstPath + " vs " + secondPath + ": " +
                         std::to_string(changes.size()) + " changes. " + date + "\n";
    int number = 0;
    for (const DiffChange &change : changes) {
        report += "Change " + std::to_string(++number) + "\n";
        if (change.deleted) {
            report += firstPath + ": " + ChangeLinesText(true, change.deleted, change.firstDeleted) + "\n";
            for (long k = 0; k < change.deleted; k++)
                report += first[change.firstDeleted - 1 + k] + "\n";
        }
        if (change.inserted) {
            report += secondPath + ": " + ChangeLinesText(false, change.inserted, change.firstInserted) + "\n";
            for (long k = 0; k < change.inserted; k++)
                report += second[change.firstInserted - 1 + k] + "\n";
        }
    }
    return report;
}

bool WriteDiffReport(const std::string &reportPath, const std::string &report) {
    std::string old;
    if (ReadBytes(reportPath, &old)) {
        if (old.compare(0, strlen(kReportMark), kReportMark) == 0)
            return WriteReplacing(reportPath, old + std::string(75, '-') + "\n" + report);
        if (!Confirm(FormatMessageId(kStrEraseExisting, reportPath.c_str())))
            return false;
    }
    return WriteReplacing(reportPath, report);
}

unsigned long FileChecksum(const std::string &path) {
    std::string bytes;
    return ReadBytes(path, &bytes) ? DiffChecksum(AsText(bytes)) : 0;
}

bool WritePatchScript(const std::string &firstPath, const std::string &secondPath, const std::string &scriptPath) {
    std::vector<std::string> first, second;
    std::vector<DiffChange> changes;
    int result = CompareFiles(firstPath, secondPath, 0, &first, &second, &changes);
    if (result == kDiffCannotRead || result == kDiffFailed)
        return false;
    char trailer[40];
    snprintf(trailer, sizeof trailer, "@\n%10lu %10lu\n", FileChecksum(firstPath), FileChecksum(secondPath));
    return WriteReplacing(scriptPath, EditScript(changes, second) + trailer);
}

bool ApplyPatchScript(const std::string &scriptPath, const std::string &sourcePath, const std::string &outputPath) {
    std::string script;
    if (!ReadBytes(scriptPath, &script)) {
        ErrorBox(FormatScratch("Script file %s not found", scriptPath.c_str()));
        return false;
    }
    script = AsText(script);
    size_t mark = script.rfind("@\n");
    unsigned long sourceSum = 0, resultSum = 0;
    char extra = 0;
    if (mark == std::string::npos || (mark > 0 && script[mark - 1] != '\n') ||
        sscanf(script.c_str() + mark + 2, "%lu %lu %c", &sourceSum, &resultSum, &extra) != 2) {
        ErrorBox(FormatScratch("%s is no patch script: its checksum line is missing or damaged", scriptPath.c_str()));
        return false;
    }
    std::vector<std::string> lines;
    if (!ReadDiffLines(sourcePath, &lines))
        return false;
    if (sourceSum != 0 && sourceSum != FileChecksum(sourcePath) && !Confirm("Source file CRC differs! Continue?"))
        return false;
    std::string error;
    if (!ApplyEditScript(script.substr(0, mark), &lines, &error)) {
        ErrorBox((scriptPath + ": " + error).c_str());
        return false;
    }
    std::string output;
    for (const std::string &line : lines)
        output += line + "\n";
    if (!WriteReplacing(outputPath, output))
        return false;
    if (resultSum != 0 && resultSum != FileChecksum(outputPath))
        ErrorBox("Result CRC differs from expected!");
    return true;
}
