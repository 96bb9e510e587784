// Reading files into documents: line ends, the split of over-long lines, files larger than
// the reader's buffer, and the recent-files list.
#include <algorithm>
#include <string.h>

#include "editor/DocumentTestSupport.h"
#include "platform/Files.h"

namespace {

class ReadTest : public DocumentTest {};

typedef std::vector<std::string> Lines;

// What the reader must make of `bytes`, worked out without its buffer: LF ends a line, CR
// bytes vanish, a line of more than 497 characters is cut into pieces of 497, and an empty
// piece after the final LF is no line.
Lines ExpectedLines(const std::string &bytes, int *splits) {
    Lines lines;
    *splits = 0;
    size_t start = 0;
    while (start < bytes.size()) {
        size_t lf = bytes.find('\n', start);
        bool ended = lf != std::string::npos;
        std::string piece = bytes.substr(start, (ended ? lf : bytes.size()) - start);
        start = ended ? lf + 1 : bytes.size();
        piece.erase(std::remove(piece.begin(), piece.end(), '\r'), piece.end());
        if (piece.empty()) {
            if (ended)
                lines.push_back("");
            continue;
        }
        for (size_t i = 0; i < piece.size(); i += kSplitLength)
            lines.push_back(piece.substr(i, kSplitLength));
        *splits += int((piece.size() - 1) / kSplitLength);
    }
    return lines;
}

std::string Pattern(size_t n, unsigned seed = 0) {
    std::string text;
    for (size_t i = 0; i < n; i++)
        text += char('a' + (i * 7 + seed) % 26);
    return text;
}

std::string SplitMessage(const std::string &path, int count) {
    return Lower(path) + ":\n" + std::to_string(count) +
           " lines longuer than 500 characters were truncated";
}

TEST_F(ReadTest, EveryKindOfLineEndReadsTheSame) {
    for (const char *end : {"\n", "\r\n", "\r\r\n"}) {
        std::string e = end;
        std::string name = "E" + std::to_string(e.size()) + ".C";
        Document *doc = OpenFile(name, "int a;" + e + e + "  b\t" + e + "last");
        ASSERT_NE(nullptr, doc);
        EXPECT_EQ((Lines{"int a;", "", "  b\t", "last"}), LinesOf(doc)) << name;
        EXPECT_EQ(4, doc->lineCount);
        EXPECT_EQ(0, doc->flags & (kDocTruncated | kDocModified));
        EXPECT_EQ(FirstLine(doc), g_editor->view->current);
    }
    struct Case { const char *bytes; Lines lines; };
    for (const Case &c : {Case{"", {}}, Case{"\n", {""}}, Case{"a\n", {"a"}},
                          Case{"a\n\n", {"a", ""}}, Case{"a\r\n\r", {"a"}}}) {
        Document *doc = OpenFile("S" + std::to_string(strlen(c.bytes)) + ".C", c.bytes);
        ASSERT_NE(nullptr, doc);
        EXPECT_EQ(c.lines, LinesOf(doc)) << c.bytes;
        EXPECT_EQ(long(c.lines.size()), doc->lineCount);
    }
    EXPECT_TRUE(ui.boxes.empty());
}

TEST_F(ReadTest, OverlongLinesAreSplitAndReported) {
    std::string longLine = Pattern(1000);
    Document *doc = OpenFile("Long.c", "short\n" + longLine + "\nend\n");
    ASSERT_NE(nullptr, doc);
    EXPECT_EQ((Lines{"short", longLine.substr(0, 497), longLine.substr(497, 497),
                     longLine.substr(994), "end"}),
              LinesOf(doc));
    EXPECT_EQ(5, doc->lineCount);
    EXPECT_TRUE(doc->flags & kDocTruncated);
    EXPECT_EQ(2, g_editor->splitLines);
    ASSERT_EQ(1u, ui.boxes.size());
    EXPECT_EQ(SplitMessage(PathOf("LONG.C"), 2), ui.boxes[0].text);
    EXPECT_EQ("Error", ui.boxes[0].title);
}

TEST_F(ReadTest, SplitStartsAfter497CharactersAndIgnoresCarriageReturns) {
    std::string exact = Pattern(497);
    Document *doc = OpenFile("EXACT.C", exact + "\n" + exact + "\r\n" + exact);
    EXPECT_EQ((Lines{exact, exact, exact}), LinesOf(doc));
    EXPECT_FALSE(doc->flags & kDocTruncated);
    EXPECT_TRUE(ui.boxes.empty());

    std::string over = Pattern(498);
    doc = OpenFile("OVER.C", over + "\n");
    EXPECT_EQ((Lines{over.substr(0, 497), over.substr(497)}), LinesOf(doc));
    ASSERT_EQ(1u, ui.boxes.size());
    EXPECT_EQ(SplitMessage(PathOf("OVER.C"), 1), ui.boxes[0].text);

    // CR bytes inside a long line take no room in it.
    std::string clean = Pattern(600), withCr;
    for (size_t i = 0; i < clean.size(); i++)
        withCr += (i % 50 == 49 ? "\r" : "") + std::string(1, clean[i]);
    doc = OpenFile("CR.C", withCr + "\r\r\n");
    EXPECT_EQ((Lines{clean.substr(0, 497), clean.substr(497)}), LinesOf(doc));
}

// Builds a file of about 420 KB: ordinary lines with mixed line ends and trailing blanks,
// long lines, a long line straddling the first buffer boundary (150,000) and a CR LF pair
// split by the second one.
std::string BigFile() {
    std::string bytes;
    unsigned seed = 12345;
    auto next = [&seed](unsigned n) {
        seed = seed * 1103515245u + 12345u;
        return (seed >> 16) % n;
    };
    auto addLines = [&](size_t until) {
        static const char *const ends[] = {"\n", "\r\n", "\r\r\n"};
        while (bytes.size() < until) {
            size_t length = next(40) == 0 ? 498 + next(1200) : next(120);
            bytes += Pattern(length, seed);
            if (next(8) == 0)
                bytes += next(2) ? "  " : " \t";
            bytes += ends[next(3)];
        }
    };
    addLines(147000);
    bytes += std::string(149499 - bytes.size(), 'g') + "\n";
    bytes += Pattern(1200, 3) + "\n";   // bytes 149,500 to 150,700
    addLines(297000);
    bytes += std::string(299999 - bytes.size(), 'f') + "\r\n";
    addLines(420000);
    bytes += "no line end";
    return bytes;
}

TEST_F(ReadTest, FileLargerThanTheBufferReadsLineForLine) {
    std::string bytes = BigFile();
    ASSERT_EQ('\r', bytes[299999]);
    ASSERT_EQ('\n', bytes[300000]);
    int splits = 0;
    Lines expected = ExpectedLines(bytes, &splits);
    ASSERT_GT(splits, 10);

    Document *doc = OpenFile("BIG.TXT", bytes);
    ASSERT_NE(nullptr, doc);
    Lines lines = LinesOf(doc);
    ASSERT_EQ(expected.size(), lines.size());
    for (size_t i = 0; i < lines.size(); i++)
        ASSERT_EQ(expected[i], lines[i]) << "line " << i;
    EXPECT_EQ(long(expected.size()), doc->lineCount);
    ASSERT_EQ(1u, ui.boxes.size());
    EXPECT_EQ(SplitMessage(PathOf("BIG.TXT"), splits), ui.boxes[0].text);

    // Written back, past the writer's own buffer: every line trimmed and ended by CR LF.
    std::string written;
    for (std::string &line : expected) {
        line.erase(line.find_last_not_of(" \t") + 1);
        written += line + "\r\n";
    }
    doc->flags |= kDocModified;
    ui.Answer(kAnswerYes);   // "File contains truncated lines"
    ASSERT_TRUE(SaveDocument());
    EXPECT_EQ(written, ReadWholeFile(PathOf("BIG.TXT")));
    EXPECT_EQ(expected, LinesOf(doc));
}

TEST_F(ReadTest, FailedReadIsReportedAndGuardsTheFile) {
    std::string bytes = BigFile();
    WriteWholeFile(PathOf("BIG.TXT"), bytes);
    InjectReadFailure(200000);
    bool opened = OpenDocument(PathOf("BIG.TXT").c_str());
    InjectReadFailure(-1);
    EXPECT_FALSE(opened);
    Document *doc = g_editor->doc;
    ASSERT_NE(nullptr, doc);
    ASSERT_FALSE(ui.boxes.empty());
    EXPECT_EQ("File read or write error.", ui.boxes.back().text);
    EXPECT_TRUE(doc->flags & kDocTruncated);

    // Saving the part that was read must be the user's explicit choice.
    doc->flags |= kDocModified;
    EXPECT_FALSE(SaveDocument());
    EXPECT_EQ("File contains truncated lines\nSave anyway?", ui.boxes.back().text);
    EXPECT_EQ(bytes, ReadWholeFile(PathOf("BIG.TXT")));

    // A quiet load that fails leaves no document behind.
    WriteWholeFile(PathOf("OTHER.TXT"), Pattern(5000));
    InjectReadFailure(1000);
    EXPECT_EQ(nullptr, LoadQuiet(PathOf("OTHER.TXT").c_str()));
    InjectReadFailure(-1);
    EXPECT_EQ(nullptr, FindDocument(PathOf("OTHER.TXT").c_str(), false));
}

TEST_F(ReadTest, MissingFileGivesAnEmptyDocumentQuietly) {
    std::string path = PathOf("NEW.C");
    ASSERT_TRUE(OpenDocument(path.c_str()));
    Document *doc = FindDocument(path.c_str(), false);
    ASSERT_NE(nullptr, doc);
    EXPECT_EQ(doc, g_editor->doc);
    EXPECT_TRUE(LinesOf(doc).empty());
    EXPECT_EQ(0, doc->lineCount);
    EXPECT_EQ(0, doc->flags & (kDocTruncated | kDocModified));
    EXPECT_TRUE(ui.boxes.empty());
    EXPECT_EQ(nullptr, g_editor->recent[0]);
}

TEST_F(ReadTest, RecentFilesKeepTheLastEightInOrder) {
    std::vector<std::string> paths;
    for (char c = 'A'; c <= 'I'; c++) {
        std::string name = std::string(1, c) + ".C";
        paths.push_back(PathOf(name));
        WriteWholeFile(paths.back(), "x\n");
        ASSERT_TRUE(OpenDocument(Lower(paths.back()).c_str()));
    }
    auto recent = [] {
        std::vector<std::string> list;
        for (char *path : g_editor->recent)
            list.push_back(path ? path : "");
        return list;
    };
    // The ninth file pushed A out; the most recent is last.
    EXPECT_EQ(std::vector<std::string>(paths.begin() + 1, paths.end()), recent());

    ASSERT_TRUE(OpenDocument(paths[3].c_str()));   // D again
    EXPECT_EQ((std::vector<std::string>{paths[1], paths[2], paths[4], paths[5], paths[6], paths[7],
                                        paths[8], paths[3]}),
              recent());
    RememberRecentFile(paths[3].c_str());   // already last: nothing moves
    EXPECT_EQ(paths[3], recent()[7]);
    EXPECT_EQ(paths[1], recent()[0]);
}

} // namespace
