// Helpers for the document tests: open a file as the current document, read its lines back,
// edit a line.
#pragma once

#include <windows.h>
#include <string.h>

#include <algorithm>
#include <string>
#include <vector>

#include "base/TextUtil.h"
#include "editor/Document.h"
#include "editor/Editing.h"
#include "editor/Language.h"
#include "support/TestSupport.h"

typedef std::vector<std::string> Lines;

class DocumentTest : public KeltoTest {
protected:
    // Writes `bytes` as `name` in the test directory and opens it; the current document.
    Document *OpenFile(const std::string &name, const std::string &bytes) {
        WriteWholeFile(PathOf(name), bytes);
        return OpenDocument(PathOf(name).c_str()) ? g_editor->doc : nullptr;
    }
};

// Documents that get their language (and its colouring and scans) from the built-in ones.
class LanguageDocumentTest : public DocumentTest {
protected:
    void SetUp() override {
        DocumentTest::SetUp();
        AddBuiltinLanguages();
    }
    void TearDown() override {
        FreeLanguages();
        DocumentTest::TearDown();
    }
};

inline Lines LinesOf(const Document *doc) {
    Lines lines;
    for (const Line *line = FirstLine(doc); !IsSentinel(doc, line); line = line->next)
        lines.push_back(std::string(line->text, line->length));
    return lines;
}

inline Line *LineAt(const Document *doc, int index) {
    Line *line = FirstLine(doc);
    while (index-- > 0 && !IsSentinel(doc, line))
        line = line->next;
    return line;
}

// Puts `text` into line `index` (grown as the editor grows it) and marks the document modified.
inline void ReplaceLine(Document *doc, int index, const std::string &text) {
    Line *line = ReserveLine(doc, LineAt(doc, index), int(text.size()));
    ASSERT_NE(nullptr, line);
    memcpy(line->text, text.data(), text.size());
    line->length = short(text.size());
    doc->flags |= kDocModified;
}

// Names of the files in `dir`, sorted; upper-cased unless `asOnDisk`.
inline Lines FilesIn(const std::string &dir, bool asOnDisk = false) {
    Lines names;
    WIN32_FIND_DATAA data;
    HANDLE h = FindFirstFileA((dir + "\\*").c_str(), &data);
    for (bool more = h != INVALID_HANDLE_VALUE; more; more = FindNextFileA(h, &data)) {
        std::string name = data.cFileName;
        if (name != "." && name != "..")
            names.push_back(asOnDisk ? name : UpperCase(&name[0]));
    }
    if (h != INVALID_HANDLE_VALUE)
        FindClose(h);
    std::sort(names.begin(), names.end());
    return names;
}

// Sets the file's last write time `hours` before now.
inline void SetAge(const std::string &path, int hours) {
    HANDLE h = CreateFileA(path.c_str(), FILE_WRITE_ATTRIBUTES, 0, nullptr, OPEN_EXISTING, 0, nullptr);
    FILETIME now;
    GetSystemTimeAsFileTime(&now);
    ULARGE_INTEGER t = {{now.dwLowDateTime, now.dwHighDateTime}};
    t.QuadPart -= hours * 3600ULL * 10000000ULL;
    FILETIME then = {t.LowPart, t.HighPart};
    SetFileTime(h, nullptr, nullptr, &then);
    CloseHandle(h);
}
