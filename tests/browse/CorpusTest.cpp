// The scanner's function lists of real C files compared with what universal-ctags reported for
// them (scripts/corpus-ctags.sh wrote the .ctags files beside the corpus). Where the two differ
// for a known reason, the table says so.
#include <gtest/gtest.h>

#include <set>

#include "browse/Functions.h"
#include "editor/DocumentTestSupport.h"
#include "editor/Language.h"

namespace {

std::set<std::string> LinesOfFile(const std::string &path) {
    std::set<std::string> lines;
    std::string text = ReadWholeFile(path), line;
    for (char c : text) {
        if (c == '\r')
            continue;
        if (c != '\n') {
            line += c;
        } else if (!line.empty()) {
            lines.insert(line);
            line.clear();
        }
    }
    return lines;
}

using CorpusTest = LanguageDocumentTest;

TEST_F(CorpusTest, FunctionListsAgreeWithCtags) {
    struct Source {
        const char *file;
        const char *expected;
        // "+name line": only the scanner finds it; "-name line": only ctags does.
        std::set<std::string> differences;
    } sources[] = {
        {"demo/list.c", "tests/browse/corpus/demo-list.ctags", {}},
        {"demo/main.c", "tests/browse/corpus/demo-main.ctags", {}},
        // A macro call without a ';' reads as a function with old-style parameter
        // declarations, which run on to the body of kind_name; ctags finds neither.
        {"tests/browse/corpus/ledger.c", "tests/browse/corpus/ledger.ctags", {"+DEFINE_GETTER 58"}},
    };
    for (const Source &source : sources) {
        std::string text = ReadWholeFile(SourcePath(source.file));
        ASSERT_FALSE(text.empty()) << source.file;
        std::string name = source.file;
        name = name.substr(name.rfind('/') + 1);
        Document *doc = OpenFile(name, text);
        ASSERT_NE(nullptr, doc);
        EnsureBrowseInfo();
        std::set<std::string> found;
        for (const FunctionEntry *f = FunctionList(doc); f; f = f->next)
            found.insert(std::string(f->name) + " " + std::to_string(f->definitionLine));
        std::set<std::string> expected = LinesOfFile(SourcePath(source.expected));
        ASSERT_FALSE(expected.empty()) << source.expected;
        std::set<std::string> differences;
        for (const std::string &f : found)
            if (!expected.count(f))
                differences.insert("+" + f);
        for (const std::string &e : expected)
            if (!found.count(e))
                differences.insert("-" + e);
        EXPECT_EQ(source.differences, differences) << source.file;
    }
}

} // namespace
